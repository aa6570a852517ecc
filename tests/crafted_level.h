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
#include <memory>
#include <string>

#include "core/level_format.h"
#include "modes/game_screen.h"
#include "test_support.h"

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

// A game on level files the test writes first (Write, then Open), stepped by hand.
struct CraftedGame {
    CraftedRes res;
    std::unique_ptr<TestGame> t;
    Game* g = nullptr;

    void Open() {
        t = std::make_unique<TestGame>(res.Dir());
        g = &t->game;
    }
    // One tick of the game screen with only this tick's texts and sounds.
    void Screen() {
        ++g->shell.FrameCounter;
        g->text.calls.clear();
        g->sound.SoundRequest.fill(0);
        GameScreen(*g, g->env);
        CarryOutRequests(*g);
    }
    const TextCall* Drew(const std::string& text, int x = -1) const {
        for (const TextCall& c : g->text.calls) {
            if (c.text == text && (x < 0 || c.x == x)) return &c;
        }
        return nullptr;
    }
    // A click on side button n in the coming tick, its start-up delay over.
    void ClickButton(int n) {
        g->buttons.ButtonDelay[n] = 0;
        g->input.MouseX = g->buttons.ButtonX[n] - 40;
        g->input.MouseY = g->buttons.ButtonY[n] + 5;
        g->input.MouseButtonDown = 1;
        g->input.ButtonHeldFrames = 1;
    }
};
