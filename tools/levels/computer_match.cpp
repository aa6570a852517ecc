#include "computer_match.h"

#include <algorithm>
#include <memory>

#include "core/game.h"
#include "core/level_format.h"
#include "match_bot.h"
#include "modes/match.h"
#include "platform/headless/headless_platform.h"
#include "shell/frame_loop.h"

namespace levels {

namespace {

constexpr int kMaxTicks = 6000;  // both bars have run out long before

// A tick is 15 ms. Reaction times of people at a screen are 0.2-0.4 s; the pause to decide is
// what sets the pace of their shots, with the flight of the stone and the reload after it.
constexpr PlayerModel kModels[kPlayerModels + 1] = {
    {"", {}},
    // Ten minutes into the game: a shot every 2-3 s, a slow hand that misses the column now and
    // then, weighs only the shot in hand and often not well.
    {"Beginner",
     {.reactMin = 20,
      .reactMax = 30,
      .thinkMin = 75,
      .thinkMax = 135,
      .pointerStep = 16,
      .settleTicks = 6,
      .aimError = 16,
      .lookAhead = 1,
      .misjudgePercent = 25,
      .roughness = 12.0}},
    // Some practice: a shot about every 1.5 s, misses a column seldom.
    {"Average",
     {.reactMin = 16,
      .reactMax = 24,
      .thinkMin = 30,
      .thinkMax = 56,
      .pointerStep = 26,
      .settleTicks = 4,
      .aimError = 13,
      .lookAhead = 1,
      .misjudgePercent = 10,
      .roughness = 5.0}},
    // Practised: a shot about every 0.8 s, plays the next stone through, rarely misses.
    {"Strong",
     {.reactMin = 12,
      .reactMax = 16,
      .thinkMin = 2,
      .thinkMax = 10,
      .pointerStep = 40,
      .settleTicks = 2,
      .aimError = 11,
      .lookAhead = 2,
      .misjudgePercent = 4,
      .roughness = 2.0}},
};

int Column(const CannonState& c, int x) {
    return std::clamp(x, c.CannonMinX, c.CannonMaxX);
}

ComputerLevelRun Play(const std::string& resDir, int level, int left, int right, std::uint64_t seed,
                      const ComputerTraits* person) {
    HeadlessPlatform platform;
    auto owned = std::make_unique<Game>();
    Game& g = *owned;
    InitGame(g, platform, resDir, seed);
    g.rng.Seed(seed);
    g.shell.Language = 2;
    g.shell.SoundOn = 0;
    g.shell.FrameCounter = 3;  // past start-up, as in any real game
    g.computer.Strength[1] = person != nullptr ? kNoComputer : left;
    g.computer.Strength[2] = right;
    ComputerLevelRun run;
    run.level = level;
    if (!StartMatchLevel(g, g.env, level, 1, false, true)) return run;
    // The person's thoughts are the tool's, apart from the game, from a generator of their own.
    ComputerMind mind;
    mind.rng.Seed(seed * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(level) * 7919u + 17u);
    mind.PointerX = g.players[1].cannon.CannonX;
    MatchInputWriter writer;
    int firstShot[3] = {0, 0, 0};
    int lastShot[3] = {0, 0, 0};
    while (g.play.LevelCleared == 0 && run.ticks < kMaxTicks) {
        if (person != nullptr) {
            const PlayerCommand c = MindCommand(g, 1, mind, *person);
            writer.Pointer(g, g.shell.FrameCounter + 1, c.pointerX, c.pointerY, c.fire);
        }
        const bool ready[3] = {false, g.players[1].cannon.NothingFlying == 1,
                               g.players[2].cannon.NothingFlying == 1};
        SimulateTick(g);
        g.sound.SoundRequest.fill(0);
        ++run.ticks;
        for (int p = 1; p <= 2; ++p) {
            const CannonState& c = g.players[p].cannon;
            if (!ready[p] || c.NothingFlying != 0) continue;
            if (run.shots[p]++ == 0) firstShot[p] = run.ticks;
            lastShot[p] = run.ticks;
            const ComputerMind& m = p == 1 && person != nullptr ? mind : g.computer.Mind[p];
            if (Column(c, c.CannonTargetX) != Column(c, m.Target)) ++run.missed[p];
        }
    }
    for (int p = 1; p <= 2; ++p) run.shotTicks[p] = lastShot[p] - firstShot[p];
    run.winner = g.play.LevelCleared != 0 ? MatchLevelWinner(g) : 0;
    run.cleared = run.winner != 0 && g.players[run.winner].StonesLeft == 0;
    return run;
}

}  // namespace

const PlayerModel& PlayerModelOf(int model) {
    return kModels[std::clamp(model, 0, kPlayerModels)];
}

ComputerLevelRun PlayComputerLevel(const std::string& resDir, int level, int left, int right,
                                   std::uint64_t seed) {
    return Play(resDir, level, left, right, seed, nullptr);
}

ComputerLevelRun PlayModelLevel(const std::string& resDir, int level, int model, int right,
                                std::uint64_t seed) {
    return Play(resDir, level, 0, right, seed, &PlayerModelOf(model).traits);
}

}  // namespace levels
