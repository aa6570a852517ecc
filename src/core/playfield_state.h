// The values of the game in progress that are no one player's: mode, level, lap, the field's
// centre, the level end and game over, pause and the Endless slide.
#pragma once

#include <cstdint>

#include "core/fields.h"

enum GameModeId { kModeEndless = 1, kModePuzzle = 2, kModePipe = 3, kModeMatch = 4 };

struct PlayfieldState {
    int GameMode = 0;
    int LevelNumber = 0;
    int LapNumber = 1;
    int FieldCentreX = 326;
    std::uint8_t LevelCleared = 0;
    std::uint8_t TimeUp = 0;
    int ClearedTimer = 0;
    int TimeUpTimer = 0;
    int PauseState = -1;  // -1 running, 1 paused
    int EndlessOffset = 0;
};

template <typename V>
void VisitFields(PlayfieldState& s, V& v) {
    v("GameMode", s.GameMode, Bounds{0, kModeMatch}, DumpAt{3});
    v("LevelNumber", s.LevelNumber, Bounds{0, 1'000'000}, DumpAt{4});
    v("LapNumber", s.LapNumber, Bounds{1, 1000}, DumpAt{5});
    // Far from the top of 32 bits, so that adding points and the score shown cannot overflow.
    v("FieldCentreX", s.FieldCentreX, Bounds{0, 800}, DumpAt{22});
    v("LevelCleared", s.LevelCleared, kFlag, DumpAt{9});
    v("TimeUp", s.TimeUp, kFlag, DumpAt{10});
    v("ClearedTimer", s.ClearedTimer, Bounds{0, 300}, DumpAt{11});
    v("TimeUpTimer", s.TimeUpTimer, Bounds{0, 200}, DumpAt{12});
    v("PauseState", s.PauseState, Bounds{-1, 1}, DumpAt{15});
    v("EndlessOffset", s.EndlessOffset, Bounds{-100000, 0}, DumpAt{33});
}
