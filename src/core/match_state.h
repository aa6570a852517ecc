// The two-player match: what is the match's own beside its two players (src/core/player_state.h):
// each field's centre, the levels each player has won, and whether this level's win is counted.
#pragma once

#include <cstdint>

#include "core/fields.h"
#include "core/player_state.h"

struct MatchState {
    PerPlayer<int> MatchCentreX{};
    PerPlayer<int> LevelsWon{};
    // 1 once the current level's win has been added to LevelsWon.
    int LevelWinCounted = 0;
};

template <typename V>
void VisitFields(MatchState& m, V& v) {
    v("MatchCentreX", m.MatchCentreX, Bounds{0, 800}, DumpAt{0, 1});
    // A lead of three wins the match; this bounds the levels won over every lap.
    v("LevelsWon", m.LevelsWon, Bounds{0, 50'000}, DumpAt{0, 18});
    v("LevelWinCounted", m.LevelWinCounted, kFlag, DumpAt{54});
}
