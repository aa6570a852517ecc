#include "core/paths.h"

#include <filesystem>
#include <system_error>

#include "core/game.h"

std::string ResolveGamePath(const Game& game, const std::string& gamePath) {
    std::string rel = gamePath;
    for (char& c : rel) {
        if (c == '\\') c = '/';
    }
    if (rel.rfind("res/", 0) == 0) rel = rel.substr(4);
    if (rel.rfind("saves/", 0) == 0) return game.savesDir + "/" + rel.substr(6);
    return game.resDir + "/" + rel;
}

std::string FindResDir(const std::string& exeDir) {
    std::error_code ec;
    const std::string beside = exeDir + "/res";
    if (std::filesystem::exists(beside + "/menuehg2.bmp", ec)) return beside;
    const std::string installed = exeDir + "/../share/rhombulus2/res";
    if (std::filesystem::exists(installed + "/menuehg2.bmp", ec)) return installed;
    return beside;
}
