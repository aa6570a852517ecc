// Starting a single-player level: resets the per-level state, builds the field and enters the
// game screen. Also the order in which levels and laps follow one another.
#pragma once

#include <array>
#include <string>

#include "core/level_format.h"
#include "core/level_state.h"

struct Game;
struct ModeRow;

// Starts level `level` of `mode` in lap `lap`; music -99 restarts the tune, 0 keeps it.
// Returns false when the level could not be built (its file is missing or short); the player has
// then been told and is back in the main menu.
bool StartLevel(Game& game, int level, int mode, int lap, int music);

// A level that cannot be started: the player is told what is missing (`what`) and goes to the
// main menu. Nothing of the game in memory has been touched; a game that was running can be
// resumed (and the level start tried again) or saved from there.
void LevelCannotStart(Game& game, const std::string& what);
// Level and mode 888 name the saved game just read: its level, mode and lap replace the
// arguments. True when they did.
bool TakeLoadedLevel(const Game& game, int& level, int& mode, int& lap);
// Reads the level file of a mode's level before anything of the game changes; a missing,
// short or damaged file is reported with LevelCannotStart. True for modes without files.
bool ReadLevelOfMode(Game& game, const ModeRow& row, int level, LevelRecords& records);

// What every level start does unless it resumes: the mode, level and lap taken, the stones,
// effects, extras and rising numbers gone, no X2 or flash running ...
void ClearForLevel(Game& game, int level, int mode, int lap);
// ... and no level end or game over under way, the slot cursors at their start.
void ResetLevelEnd(Game& game);
