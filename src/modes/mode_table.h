// How the game modes play, side by side: one row per mode holds what its rules and screen do
// differently (how its field is built, its time bar, side panel and level end). What the mode is
// (number, names, levels and files, tune, players, fields) is its row of core/mode_facts.h. A new
// mode is a row in each. The two-player match has its own screen and level start and reads only
// the first part.
#pragma once

#include "core/level_format.h"
#include "core/words.h"

struct Environment;
struct Simulation;
struct ModeFacts;

struct ModeRow {
    const ModeFacts* facts = nullptr;
    // What a level file must hold beyond codes and extras the mode knows (nullptr: nothing).
    bool (*recordsValid)(const LevelRecords& records) = nullptr;
    // Fills the stone table for the level in LevelNumber from the records just read.
    void (*buildField)(Simulation& game, const LevelRecords& records) = nullptr;
    // Time bar: one unit drains every drainEvery x (the lap's divisor) ticks; an empty bar ends
    // the game where it says so.
    int drainEvery = 1;
    bool emptyBarEndsGame = true;
    // The side panel: the level label reads "Set n" (centred) instead of "Level n".
    bool labelsSets = false;
    Words tipButton{N_("Tip")};
    bool tipStartsWater = false;  // the tip button empties the time bar instead of hinting
    // The pointer is drawn (and the aim marker hidden) also left of this x over the field.
    int pointerBandX = 0;
    bool drawsPipes = false;  // the pipe scene: pieces, barrels and its own background
    // Numbers the side panel shows beside the field each tick (the pipe game's stock).
    void (*drawStock)(Simulation& game) = nullptr;
    // Runs in every game step after the time drain (the pipe game's water).
    void (*waterFlow)(Simulation& game) = nullptr;
    // The sequence after a cleared level when the mode has its own; else the texts below.
    void (*levelEnd)(Simulation& game, const Environment& env) = nullptr;
    Words clearedTitle{};
    Words nextLevel{};  // followed by the next level's number
    // The game-over messages: their title and where they are centred (0: the field's centre).
    Words gameOverTitle{N_("Time out!")};
    int messageX = 0;
};

// The row of a mode; nullptr for a number that is none.
const ModeRow* FindModeRow(int mode);
// The row of the game in progress; Puzzle's for a game that has no mode yet.
const ModeRow& CurrentModeRow(const Simulation& game);
