// The two-player match: each player's field, cannon, time bar and score, indexed by player 1..2
// (slot 0 unused), and the match-wide values of the level being played.
#pragma once

#include <array>
#include <cstdint>

#include "core/cannon_state.h"
#include "core/fields.h"

constexpr int kMatchPlayers = 2;

template <typename T>
using PerPlayer = std::array<T, kMatchPlayers + 1>;

struct MatchState {
    PerPlayer<int> MatchCentreX{};
    // MatchCannonX, MatchCannonTargetX, MatchCannonLoad, MatchLoadedStone, ... of each player.
    PerPlayer<CannonState> MatchCannon{};
    PerPlayer<int> MatchGroupSize{};
    PerPlayer<int> MatchShakeFrames{};
    PerPlayer<int> MatchTimeLeft{};  // 0..1000
    PerPlayer<int> MatchStonesLeft{};
    PerPlayer<int> MatchScore{};
    PerPlayer<int> MatchShownScore{};
    PerPlayer<int> MatchLevelStartScore{};
    PerPlayer<int> MatchDoubleFrames{};
    PerPlayer<int> MatchFlashFrames{};
    PerPlayer<int> LevelsWon{};
    // This tick's fire request: player 1 Space, player 2 the mouse button over the right field.
    PerPlayer<std::uint8_t> MatchFire{};
    // 1 once the current level's win has been added to LevelsWon.
    int LevelWinCounted = 0;
};

// Each match player's values show in the dump as [null, player 1, player 2].
template <typename V>
void VisitFields(MatchState& m, V& v) {
    v("MatchCentreX", m.MatchCentreX, Bounds{0, 800}, DumpAt{0, 1});
    v.Players("Match", m.MatchCannon);
    v("MatchGroupSize", m.MatchGroupSize, Bounds{0, 2000});
    v("MatchShakeFrames", m.MatchShakeFrames, kFrames, DumpAt{0, 17});
    v("MatchTimeLeft", m.MatchTimeLeft, Bounds{0, 1000}, DumpAt{0, 11});
    v("MatchStonesLeft", m.MatchStonesLeft, Bounds{0, 2000}, DumpAt{0, 12});
    v("MatchScore", m.MatchScore, Bounds{0, 999'999'999}, DumpAt{0, 13});
    v("MatchShownScore", m.MatchShownScore, Bounds{0, 999'999'999}, DumpAt{0, 14});
    v("MatchLevelStartScore", m.MatchLevelStartScore, Bounds{0, 999'999'999});
    v("MatchDoubleFrames", m.MatchDoubleFrames, kFrames, DumpAt{0, 15});
    v("MatchFlashFrames", m.MatchFlashFrames, kFrames, DumpAt{0, 16});
    // A lead of three wins the match; this bounds the levels won over every lap.
    v("LevelsWon", m.LevelsWon, Bounds{0, 50'000}, DumpAt{0, 18});
    v("MatchFire", m.MatchFire, kFlag, DumpAt{0, 10});
    v("LevelWinCounted", m.LevelWinCounted, kFlag, DumpAt{54});
}
