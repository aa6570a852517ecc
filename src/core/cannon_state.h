// The cannon's state, the single player's and each match player's.
#pragma once

#include <cstdint>

// LoadedStone above this names an extra held by the cannon (10000 + extra slot).
constexpr int kLoadedExtraBase = 10000;

struct CannonState {
    int CannonX = 350;
    double CannonXf = 400.0;
    int CannonY = 526;
    int CannonTargetX = 0;
    int CannonMinX = 0;
    int CannonMaxX = 0;
    int AimX = 0;
    int AimY = 0;
    int AimTargetY = 0;
    int KeyStepLeft = 0;
    int KeyStepRight = 0;
    int CannonLoad = 8;  // 1..8, 8 = ready
    int LoadStepFrames = 4;
    int LoadedStone = 0;
    int NeedReload = 1;
    int NextColour = 1;
    std::uint8_t NothingFlying = 1;
};
