// A player for the puzzle levels that plays through the game's own rules, headless. Before each
// shot it copies the Game, fires into every column the cannon can reach, lets each copy run until
// the field is still again, looks one stone further from the most promising ones and fires where
// the outcome two shots on is best.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Game;

namespace levels {

struct LevelRun {
    int level = 0;
    bool cleared = false;
    int shots = 0;      // stones and extras fired
    int ticks = 0;      // game steps from the level start to the cleared field (or time out)
    int timeStart = 0;  // TimeLeft when the level started
    int timeLeft = 0;   // TimeLeft when the field was cleared or the run stopped
    int scoreGained = 0;
    int tipHits = 0;  // shots that met a tip and burst
};

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
