// A game whose res/ folder is a fresh temporary one: every entry of the build's res/ linked in,
// except saves/, which starts empty, so tests may write settings and highscores freely.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "menus/record_file.h"
#include "test_support.h"

class TempRes {
  public:
    TempRes() {
        namespace fs = std::filesystem;
        static int counter = 0;
        dir_ = fs::temp_directory_path() /
               ("rhombulus-menus-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "saves");
        for (const auto& entry : fs::directory_iterator(RHOMBULUS_RES_DIR)) {
            if (entry.path().filename() == "saves") continue;
            fs::create_symlink(entry.path(), dir_ / entry.path().filename());
        }
    }
    ~TempRes() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string Dir() const { return dir_.string(); }
    std::string Saves(const std::string& name) const { return (dir_ / "saves" / name).string(); }

    void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    }
    // settings.dat: music volume, sound volume and language after an unused first record.
    void WriteSettingsFile(int music, int sound, int language) const {
        std::vector<std::uint8_t> bytes(16, 0);
        PutInt32(bytes, 4, music);
        PutInt32(bytes, 8, sound);
        PutInt32(bytes, 12, language);
        WriteBytes(Saves("settings.dat"), bytes);
    }
    std::vector<std::uint8_t> ReadBytes(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>());
    }

  private:
    std::filesystem::path dir_;
};

// A started game (settings and highscores read, pictures and font loaded) in a temporary res/.
struct MenuGame {
    TempRes res;
    std::unique_ptr<TestGame> test;
    Game* game = nullptr;

    MenuGame() { Start(); }
    // Start-up runs on tick 2; the splash screen is current afterwards.
    void Start() {
        test = std::make_unique<TestGame>(res.Dir());
        game = &test->game;
        test->TickTo(2);
    }
    Game& g() { return *game; }
    HeadlessPlatform& platform() { return test->platform; }
    void Tick(int n = 1) {
        for (int i = 0; i < n && !game->session.WindowClosed; ++i) FrameTick(*game);
    }
    void Key(int button, bool down) { test->game.keys.Event(button, kFromKeyboard, down); }
    // Press at the button's centre (a real move first) and release after the tick.
    void ClickAt(int x, int y) {
        DXDraw1MouseMove(g(), x, y);
        DXDraw1MouseDown(g());
        Tick();
        DXDraw1MouseUp(g());
    }
    // Waits until the current screen's buttons react, then clicks button `slot`.
    void ClickButton(int slot) {
        Tick(20);
        ClickAt(g().buttons.ButtonX[slot], g().buttons.ButtonY[slot] + 5);
    }
};
