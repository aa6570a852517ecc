// Level files written by the tests themselves (221 records of cell and extra, little-endian) in
// a temporary folder used as res/.
#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

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
        std::ofstream out(dir_ / "Levelz" / name, std::ios::binary | std::ios::trunc);
        for (int k = 0; k < records; ++k) {
            const auto it = cells.find(k);
            PutLe(out, it == cells.end() ? -1 : it->second.first);
            PutLe(out, it == cells.end() ? 0 : it->second.second);
        }
    }

  private:
    static void PutLe(std::ofstream& out, std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i) out.put(static_cast<char>((u >> (8 * i)) & 255));
    }
    std::filesystem::path dir_;
};
