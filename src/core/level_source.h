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
