// Starting a single-player level: resets the per-level state, builds the field and enters the
// game screen. Also the order in which levels and laps follow one another.
#pragma once

#include <array>
#include <string>

#include "core/level_format.h"
#include "core/level_state.h"
#include "core/requests.h"

struct Environment;
struct Simulation;
struct ModeRow;

// Starts what the request names: a new level of its mode in its lap, the game in memory going
// on, or a saved slot's level with the slot's score and time; the tune starts afresh when the
// request says so. Returns false when the level could not be built (its file is missing or
// short); the player has then been told and is back in the main menu.
bool StartLevel(Simulation& game, const Environment& env, const LevelStartRequest& start);
// The one level start of every mode: what StartLevel and StartMatchLevel do for a game of one
// player or of two (`players`), with the mode's row where the modes differ.
bool StartPlayLevel(Simulation& game, const Environment& env, const LevelStartRequest& start,
                    int players);
// The single-player modes' new level (a row's newLevel): the scores and time of a new game at
// level 1 of lap 1, the field built and the cannon at its start.
void NewSingleLevel(Simulation& game, const LevelStartRequest& start, const ModeRow& row,
                    const LevelRecords& records);
// A new level: `level` of `mode` in lap `lap`.
bool StartLevel(Simulation& game, const Environment& env, int level, int mode, int lap,
                bool restartTune);

// A level that cannot be started: the player is told what is missing (`what`) and goes to the
// main menu. Nothing of the game in memory has been touched; a game that was running can be
// resumed (and the level start tried again) or saved from there.
void LevelCannotStart(Simulation& game, const std::string& what);
// Reads the level file of a mode's level before anything of the game changes; a missing,
// short or damaged file is reported with LevelCannotStart. True for modes without files.
bool ReadLevelOfMode(Simulation& game, const Environment& env, const ModeRow& row, int level,
                     LevelRecords& records);

// The first half of every level start: the request's mode checked to be of this kind of game
// (`players` fields) and its level file read, before anything of the game changes. The mode's row,
// or nullptr when the level cannot start (the player has then been told).
const ModeRow* PrepareLevelStart(Simulation& game, const Environment& env,
                                 const LevelStartRequest& start, int players,
                                 LevelRecords& records);
// What every level start then does: the game running and unpaused, the mode, level and lap taken
// and the tables emptied (unless it resumes), the tune asked for, the clicks and fire forgotten
// and no level end under way.
void EnterLevel(Simulation& game, const LevelStartRequest& start, const ModeRow& row);
// What every level start does unless it resumes: the mode, level and lap taken, the stones,
// effects, extras and rising numbers gone, no X2 or flash running ...
void ClearForLevel(Simulation& game, int level, int mode, int lap);
// ... and no level end or game over under way, the slot cursors at their start.
void ResetLevelEnd(Simulation& game);
