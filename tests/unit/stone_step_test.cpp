#include <vector>

#include "field_fixture.h"
#include "playfield/field_rules.h"

namespace {

using StoneStepTest = FieldTest;

struct TipCase {
    int motion;  // 1 shot, 2 loose stone
    int timeBefore, timeAfter;
};
class TipHitTest : public FieldTest, public ::testing::WithParamInterface<TipCase> {};

TEST_P(TipHitTest, RisingStoneUnderATipBurstsAndOnlyAShotCostsTime) {
    const TipCase c = GetParam();
    Anchors();
    const int above = Stone(M, 30, 2);
    const int s = Shot(M, 100, 1);
    g.stones.StoneMotion[s] = c.motion;
    g.stones.StoneExtra[s] = kExtraClock;
    g.players[kSoloPlayer].TimeLeft = c.timeBefore;
    StoneStep(g);
    if (c.motion == 2) StoneStep(g);  // a loose stone needs two steps to y 90
    EXPECT_FALSE(Present(s));
    EXPECT_TRUE(Present(above));
    EXPECT_EQ(g.players[kSoloPlayer].TimeLeft, c.timeAfter);
    EXPECT_EQ(g.players[kSoloPlayer].cannon.NeedReload, 1);
    EXPECT_EQ(g.extras.ExtraType[1], kExtraClock);  // its extra falls out
}

INSTANTIATE_TEST_SUITE_P(Costs, TipHitTest,
                         ::testing::Values(TipCase{1, 500, 470}, TipCase{1, 20, 0},
                                           TipCase{2, 500, 500}));

// Two stones of colour 3 hang from the top row; a shot arrives beside the lower one.
struct GroupCase {
    int shotColour, topColour, mode, doubleFrames, flashFrames;
    int score, timeLeft;
};
class GroupTest : public FieldTest, public ::testing::WithParamInterface<GroupCase> {};

TEST_P(GroupTest, ThreeOfAColourBurstForPointsAndTime) {
    const GroupCase c = GetParam();
    g.play.GameMode = c.mode;
    g.players[kSoloPlayer].DoubleFrames = c.doubleFrames;
    g.players[kSoloPlayer].FlashFrames = c.flashFrames;
    Anchors();
    const int top = Stone(M - 60, 30, c.topColour);
    const int hanging = Stone(M - 30, 60, 3);
    Stone(M, 30, 5);
    const int shot = Shot(M - 60, 100, c.shotColour);
    StoneStep(g);
    const bool burst = c.score > 0;
    EXPECT_EQ(Present(top), !burst);
    EXPECT_EQ(Present(hanging), !burst);
    EXPECT_EQ(Present(shot), !burst);
    EXPECT_EQ(g.players[kSoloPlayer].Score, c.score);
    EXPECT_EQ(g.players[kSoloPlayer].TimeLeft, c.timeLeft);
    EXPECT_EQ(g.players[kSoloPlayer].ShakeFrames, burst ? 20 : 0);
    for (int s = 1; s <= g.stones.StoneCount; ++s)
        EXPECT_FALSE(Present(s) && g.stones.StoneMarked[s]);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupTest,
    ::testing::Values(GroupCase{3, 3, kModePuzzle, 0, 0, 150, 536},
                      GroupCase{3, 3, kModePuzzle, 9, 0, 300, 536},  // X2
                      GroupCase{3, 4, kModePuzzle, 0, 0, 0, 500},    // a pair only
                      GroupCase{3, 3, kModePuzzle, 0, 9, 0, 500},    // flash
                      GroupCase{3, 3, kModePipe, 0, 0, 0, 500}));    // pieces never group

TEST_F(StoneStepTest, FlashStillLetsTipHitsBurst) {
    g.players[kSoloPlayer].FlashFrames = 10;
    Anchors();
    Stone(M, 30, 6);
    const int s = Shot(M, 100, 6);
    StoneStep(g);
    EXPECT_FALSE(Present(s));
    EXPECT_EQ(g.players[kSoloPlayer].TimeLeft, 470);
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
    EXPECT_EQ(Present(loose), !groupFirst);
    EXPECT_EQ(Present(partner), !groupFirst);
    EXPECT_EQ(g.players[kSoloPlayer].Score, groupFirst ? 250 : 0);
}

INSTANTIATE_TEST_SUITE_P(Both, CarriedGroupTest, ::testing::Bool());

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
    EXPECT_EQ(g.players[kSoloPlayer].Score, 150);
    EXPECT_EQ(g.stones.StoneMotion[hanger], 2);
    std::vector<int> ys;
    for (int i = 0; i < 11; ++i) {
        StoneStep(g);
        ys.push_back(g.stones.StoneY[hanger]);
    }
    EXPECT_EQ(ys.front(), 115);
    EXPECT_EQ(ys.back(), 65);
    StoneStep(g);  // reaches y 60 between the two stones of colour 5
    EXPECT_FALSE(Present(hanger));
    EXPECT_EQ(g.players[kSoloPlayer].Score, 300);
    EXPECT_EQ(PresentCount(), 10);  // only the anchors are left
}

struct TopCase {
    int mode, dx;
    bool stays;
    int motion, timeLeft;
};
class TopRowTest : public FieldTest, public ::testing::WithParamInterface<TopCase> {};

TEST_P(TopRowTest, ReachingTheTopRow) {
    const TopCase c = GetParam();
    g.play.GameMode = c.mode;
    const int s = Shot(M + c.dx, 40, 2);
    StoneStep(g);
    EXPECT_EQ(Present(s), c.stays);
    EXPECT_EQ(g.stones.StoneMotion[s], c.motion);
    EXPECT_EQ(g.players[kSoloPlayer].TimeLeft, c.timeLeft);
}

INSTANTIATE_TEST_SUITE_P(Modes, TopRowTest,
                         ::testing::Values(TopCase{kModePuzzle, 60, true, 0, 500},
                                           TopCase{kModePuzzle, 30, false, 1, 470},
                                           TopCase{kModeEndless, 30, true, 1, 500}));

struct BottomCase {
    int y;
    bool loaded, stays;
};
class BottomLineTest : public FieldTest, public ::testing::WithParamInterface<BottomCase> {};

TEST_P(BottomLineTest, RestingStonesBelowTheLineBurstWithoutPointsOrExtra) {
    const BottomCase c = GetParam();
    Stone(M - 30, c.y - 30, kAnchorColour);
    const int s = Stone(M, c.y, 1, kExtraBomb);
    if (c.loaded) g.players[kSoloPlayer].cannon.LoadedStone = s;
    StoneStep(g);
    EXPECT_EQ(Present(s), c.stays);
    EXPECT_EQ(g.players[kSoloPlayer].Score, 0);
    EXPECT_EQ(g.extras.ExtraType[1], 0);
}

INSTANTIATE_TEST_SUITE_P(Lines, BottomLineTest,
                         ::testing::Values(BottomCase{440, false, true},
                                           BottomCase{441, false, false},
                                           BottomCase{470, true, true}));

TEST_F(StoneStepTest, ALowShotStaysUntilTheNextReload) {
    Anchors();
    Stone(M - 30, 440, 2);
    Stone(M - 60, 410, kAnchorColour);
    const int s = Shot(M, 480, 1);
    g.players[kSoloPlayer].cannon.CannonLoad = 1;
    int steps = 0;
    while (g.players[kSoloPlayer].cannon.LoadedStone == s && steps < 40) {
        ASSERT_TRUE(Present(s));
        Step();
        ++steps;
    }
    EXPECT_GT(steps, 20);
    EXPECT_FALSE(Present(s));
}

// The same rules on one half of the match: 20 px lattice, its own bottom line and state.
TEST_F(StoneStepTest, AMatchHalfPlaysTheSameRulesOnItsSmallerLattice) {
    constexpr int C = 620;
    FieldRules r = MatchFieldRules(C, 2, g.stones.StoneCount);
    CannonState& cannon = g.players[2].cannon;
    g.players[2].TimeLeft = 500;
    for (int x = C - 180; x <= C + 180; x += 40) Stone(x, 0, kAnchorColour);
    const int top = Stone(C - 40, 20, 3);
    Stone(C - 20, 40, 3);
    const int otherHalf = Stone(200, 300, 3);
    g.stones.StoneMotion[otherHalf] = 2;
    const int low = Stone(C + 100, 470, 1);
    const int onLine = Stone(C + 100, 460, 1);
    cannon.LoadedStone = AddStone(g, C - 40, 70, 3, 0);
    g.stones.StoneMotion[cannon.LoadedStone] = 1;
    StoneStepFor(g, r, TurnOf(g, 2));
    EXPECT_FALSE(Present(top));
    EXPECT_EQ(g.players[2].Score, 150);
    EXPECT_EQ(g.players[2].TimeLeft, 536);
    EXPECT_EQ(g.players[kSoloPlayer].Score, 0);
    EXPECT_EQ(g.stones.StoneY[otherHalf], 300);  // player 1's stones wait for player 1's turn
    EXPECT_FALSE(Present(low));
    EXPECT_TRUE(Present(onLine));
}

}  // namespace
