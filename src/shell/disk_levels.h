// The level files on disk, read through the platform's safe file reader.
#pragma once

#include "core/level_source.h"

class DiskLevelSource : public LevelSource {
  public:
    bool Read(const std::string& path, std::size_t maxBytes, std::string& bytes) override;
};

// The one disk source every game reads its levels from unless told otherwise.
LevelSource& DiskLevels();
