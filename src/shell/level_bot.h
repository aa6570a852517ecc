// A player for the Puzzle levels that plays through the game's own rules. Before each shot it
// copies the game, fires into every column the cannon can reach, lets each copy run until the
// field is still again, looks one stone further from the most promising ones and fires where the
// outcome two shots on is best. The level tools and the editor's proof play with it.
#pragma once

#include <functional>

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

// The game's tick the bot plays with, without drawing: SimulateTick (shell/frame_loop.h), which
// in turn steps the editor's proof that plays with the bot.
using GameTick = void (*)(Game& g);

struct BotPlay {
    GameTick tick = nullptr;                // the game's tick; set by the caller
    int maxTicksPerLevel = 60000;           // a safety stop; the time bar ends a level long before
    bool show = false;                      // print the field before every shot
    std::function<void()> onTrial;          // before every trial shot on a copy
    std::function<void(int shots)> onShot;  // after every shot fired in the game itself
};

// One tick as the frame loop runs it, without drawing or sound, the press let go after it.
void BotStep(Game& g, GameTick tick);

// Plays the level in progress until it is cleared, lost or out of ticks, and records the run
// from the time and score it had when it started.
void PlayUntilOver(Game& g, const BotPlay& options, LevelRun& run);

// Time used by a run, in time units at the first lap's drain.
constexpr int TimeUsed(const LevelRun& run) {
    return run.ticks / 4;
}

}  // namespace levels
