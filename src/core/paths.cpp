#include "core/paths.h"

#include <filesystem>
#include <system_error>

#include "core/game.h"

namespace {

// The game path below res/, with '/'.
std::string BelowRes(const std::string& gamePath) {
    std::string rel = gamePath;
    for (char& c : rel) {
        if (c == '\\') c = '/';
    }
    if (rel.rfind("res/", 0) == 0) rel = rel.substr(4);
    return rel;
}

}  // namespace

std::string ResolveGamePath(const Game& game, const std::string& gamePath) {
    const std::string rel = BelowRes(gamePath);
    if (rel.rfind("saves/", 0) == 0) return game.savesDir + "/" + rel.substr(6);
    return game.env.resDir + "/" + rel;
}

std::string ResolveResPath(const std::string& resDir, const std::string& gamePath) {
    return resDir + "/" + BelowRes(gamePath);
}

std::string FindResDir(const std::string& exeDir) {
    std::error_code ec;
    const std::string beside = exeDir + "/res";
    if (std::filesystem::exists(beside + "/menuehg2.bmp", ec)) return beside;
    const std::string installed = exeDir + "/../share/rhombulus2/res";
    if (std::filesystem::exists(installed + "/menuehg2.bmp", ec)) return installed;
    return beside;
}
