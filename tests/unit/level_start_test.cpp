// Level files, the Puzzle and Endless builders, and the level start with its resume, loaded-game
// and missing-file forms.
#include "modes/level_start.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "core/mode_facts.h"
#include "crafted_level.h"
#include "modes/level_file.h"
#include "playfield/tables.h"
#include "test_support.h"

namespace {

// Colour 1 at cells 14 and 24, colour 2 with a bomb at cell 26.
const std::map<int, std::pair<int, int>> kSmall = {{14, {0, 0}}, {24, {0, 0}}, {26, {1, 2}}};

int PresentStones(const Game& g) {
    return static_cast<int>(std::count(g.stones.StoneState.begin(), g.stones.StoneState.end(), 1));
}

TEST(LevelFiles, PuzzleNamesCarryTheNumberWithoutLeadingZeros) {
    EXPECT_EQ(LevelFilePath(FactsOfMode(kModePuzzle), 9), "res\\Levelz\\lvl009.lvl");
    EXPECT_EQ(LevelFilePath(FactsOfMode(kModePuzzle), 10), "res\\Levelz\\lvl0010.lvl");
    EXPECT_EQ(LevelFilePath(FactsOfMode(kModePipe), 26), "res\\Levelz\\pipelev26.lvl");
    EXPECT_EQ(LevelFilePath(FactsOfMode(kModeEndless), 3), "");
}

TEST(PuzzleField, CellsBecomeStonesInCellOrderBelowTheCeiling) {
    CraftedRes res;
    std::map<int, std::pair<int, int>> cells;
    for (int k = 0; k < 10; ++k) cells[k] = {3, 0};  // the top row never yields stones
    cells[10] = {8, 0};
    cells[11] = {9, 0};
    cells[13] = {2, 4};
    cells[200] = {7, 0};
    res.Write("lvl001.lvl", cells);
    TestGame t(res.Dir());
    Game& g = t.game;
    ASSERT_TRUE(StartLevel(g, g.env, 1, kModePuzzle, 1, true));
    const StoneTable& st = g.stones;
    EXPECT_EQ(st.StoneCount, 200);
    for (int s = 1; s <= 10; ++s) {
        EXPECT_EQ(std::make_tuple(st.StoneX[s], st.StoneY[s], st.StoneColour[s]),
                  std::make_tuple(56 + 60 * (s - 1), 0, kAnchorColour));
    }
    // Codes 8 and 9 both give anchors; 8 is written back as 9. Rows of 9 are shifted 30 px.
    EXPECT_EQ(std::make_tuple(st.StoneX[11], st.StoneY[11], st.StoneColour[11]),
              std::make_tuple(86, 30, kAnchorColour));
    EXPECT_EQ(g.level.LevelCell[10], 9);
    EXPECT_EQ(st.StoneColour[12], kAnchorColour);
    EXPECT_EQ(std::make_tuple(st.StoneX[13], st.StoneColour[13], st.StoneExtra[13]),
              std::make_tuple(266, 3, 4));
    EXPECT_EQ(std::make_tuple(st.StoneX[14], st.StoneY[14], st.StoneColour[14]),
              std::make_tuple(86, 630, 8));
    EXPECT_EQ(PresentStones(g), 14);
}

// Record counts: a missing file, a short one, and a longer one that is read up to record 220.
class LevelFileLength : public ::testing::TestWithParam<int> {};

TEST_P(LevelFileLength, AnUnreadableLevelLeavesTheGameAsItWasAndTellsThePlayer) {
    const int records = GetParam();
    CraftedRes res;
    res.Write("lvl002.lvl", kSmall);
    if (records > 0) res.Write("lvl003.lvl", kSmall, records);
    TestGame t(res.Dir());
    Game& g = t.game;
    ASSERT_TRUE(StartLevel(g, g.env, 2, kModePuzzle, 1, 0));
    g.players[kSoloPlayer].Score = 1234;
    const int stones = PresentStones(g);
    // The level end of level 2 asks for level 3.
    const bool readable = records >= 221;
    EXPECT_EQ(StartLevel(g, g.env, 3, kModePuzzle, 1, 0), readable);
    CarryOutRequests(g);
    EXPECT_EQ(g.play.LevelNumber, readable ? 3 : 2);
    if (readable) return;
    ASSERT_EQ(t.platform.messages.size(), 1u);
    EXPECT_NE(t.platform.messages[0].find("Levelz/lvl003.lvl"), std::string::npos);
    EXPECT_EQ(g.shell.ScreenId, kScreenMainMenu);
    EXPECT_EQ(g.shell.GameInProgress, 2);  // it can still be resumed or saved
    EXPECT_EQ(g.players[kSoloPlayer].Score, 1234);
    EXPECT_EQ(PresentStones(g), stones);
}

INSTANTIATE_TEST_SUITE_P(Records, LevelFileLength, ::testing::Values(0, 220, 300));

using ScoreCase = std::tuple<int, int, bool>;  // level, lap, a new game
class LevelStartScore : public ::testing::TestWithParam<ScoreCase> {};

TEST_P(LevelStartScore, OnlyLevelOneOfLapOneStartsFromNothing) {
    const auto [level, lap, fresh] = GetParam();
    CraftedRes res;
    res.Write("lvl00" + std::to_string(level) + ".lvl", kSmall);
    TestGame t(res.Dir());
    Game& g = t.game;
    g.players[kSoloPlayer].Score = 4000;
    g.players[kSoloPlayer].TimeLeft = 321;
    ASSERT_TRUE(StartLevel(g, g.env, level, kModePuzzle, lap, 0));
    EXPECT_EQ(g.players[kSoloPlayer].Score, fresh ? 0 : 4000);
    EXPECT_EQ(g.players[kSoloPlayer].TimeLeft, fresh ? 500 : 321);
    EXPECT_EQ(g.level.LevelStartTime, g.players[kSoloPlayer].TimeLeft);
    EXPECT_EQ(g.play.LapNumber, lap);
    EXPECT_EQ(g.shell.ScreenId, kScreenGame);
}

INSTANTIATE_TEST_SUITE_P(Starts, LevelStartScore,
                         ::testing::Values(ScoreCase{1, 1, true}, ScoreCase{2, 1, false},
                                           ScoreCase{1, 2, false}));

TEST(LevelStart, ResumeKeepsTheFieldAndGivesTheCannonANewStone) {
    CraftedRes res;
    res.Write("lvl007.lvl", kSmall);
    TestGame t(res.Dir());
    Game& g = t.game;
    ASSERT_TRUE(StartLevel(g, g.env, 7, kModePuzzle, 2, true));
    g.players[kSoloPlayer].cannon.LoadedStone = AddStone(g, 350, 500, 1, 0);
    AddEffect(g, 100, 100, kEffectFlash, 0);
    g.players[kSoloPlayer].TimeLeft = 432;
    const StoneTable before = g.stones;
    g.shell.GameInProgress = 2;
    ASSERT_TRUE(StartLevel(g, g.env, ResumeStart(false)));
    EXPECT_EQ(g.stones.StoneState, before.StoneState);
    EXPECT_EQ(g.stones.StoneY, before.StoneY);
    EXPECT_EQ(g.effects.EffectKind[1], 1);
    EXPECT_EQ(
        std::make_tuple(g.play.LevelNumber, g.play.LapNumber, g.players[kSoloPlayer].TimeLeft),
        std::make_tuple(7, 2, 432));
    EXPECT_EQ(g.players[kSoloPlayer].cannon.LoadedStone, 0);
    EXPECT_EQ(g.shell.GameInProgress, 1);
}

TEST(LevelStart, LoadedGameRestartsItsLevelWithTheSavedScoreAndTime) {
    CraftedRes res;
    res.Write("lvl0012.lvl", kSmall);
    TestGame t(res.Dir());
    Game& g = t.game;
    LevelStartRequest slot = NewLevelStart(12, kModePuzzle, 3, true);
    slot.kind = LevelStartKind::kLoaded;
    slot.score = 7000;
    slot.time = 640;
    ASSERT_TRUE(StartLevel(g, g.env, slot));
    EXPECT_EQ(std::make_tuple(g.play.LevelNumber, g.play.LapNumber, g.players[kSoloPlayer].Score,
                              g.players[kSoloPlayer].TimeLeft),
              std::make_tuple(12, 3, 7000, 640));
    EXPECT_EQ(PresentStones(g), 13);
}

TEST(LevelStart, APuzzleCellCodeAboveTheAnchorsMarksTheFileDamaged) {
    CraftedRes res;
    res.Write("lvl001.lvl", {{0, {55, 0}}, {14, {0, 0}}});  // the top row is never built
    res.Write("lvl002.lvl", {{14, {0, 0}}, {200, {10, 0}}});
    TestGame t(res.Dir());
    EXPECT_TRUE(StartLevel(t.game, t.game.env, 1, kModePuzzle, 1, 0));
    EXPECT_FALSE(StartLevel(t.game, t.game.env, 2, kModePuzzle, 1, 0));
    CarryOutRequests(t.game);
    EXPECT_EQ(t.platform.messages.size(), 1u);
}

TEST(LevelStart, ASavedGameNamingNoModeIsRefused) {
    TestGame t;
    Game& g = t.game;
    g.shell.ScreenId = kScreenLoad;
    LevelStartRequest slot = NewLevelStart(1, 0, 1, true);
    slot.kind = LevelStartKind::kLoaded;
    EXPECT_FALSE(StartLevel(g, g.env, slot));
    CarryOutRequests(g);
    EXPECT_EQ(g.shell.ScreenId, kScreenMainMenu);
    EXPECT_EQ(t.platform.messages.size(), 1u);
}

class EndlessSet : public ::testing::TestWithParam<int> {};

TEST_P(EndlessSet, BandsHoldTheirNumberOfColoursAboveTheVisibleField) {
    const int set = GetParam();
    TestGame t;
    Game& g = t.game;
    ASSERT_TRUE(StartLevel(g, g.env, set, kModeEndless, 1, 0));
    const StoneTable& st = g.stones;
    EXPECT_EQ(st.StoneCount, 304);
    EXPECT_EQ(g.play.EndlessOffset, -900);
    EXPECT_EQ(PresentStones(g), 285);
    const int d = std::min(set - 1, 3);
    int middleMax = 0;
    for (int k = 29; k <= 303; ++k) {  // cell k is in slot k - 18, after the ten anchors
        const int colour = st.StoneColour[k - 18];
        const int colours = k <= 100 ? d + 2 : k <= 200 ? d + 5 : k <= 300 ? d + 4 : d + 3;
        ASSERT_TRUE(colour >= 1 && colour <= colours) << "cell " << k;
        if (k > 100 && k <= 200) middleMax = std::max(middleMax, colour);
    }
    EXPECT_EQ(middleMax, d + 5);  // a hundred draws practically always reach the top colour
    EXPECT_EQ(std::make_tuple(st.StoneY[1], st.StoneY[11], st.StoneY[285]),
              std::make_tuple(-840, -810, 30));
}

INSTANTIATE_TEST_SUITE_P(Sets, EndlessSet, ::testing::Values(1, 2, 4, 9));

}  // namespace
