// The level cell table and the time a level starts with.
#pragma once

#include <array>

#include "core/fields.h"

// The level cell table: entries 0..220 from a level file, 0..304 from the Endless generator.
constexpr int kLevelCells = 305;

// The level cell table and the time a level starts with.
struct LevelState {
    std::array<int, kLevelCells> LevelCell{};
    std::array<int, kLevelCells> LevelCellExtra{};
    int LevelStartTime = 500;
};

template <typename V>
void VisitFields(LevelState& l, V& v) {
    v("LevelCell", l.LevelCell, kAnyInt);
    v("LevelCellExtra", l.LevelCellExtra, kAnyInt);
    v("LevelStartTime", l.LevelStartTime, Bounds{0, 1000});
}
