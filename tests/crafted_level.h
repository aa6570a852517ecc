// Level files written by the tests themselves: 221 records of (cell, extra), little-endian, in a
// temporary folder used as res/.
#pragma once

#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

struct CraftedLevel {
    std::array<std::int32_t, 221> cell;
    std::array<std::int32_t, 221> extra;
    CraftedLevel() {
        cell.fill(-1);
        extra.fill(0);
    }
    CraftedLevel& Put(int k, int code, int extraType = 0) {
        cell[k] = code;
        extra[k] = extraType;
        return *this;
    }
};

// A fresh folder with Levelz/ and saves/; removed when it goes out of scope.
class CraftedRes {
  public:
    CraftedRes() {
        static std::atomic<int> counter{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("rhombulus-res-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(dir_ / "Levelz");
        std::filesystem::create_directories(dir_ / "saves");
    }
    ~CraftedRes() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    CraftedRes(const CraftedRes&) = delete;
    CraftedRes& operator=(const CraftedRes&) = delete;

    std::string Dir() const { return dir_.string(); }

    // Writes the level under its file name (e.g. "lvl001.lvl"); `records` may be cut short or
    // padded to test the reader.
    void Write(const std::string& name, const CraftedLevel& level, int records = 221) const {
        std::ofstream out(dir_ / "Levelz" / name, std::ios::binary | std::ios::trunc);
        for (int k = 0; k < records; ++k) {
            const std::int32_t cell = k < 221 ? level.cell[k] : 0;
            const std::int32_t extra = k < 221 ? level.extra[k] : 0;
            PutLe(out, cell);
            PutLe(out, extra);
        }
    }

  private:
    static void PutLe(std::ofstream& out, std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i) out.put(static_cast<char>((u >> (8 * i)) & 255));
    }
    std::filesystem::path dir_;
};
