// The values the single-player rules share: mode, level, score, time and the running timers.
#pragma once

#include <cstdint>

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
