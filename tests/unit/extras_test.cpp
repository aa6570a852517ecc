#include <cmath>
#include <tuple>

#include "field_fixture.h"

namespace {

using ExtrasTest = FieldTest;

// An extra of the given kind dropped straight above a cannon that holds a waiting stone.
class CatchTest : public FieldTest {
  protected:
    int waiting = 0;
    CatchTest() {
        Anchors();
        Stone(M + 240, 30, 4);
        waiting = Stone(M, 500, 4);
        g.cannon.LoadedStone = waiting;
    }
    int Drop(int type, int x = M, int y = 380) {
        AddExtra(g, x, y, type);
        return g.extras.ExtraCursor;
    }
    // Runs the extras step until the extra leaves phase 1 or its slot is freed.
    void FallUntilCaught(int i) {
        for (int n = 0; n < 200 && g.extras.ExtraType[i] != 0 && g.extras.ExtraPhase[i] == 1; ++n) {
            ++g.shell.FrameCounter;
            ExtrasStep(g);
        }
    }
};

// ---------------------------------------------------------------- spawn

using SpawnCase = std::tuple<int, int, int, int>;  // type, w, h, half w
class SpawnTest : public FieldTest, public ::testing::WithParamInterface<SpawnCase> {};

TEST_P(SpawnTest, ADestroyedStoneDropsItsExtraJumpingUp) {
    const auto [type, w, h, halfW] = GetParam();
    const int s = Stone(M + 30, 120, 2, type);
    ReleaseExtra(g, s);
    EXPECT_EQ(g.extras.ExtraType[1], type);
    EXPECT_EQ(g.extras.ExtraX[1], M + 30);
    EXPECT_EQ(g.extras.ExtraY[1], 120);
    EXPECT_EQ(g.extras.ExtraVy[1], -3.0);
    EXPECT_EQ(g.extras.ExtraPhase[1], 1);
    EXPECT_EQ(g.extras.ExtraW[1], w);
    EXPECT_EQ(g.extras.ExtraH[1], h);
    EXPECT_EQ(g.extras.ExtraHalfW[1], halfW);
    if (type == kExtraColourer) {
        EXPECT_GE(g.extras.ExtraColour[1], 1);
        EXPECT_LE(g.extras.ExtraColour[1], 5);
    } else {
        EXPECT_EQ(g.extras.ExtraColour[1], 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpawnTest,
                         ::testing::Values(SpawnCase{1, 52, 51, 26}, SpawnCase{2, 59, 55, 30},
                                           SpawnCase{3, 57, 57, 28}, SpawnCase{4, 43, 75, 21},
                                           SpawnCase{5, 57, 57, 28}, SpawnCase{6, 50, 50, 25},
                                           SpawnCase{7, 50, 50, 25}));

TEST_F(ExtrasTest, AStoneWithoutExtraDropsNothing) {
    ReleaseExtra(g, Stone(M, 60, 1));
    EXPECT_EQ(g.extras.ExtraType[1], 0);
}

TEST_F(ExtrasTest, ColourerCodesGiveTheirColours) {
    const int expected[] = {0, 4, 1, 3, 2, 7, 0};
    for (int code = 0; code <= 6; ++code) EXPECT_EQ(ColourerColour(code), expected[code]) << code;
}

// ---------------------------------------------------------------- falling and catching

TEST_F(CatchTest, FallsUnderGravityAndIsLostPastTheCannon) {
    const int i = Drop(kExtraClock, M + 40 + 26, 100);
    ExtrasStep(g);
    EXPECT_DOUBLE_EQ(g.extras.ExtraYf[i], 100 - 3.0 + 0.175);
    EXPECT_EQ(g.extras.ExtraY[i], 97);
    int lastY = 0;
    for (int n = 0; n < 500 && g.extras.ExtraType[i] != 0; ++n) {
        lastY = g.extras.ExtraY[i];
        ExtrasStep(g);
    }
    EXPECT_EQ(g.extras.ExtraType[i], 0);
    EXPECT_GT(lastY, 800);  // lost only once below the field's edge
    EXPECT_LT(lastY, 820);
    EXPECT_EQ(g.play.TimeLeft, 500);
    // One pixel nearer and it overlaps the cannon.
    const int j = Drop(kExtraClock, M + 40 + 25, 100);
    FallUntilCaught(j);
    EXPECT_EQ(g.extras.ExtraType[j], 0);
    EXPECT_EQ(g.play.TimeLeft, 1000);
}

struct InstantCase {
    int type;
    int timeLeft, doubleFrames, flashFrames;
};
class InstantTest : public CatchTest, public ::testing::WithParamInterface<InstantCase> {};

TEST_P(InstantTest, ActsAtOnceWhateverTheCannonHolds) {
    const InstantCase c = GetParam();
    g.play.TimeLeft = 700;
    g.play.DoubleFrames = 3;
    g.play.FlashFrames = 3;
    const int bomb = Drop(kExtraBomb);
    FallUntilCaught(bomb);
    ASSERT_EQ(g.cannon.LoadedStone, kLoadedExtraBase + bomb);
    const int i = Drop(c.type);
    FallUntilCaught(i);
    EXPECT_EQ(g.extras.ExtraType[i], 0);
    EXPECT_EQ(g.play.TimeLeft, c.timeLeft);
    EXPECT_EQ(g.play.DoubleFrames, c.doubleFrames);
    EXPECT_EQ(g.play.FlashFrames, c.flashFrames);
    EXPECT_EQ(g.cannon.LoadedStone, kLoadedExtraBase + bomb);
    EXPECT_TRUE(Requested(sndEinsamm));
}

INSTANTIATE_TEST_SUITE_P(Kinds, InstantTest,
                         ::testing::Values(InstantCase{kExtraClock, 1000, 3, 3},
                                           InstantCase{kExtraX2, 700, 1000, 3},
                                           InstantCase{kExtraFlash, 700, 3, 1000}));

class LoadedCatchTest : public CatchTest, public ::testing::WithParamInterface<int> {};

TEST_P(LoadedCatchTest, TakesThePlaceOfTheWaitingStone) {
    const int i = Drop(GetParam());
    FallUntilCaught(i);
    EXPECT_EQ(g.extras.ExtraPhase[i], 2);
    EXPECT_EQ(g.cannon.LoadedStone, kLoadedExtraBase + i);
    EXPECT_EQ(g.cannon.NeedReload, 0);
    EXPECT_FALSE(Present(waiting));
    EXPECT_EQ(g.extras.ExtraX[i], g.cannon.CannonX);
    EXPECT_EQ(g.extras.ExtraY[i], 526 - 24);
    // A second one is not loaded while the first is held; it falls on and is lost.
    const int j = Drop(GetParam() == kExtraBomb ? kExtraArrow : kExtraBomb);
    FallUntilCaught(j);
    EXPECT_EQ(g.cannon.LoadedStone, kLoadedExtraBase + i);
    EXPECT_EQ(g.extras.ExtraType[j], 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, LoadedCatchTest,
                         ::testing::Values(kExtraBomb, kExtraColourer, kExtraArrow, kExtraRainbow));

TEST_F(CatchTest, FireHeldAtTheCatchLaunchesInTheSameStep) {
    const int i = Drop(kExtraBomb);
    g.input.FireKey = 1;
    FallUntilCaught(i);
    EXPECT_EQ(g.extras.ExtraPhase[i], 3);
    EXPECT_EQ(g.extras.ExtraY[i], 526 - 24 - 10);
}

TEST_F(CatchTest, ABombCaughtDuringAShotLetsTheShotLandWithoutReloading) {
    RemoveStone(g, waiting);
    Stone(M - 60, 30, 6);
    Stone(M - 30, 60, 5);
    const int shot = Shot(M - 60, 200, 4);
    const int i = Drop(kExtraBomb);
    FallUntilCaught(i);
    ASSERT_EQ(g.cannon.LoadedStone, kLoadedExtraBase + i);
    EXPECT_TRUE(Present(shot));
    for (int n = 0; n < 20; ++n) StoneStep(g);
    EXPECT_EQ(g.stones.StoneMotion[shot], 0);
    EXPECT_EQ(g.stones.StoneY[shot], 90);
    EXPECT_EQ(g.cannon.NeedReload, 0);
    EXPECT_EQ(g.cannon.LoadedStone, kLoadedExtraBase + i);
}

// The last shot lies in the field until the next reload; catching then must not take it away.
TEST_F(CatchTest, ALandedShotStaysWhenAnExtraIsCaught) {
    RemoveStone(g, waiting);
    const int shot = Stone(M - 60, 30, 4);
    g.cannon.LoadedStone = shot;
    g.cannon.NeedReload = 1;
    const int i = Drop(kExtraBomb);
    FallUntilCaught(i);
    EXPECT_EQ(g.cannon.LoadedStone, kLoadedExtraBase + i);
    EXPECT_TRUE(Present(shot));
}

// ---------------------------------------------------------------- going off

class GoOffTest : public FieldTest {
  protected:
    // A held extra of the given kind, already fired and about to burst at (x, y).
    int Burst(int type, int x, int y) {
        AddExtra(g, x, y, type);
        const int i = g.extras.ExtraCursor;
        g.extras.ExtraPhase[i] = 4;
        g.cannon.LoadedStone = kLoadedExtraBase + i;
        g.cannon.NeedReload = 0;
        g.cannon.NothingFlying = 0;
        return i;
    }
    // A stone at distance d to the right of (x, y), at a slant so the distance is not axial.
    int StoneAtDistance(int x, int y, double d, int colour) {
        const int dx = static_cast<int>(std::lround(d * 0.6));
        const int dy = static_cast<int>(std::lround(d * 0.8));
        return Stone(x + dx, y + dy, colour);
    }
};

struct BombCase {
    int doubleFrames;
    int points;
};
class BombTest : public GoOffTest, public ::testing::WithParamInterface<BombCase> {};

TEST_P(BombTest, DestroysColouredStonesWithin120AndSparesAnchors) {
    g.play.DoubleFrames = GetParam().doubleFrames;
    const int anchor = Stone(M, 100, kAnchorColour);
    const int near = StoneAtDistance(M, 100, 115, 2);  // (69, 92): 115
    const int edge = StoneAtDistance(M, 100, 120, 3);  // (72, 96): 120, not inside
    const int close = Stone(M - 30, 130, 5);
    g.stones.StoneExtra[close] = kExtraClock;
    const int i = Burst(kExtraBomb, M, 100);
    ExtrasStep(g);
    EXPECT_TRUE(Present(anchor));
    EXPECT_FALSE(Present(near));
    EXPECT_FALSE(Present(close));
    EXPECT_TRUE(Present(edge));
    EXPECT_EQ(g.play.Score, GetParam().points);
    EXPECT_EQ(g.play.TimeLeft, 524);
    EXPECT_EQ(g.extras.ExtraType[i], 0);
    EXPECT_EQ(g.play.ShakeFrames, 25);
    EXPECT_EQ(g.cannon.NeedReload, 1);
    EXPECT_EQ(g.cannon.NothingFlying, 1);
    EXPECT_TRUE(Requested(sndBomb));
    // The destroyed stone's clock falls out.
    int clocks = 0;
    for (int e = 1; e <= kMaxExtras; ++e) clocks += g.extras.ExtraType[e] == kExtraClock;
    EXPECT_EQ(clocks, 1);
}

INSTANTIATE_TEST_SUITE_P(Points, BombTest, ::testing::Values(BombCase{0, 100}, BombCase{10, 200}));

TEST_F(GoOffTest, AFiredBombBurstsAtTheFirstStoneItTouches) {
    const int hit = Stone(M, 200, 1);
    const int far = Stone(M, 50, 1);
    AddExtra(g, M, 300, kExtraBomb);
    const int i = g.extras.ExtraCursor;
    g.extras.ExtraPhase[i] = 3;
    g.cannon.LoadedStone = kLoadedExtraBase + i;
    int steps = 0;
    while (g.extras.ExtraType[i] != 0 && steps < 100) {
        ExtrasStep(g);
        ++steps;
    }
    EXPECT_EQ(steps, 7);  // at y 230 the stone at 200 is within reach
    EXPECT_FALSE(Present(hit));
    EXPECT_TRUE(Present(far));
}

TEST_F(GoOffTest, ColourerCode2TurnsStonesWithin130ToColour1) {
    const int inside = StoneAtDistance(M, 200, 125, 3);
    const int outside = StoneAtDistance(M, 200, 130, 3);
    const int anchor = Stone(M - 60, 200, kAnchorColour);
    const int i = Burst(kExtraColourer, M, 200);
    g.extras.ExtraColour[i] = 2;
    ExtrasStep(g);
    EXPECT_EQ(g.stones.StoneColour[inside], 1);
    EXPECT_EQ(g.stones.StoneColour[outside], 3);
    EXPECT_EQ(g.stones.StoneColour[anchor], kAnchorColour);
    EXPECT_TRUE(Requested(sndBallsplit));
    EXPECT_EQ(g.play.Score, 0);
}

TEST_F(GoOffTest, RainbowDrawsOnlyPresentColours) {
    Stone(M + 200, 200, 6);
    Stone(M - 200, 200, 8);
    int changed[3] = {};
    for (int k = 0; k < 3; ++k) changed[k] = Stone(M + 30 * k, 230, 1);
    Burst(kExtraRainbow, M, 200);
    ExtrasStep(g);
    for (int s : changed) {
        const int c = g.stones.StoneColour[s];
        EXPECT_TRUE(c == 1 || c == 6 || c == 8) << c;
    }
}

TEST_F(GoOffTest, RainbowWithNoColourInViewLeavesStonesAsTheyAre) {
    const int high = Stone(M, -60, 3);
    EXPECT_EQ(RandomPresentColour(g), 0);
    Burst(kExtraRainbow, M, -5);
    ExtrasStep(g);
    EXPECT_TRUE(Present(high));
    EXPECT_EQ(g.stones.StoneColour[high], 3);
}

// The arrow flies to the top through its own column and the two beside it.
TEST_F(GoOffTest, ArrowClearsThreeColumnsAndLeavesAnchors) {
    Anchors();
    int inColumns[3], outside[2];
    for (int k = -1; k <= 1; ++k) inColumns[k + 1] = Stone(M + 30 * k, 150 + 30 * (k & 1), 2);
    outside[0] = Stone(M - 60, 90, 3);
    outside[1] = Stone(M + 60, 30, 3);
    g.play.DoubleFrames = 1;
    AddExtra(g, M, 500, kExtraArrow);
    const int i = g.extras.ExtraCursor;
    g.extras.ExtraPhase[i] = 3;
    g.cannon.LoadedStone = kLoadedExtraBase + i;
    for (int n = 0; n < 60 && g.extras.ExtraType[i] != 0; ++n) ExtrasStep(g);
    EXPECT_EQ(g.extras.ExtraType[i], 0);
    for (int s : inColumns) EXPECT_FALSE(Present(s)) << s;
    for (int s : outside) EXPECT_TRUE(Present(s)) << s;
    EXPECT_EQ(PresentCount(), 12);
    EXPECT_EQ(g.play.Score, 300);
    EXPECT_EQ(g.play.ShakeFrames, 15);
    EXPECT_EQ(g.cannon.NeedReload, 1);
    EXPECT_TRUE(Requested(sndExplgr));
}

TEST_F(ExtrasTest, BombAnimatesBackAndForthAndSmokes) {
    AddExtra(g, M, 100, kExtraBomb);
    std::vector<int> frames;
    int puffs = 0;
    for (int f = 1; f <= 3 * 20; ++f) {
        g.shell.FrameCounter = f;
        g.extras.ExtraPhase[1] = 5;  // keeps it in place
        ExtrasStep(g);
        if (f % 3 == 0) frames.push_back(g.extras.ExtraFrame[1]);
    }
    for (int e = 1; e <= kMaxEffects; ++e) puffs += g.effects.EffectKind[e] == 2;
    EXPECT_EQ(frames,
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 8, 7, 6, 5, 4, 3, 2, 1, 1, 2, 3, 4}));
    EXPECT_EQ(puffs, 60 / 8);
}

}  // namespace
