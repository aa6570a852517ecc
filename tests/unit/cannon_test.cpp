#include <tuple>
#include <vector>

#include "field_fixture.h"

namespace {

using CannonTest = FieldTest;

// Anchors and one stone far up on the right, so the field never counts as cleared.
class CannonField : public FieldTest {
  protected:
    CannonField() {
        Anchors();
        Stone(M + 240, 30, 4);
    }
    int shots = 0;
    void StepCountingShots() {
        Step();
        shots += Requested(sndSchies);
        ClearSounds();
    }
};

using SnapCase = std::tuple<int, int>;  // mouse x, target column
class SnapTest : public CannonField, public ::testing::WithParamInterface<SnapCase> {};

TEST_P(SnapTest, MouseSnapsToTheColumnTowardsTheCentre) {
    g.input.MouseX = std::get<0>(GetParam());
    Step();
    EXPECT_EQ(g.players[kSoloPlayer].cannon.CannonTargetX, std::get<1>(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Columns, SnapTest,
                         ::testing::Values(SnapCase{360, 356}, SnapCase{300, 326},
                                           SnapCase{290, 296}, SnapCase{355, 326},
                                           SnapCase{100, 116}));

TEST_F(CannonField, HeldKeyMovesOneColumnEveryFourStepsUpToTheEdge) {
    g.input.KeyRight = 1;
    std::vector<int> targets;
    for (int i = 0; i < 40; ++i) {
        Step();
        targets.push_back(g.players[kSoloPlayer].cannon.CannonTargetX);
    }
    EXPECT_EQ(targets[3], M + 30);
    EXPECT_EQ(targets[4], M + 60);
    EXPECT_EQ(targets.back(), M + 240);
    EXPECT_EQ(g.input.MouseX, M + 240);  // so the next snap keeps the column
}

TEST_F(CannonField, AMousePressFiresOnceButAHeldSpaceFiresAgain) {
    g.players[kSoloPlayer].cannon.NeedReload = 1;
    g.input.MouseX = 650;  // over the side panel: never fires
    g.input.MouseButtonDown = 1;
    for (int i = 0; i < 30; ++i) StepCountingShots();
    EXPECT_EQ(shots, 0);
    g.input.MouseX = M - 60;
    for (int i = 0; i < 200; ++i) StepCountingShots();
    EXPECT_EQ(shots, 1);
    for (int i = 0; i < 200; ++i) {
        g.input.FireKey = 1;  // the keyboard poll sets it every tick while Space is down
        StepCountingShots();
    }
    EXPECT_GE(shots, 5);
}

TEST_F(CannonField, TheShotLeavesFromTheTargetColumnWhileTheCannonGlides) {
    g.players[kSoloPlayer].cannon.NeedReload = 1;
    Step();
    const int s = g.players[kSoloPlayer].cannon.LoadedStone;
    g.input.MouseX = M - 150;
    Step();
    EXPECT_EQ(g.stones.StoneX[s],
              g.players[kSoloPlayer].cannon.CannonX);  // the waiting stone rides on the cannon
    g.input.MouseButtonDown = 1;
    Step();
    EXPECT_EQ(g.stones.StoneX[s], M - 150);
    EXPECT_EQ(g.stones.StoneY[s], 490);
    EXPECT_EQ(g.players[kSoloPlayer].cannon.CannonLoad, 1);
    EXPECT_EQ(g.input.MouseButtonDown, 0);
}

TEST_F(CannonField, ReloadCyclesThroughThePresentColours) {
    Stone(M - 240, 30, 2);
    g.players[kSoloPlayer].cannon.NextColour = 4;
    std::vector<int> colours;
    for (int i = 0; i < 4; ++i) {
        g.players[kSoloPlayer].cannon.NeedReload = 1;
        Step();
        colours.push_back(g.stones.StoneColour[g.players[kSoloPlayer].cannon.LoadedStone]);
        RemoveStone(g, g.players[kSoloPlayer].cannon.LoadedStone);
    }
    EXPECT_EQ(colours, (std::vector<int>{2, 4, 2, 4}));
}

class ColourNineTest : public CannonField, public ::testing::WithParamInterface<int> {};

TEST_P(ColourNineTest, AfterLevelTenOneReloadInTwentyGivesColourNine) {
    g.play.LevelNumber = GetParam();
    int nines = 0;
    for (int i = 0; i < 2000; ++i) {
        g.players[kSoloPlayer].cannon.NeedReload = 1;
        Step();
        nines += g.stones.StoneColour[g.players[kSoloPlayer].cannon.LoadedStone] == 9;
        RemoveStone(g, g.players[kSoloPlayer].cannon.LoadedStone);
    }
    if (GetParam() <= 10) {
        EXPECT_EQ(nines, 0);
    } else {
        EXPECT_GT(nines, 50);
        EXPECT_LT(nines, 200);
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, ColourNineTest, ::testing::Values(10, 11));

TEST_F(CannonTest, WithNoColourInViewTheReloadWaitsForALaterStep) {
    g.play.GameMode = kModeEndless;
    g.play.EndlessOffset = -60;
    Stone(M, -60, 3);
    g.players[kSoloPlayer].cannon.NeedReload = 1;
    Step();
    EXPECT_EQ(g.players[kSoloPlayer].cannon.NeedReload, 1);
    EXPECT_EQ(g.players[kSoloPlayer].cannon.LoadedStone, 0);
    Stone(M + 60, -50, 6);
    Step();
    EXPECT_EQ(g.players[kSoloPlayer].cannon.NeedReload, 0);
    EXPECT_EQ(g.stones.StoneColour[g.players[kSoloPlayer].cannon.LoadedStone], 6);
}

TEST_F(CannonField, AShotTakenByAGroupInFlightDoesNotLeaveTheCannonWaiting) {
    g.players[kSoloPlayer].cannon.NeedReload = 1;
    Step();
    const int shot = g.players[kSoloPlayer].cannon.LoadedStone;
    g.input.MouseButtonDown = 1;
    Step();
    RemoveStone(g, shot);  // as when it passes a group's diagonal point as the group bursts
    for (int i = 0; i < 30; ++i) Step();
    EXPECT_EQ(g.players[kSoloPlayer].cannon.NeedReload, 0);
    ASSERT_TRUE(Present(g.players[kSoloPlayer].cannon.LoadedStone));
    EXPECT_EQ(g.stones.StoneY[g.players[kSoloPlayer].cannon.LoadedStone], 500);
}

TEST_F(CannonTest, AStoneLoadedAboveTheScanBoundIsStillSeenByTheRules) {
    g.play.GameMode = kModeEndless;
    g.play.EndlessOffset = -60;
    g.stones.StoneCount = 304;
    for (int s = 1; s <= 304; ++s) Stone(M - 270 + 60 * (s % 10), 30 + 10 * (s / 10), 2);
    g.players[kSoloPlayer].cannon.NeedReload = 1;
    Step();
    EXPECT_EQ(g.players[kSoloPlayer].cannon.LoadedStone, 305);
    g.input.MouseButtonDown = 1;
    Step();
    EXPECT_EQ(g.stones.StoneY[305], 490);
}

struct SlideCase {
    int lowestY, motion, offset;
    bool slides;
};
class EndlessSlideTest : public CannonTest, public ::testing::WithParamInterface<SlideCase> {};

TEST_P(EndlessSlideTest, TheSetSlidesOnlyWhenStillAndHighAndNotYetDown) {
    const SlideCase c = GetParam();
    g.play.GameMode = kModeEndless;
    g.play.EndlessOffset = c.offset;
    const int anchor = Stone(M - 30, c.lowestY - 90, kAnchorColour);
    Stone(M, c.lowestY - 60, 2);
    g.stones.StoneMotion[Stone(M, c.lowestY, 2)] = c.motion;
    // The last shot, resting low in the field, is neither counted nor moved.
    const int shot = Stone(M + 120, 400, 3);
    g.players[kSoloPlayer].cannon.LoadedStone = shot;
    Step();
    const int d = c.slides ? 10 : 0;
    EXPECT_EQ(g.stones.StoneY[anchor], c.lowestY - 90 + d);
    EXPECT_EQ(g.play.EndlessOffset, c.offset + d);
    EXPECT_EQ(g.stones.StoneY[shot], 400);
    EXPECT_EQ(g.players[kSoloPlayer].StonesLeft, 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, EndlessSlideTest,
                         ::testing::Values(SlideCase{300, 0, -900, true},
                                           SlideCase{310, 0, -900, false},
                                           SlideCase{200, 2, -900, false},
                                           SlideCase{200, 0, -70, true},
                                           SlideCase{200, 0, -60, false}));

TEST_F(CannonTest, AFieldWhoseOnlyColouredStoneIsTheLastShotIsCleared) {
    Anchors();
    g.players[kSoloPlayer].cannon.LoadedStone = Stone(M, 30, 3);
    g.players[kSoloPlayer].cannon.NeedReload = 1;
    g.players[kSoloPlayer].cannon.CannonLoad = 2;
    Step();
    EXPECT_EQ(g.play.LevelCleared, 1);
    EXPECT_EQ(g.play.ClearedTimer, 300);
    // A cleared field stops the cannon; only the shake runs down.
    g.players[kSoloPlayer].ShakeFrames = 5;
    Step();
    EXPECT_EQ(g.players[kSoloPlayer].ShakeFrames, 4);
    EXPECT_EQ(g.players[kSoloPlayer].cannon.CannonLoad, 2);
}

}  // namespace
