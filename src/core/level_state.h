// The level cell table and the values a level start keeps and a saved game hands to it.
#pragma once

#include <array>

#include "core/fields.h"

// The level cell table: entries 0..220 from a level file, 0..304 from the Endless generator.
constexpr int kLevelCells = 305;

// Arguments that ask StartLevel for something other than a fresh level.
constexpr int kResumeGame = 999;    // level and mode: go on with the game in memory
constexpr int kLoadedGame = 888;    // level, mode and lap: the saved game just loaded
constexpr int kRestartMusic = -99;  // music: start the mode's tune afresh

// The level cell table and the values a level start keeps and a saved game hands to it.
struct LevelState {
    std::array<int, kLevelCells> LevelCell{};
    std::array<int, kLevelCells> LevelCellExtra{};
    int LevelStartTime = 500;
    int LevelStartScore = 0;
    int LoadedLevel = 0;
    int LoadedMode = 0;
    int LoadedLap = 0;
    int LoadedTime = 0;
    int LoadedScore = 0;
    // A saved match: each player's score when the level began and levels won (slot 0 unused).
    std::array<int, 3> LoadedMatchScore{};
    std::array<int, 3> LoadedLevelsWon{};
};

template <typename V>
void VisitFields(LevelState& l, V& v) {
    v("LevelCell", l.LevelCell, kAnyInt);
    v("LevelCellExtra", l.LevelCellExtra, kAnyInt);
    v("LevelStartTime", l.LevelStartTime, Bounds{0, 1000});
    v("LevelStartScore", l.LevelStartScore, Bounds{0, 999'999'999});
    v("LoadedLevel", l.LoadedLevel, kAnyInt);
    v("LoadedMode", l.LoadedMode, kAnyInt);
    v("LoadedLap", l.LoadedLap, kAnyInt);
    v("LoadedTime", l.LoadedTime, Bounds{0, 1000});
    v("LoadedScore", l.LoadedScore, Bounds{0, 999'999'999});
    v("LoadedMatchScore", l.LoadedMatchScore, Bounds{0, 999'999'999});
    v("LoadedLevelsWon", l.LoadedLevelsWon, Bounds{0, 50'000});
}
