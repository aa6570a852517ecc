// The game's computer opponent playing the match levels against itself: who wins each level at
// which strength, and how long each strength takes to clear a field on its own.
#pragma once

#include <cstdint>
#include <string>

namespace levels {

struct ComputerLevelRun {
    int level = 0;
    int winner = 0;        // 1 left, 2 right, 0 nobody
    bool cleared = false;  // the winner emptied its field (rather than outlasting the other)
    int ticks = 0;         // from the level start to its end
};

// Plays match level `level` of a new match in lap 1 with the computer at strength `left` on the
// left field and `right` on the right (0: a player who does nothing), until the level ends.
ComputerLevelRun PlayComputerLevel(const std::string& resDir, int level, int left, int right,
                                   std::uint64_t seed);

}  // namespace levels
