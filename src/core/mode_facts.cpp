#include "core/mode_facts.h"

std::string LevelFilePath(const ModeFacts& f, int level) {
    if (!HasLevelFiles(f)) return "";
    return f.levelFilePrefix + std::to_string(level) + f.levelFileSuffix;
}
