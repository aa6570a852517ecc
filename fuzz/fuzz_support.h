// What every fuzz target shares: a scratch res/ folder made once per process, into which the
// input is written as the file the game reads, and a fresh game on the headless platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/headless/headless_platform.h"
#include "core/game.h"

// The scratch folder used as res/ (with saves/ and Levelz/ inside). When RHOMBULUS_FUZZ_RES names
// the build's res/, its pictures are linked in so the renderer draws for real.
const std::string& ScratchRes();
// Writes the input as the file at `relative` below the scratch res/.
void WriteScratchFile(const std::string& relative, const std::uint8_t* data, std::size_t size);

// A game as start-up leaves it, without the splash screen: one per process, made fresh for every
// input except for the pictures and the font, which are loaded once.
struct FuzzGame {
    HeadlessPlatform& platform;  // one per process too, so a missing sound is reported once
    Game& game;

    FuzzGame();
    ~FuzzGame();
    // Runs the current screen and draws the picture, as a tick does.
    void Tick(int n = 1);
};

// Stops the fuzzer with a crash when an expectation about the game fails.
#define FUZZ_EXPECT(cond)              \
    do {                               \
        if (!(cond)) __builtin_trap(); \
    } while (0)
