// The two-player match: each player's field, cannon, time bar and score, indexed by player 1..2
// (slot 0 unused), and the match-wide values of the level being played.
#pragma once

#include <array>
#include <cstdint>

#include "core/cannon_state.h"

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
