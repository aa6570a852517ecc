#include <vector>

#include "field_fixture.h"
#include "playfield/field_rules.h"

namespace {

using StoneStepTest = FieldTest;

// ---------------------------------------------------------------- tip hits

struct TipCase {
    int motion;    // 1 shot, 2 loose stone
    int timeLeft;  // before
    int expected;  // after
};

class TipHitTest : public FieldTest, public ::testing::WithParamInterface<TipCase> {};

TEST_P(TipHitTest, RisingStoneUnderATipExplodesAndOnlyAShotCostsTime) {
    const TipCase c = GetParam();
    Anchors();
    const int above = Stone(M, 30, 2);
    const int s = Shot(M, 100, 1);
    g.stones.StoneMotion[s] = c.motion;
    g.stones.StoneExtra[s] = kExtraClock;
    g.play.TimeLeft = c.timeLeft;
    const int before = PresentCount();
    // A shot reaches y 90 in one step, a loose stone in two.
    StoneStep(g);
    if (c.motion == 2) StoneStep(g);
    EXPECT_FALSE(Present(s));
    EXPECT_TRUE(Present(above));
    EXPECT_EQ(PresentCount(), before - 1);
    EXPECT_EQ(g.play.TimeLeft, c.expected);
    EXPECT_TRUE(Requested(sndExpl2));
    EXPECT_EQ(g.cannon.NeedReload, 1);
    EXPECT_EQ(g.cannon.NothingFlying, 1);
    // Its extra falls out where it burst.
    EXPECT_EQ(g.extras.ExtraType[1], kExtraClock);
    EXPECT_EQ(g.extras.ExtraY[1], 90);
}

INSTANTIATE_TEST_SUITE_P(Costs, TipHitTest,
                         ::testing::Values(TipCase{1, 500, 470}, TipCase{1, 20, 0},
                                           TipCase{1, 30, 0}, TipCase{2, 500, 500}));

// ---------------------------------------------------------------- groups

// Two stones of colour 3 hang from the top row; a shot of colour 3 arrives beside them.
class GroupTest : public FieldTest {
  protected:
    int top = 0, hanging = 0, shot = 0;
    void Build(int shotColour) {
        Anchors();
        top = Stone(M - 60, 30, 3);
        hanging = Stone(M - 30, 60, 3);
        Stone(M, 30, 5);  // holds nothing of the group
        shot = Shot(M - 60, 100, shotColour);
    }
};

TEST_F(GroupTest, ThreeOfAColourExplodeForPointsTimeAndShake) {
    Build(3);
    StoneStep(g);
    EXPECT_FALSE(Present(top));
    EXPECT_FALSE(Present(hanging));
    EXPECT_FALSE(Present(shot));
    EXPECT_EQ(g.play.Score, 150);
    EXPECT_EQ(g.play.TimeLeft, 536);
    EXPECT_EQ(g.play.ShakeFrames, 20);
    EXPECT_EQ(g.play.GroupSize, 2);
    EXPECT_TRUE(Requested(sndExplgr));
    EXPECT_TRUE(Requested(sndHolz1));
    EXPECT_EQ(g.cannon.NeedReload, 1);
}

TEST_F(GroupTest, DoublePointsWhileX2Lasts) {
    Build(3);
    g.play.DoubleFrames = 500;
    StoneStep(g);
    EXPECT_EQ(g.play.Score, 300);
    EXPECT_EQ(g.play.TimeLeft, 536);
}

TEST_F(GroupTest, TimeGainStopsAtAFullBar) {
    Build(3);
    g.play.TimeLeft = 990;
    StoneStep(g);
    EXPECT_EQ(g.play.TimeLeft, 1000);
}

TEST_F(GroupTest, APairStaysAndItsMarksAreCleared) {
    Build(3);
    RemoveStone(g, top);
    Stone(M - 60, 30, 4);
    StoneStep(g);
    EXPECT_TRUE(Present(hanging));
    EXPECT_TRUE(Present(shot));
    EXPECT_EQ(g.stones.StoneMotion[shot], 0);
    EXPECT_EQ(g.stones.StoneY[shot], 90);
    EXPECT_EQ(g.play.GroupSize, 1);
    EXPECT_EQ(g.play.Score, 0);
    for (int s = 1; s <= g.stones.StoneCount; ++s) EXPECT_EQ(g.stones.StoneMarked[s], 0) << s;
}

TEST_F(GroupTest, FlashStopsColourGroupsButNotTipHits) {
    Build(3);
    g.play.FlashFrames = 10;
    StoneStep(g);
    EXPECT_TRUE(Present(top));
    EXPECT_TRUE(Present(shot));
    EXPECT_EQ(g.play.Score, 0);
    // A shot into a tip still bursts.
    Stone(M + 120, 30, 6);
    const int tip = Shot(M + 120, 100, 1);
    StoneStep(g);
    EXPECT_FALSE(Present(tip));
    EXPECT_EQ(g.play.TimeLeft, 470);
}

TEST_F(GroupTest, PipePiecesNeverFormGroups) {
    Build(3);
    g.play.GameMode = kModePipe;
    StoneStep(g);
    EXPECT_TRUE(Present(top));
    EXPECT_TRUE(Present(hanging));
    EXPECT_EQ(g.stones.StoneMotion[shot], 0);
}

// A group found earlier in the step takes a later pair with it; without it the pair stays.
class CarriedGroupTest : public FieldTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CarriedGroupTest, GroupSizeCarriesOverToLaterStonesOfTheStep) {
    const bool groupFirst = GetParam();
    Anchors();
    Stone(M - 60, 30, 1);
    Stone(M - 30, 60, 1);
    Stone(M, 30, 5);
    Shot(M - 60, 100, groupFirst ? 1 : 7);
    Stone(M + 120, 30, 6);
    const int partner = Stone(M + 90, 60, 2);
    const int loose = Stone(M + 120, 95, 2);
    g.stones.StoneMotion[loose] = 2;
    StoneStep(g);
    EXPECT_EQ(g.stones.StoneY[loose], 90);
    EXPECT_EQ(Present(loose), !groupFirst);
    EXPECT_EQ(Present(partner), !groupFirst);
    EXPECT_EQ(g.play.Score, groupFirst ? 250 : 0);
}

INSTANTIATE_TEST_SUITE_P(Both, CarriedGroupTest, ::testing::Bool());

// ---------------------------------------------------------------- loose stones

TEST_F(StoneStepTest, StonesThatLoseTheirHoldRiseAndSetOffAChain) {
    Anchors();
    Stone(M, 30, 5);
    Stone(M + 60, 30, 5);
    Stone(M - 30, 60, 1);
    Stone(M, 90, 1);
    Shot(M - 60, 100, 1);
    // Hangs only from the group of colour 1; a later slot, so it is loose in the same step.
    const int hanger = Stone(M + 30, 120, 5);
    StoneStep(g);
    EXPECT_EQ(g.play.Score, 150);
    EXPECT_EQ(g.stones.StoneMotion[hanger], 2);
    EXPECT_EQ(g.stones.StoneY[hanger], 120);
    std::vector<int> ys;
    for (int i = 0; i < 11; ++i) {
        StoneStep(g);
        ys.push_back(g.stones.StoneY[hanger]);
    }
    EXPECT_EQ(ys.front(), 115);
    EXPECT_EQ(ys.back(), 65);
    EXPECT_TRUE(Present(hanger));
    StoneStep(g);  // reaches y 60 between the two stones of colour 5
    EXPECT_FALSE(Present(hanger));
    EXPECT_EQ(g.play.Score, 300);
    // Only the anchors are left.
    EXPECT_EQ(PresentCount(), 10);
}

TEST_F(StoneStepTest, AStoneBelowAnAnchorShowsItsSecondLook) {
    Anchors();
    const int s = Stone(M - 240, 30, 1);
    const int t = Stone(M - 210, 60, 1);
    StoneStep(g);
    EXPECT_EQ(g.stones.StoneLook[s], 2);
    EXPECT_EQ(g.stones.StoneLook[t], 1);
    EXPECT_EQ(g.stones.StoneMotion[t], 0);
}

// ---------------------------------------------------------------- top row

struct TopCase {
    int mode;
    int dx;  // column relative to the centre
    bool stays;
    int motion;  // after the step
    int timeLeft;
};

class TopRowTest : public FieldTest, public ::testing::WithParamInterface<TopCase> {};

TEST_P(TopRowTest, ReachingTheTopRow) {
    const TopCase c = GetParam();
    g.play.GameMode = c.mode;
    const int s = Shot(M + c.dx, 40, 2);
    StoneStep(g);
    EXPECT_EQ(Present(s), c.stays);
    if (c.stays) {
        EXPECT_EQ(g.stones.StoneMotion[s], c.motion);
    }
    EXPECT_EQ(g.play.TimeLeft, c.timeLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TopRowTest,
    ::testing::Values(TopCase{kModePuzzle, 60, true, 0, 500},   // on the lattice: stops
                      TopCase{kModePuzzle, 30, false, 0, 470},  // between columns: bursts
                      TopCase{kModeEndless, 30, true, 1, 500},  // rises on
                      TopCase{kModeEndless, -120, true, 0, 500}));

// ---------------------------------------------------------------- bottom line

struct BottomCase {
    int y;
    bool loaded;
    bool stays;
};

class BottomLineTest : public FieldTest, public ::testing::WithParamInterface<BottomCase> {};

TEST_P(BottomLineTest, RestingStonesBelowTheLineExplodeWithoutPoints) {
    const BottomCase c = GetParam();
    Stone(M - 30, c.y - 30, kAnchorColour);
    const int s = Stone(M, c.y, 1, kExtraBomb);
    if (c.loaded) g.cannon.LoadedStone = s;
    StoneStep(g);
    EXPECT_EQ(Present(s), c.stays);
    EXPECT_EQ(g.play.Score, 0);
    EXPECT_EQ(g.extras.ExtraType[1], 0);  // nothing falls out
}

INSTANTIATE_TEST_SUITE_P(Lines, BottomLineTest,
                         ::testing::Values(BottomCase{440, false, true},
                                           BottomCase{441, false, false},
                                           BottomCase{470, false, false},
                                           BottomCase{470, true, true}));

// The shot that stops below the line stays until the cannon has loaded the next stone.
TEST_F(StoneStepTest, ALowShotStaysUntilTheNextReload) {
    Anchors();
    Stone(M - 30, 440, 2);
    Stone(M - 60, 410, kAnchorColour);
    Stone(M + 240, 30, 4);
    g.input.MouseX = M;
    const int s = Shot(M, 480, 1);
    g.cannon.CannonLoad = 1;
    int reloadedAt = 0;
    for (int i = 1; i <= 40 && reloadedAt == 0; ++i) {
        Step();
        if (g.cannon.LoadedStone != s) reloadedAt = i;
        if (reloadedAt == 0) {
            ASSERT_TRUE(Present(s)) << i;
            EXPECT_EQ(g.stones.StoneY[s], 470);
        }
    }
    ASSERT_NE(reloadedAt, 0);
    EXPECT_FALSE(Present(s));
    EXPECT_EQ(g.play.Score, 0);
}

// ---------------------------------------------------------------- aim marker

TEST_F(StoneStepTest, AimTargetSitsBelowTheLowestStoneOfTheThreeColumns) {
    g.cannon.CannonTargetX = M;
    Stone(M, 90, 1);
    Stone(M + 30, 120, 1);
    Stone(M - 60, 300, 1);  // two columns away: ignored
    StoneStep(g);
    EXPECT_EQ(g.cannon.AimTargetY, 140);
    Stone(M - 30, 130, 2);
    StoneStep(g);
    EXPECT_EQ(g.cannon.AimTargetY, 150);
}

}  // namespace

// ---------------------------------------------------------------- the same rules on a match half

int matchPoints = 0;
void CountMatchPoints(Game&, int player, int, int, int amount) {
    if (player == 2) matchPoints += amount;
}

TEST_F(StoneStepTest, AMatchHalfPlaysTheSameRulesOnItsSmallerLattice) {
    constexpr int C = 620;  // the right field's centre
    g.stones.StoneCount = 200;
    FieldRules r = MatchFieldRules(C, 2, g.stones.StoneCount);
    r.addPoints = CountMatchPoints;
    CannonState cannon;
    int groupSize = 0, timeLeft = 500, shake = 0, doubleFrames = 0, flashFrames = 0;
    std::uint8_t fire = 0;
    const Side side{cannon,       groupSize,   timeLeft,         shake,
                    doubleFrames, flashFrames, {&fire, nullptr}, 2};
    for (int x = C - 180; x <= C + 180; x += 40) Stone(x, 0, kAnchorColour);
    const int top = Stone(C - 40, 20, 3);
    const int hanging = Stone(C - 20, 40, 3);
    const int otherHalf = Stone(200, 300, 3);  // loose in player 1's field
    g.stones.StoneMotion[otherHalf] = 2;
    const int low = Stone(C + 100, 470, 1);
    const int onLine = Stone(C + 100, 460, 1);
    const int s = AddStone(g, C - 40, 70, 3, 0);
    g.stones.StoneMotion[s] = 1;
    cannon.LoadedStone = s;
    matchPoints = 0;
    StoneStepFor(g, r, side);
    EXPECT_FALSE(Present(s));
    EXPECT_FALSE(Present(top));
    EXPECT_FALSE(Present(hanging));
    EXPECT_EQ(matchPoints, 150);
    EXPECT_EQ(timeLeft, 536);
    EXPECT_EQ(shake, 20);
    EXPECT_EQ(g.play.Score, 0);
    EXPECT_EQ(g.stones.StoneY[otherHalf], 300);
    EXPECT_FALSE(Present(low));
    EXPECT_TRUE(Present(onLine));
}
