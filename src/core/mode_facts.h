// What each game mode is, for every layer to read: its number, names, levels and their files,
// tune, players and the fields they play on. How a mode plays (its field builder, time bar, water
// and level end) is its row in modes/mode_table.cpp, which points to the row here. A new mode is
// a row in each.
#pragma once

#include <string>

#include "core/playfield_state.h"
#include "core/words.h"

// The rules a player's field plays by; playfield/ holds the numbers of each.
enum class FieldId { kEndless, kPuzzle, kPipe, kMatchLeft, kMatchRight };

// Endless sets have no last one; this bound keeps the generator's odds (7 x set) far from
// overflow and is the highest set a file may name.
inline constexpr int kLastEndlessSet = 1'000'000;

struct ModeFacts {
    int mode = 0;
    Words name;         // on the game choice page
    Words tableName;    // heads its highscore table and the new champion's line
    Words slotWord;     // the mode in the load and save pages' slot list
    int lastLevel = 0;  // after it the next lap starts at level 1; 0: none (Endless)
    // Game path of level n's file: prefix + n + suffix; no prefix when the mode makes its sets.
    const char* levelFilePrefix = nullptr;
    const char* levelFileSuffix = nullptr;
    // The codes its level files may hold in the field cells (records 10..200): cells up to
    // highestCell (negative is an empty cell), extras up to highestExtra (0 or less is none).
    int highestCell = 0;
    int highestExtra = 0;
    const char* tune = "";  // game path of the mode's music
    int players = 1;        // 2: both play on one screen, each on a field of their own
    FieldId fields[2] = {FieldId::kPuzzle, FieldId::kPuzzle};  // player 1's, player 2's
};

inline constexpr ModeFacts kModeFacts[] = {
    {
        .mode = kModeEndless,
        .name = N_("Endless"),
        .tableName = N_("Endless"),
        .slotWord = NC_("saved game", "Endless "),
        .lastLevel = 0,
        .tune = "res\\Musik\\sr06.mp3",
        .players = 1,
        .fields = {FieldId::kEndless, FieldId::kEndless},
    },
    {
        .mode = kModePuzzle,
        .name = N_("Puzzle"),
        .tableName = N_("Puzzle"),
        .slotWord = NC_("saved game", "Puzzle "),
        .lastLevel = 50,
        .levelFilePrefix = "res\\Levelz\\lvl00",
        .levelFileSuffix = ".lvl",
        .highestCell = 9,
        .highestExtra = 7,
        .tune = "res\\Musik\\vi02.mp3",
        .players = 1,
        .fields = {FieldId::kPuzzle, FieldId::kPuzzle},
    },
    {
        .mode = kModePipe,
        .name = N_("Pipe"),
        .tableName = N_("Pipe"),
        .slotWord = NC_("saved game", "Pipe "),
        .lastLevel = 26,
        .levelFilePrefix = "res\\Levelz\\pipelev",
        .levelFileSuffix = ".lvl",
        .highestCell = 8,
        .highestExtra = 7,
        .tune = "res\\Musik\\sr02.mp3",
        .players = 1,
        .fields = {FieldId::kPipe, FieldId::kPipe},
    },
    {
        .mode = kModeMatch,
        .name = N_("Puzzle-Match"),
        .tableName = N_("Puzzle"),  // followed by "-Match" on the highscore page
        .slotWord = NC_("saved game", "Match "),
        .lastLevel = 50,
        .levelFilePrefix = "res\\Levelz\\lvl000",
        .levelFileSuffix = "two.lvl",
        .highestCell = 9,
        .highestExtra = 7,
        .tune = "res\\Musik\\sr06.mp3",
        .players = 2,
        .fields = {FieldId::kMatchLeft, FieldId::kMatchRight},
    },
};

// The facts of a mode; nullptr for a number that is none.
constexpr const ModeFacts* FindModeFacts(int mode) {
    for (const ModeFacts& f : kModeFacts) {
        if (f.mode == mode) return &f;
    }
    return nullptr;
}

// The facts of a mode; Puzzle's for a number that is none (a game that has no mode yet).
constexpr const ModeFacts& FactsOfMode(int mode) {
    const ModeFacts* f = FindModeFacts(mode);
    return f != nullptr ? *f : *FindModeFacts(kModePuzzle);
}

// The highest level a game of the mode can be at: its last level, or the last Endless set.
constexpr int HighestLevelOf(const ModeFacts& f) {
    return f.lastLevel > 0 ? f.lastLevel : kLastEndlessSet;
}

// True when the mode reads its levels from files.
constexpr bool HasLevelFiles(const ModeFacts& f) {
    return f.levelFilePrefix != nullptr;
}

// Game path of a level's file ("res\Levelz\lvl0012.lvl"); empty for a mode without level files.
std::string LevelFilePath(const ModeFacts& f, int level);
