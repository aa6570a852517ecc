// Long random play on real levels: the rules must keep the field sound whatever the player does.
// Prints how fast the steps run (for comparison between builds; nothing is asserted on time).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>

#include "modes/level_start.h"
#include "playfield/cannon.h"
#include "playfield/game_screen.h"
#include "playfield/tables.h"
#include "test_support.h"

namespace {

struct SoakResult {
    int steps = 0;
    int shots = 0;
    int levels = 0;
    int score = 0;
};

// Checks the field after one step; returns a description of the first fault found.
std::string FieldFault(const Game& g) {
    const StoneTable& t = g.stones;
    const int m = g.play.FieldCentreX;
    std::map<std::pair<int, int>, int> resting;
    for (int s = 1; s <= t.StoneCount; ++s) {
        if (t.StoneState[s] <= 0 || t.StoneMotion[s] != 0) continue;
        const auto key = std::make_pair(t.StoneX[s], t.StoneY[s]);
        if (resting.count(key) != 0)
            return "two stones at " + std::to_string(key.first) + "," + std::to_string(key.second);
        resting[key] = s;
        if (s == g.cannon.LoadedStone) continue;
        if (g.play.GameMode == kModePuzzle) {
            const int dx = t.StoneX[s] - m;
            const int y = t.StoneY[s];
            if (dx % 30 != 0 || y % 30 != 0 || ((dx / 30 + y / 30) & 1) == 0)
                return "off the lattice: slot " + std::to_string(s);
            if (t.StoneColour[s] < 10 && y > 440)
                return "below the line: slot " + std::to_string(s);
        }
    }
    if (g.play.TimeLeft < 0 || g.play.TimeLeft > 1000) return "time out of range";
    return "";
}

SoakResult Play(int mode, int level, int steps, std::uint64_t seed) {
    TestGame t(RHOMBULUS_RES_DIR, seed);
    Game& g = t.game;
    SoakResult r;
    if (!StartLevel(g, level, mode, 1, 0)) return r;
    Random aim;
    aim.Seed(seed * 7 + 1);
    int waiting = 0;
    for (int i = 0; i < steps; ++i) {
        ++g.shell.FrameCounter;
        if (i % 37 == 0) g.input.MouseX = g.play.FieldCentreX - 240 + 30 * aim.Next(17);
        if (aim.Next(8) == 0) g.input.MouseButtonDown = 1;
        g.play.TimeLeft = 900;  // play on; the time bar is not under test
        const int levelBefore = g.play.LevelNumber;
        g.sound.SoundRequest.fill(0);
        GameStep(g);
        if (g.sound.SoundRequest[sndSchies] != 0) {
            ++r.shots;
            // The shot leaves the cannon in the step it is fired.
            const int s = g.cannon.LoadedStone;
            if (s >= 1 && s <= kMaxStones) EXPECT_EQ(g.stones.StoneY[s], 490) << "step " << i;
        }
        if (g.play.LevelNumber != levelBefore) ++r.levels;
        ++r.steps;
        const std::string fault = FieldFault(g);
        EXPECT_EQ(fault, "") << "step " << i;
        if (!fault.empty()) break;
        // A cannon that is ready and empty loads at once while coloured stones are in view.
        if (g.play.LevelCleared == 0 && g.cannon.NeedReload == 1 && g.cannon.CannonLoad == 8 &&
            g.cannon.NothingFlying == 1)
            ++waiting;
        else
            waiting = 0;
        if (mode == kModePuzzle) EXPECT_LT(waiting, 3) << "step " << i;
    }
    r.score = g.play.Score;
    return r;
}

struct SoakCase {
    int mode;
    int level;
    int steps;
};
class SoakTest : public ::testing::TestWithParam<SoakCase> {};

TEST_P(SoakTest, RandomPlayKeepsTheFieldSound) {
    const auto [mode, level, steps] = GetParam();
    const auto start = std::chrono::steady_clock::now();
    const SoakResult r = Play(mode, level, steps, 5);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(r.steps, steps);
    EXPECT_GT(r.shots, 100);
    EXPECT_GT(r.score, 0);
    std::printf("mode %d level %d: %d steps, %d shots, %d levels, score %d, %.1f us per step\n",
                mode, level, r.steps, r.shots, r.levels, r.score, 1000.0 * ms / steps);
}

// Endless runs long enough for the field to crowd the stone table.
INSTANTIATE_TEST_SUITE_P(Fields, SoakTest,
                         ::testing::Values(SoakCase{kModePuzzle, 1, 10000},
                                           SoakCase{kModePuzzle, 20, 10000},
                                           SoakCase{kModeEndless, 1, 10000}));

}  // namespace
