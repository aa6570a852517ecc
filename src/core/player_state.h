// What each player has: the single player of Endless, Puzzle and Pipe, and each of the match's
// two. One kind of player for every field; the field's rules say how it plays.
#pragma once

#include <array>
#include <cstdint>

#include "core/cannon_state.h"
#include "core/fields.h"

constexpr int kMatchPlayers = 2;
// The single-player game's player; the match's are 1 (left) and 2 (right). Each keeps its own
// values, so a match leaves the single player's as they were, and the other way round.
constexpr int kSoloPlayer = 0;

// The players' values side by side, indexed by player.
template <typename T>
using PerPlayer = std::array<T, kMatchPlayers + 1>;

struct Player {
    CannonState cannon;
    int TimeLeft = 0;  // 0..1000
    int Score = 0;
    int ShownScore = 0;
    int DoubleFrames = 0;  // X2 running
    int FlashFrames = 0;   // a caught flash running
    int ShakeFrames = 0;
    int StonesLeft = 0;
    int GroupSize = 0;
    int LevelStartScore = 0;  // the shown score when the level began
    // This tick's fire request (in the match: player 1 Space, player 2 the mouse button over the
    // right field).
    std::uint8_t Fire = 0;
};

// The single player's values show in the dump under their keys; each match player's under
// "Match" and the key, as [null, player 1, player 2].
template <typename V>
void VisitFields(Player& p, V& v) {
    v.Nested(p.cannon);
    v("TimeLeft", p.TimeLeft, Bounds{0, 1000}, DumpAt{8, 11});
    // Far from the top of 32 bits, so that adding points and the score shown cannot overflow.
    v("Score", p.Score, Bounds{0, 999'999'999}, DumpAt{6, 13});
    v("ShownScore", p.ShownScore, Bounds{0, 999'999'999}, DumpAt{7, 14});
    v("DoubleFrames", p.DoubleFrames, kFrames, DumpAt{30, 15});
    v("FlashFrames", p.FlashFrames, kFrames, DumpAt{31, 16});
    v("ShakeFrames", p.ShakeFrames, kFrames, DumpAt{32, 17});
    v("StonesLeft", p.StonesLeft, Bounds{0, 2000}, DumpAt{13, 12});
    v("GroupSize", p.GroupSize, Bounds{0, 2000});
    v("LevelStartScore", p.LevelStartScore, Bounds{0, 999'999'999});
    v("Fire", p.Fire, kFlag, DumpAt{0, 10});
}
