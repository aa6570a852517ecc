#include "playfield/tables.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

TEST(StoneTable, AddFillsLowestFreeSlotAndDoesNotRevisitFreedSlots) {
    TestGame t;
    Game& g = t.game;
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(AddStone(g, 0, 0, 1, 0), i);
    g.stones.StoneCursor = 0;
    RemoveStone(g, 3);
    EXPECT_EQ(AddStone(g, 0, 0, 1, 0), 3);
    EXPECT_EQ(AddStone(g, 0, 0, 1, 0), 6);
    RemoveStone(g, 6);  // freed in the same step: the cursor has passed it
    EXPECT_EQ(AddStone(g, 0, 0, 1, 0), 7);
}

TEST(StoneTable, FullTableReusesLastSlot) {
    TestGame t;
    Game& g = t.game;
    for (int i = 1; i <= kMaxStones; ++i) AddStone(g, i, 0, 1, 0);
    EXPECT_EQ(AddStone(g, 7, 7, 2, 0), kMaxStones);
    EXPECT_EQ(AddStone(g, 8, 8, 3, 0), kMaxStones);
    EXPECT_EQ(g.stones.StoneX[kMaxStones], 8);
    g.stones.StoneCursor = 0;
    EXPECT_EQ(AddStone(g, 9, 9, 3, 0), kMaxStones);
}

TEST(StoneTable, RemoveKeepsPositionUntilReused) {
    TestGame t;
    Game& g = t.game;
    const int s = AddStone(g, 100, 200, 4, 6);
    g.stones.StoneMarked[s] = 1;
    RemoveStone(g, s);
    EXPECT_EQ(g.stones.StoneState[s], 0);
    EXPECT_EQ(g.stones.StoneColour[s], 0);
    EXPECT_EQ(g.stones.StoneX[s], 100);
    EXPECT_EQ(g.stones.StoneExtra[s], 6);
    EXPECT_EQ(g.stones.StoneMarked[s], 1);
    g.stones.StoneCursor = 0;
    AddStone(g, 1, 2, 3, 0);
    EXPECT_EQ(g.stones.StoneMarked[s], 0);
    EXPECT_EQ(g.stones.StoneExtra[s], 0);
    RemoveStone(g, kRemoveAll);
    EXPECT_EQ(g.stones.StoneState[s], 0);
}

struct AgeCase {
    int request;
    int colour;
    int lifeSteps;  // steps until the slot is free, starting on an odd FrameCounter
};

class EffectAgeing : public ::testing::TestWithParam<AgeCase> {};

TEST_P(EffectAgeing, FreedAfterItsFrames) {
    TestGame t;
    Game& g = t.game;
    AddEffect(g, 300, 300, GetParam().request, GetParam().colour);
    int steps = 0;
    g.shell.FrameCounter = 1;
    while (g.effects.EffectKind[1] != 0 && steps < 100) {
        ++g.shell.FrameCounter;
        EffectStep(g);
        ++steps;
    }
    EXPECT_EQ(steps, GetParam().lifeSteps);
}

// Flash: 10 frames, freed on step 11. Debris ages on even frames only: 20 frames, freed on its
// 21st even step. Smoke starts at frame 4. A sparkle of colour 1 is kind 2 and ages like debris;
// colour 7 is kind 8 and is freed on its 17th step.
INSTANTIATE_TEST_SUITE_P(Kinds, EffectAgeing,
                         ::testing::Values(AgeCase{kEffectFlash, 0, 11},
                                           AgeCase{kEffectDebris, 1, 41},
                                           AgeCase{kEffectSmoke, 0, 33},
                                           AgeCase{kEffectSparkle, 7, 17}));

TEST(Effects, SparkleOfColourOneAgesLikeDebris) {
    TestGame t;
    Game& g = t.game;
    AddEffect(g, 300, 300, kEffectSparkle, 1);
    EXPECT_EQ(g.effects.EffectKind[1], 2);
    EXPECT_EQ(g.effects.EffectW[1], 16);
    EXPECT_EQ(g.effects.EffectColour[1], 1);
    EXPECT_GE(g.effects.EffectVx[1], -1);
    EXPECT_LE(g.effects.EffectVx[1], 1);
}

TEST(Effects, OffScreenEffectIsFreedAtOnce) {
    TestGame t;
    Game& g = t.game;
    AddEffect(g, 800 + 18, 300, kEffectFlash, 0);  // left edge 801 > 800
    AddEffect(g, 800 + 17, 300, kEffectFlash, 0);  // left edge 800: still on
    AddEffect(g, 300, -19, kEffectFlash, 0);       // bottom edge -1 < 0
    EffectStep(g);
    EXPECT_EQ(g.effects.EffectKind[1], 0);
    EXPECT_EQ(g.effects.EffectKind[2], 1);
    EXPECT_EQ(g.effects.EffectKind[3], 0);
}

TEST(FloatingText, RisesFromHundredToFortyAndStays) {
    TestGame t;
    Game& g = t.game;
    AddFloatingText(g, 100, 100, "50");
    std::vector<int> ys;
    for (int i = 0; i < 30; ++i) {
        FloatingTextStep(g);
        ys.push_back(g.floatingTexts.TextY[1]);
    }
    const std::vector<int> head = {95, 90, 86, 82, 78, 74, 70, 67};
    EXPECT_EQ(std::vector<int>(ys.begin(), ys.begin() + 8), head);
    EXPECT_EQ(ys.back(), 40);
    EXPECT_EQ(g.floatingTexts.TextLife[1], 0);
    // Every step queued the number, centred, colour cycling 1..3.
    ASSERT_EQ(g.text.calls.size(), 30u);
    EXPECT_EQ(g.text.calls[0].text, "50");
    EXPECT_EQ(g.text.calls[0].align, 3);
}

}  // namespace
