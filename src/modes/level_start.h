// Starting a single-player level: resets the per-level state, builds the field and enters the
// game screen. Also the order in which levels and laps follow one another.
#pragma once

#include <array>

struct Game;

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
    // The match players' start scores and levels won from a saved game (players 1 and 2).
    std::array<int, 3> LoadedMatchScore{};
    std::array<int, 3> LoadedLevelsWon{};
};

// Starts level `level` of `mode` in lap `lap`; music -99 restarts the tune, 0 keeps it.
// Returns false when the level could not be built (its file is missing or short); the player has
// then been told and is back in the main menu.
bool StartLevel(Game& game, int level, int mode, int lap, int music);

// Last level of a mode, 0 when it has none (Endless).
int LastLevelOf(int mode);
