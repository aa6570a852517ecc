#include "computer_match.h"

#include <memory>

#include "core/game.h"
#include "modes/level_format.h"
#include "modes/match.h"
#include "platform/headless/headless_platform.h"
#include "shell/frame_loop.h"

namespace levels {

namespace {

constexpr int kMaxTicks = 6000;  // both bars have run out long before

}  // namespace

ComputerLevelRun PlayComputerLevel(const std::string& resDir, int level, int left, int right,
                                   std::uint64_t seed) {
    HeadlessPlatform platform;
    auto owned = std::make_unique<Game>();
    Game& g = *owned;
    InitGame(g, platform, resDir, seed);
    g.rng.Seed(seed);
    g.shell.Language = 2;
    g.shell.SoundOn = 0;
    g.shell.FrameCounter = 3;  // past start-up, as in any real game
    g.computer.Strength[1] = left;
    g.computer.Strength[2] = right;
    ComputerLevelRun run;
    run.level = level;
    if (!StartMatchLevel(g, level, 1, false, true)) return run;
    while (g.play.LevelCleared == 0 && run.ticks < kMaxTicks) {
        SimulateTick(g);
        g.sound.SoundRequest.fill(0);
        ++run.ticks;
    }
    run.winner = g.play.LevelCleared != 0 ? MatchLevelWinner(g) : 0;
    run.cleared = run.winner != 0 && g.players[run.winner].StonesLeft == 0;
    return run;
}

}  // namespace levels
