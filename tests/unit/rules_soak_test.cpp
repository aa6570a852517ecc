// Long random play on real levels: the rules must keep the field sound whatever the player does.
// Prints how fast the steps run (for comparison between builds; nothing is asserted on time).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <utility>

#include "modes/game_screen.h"
#include "modes/level_start.h"
#include "test_support.h"

namespace {

// The first fault of the field after a step, or "".
std::string FieldFault(const Game& g) {
    const StoneTable& t = g.stones;
    std::set<std::pair<int, int>> resting;
    for (int s = 1; s <= t.StoneCount; ++s) {
        if (t.StoneState[s] <= 0 || t.StoneMotion[s] != 0) continue;
        if (!resting.insert({t.StoneX[s], t.StoneY[s]}).second) return "two stones at one place";
        if (s == g.players[kSoloPlayer].cannon.LoadedStone || g.play.GameMode != kModePuzzle)
            continue;
        const int dx = t.StoneX[s] - g.play.FieldCentreX;
        const int y = t.StoneY[s];
        if (dx % 30 != 0 || y % 30 != 0 || ((dx / 30 + y / 30) & 1) == 0) return "off the lattice";
        if (t.StoneColour[s] < kAnchorColour && y > 440) return "below the bottom line";
    }
    return "";
}

struct SoakCase {
    int mode, level, steps;
};
class SoakTest : public ::testing::TestWithParam<SoakCase> {};

TEST_P(SoakTest, RandomPlayKeepsTheFieldSound) {
    const SoakCase c = GetParam();
    TestGame t(RHOMBULUS_RES_DIR, 5);
    Game& g = t.game;
    ASSERT_TRUE(StartLevel(g, g.env, c.level, c.mode, 1, 0));
    Random aim;
    aim.Seed(36);
    int shots = 0, waiting = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < c.steps; ++i) {
        ++g.shell.FrameCounter;
        if (i % 37 == 0) g.input.MouseX = g.play.FieldCentreX - 240 + 30 * aim.Next(17);
        if (aim.Next(8) == 0) g.input.MouseButtonDown = 1;
        g.players[kSoloPlayer].TimeLeft = 900;  // play on; the time bar is not under test
        g.sound.SoundRequest.fill(0);
        GameStep(g, g.env);
        const int loaded = g.players[kSoloPlayer].cannon.LoadedStone;
        if (g.sound.SoundRequest[sndSchies] != 0) {
            ++shots;
            // The shot leaves the cannon in the step it is fired.
            if (loaded >= 1 && loaded <= kMaxStones) {
                ASSERT_EQ(g.stones.StoneY[loaded], 490) << "step " << i;
            }
        }
        ASSERT_EQ(FieldFault(g), "") << "step " << i;
        // A ready, empty cannon loads at once while the Puzzle field has colours.
        const bool idle = g.play.LevelCleared == 0 &&
                          g.players[kSoloPlayer].cannon.NeedReload == 1 &&
                          g.players[kSoloPlayer].cannon.CannonLoad == 8 &&
                          g.players[kSoloPlayer].cannon.NothingFlying == 1;
        waiting = idle ? waiting + 1 : 0;
        if (c.mode == kModePuzzle) {
            ASSERT_LT(waiting, 3) << "step " << i;
        }
    }
    const double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(shots, c.steps / 100);
    EXPECT_GT(g.players[kSoloPlayer].Score, 0);
    std::printf("mode %d level %d: %d steps, %d shots, score %d, %.1f us per step\n", c.mode,
                c.level, c.steps, shots, g.players[kSoloPlayer].Score, us / c.steps);
}

// Endless runs long enough for the field to crowd the stone table.
INSTANTIATE_TEST_SUITE_P(Fields, SoakTest,
                         ::testing::Values(SoakCase{kModePuzzle, 1, 5000},
                                           SoakCase{kModePuzzle, 20, 5000},
                                           SoakCase{kModeEndless, 1, 9000}));

}  // namespace
