// The cannon's state, the single player's and each match player's.
#pragma once

#include <cstdint>

#include "core/fields.h"

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

// The single player's cannon shows in the dump under these keys; each match player's under
// "Match" and the key.
template <typename V>
void VisitFields(CannonState& c, V& v) {
    v("CannonX", c.CannonX, kPosition, DumpAt{24, 2});
    v("CannonXf", c.CannonXf, kPosition);
    v("CannonY", c.CannonY, kPosition);
    v("CannonTargetX", c.CannonTargetX, kPosition, DumpAt{25, 3});
    v("CannonMinX", c.CannonMinX, kPosition);
    v("CannonMaxX", c.CannonMaxX, kPosition);
    v("AimX", c.AimX, kPosition, DumpAt{0, 4});
    v("AimY", c.AimY, kPosition, DumpAt{0, 5});
    v("AimTargetY", c.AimTargetY, kPosition);
    v("KeyStepLeft", c.KeyStepLeft, kAnyInt);
    v("KeyStepRight", c.KeyStepRight, kAnyInt);
    v("CannonLoad", c.CannonLoad, Bounds{1, 8}, DumpAt{26, 6});
    v("LoadStepFrames", c.LoadStepFrames, kAnyInt);
    // A stone slot, or kLoadedExtraBase + an extra slot (checked with the extras table).
    v("LoadedStone", c.LoadedStone, Bounds{0, kLoadedExtraBase + 50}, DumpAt{27, 7});
    v("NeedReload", c.NeedReload, kFlag, DumpAt{28, 8});
    v("NextColour", c.NextColour, Bounds{0, 10});
    v("NothingFlying", c.NothingFlying, kFlag, DumpAt{29, 9});
}
