// Fresh games for tests: a Game on the headless platform, reading the build's res/ folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "core/game.h"
#include "menus/buttons.h"
#include "platform/headless/headless_platform.h"
#include "playfield/tables.h"
#include "shell/frame_loop.h"
#include "shell/input.h"

struct TestGame {
    HeadlessPlatform platform;
    std::unique_ptr<Game> owned = std::make_unique<Game>();
    Game& game = *owned;

    explicit TestGame(const std::string& resDir = RHOMBULUS_RES_DIR, std::uint64_t seed = 1) {
        InitGame(game, platform, resDir, seed);
    }
    // Runs ticks until FrameCounter reaches n.
    void TickTo(int n) {
        while (game.shell.FrameCounter < n && !game.session.WindowClosed) FrameTick(game);
    }
};

// A one-colour picture with the transparent key set, for drawing tests that tell parts of a
// scene apart by colour.
inline Surface Plain(int w, int h, std::uint32_t colour) {
    Surface s = CreateSurface();
    SetSurfaceSize(s, w, h);
    FillSurface(s, colour);
    SetTransparentColor(s, kMagenta);
    return s;
}

// A picture of the build's res/ folder as the game loads it.
inline Surface LoadResPicture(std::string_view name) {
    Surface s;
    EXPECT_TRUE(LoadSurface(s, RHOMBULUS_RES_DIR "/" + std::string(name))) << name;
    return s;
}
