// The Puzzle bot (shell/level_bot.h) on the headless platform: one level on its own, or a whole
// campaign from level 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/level_bot.h"

struct Game;

namespace levels {

struct CampaignRun {
    std::vector<LevelRun> levels;  // in the order played; the last one may be the failed one
    bool reachedLast = false;      // the last level was cleared
    int finalTime = 0;
    int finalScore = 0;
};

struct BotOptions {
    std::uint64_t seed = 1;
    int maxTicksPerLevel = 60000;  // a safety stop; the time bar ends a level long before
    bool show = false;             // print the field before every shot
};

// Plays one puzzle level on its own, starting with `startTime` on the time bar, as in lap 1.
LevelRun PlayPuzzleLevel(const std::string& resDir, int level, int startTime,
                         const BotOptions& options);

// Plays a new puzzle game from level 1 up to `lastLevel`, carrying time and score over and
// running the level-end sequences in between, as a player would see them.
CampaignRun PlayPuzzleCampaign(const std::string& resDir, int lastLevel, const BotOptions& options);

}  // namespace levels
