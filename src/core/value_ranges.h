// The values a file may hand the game: what the game itself can produce and use. A file holding
// anything else is damaged and is treated like a short one.
#pragma once

#include <cstdint>

#include "core/languages.h"
#include "core/mode_facts.h"
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

// Levels 1..last of a mode (Endless: up to its last set); an empty range for a mode that does not
// exist.
constexpr ValueRange LevelRangeOf(std::int64_t mode) {
    if (mode < kModeRange.low || mode > kModeRange.high) return ValueRange{1, 0};
    const ModeFacts* f = FindModeFacts(static_cast<int>(mode));
    return f != nullptr ? ValueRange{1, HighestLevelOf(*f)} : ValueRange{1, 0};
}
