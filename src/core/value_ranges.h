// The values a file may hand the game: what the game itself can produce and use. A file holding
// anything else is damaged and is treated like a short one.
#pragma once

#include <cstdint>

#include "core/languages.h"
#include "core/playfield_state.h"

struct ValueRange {
    std::int64_t low;
    std::int64_t high;

    constexpr bool Holds(std::int64_t v) const { return v >= low && v <= high; }
};

// Settings.
inline constexpr ValueRange kVolumeRange{0, 100};
inline constexpr ValueRange kLanguageRange{1, kLanguages};
// A game: modes 1 Endless .. 4 Puzzle-Match, a lap advances after the last level of a mode.
inline constexpr ValueRange kModeRange{kModeEndless, kModeMatch};
inline constexpr ValueRange kLapRange{1, 1000};
inline constexpr ValueRange kTimeRange{0, 1000};
// Far more than any game reaches, and far enough from the top of 32 bits that adding points and
// the score shown on screen cannot overflow.
inline constexpr ValueRange kScoreRange{0, 999'999'999};
// A match is won by a lead of three levels; this bounds the levels won over every lap.
inline constexpr ValueRange kLevelsWonRange{0, 50 * 1000};
// Names: highscore records hold up to 16 characters (10 are used), slot names up to 10.
inline constexpr ValueRange kHighscoreNameLength{0, 16};
inline constexpr ValueRange kSlotNameLength{0, 10};

// Levels of each mode, one line a mode. Endless sets have no last one; the bound keeps the
// generator's odds (7 x set) far from overflow.
struct ModeLevels {
    int mode;
    int lastLevel;
};
inline constexpr ModeLevels kModeLevels[] = {
    {kModeEndless, 1'000'000},
    {kModePuzzle, 50},
    {kModePipe, 26},
    {kModeMatch, 50},
};

// Levels 1..last of a mode; an empty range for a mode that does not exist.
constexpr ValueRange LevelRangeOf(std::int64_t mode) {
    for (const ModeLevels& m : kModeLevels) {
        if (m.mode == mode) return ValueRange{1, m.lastLevel};
    }
    return ValueRange{1, 0};
}

// Cell codes of the level files of each mode (records 10..200; negative is an empty cell) and the
// extras a cell may carry (1..7; 0 or negative is none).
struct LevelCodes {
    int mode;
    int highestCell;
    int highestExtra;
};
inline constexpr LevelCodes kLevelCodes[] = {
    {kModePuzzle, 9, 7},
    {kModePipe, 8, 7},
    {kModeMatch, 9, 7},
};
