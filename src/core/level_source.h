// Where the rules read a level's file from: the files on disk in the game, a level held in
// memory for a test play or a test. The rules never open a file themselves.
#pragma once

#include <cstddef>
#include <string>

class LevelSource {
  public:
    virtual ~LevelSource() = default;
    // The first maxBytes of the file at path (a longer file is cut, not refused); false when there
    // is nothing readable there.
    virtual bool Read(const std::string& path, std::size_t maxBytes, std::string& bytes) = 0;
};

// The path of level n of the pack file at packPath, as a source reads it: "PACK#n". What the
// source gives back is that level's record file.
inline std::string PackLevelPath(const std::string& packPath, int level) {
    return packPath + "#" + std::to_string(level);
}

// The pack's path and level number of a path made by PackLevelPath; false for any other path.
inline bool SplitPackLevelPath(const std::string& path, std::string& packPath, int& level) {
    const std::size_t hash = path.rfind('#');
    if (hash == std::string::npos || hash + 1 >= path.size() || path.size() - hash > 3)
        return false;
    level = 0;
    for (std::size_t i = hash + 1; i < path.size(); ++i) {
        if (path[i] < '0' || path[i] > '9') return false;
        level = level * 10 + (path[i] - '0');
    }
    packPath = path.substr(0, hash);
    return level >= 1;
}
