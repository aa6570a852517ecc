// A game in a real SDL window (SDL's offscreen driver unless told otherwise), its saves in a
// temporary folder of its own, and the window's events handled as in the game.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/game.h"
#include "platform/sdl/sdl_platform.h"
#include "window/sdl_events.h"

template <class Base>
class SdlGame : public Base {
  protected:
    // Opens the window (false if it could not be opened).
    bool OpenWindow(const char* driver, const char* present) {
        setenv("SDL_VIDEODRIVER", driver, 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("RHOMBULUS2_PRESENT", present, 1);
        saves_ = std::filesystem::temp_directory_path() /
                 ("rhombulus-sdl-" + std::to_string(::getpid()));
        std::filesystem::create_directories(saves_);
        platform_ = std::make_unique<SdlPlatform>(RHOMBULUS_RES_DIR);
        return platform_->Open(false);
    }
    void StartGame(std::uint64_t seed) {
        game_ = std::make_unique<Game>();
        InitGame(*game_, *platform_, RHOMBULUS_RES_DIR, seed);
        game_->savesDir = saves_.string();
    }
    void TearDown() override {
        game_.reset();
        platform_.reset();
        SDL_Quit();
        std::error_code ec;
        std::filesystem::remove_all(saves_, ec);
    }
    void Pump() {
        SDL_Event e;
        while (SDL_PollEvent(&e)) HandleSdlEvent(*game_, *platform_, session_, e);
    }

    std::filesystem::path saves_;
    std::unique_ptr<SdlPlatform> platform_;
    std::unique_ptr<Game> game_;
    WindowSession session_;
};
