// Level files written by the tests themselves (221 records of cell and extra, little-endian) in
// a temporary folder used as res/.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "core/level_format.h"

class CraftedRes {
  public:
    CraftedRes() {
        static std::atomic<int> counter{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("rhombulus-res-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(dir_ / "Levelz");
    }
    ~CraftedRes() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string Dir() const { return dir_.string(); }

    // Writes a level file: cells not named are empty (-1); `records` may cut it short.
    void Write(const std::string& name, const std::map<int, std::pair<int, int>>& cells,
               int records = 221) const {
        LevelRecords level;
        for (const auto& [k, code] : cells)
            if (k >= 0 && k < kLevelRecords) level[k] = {code.first, code.second};
        const std::string bytes = EncodeLevelRecords(level);
        std::ofstream out(dir_ / "Levelz" / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(),
                  std::min<std::streamsize>(records * kLevelRecordBytes,
                                            static_cast<std::streamsize>(bytes.size())));
    }

  private:
    std::filesystem::path dir_;
};
