#include "core/paths.h"

#include "core/game.h"

std::string ResolveGamePath(const Game& game, const std::string& gamePath) {
    std::string rel = gamePath;
    for (char& c : rel) {
        if (c == '\\') c = '/';
    }
    if (rel.rfind("res/", 0) == 0) rel = rel.substr(4);
    return game.resDir + "/" + rel;
}
