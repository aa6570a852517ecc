// The values the single-player rules share: mode, level, score, time and the running timers.
#pragma once

#include <cstdint>

#include "core/fields.h"

enum GameModeId { kModeEndless = 1, kModePuzzle = 2, kModePipe = 3, kModeMatch = 4 };

struct PlayfieldState {
    int GameMode = 0;
    int LevelNumber = 0;
    int LapNumber = 1;
    int Score = 0;
    int ShownScore = 0;
    int TimeLeft = 0;  // 0..1000
    int FieldCentreX = 326;
    std::uint8_t LevelCleared = 0;
    std::uint8_t TimeUp = 0;
    int ClearedTimer = 0;
    int TimeUpTimer = 0;
    int StonesLeft = 0;
    int GroupSize = 0;
    int ShakeFrames = 0;
    int DoubleFrames = 0;
    int FlashFrames = 0;
    int PauseState = -1;  // -1 running, 1 paused
    int EndlessOffset = 0;
};

template <typename V>
void VisitFields(PlayfieldState& s, V& v) {
    v("GameMode", s.GameMode, Bounds{0, kModeMatch}, DumpAt{3});
    v("LevelNumber", s.LevelNumber, Bounds{0, 1'000'000}, DumpAt{4});
    v("LapNumber", s.LapNumber, Bounds{1, 1000}, DumpAt{5});
    // Far from the top of 32 bits, so that adding points and the score shown cannot overflow.
    v("Score", s.Score, Bounds{0, 999'999'999}, DumpAt{6});
    v("ShownScore", s.ShownScore, Bounds{0, 999'999'999}, DumpAt{7});
    v("TimeLeft", s.TimeLeft, Bounds{0, 1000}, DumpAt{8});
    v("FieldCentreX", s.FieldCentreX, Bounds{0, 800}, DumpAt{22});
    v("LevelCleared", s.LevelCleared, kFlag, DumpAt{9});
    v("TimeUp", s.TimeUp, kFlag, DumpAt{10});
    v("ClearedTimer", s.ClearedTimer, Bounds{0, 300}, DumpAt{11});
    v("TimeUpTimer", s.TimeUpTimer, Bounds{0, 200}, DumpAt{12});
    v("StonesLeft", s.StonesLeft, Bounds{0, 2000}, DumpAt{13});
    v("GroupSize", s.GroupSize, Bounds{0, 2000});
    v("ShakeFrames", s.ShakeFrames, kFrames, DumpAt{32});
    v("DoubleFrames", s.DoubleFrames, kFrames, DumpAt{30});
    v("FlashFrames", s.FlashFrames, kFrames, DumpAt{31});
    v("PauseState", s.PauseState, Bounds{-1, 1}, DumpAt{15});
    v("EndlessOffset", s.EndlessOffset, Bounds{-100000, 0}, DumpAt{33});
}
