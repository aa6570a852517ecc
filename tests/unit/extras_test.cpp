#include <cmath>

#include "field_fixture.h"

namespace {

// A cannon at the centre with a stone waiting on it.
class CatchTest : public FieldTest {
  protected:
    int waiting = 0;
    CatchTest() {
        Anchors();
        Stone(M + 240, 30, 4);
        waiting = g.cannon.LoadedStone = Stone(M, 500, 4);
    }
    int Drop(int type, int x = M, int y = 380) {
        AddExtra(g, x, y, type);
        return g.extras.ExtraCursor;
    }
    // Runs the extras step until the extra is caught, lost or fired.
    void Fall(int i) {
        for (int n = 0; n < 200 && g.extras.ExtraType[i] != 0 && g.extras.ExtraPhase[i] == 1; ++n) {
            ExtrasStep(g);
        }
    }
};

TEST_F(CatchTest, AnExtraMissingTheCannonIsLostBelowTheFieldAndOnePixelNearerIsCaught) {
    // Overlap means the clock's half width (26) plus 40 either side of the cannon.
    const int i = Drop(kExtraClock, M + 66, 100);
    ExtrasStep(g);
    EXPECT_EQ(g.extras.ExtraY[i], 97);  // jumps up first: -3 + 0.175
    int lastY = 0;
    for (int n = 0; n < 500 && g.extras.ExtraType[i] != 0; ++n) {
        lastY = g.extras.ExtraY[i];
        ExtrasStep(g);
    }
    EXPECT_EQ(g.extras.ExtraType[i], 0);
    EXPECT_GT(lastY, 800);
    EXPECT_EQ(g.play.TimeLeft, 500);
    Fall(Drop(kExtraClock, M + 65, 100));
    EXPECT_EQ(g.play.TimeLeft, 1000);
}

struct InstantCase {
    int type, timeLeft, doubleFrames, flashFrames;
};
class InstantTest : public CatchTest, public ::testing::WithParamInterface<InstantCase> {};

TEST_P(InstantTest, ActsAtOnceEvenWhileTheCannonHoldsAnExtra) {
    const InstantCase c = GetParam();
    g.play.TimeLeft = 700;
    g.play.DoubleFrames = g.play.FlashFrames = 3;
    const int bomb = Drop(kExtraBomb);
    Fall(bomb);
    const int i = Drop(c.type);
    Fall(i);
    EXPECT_EQ(g.extras.ExtraType[i], 0);
    EXPECT_EQ(g.play.TimeLeft, c.timeLeft);
    EXPECT_EQ(g.play.DoubleFrames, c.doubleFrames);
    EXPECT_EQ(g.play.FlashFrames, c.flashFrames);
    EXPECT_EQ(g.cannon.LoadedStone, kLoadedExtraBase + bomb);
}

INSTANTIATE_TEST_SUITE_P(Kinds, InstantTest,
                         ::testing::Values(InstantCase{kExtraClock, 1000, 3, 3},
                                           InstantCase{kExtraX2, 700, 1000, 3},
                                           InstantCase{kExtraFlash, 700, 3, 1000}));

class LoadedCatchTest : public CatchTest, public ::testing::WithParamInterface<int> {};

TEST_P(LoadedCatchTest, TakesThePlaceOfTheWaitingStoneAndBarsASecond) {
    const int i = Drop(GetParam());
    Fall(i);
    EXPECT_EQ(g.extras.ExtraPhase[i], 2);
    EXPECT_EQ(g.cannon.LoadedStone, kLoadedExtraBase + i);
    EXPECT_EQ(g.cannon.NeedReload, 0);
    EXPECT_FALSE(Present(waiting));
    EXPECT_EQ(g.extras.ExtraY[i], 526 - 24);
    const int j = Drop(GetParam() == kExtraBomb ? kExtraArrow : kExtraBomb);
    Fall(j);
    EXPECT_EQ(g.cannon.LoadedStone, kLoadedExtraBase + i);
    EXPECT_EQ(g.extras.ExtraType[j], 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, LoadedCatchTest,
                         ::testing::Values(kExtraBomb, kExtraColourer, kExtraArrow, kExtraRainbow));

TEST_F(CatchTest, FireHeldAtTheCatchLaunchesInTheSameStep) {
    const int i = Drop(kExtraBomb);
    g.input.FireKey = 1;
    Fall(i);
    EXPECT_EQ(g.extras.ExtraPhase[i], 3);
    EXPECT_EQ(g.extras.ExtraY[i], 526 - 24 - 10);
}

TEST_F(CatchTest, ABombCaughtDuringAShotLetsTheShotLandWithoutReloading) {
    RemoveStone(g, waiting);
    Stone(M - 60, 30, 6);
    Stone(M - 30, 60, 5);
    const int shot = Shot(M - 60, 200, 4);
    const int i = Drop(kExtraBomb);
    Fall(i);
    EXPECT_TRUE(Present(shot));
    for (int n = 0; n < 20; ++n) StoneStep(g);
    EXPECT_EQ(g.stones.StoneY[shot], 90);
    EXPECT_EQ(g.cannon.NeedReload, 0);
    EXPECT_EQ(g.cannon.LoadedStone, kLoadedExtraBase + i);
}

// The last shot lies in the field until the next reload; a catch must not take it away.
TEST_F(CatchTest, ALandedShotStaysWhenAnExtraIsCaught) {
    RemoveStone(g, waiting);
    const int shot = g.cannon.LoadedStone = Stone(M - 60, 30, 4);
    g.cannon.NeedReload = 1;
    Fall(Drop(kExtraBomb));
    EXPECT_TRUE(Present(shot));
}

class GoOffTest : public FieldTest {
  protected:
    // A fired extra of the given kind bursting at (x, y) in this step.
    int Burst(int type, int x, int y, int phase = 4) {
        AddExtra(g, x, y, type);
        const int i = g.extras.ExtraCursor;
        g.extras.ExtraPhase[i] = phase;
        g.cannon.LoadedStone = kLoadedExtraBase + i;
        return i;
    }
    // A stone at the given distance from (x, y), on a slant (3-4-5) so it is exact.
    int StoneAtDistance(int x, int y, int d, int colour) {
        return Stone(x + d * 3 / 5, y + d * 4 / 5, colour);
    }
};

class BombTest : public GoOffTest, public ::testing::WithParamInterface<int> {};

TEST_P(BombTest, DestroysColouredStonesWithin120AndSparesAnchors) {
    g.play.DoubleFrames = GetParam();
    const int anchor = Stone(M, 100, kAnchorColour);
    const int near = StoneAtDistance(M, 100, 115, 2);
    const int edge = StoneAtDistance(M, 100, 120, 3);
    const int close = Stone(M - 30, 130, 5, kExtraClock);
    Burst(kExtraBomb, M, 100);
    ExtrasStep(g);
    EXPECT_TRUE(Present(anchor));
    EXPECT_FALSE(Present(near));
    EXPECT_FALSE(Present(close));
    EXPECT_TRUE(Present(edge));
    EXPECT_EQ(g.play.Score, GetParam() > 0 ? 200 : 100);
    EXPECT_EQ(g.play.TimeLeft, 524);
    EXPECT_EQ(g.play.ShakeFrames, 25);
    EXPECT_EQ(g.cannon.NeedReload, 1);
    EXPECT_EQ(g.extras.ExtraType[2], kExtraClock);  // the destroyed stone's extra falls out
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutX2, BombTest, ::testing::Values(0, 10));

TEST_F(GoOffTest, AFiredBombBurstsAtTheFirstStoneItTouches) {
    const int hit = Stone(M, 200, 1);
    const int far = Stone(M, 50, 1);
    const int i = Burst(kExtraBomb, M, 300, 3);
    int steps = 0;
    for (; g.extras.ExtraType[i] != 0 && steps < 100; ++steps) ExtrasStep(g);
    EXPECT_EQ(steps, 7);  // at y 230 the stone at 200 is within reach
    EXPECT_FALSE(Present(hit));
    EXPECT_TRUE(Present(far));
}

// What each code paints is checked against its icon with the pictures.
TEST_F(GoOffTest, ColourerPaintsStonesWithin130InTheColourOfItsCode) {
    ASSERT_NE(ColourerColour(2), 3);
    const int inside = StoneAtDistance(M, 200, 125, 3);
    const int outside = StoneAtDistance(M, 200, 130, 3);
    const int anchor = Stone(M - 60, 200, kAnchorColour);
    g.extras.ExtraColour[Burst(kExtraColourer, M, 200)] = 2;
    ExtrasStep(g);
    EXPECT_EQ(g.stones.StoneColour[inside], ColourerColour(2));
    EXPECT_EQ(g.stones.StoneColour[outside], 3);
    EXPECT_EQ(g.stones.StoneColour[anchor], kAnchorColour);
}

TEST_F(GoOffTest, RainbowDrawsOnlyPresentColoursAndLeavesStonesWhenThereAreNone) {
    const int high = Stone(M, -60, 3);  // above the field: not a present colour
    EXPECT_EQ(RandomPresentColour(g), 0);
    Burst(kExtraRainbow, M, -5);
    ExtrasStep(g);
    EXPECT_EQ(g.stones.StoneColour[high], 3);
    Stone(M + 200, 200, 6);
    Stone(M - 200, 200, 8);
    const int changed = Stone(M, 230, 1);
    Burst(kExtraRainbow, M, 200);
    ExtrasStep(g);
    const int c = g.stones.StoneColour[changed];
    EXPECT_TRUE(c == 1 || c == 6 || c == 8) << c;
}

// The arrow flies to the top through its own column and the two beside it.
TEST_F(GoOffTest, ArrowClearsThreeColumnsAndLeavesAnchors) {
    Anchors();
    const int inColumns[] = {Stone(M - 30, 180, 2), Stone(M, 150, 2), Stone(M + 30, 60, 2)};
    const int outside[] = {Stone(M - 60, 90, 3), Stone(M + 60, 30, 3)};
    const int i = Burst(kExtraArrow, M, 500, 3);
    for (int n = 0; n < 60 && g.extras.ExtraType[i] != 0; ++n) ExtrasStep(g);
    EXPECT_EQ(g.extras.ExtraType[i], 0);
    for (int s : inColumns) EXPECT_FALSE(Present(s));
    for (int s : outside) EXPECT_TRUE(Present(s));
    EXPECT_EQ(PresentCount(), 12);
    EXPECT_EQ(g.play.Score, 150);
    EXPECT_EQ(g.play.ShakeFrames, 15);
    EXPECT_EQ(g.cannon.NeedReload, 1);
}

}  // namespace
