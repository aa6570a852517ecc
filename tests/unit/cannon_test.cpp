#include <tuple>

#include "field_fixture.h"

namespace {

using CannonTest = FieldTest;

// A stone far up on the right keeps the field from counting as cleared.
class CannonField : public FieldTest {
  protected:
    CannonField() {
        Anchors();
        keeper = Stone(M + 240, 30, 4);
    }
    int keeper = 0;
    int Shots() const { return shots; }
    void StepCountingShots() {
        Step();
        if (Requested(sndSchies)) ++shots;
        ClearSounds();
    }
    int shots = 0;
};

// ---------------------------------------------------------------- aiming

using SnapCase = std::tuple<int, int>;  // mouse x, target column
class SnapTest : public CannonField, public ::testing::WithParamInterface<SnapCase> {};

TEST_P(SnapTest, MouseSnapsToTheColumnTowardsTheCentre) {
    const auto [mouseX, column] = GetParam();
    g.input.MouseX = mouseX;
    Step();
    EXPECT_EQ(g.cannon.CannonTargetX, column);
}

INSTANTIATE_TEST_SUITE_P(Columns, SnapTest,
                         ::testing::Values(SnapCase{360, 356}, SnapCase{300, 326},
                                           SnapCase{290, 296}, SnapCase{355, 326},
                                           SnapCase{297, 326}, SnapCase{386, 386},
                                           SnapCase{100, 116}));

TEST_F(CannonField, HeldKeyMovesOneColumnEveryFourStepsUpToTheEdge) {
    g.input.KeyRight = 1;
    std::vector<int> targets;
    for (int i = 0; i < 40; ++i) {
        Step();
        targets.push_back(g.cannon.CannonTargetX);
    }
    EXPECT_EQ(targets[0], M + 30);
    EXPECT_EQ(targets[3], M + 30);
    EXPECT_EQ(targets[4], M + 60);
    EXPECT_EQ(targets[8], M + 90);
    // The mouse x follows, so the next snap keeps the column.
    EXPECT_EQ(g.input.MouseX, g.cannon.CannonTargetX);
    EXPECT_EQ(targets.back(), M + 240);
    g.input.KeyRight = 0;
    g.input.KeyLeft = 1;
    Step();
    EXPECT_EQ(g.cannon.CannonTargetX, M + 210);
}

TEST_F(CannonField, CannonEasesAnEighthOfTheWayAndStopsAtItsRange) {
    g.cannon.CannonX = 350;
    g.cannon.CannonXf = 400.0;
    g.input.MouseX = M;
    Step();
    EXPECT_DOUBLE_EQ(g.cannon.CannonXf, 397.0);
    EXPECT_EQ(g.cannon.CannonX, 397);
    // A target beyond the range: the marker stays inside, the cannon stops at the edge.
    g.input.MouseX = 640;
    Step();
    EXPECT_EQ(g.cannon.CannonTargetX, 626);
    EXPECT_EQ(g.cannon.AimX, M + 240);
    for (int i = 0; i < 60; ++i) Step();
    EXPECT_EQ(g.cannon.CannonX, M + 240);
    EXPECT_EQ(g.cannon.CannonXf, M + 240);
}

TEST_F(CannonField, AimMarkerCreepsTowardsItsTargetAndStopsShort) {
    Stone(M, 150, 1);
    Stone(M - 30, 120, kAnchorColour);
    g.cannon.AimY = 0;
    Step();
    EXPECT_EQ(g.cannon.AimY, 0);  // the target is found by the stone step after the marker moved
    Step();
    EXPECT_EQ(g.cannon.AimY, 200 / 9);
    for (int i = 0; i < 100; ++i) Step();
    EXPECT_LE(200 - g.cannon.AimY, 8);
    EXPECT_GT(200 - g.cannon.AimY, 0);
    g.cannon.AimY = 600;
    g.cannon.AimTargetY = 600;
    Step();
    EXPECT_EQ(g.cannon.AimY, 520);
}

// ---------------------------------------------------------------- reload

TEST_F(CannonField, ReloadCyclesThroughThePresentColoursOnly) {
    Stone(M - 240, 30, 2);
    g.cannon.NeedReload = 1;
    g.cannon.NextColour = 4;
    std::vector<int> colours;
    for (int i = 0; i < 4; ++i) {
        g.cannon.NeedReload = 1;
        g.cannon.CannonLoad = 8;
        Step();
        colours.push_back(g.stones.StoneColour[g.cannon.LoadedStone]);
        EXPECT_EQ(g.stones.StoneY[g.cannon.LoadedStone], 500);
        RemoveStone(g, g.cannon.LoadedStone);
    }
    EXPECT_EQ(colours, (std::vector<int>{2, 4, 2, 4}));
}

struct NineCase {
    int level;
    bool nineSeen;
};
class ColourNineTest : public CannonField, public ::testing::WithParamInterface<NineCase> {};

TEST_P(ColourNineTest, AfterLevelTenOneReloadInTwentyGivesColourNine) {
    g.play.LevelNumber = GetParam().level;
    int nines = 0;
    const int reloads = 2000;
    for (int i = 0; i < reloads; ++i) {
        g.cannon.NeedReload = 1;
        g.cannon.CannonLoad = 8;
        Step();
        nines += g.stones.StoneColour[g.cannon.LoadedStone] == 9;
        RemoveStone(g, g.cannon.LoadedStone);
    }
    if (GetParam().nineSeen) {
        EXPECT_GT(nines, reloads / 20 / 2);
        EXPECT_LT(nines, reloads / 20 * 2);
    } else {
        EXPECT_EQ(nines, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, ColourNineTest,
                         ::testing::Values(NineCase{10, false}, NineCase{11, true}));

TEST_F(CannonTest, StonesFarAboveTheFieldDoNotCountForTheReloadWhichWaits) {
    g.play.GameMode = kModeEndless;
    g.play.EndlessOffset = -60;  // no slide
    Stone(M, -60, 3);
    g.cannon.NeedReload = 1;
    Step();
    // No colour to hand out: the cannon stays empty and tries again.
    EXPECT_EQ(g.cannon.NeedReload, 1);
    EXPECT_EQ(g.cannon.LoadedStone, 0);
    Stone(M + 60, -50, 6);
    Step();
    EXPECT_EQ(g.cannon.NeedReload, 0);
    ASSERT_NE(g.cannon.LoadedStone, 0);
    EXPECT_EQ(g.stones.StoneColour[g.cannon.LoadedStone], 6);
}

TEST_F(CannonTest, AStoneLoadedAboveTheScanBoundIsStillSeenByTheRules) {
    g.play.GameMode = kModeEndless;
    g.play.EndlessOffset = -60;
    g.stones.StoneCount = 304;
    // Every slot the rules look at is taken by the set.
    for (int s = 1; s <= 304; ++s) Stone(M - 270 + 60 * (s % 10), 30 + 10 * (s / 10), 2);
    g.cannon.NeedReload = 1;
    Step();
    EXPECT_EQ(g.cannon.LoadedStone, 305);
    EXPECT_EQ(g.stones.StoneCount, 305);
    g.input.MouseButtonDown = 1;
    Step();
    EXPECT_EQ(g.stones.StoneY[305], 490);
}

// ---------------------------------------------------------------- firing

TEST_F(CannonField, AMousePressFiresOnceButAHeldSpaceFiresAgain) {
    g.cannon.NeedReload = 1;
    g.input.MouseX = M - 60;
    g.input.MouseButtonDown = 1;
    for (int i = 0; i < 200; ++i) StepCountingShots();
    EXPECT_EQ(Shots(), 1);
    EXPECT_EQ(g.input.MouseButtonDown, 0);
    for (int i = 0; i < 200; ++i) {
        g.input.FireKey = 1;  // the keyboard poll sets it every tick while Space is down
        StepCountingShots();
    }
    EXPECT_GE(Shots(), 4);
}

TEST_F(CannonField, ThePanelNeverFires) {
    g.cannon.NeedReload = 1;
    g.input.MouseX = 650;
    for (int i = 0; i < 30; ++i) {
        g.input.MouseButtonDown = 1;
        StepCountingShots();
    }
    EXPECT_EQ(Shots(), 0);
    g.input.MouseX = 649;
    StepCountingShots();
    EXPECT_EQ(Shots(), 1);
}

TEST_F(CannonField, TheShotLeavesFromTheTargetColumnWhileTheCannonGlides) {
    g.cannon.NeedReload = 1;
    Step();
    const int s = g.cannon.LoadedStone;
    g.input.MouseX = M - 150;
    Step();
    EXPECT_EQ(g.stones.StoneX[s], g.cannon.CannonX);  // rides on the cannon
    EXPECT_NE(g.cannon.CannonX, M - 150);
    g.input.MouseButtonDown = 1;
    Step();
    EXPECT_EQ(g.stones.StoneMotion[s], 1);
    EXPECT_EQ(g.stones.StoneX[s], M - 150);
    EXPECT_EQ(g.stones.StoneY[s], 490);
    EXPECT_EQ(g.cannon.CannonLoad, 1);
    EXPECT_EQ(g.cannon.NothingFlying, 0);
    EXPECT_EQ(g.sound.SoundX[sndSchies], M - 150);
}

TEST_F(CannonField, NoSecondShotWhileOneFlies) {
    g.cannon.NeedReload = 1;
    Step();
    const int first = g.cannon.LoadedStone;
    g.input.MouseButtonDown = 1;
    Step();
    ASSERT_EQ(g.stones.StoneMotion[first], 1);
    // Even with a stone ready on the cannon, nothing leaves while the shot rises.
    g.cannon.LoadedStone = Stone(M, 500, 4);
    g.cannon.NeedReload = 0;
    g.input.MouseButtonDown = 1;
    Step();
    EXPECT_EQ(g.stones.StoneMotion[g.cannon.LoadedStone], 0);
    EXPECT_EQ(g.input.MouseButtonDown, 1);
}

TEST_F(CannonField, AShotTakenByAGroupInFlightDoesNotLeaveTheCannonWaiting) {
    g.cannon.NeedReload = 1;
    Step();
    const int shot = g.cannon.LoadedStone;
    g.input.MouseButtonDown = 1;
    Step();
    ASSERT_EQ(g.stones.StoneMotion[shot], 1);
    RemoveStone(g, shot);  // as when it passes a group's diagonal point as the group bursts
    for (int i = 0; i < 30; ++i) Step();
    EXPECT_EQ(g.cannon.NeedReload, 0);
    ASSERT_TRUE(Present(g.cannon.LoadedStone));
    EXPECT_EQ(g.stones.StoneY[g.cannon.LoadedStone], 500);
    EXPECT_EQ(g.stones.StoneMotion[g.cannon.LoadedStone], 0);
}

// ---------------------------------------------------------------- counting and Endless slide

struct SlideCase {
    int lowestY;
    int motion;
    int offset;
    bool slides;
};
class EndlessSlideTest : public CannonTest, public ::testing::WithParamInterface<SlideCase> {};

TEST_P(EndlessSlideTest, TheSetSlidesOnlyWhenStillAndHighAndNotYetDown) {
    const SlideCase c = GetParam();
    g.play.GameMode = kModeEndless;
    g.play.EndlessOffset = c.offset;
    const int anchor = Stone(M - 30, c.lowestY - 90, kAnchorColour);
    const int hold = Stone(M, c.lowestY - 60, 2);
    const int low = Stone(M, c.lowestY, 2);
    g.stones.StoneMotion[low] = c.motion;
    // The last shot, resting low in the field, is neither counted nor moved.
    const int shot = Stone(M + 120, 400, 3);
    g.cannon.LoadedStone = shot;
    g.cannon.NeedReload = 0;
    const int anchorY = g.stones.StoneY[anchor];
    Step();
    const int d = c.slides ? 10 : 0;
    EXPECT_EQ(g.stones.StoneY[anchor], anchorY + d);
    EXPECT_EQ(g.stones.StoneY[hold], c.lowestY - 60 + d);
    EXPECT_EQ(g.play.EndlessOffset, c.offset + d);
    EXPECT_EQ(g.stones.StoneY[shot], 400);
    EXPECT_EQ(g.play.StonesLeft, 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, EndlessSlideTest,
                         ::testing::Values(SlideCase{300, 0, -900, true},
                                           SlideCase{310, 0, -900, false},
                                           SlideCase{200, 2, -900, false},
                                           SlideCase{200, 0, -70, true},
                                           SlideCase{200, 0, -60, false}));

TEST_F(CannonTest, AFieldWhoseOnlyColouredStoneIsTheLastShotIsCleared) {
    Anchors();
    const int shot = Stone(M, 30, 3);
    g.cannon.LoadedStone = shot;
    g.cannon.NeedReload = 1;
    g.cannon.CannonLoad = 2;
    Step();
    EXPECT_EQ(g.play.StonesLeft, 0);
    EXPECT_EQ(g.play.LevelCleared, 1);
    EXPECT_EQ(g.play.ClearedTimer, 300);
    // A cleared field stops the cannon; only the shake runs down.
    g.play.ShakeFrames = 5;
    const int load = g.cannon.CannonLoad;
    Step();
    Step();
    EXPECT_EQ(g.play.ShakeFrames, 3);
    EXPECT_EQ(g.cannon.CannonLoad, load);
}

}  // namespace
