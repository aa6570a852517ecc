// The game's computer opponent playing the match levels: against models of people (a beginner,
// an average and a strong player, who play through the computer's own machinery with a person's
// traits and a person's mouse), against itself, or alone.
#pragma once

#include <cstdint>
#include <string>

#include "modes/computer_player.h"

namespace levels {

// A model of a person at the mouse, from what people do: how long they take to see and to
// decide (a beginner shoots about every 2-3 s, an average player every 1.5 s, a strong one every
// 0.8 s), how often the hand misses the column, how far they look ahead.
struct PlayerModel {
    const char* name;
    ComputerTraits traits;
};
constexpr int kPlayerModels = 3;
const PlayerModel& PlayerModelOf(int model);  // 1 beginner, 2 average, 3 strong

struct ComputerLevelRun {
    int level = 0;
    int winner = 0;        // 1 left, 2 right, 0 nobody
    bool cleared = false;  // the winner emptied its field (rather than outlasting the other)
    int ticks = 0;         // from the level start to its end
    // Per player: shots fired, the ticks from the first shot to the last, and the shots that
    // left from another column than the one the player meant (its hand missed).
    int shots[3] = {0, 0, 0};
    int shotTicks[3] = {0, 0, 0};
    int missed[3] = {0, 0, 0};
};

// Plays match level `level` of a new match in lap 1 with the computer at strength `left` on the
// left field and `right` on the right (0: a player who does nothing), until the level ends.
ComputerLevelRun PlayComputerLevel(const std::string& resDir, int level, int left, int right,
                                   std::uint64_t seed);

// The same with the person of model `model` at the mouse on the left field against the
// computer at strength `right`.
ComputerLevelRun PlayModelLevel(const std::string& resDir, int level, int model, int right,
                                std::uint64_t seed);

}  // namespace levels
