// Level files, the lattice, the Puzzle and Endless builders and the level start with its resume,
// loaded-game and missing-file forms.
#include "modes/level_start.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "crafted_level.h"
#include "modes/endless.h"
#include "modes/level_file.h"
#include "playfield/tables.h"
#include "test_support.h"

namespace {

// Two stones of colour 1 diagonally under each other, one of colour 2 with a bomb.
CraftedLevel SmallLevel() {
    CraftedLevel level;
    level.Put(14, 0).Put(24, 0).Put(26, 1, 2);
    return level;
}

int PresentStones(const Game& g) {
    int n = 0;
    for (int s = 1; s <= kMaxStones; ++s) n += g.stones.StoneState[s] > 0 ? 1 : 0;
    return n;
}

using NameCase = std::tuple<int, int, const char*>;
class LevelFileNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(LevelFileNames, NumberWithoutLeadingZerosAfterTheFixedPrefix) {
    const auto [mode, level, expected] = GetParam();
    EXPECT_EQ(mode == kModePuzzle ? PuzzleLevelPath(level) : PipeLevelPath(level), expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, LevelFileNames,
                         ::testing::Values(NameCase{kModePuzzle, 1, "res\\Levelz\\lvl001.lvl"},
                                           NameCase{kModePuzzle, 9, "res\\Levelz\\lvl009.lvl"},
                                           NameCase{kModePuzzle, 10, "res\\Levelz\\lvl0010.lvl"},
                                           NameCase{kModePuzzle, 50, "res\\Levelz\\lvl0050.lvl"},
                                           NameCase{kModePipe, 7, "res\\Levelz\\pipelev7.lvl"},
                                           NameCase{kModePipe, 26, "res\\Levelz\\pipelev26.lvl"}));

using CellCase = std::tuple<int, int, int, int>;  // top, cell, x, y
class Lattice : public ::testing::TestWithParam<CellCase> {};

TEST_P(Lattice, RowsOfTenAndNineWithTheShortRowsShifted) {
    const auto [top, cell, x, y] = GetParam();
    LatticeWalk walk(326, top);
    for (int k = 0; k <= cell; ++k) walk.Next();
    EXPECT_EQ(walk.X(), x);
    EXPECT_EQ(walk.Y(), y);
}

INSTANTIATE_TEST_SUITE_P(Cells, Lattice,
                         ::testing::Values(CellCase{0, 0, 56, 0}, CellCase{0, 9, 596, 0},
                                           CellCase{0, 10, 86, 30}, CellCase{0, 18, 566, 30},
                                           CellCase{0, 19, 56, 60}, CellCase{0, 24, 356, 60},
                                           CellCase{0, 200, 86, 630}, CellCase{-900, 29, 86, -810},
                                           CellCase{-900, 303, 566, 30},
                                           CellCase{-900, 304, 56, 60}));

TEST(PuzzleField, CellsBecomeStonesInCellOrderBelowTheCeiling) {
    CraftedRes res;
    CraftedLevel level;
    for (int k = 0; k < 10; ++k) level.Put(k, 3);  // the top row never yields stones
    level.Put(10, 8).Put(11, 9).Put(12, -1).Put(13, 2, 4).Put(15, 5, -3).Put(200, 7);
    res.Write("lvl001.lvl", level);
    TestGame t(res.Dir());
    Game& g = t.game;
    ASSERT_TRUE(StartLevel(g, 1, kModePuzzle, 1, kRestartMusic));
    const StoneTable& st = g.stones;
    EXPECT_EQ(st.StoneCount, 200);
    for (int s = 1; s <= 10; ++s) {
        EXPECT_EQ(st.StoneX[s], 56 + 60 * (s - 1));
        EXPECT_EQ(st.StoneY[s], 0);
        EXPECT_EQ(st.StoneColour[s], kAnchorColour);
    }
    // Codes 8 and 9 both give anchors; 8 is written back as 9.
    EXPECT_EQ(st.StoneColour[11], kAnchorColour);
    EXPECT_EQ(st.StoneX[11], 86);
    EXPECT_EQ(g.level.LevelCell[10], 9);
    EXPECT_EQ(st.StoneColour[12], kAnchorColour);
    EXPECT_EQ(st.StoneX[12], 146);
    EXPECT_EQ(st.StoneX[13], 266);
    EXPECT_EQ(st.StoneColour[13], 3);
    EXPECT_EQ(st.StoneExtra[13], 4);
    EXPECT_EQ(st.StoneColour[14], 6);
    EXPECT_EQ(st.StoneX[15], 86);
    EXPECT_EQ(st.StoneY[15], 630);
    EXPECT_EQ(st.StoneColour[15], 8);
    EXPECT_EQ(PresentStones(g), 15);
}

// Record counts: a missing file (0), short files, exactly 221, and a longer one read up to 220.
class LevelFileLength : public ::testing::TestWithParam<int> {};

TEST_P(LevelFileLength, ShortOrMissingFileLeavesTheGameAndTellsThePlayer) {
    const int records = GetParam();
    const bool readable = records >= 221;
    CraftedRes res;
    res.Write("lvl002.lvl", SmallLevel());
    if (records > 0) res.Write("lvl003.lvl", SmallLevel(), records);
    TestGame t(res.Dir());
    Game& g = t.game;
    ASSERT_TRUE(StartLevel(g, 2, kModePuzzle, 1, 0));
    g.play.Score = 1234;
    g.play.TimeLeft = 678;
    const int stonesBefore = PresentStones(g);
    g.shell.ScreenId = kScreenGame;  // the level end of level 2 asks for level 3

    EXPECT_EQ(StartLevel(g, 3, kModePuzzle, 1, 0), readable);
    if (readable) {
        EXPECT_EQ(g.play.LevelNumber, 3);
        EXPECT_EQ(g.shell.ScreenId, kScreenGame);
        EXPECT_TRUE(t.platform.messages.empty());
        return;
    }
    ASSERT_EQ(t.platform.messages.size(), 1u);
    EXPECT_NE(t.platform.messages[0].find("Levelz/lvl003.lvl"), std::string::npos);
    EXPECT_EQ(g.shell.ScreenId, kScreenMainMenu);
    EXPECT_EQ(g.shell.GameInProgress, 2);  // the game can still be resumed or saved
    EXPECT_EQ(g.play.LevelNumber, 2);
    EXPECT_EQ(g.play.Score, 1234);
    EXPECT_EQ(g.play.TimeLeft, 678);
    EXPECT_EQ(PresentStones(g), stonesBefore);
}

INSTANTIATE_TEST_SUITE_P(Records, LevelFileLength, ::testing::Values(0, 1, 220, 221, 300));

TEST(LevelStart, MissingFirstLevelFromTheMenuKeepsALeftGameResumable) {
    CraftedRes res;
    res.Write("lvl004.lvl", SmallLevel());
    TestGame t(res.Dir());
    Game& g = t.game;
    ASSERT_TRUE(StartLevel(g, 4, kModePuzzle, 1, 0));
    g.shell.GameInProgress = 2;
    g.shell.ScreenId = kScreenGameChoice;
    EXPECT_FALSE(StartLevel(g, 1, kModePuzzle, 1, kRestartMusic));
    EXPECT_EQ(g.shell.ScreenId, kScreenMainMenu);
    EXPECT_EQ(g.shell.GameInProgress, 2);
    EXPECT_EQ(g.play.LevelNumber, 4);
}

using ScoreCase = std::tuple<int, int, bool>;  // level, lap, new game
class LevelStartScore : public ::testing::TestWithParam<ScoreCase> {};

TEST_P(LevelStartScore, OnlyLevelOneOfLapOneStartsFromNothing) {
    const auto [level, lap, fresh] = GetParam();
    CraftedRes res;
    res.Write("lvl00" + std::to_string(level) + ".lvl", SmallLevel());
    TestGame t(res.Dir());
    Game& g = t.game;
    g.play.Score = 4000;
    g.play.ShownScore = 3990;
    g.play.TimeLeft = 321;
    ASSERT_TRUE(StartLevel(g, level, kModePuzzle, lap, 0));
    EXPECT_EQ(g.play.Score, fresh ? 0 : 4000);
    EXPECT_EQ(g.play.ShownScore, g.play.Score);
    EXPECT_EQ(g.play.TimeLeft, fresh ? 500 : 321);
    EXPECT_EQ(g.level.LevelStartTime, g.play.TimeLeft);
    EXPECT_EQ(g.level.LevelStartScore, g.play.Score);
    EXPECT_EQ(g.play.LapNumber, lap);
    EXPECT_EQ(g.shell.ScreenId, kScreenGame);
    EXPECT_EQ(g.shell.GameInProgress, 1);
    EXPECT_EQ(g.cannon.NeedReload, 1);
    EXPECT_EQ(g.cannon.CannonX, 350);
    EXPECT_EQ(g.buttons.ButtonY[3], 490);
    EXPECT_EQ(g.buttons.ButtonActive[5], 0);
}

INSTANTIATE_TEST_SUITE_P(Starts, LevelStartScore,
                         ::testing::Values(ScoreCase{1, 1, true}, ScoreCase{2, 1, false},
                                           ScoreCase{1, 2, false}, ScoreCase{1, 5, false}));

TEST(LevelStart, ResumeKeepsTheFieldAndRestartsTheMusic) {
    CraftedRes res;
    res.Write("lvl007.lvl", SmallLevel());
    TestGame t(res.Dir());
    Game& g = t.game;
    ASSERT_TRUE(StartLevel(g, 7, kModePuzzle, 2, kRestartMusic));
    g.cannon.LoadedStone = AddStone(g, 350, 500, 1, 0);
    AddEffect(g, 100, 100, kEffectFlash, 0);
    g.play.Score = 900;
    g.play.TimeLeft = 432;
    g.play.DoubleFrames = 50;
    const StoneTable before = g.stones;
    g.shell.GameInProgress = 2;
    g.shell.ScreenId = kScreenMainMenu;

    ASSERT_TRUE(StartLevel(g, kResumeGame, kResumeGame, kResumeGame, kRestartMusic));
    EXPECT_EQ(g.stones.StoneState, before.StoneState);
    EXPECT_EQ(g.stones.StoneX, before.StoneX);
    EXPECT_EQ(g.stones.StoneColour, before.StoneColour);
    EXPECT_EQ(g.effects.EffectKind[1], 1);
    EXPECT_EQ(g.play.LevelNumber, 7);
    EXPECT_EQ(g.play.LapNumber, 2);
    EXPECT_EQ(g.play.GameMode, kModePuzzle);
    EXPECT_EQ(g.play.DoubleFrames, 50);
    EXPECT_EQ(g.play.Score, 900);
    EXPECT_EQ(g.level.LevelStartTime, 432);
    EXPECT_EQ(g.level.LevelStartScore, 900);
    EXPECT_EQ(g.cannon.LoadedStone, 0);  // the stone left on the cannon is loaded no more
    EXPECT_EQ(g.shell.ScreenId, kScreenGame);
    EXPECT_EQ(g.shell.GameInProgress, 1);
    EXPECT_EQ(g.music.lastFile, "res\\Musik\\vi02.mp3");
}

TEST(LevelStart, LoadedGameRestartsItsLevelWithTheSavedScoreAndTime) {
    CraftedRes res;
    res.Write("lvl0012.lvl", SmallLevel());
    TestGame t(res.Dir());
    Game& g = t.game;
    g.level.LoadedLevel = 12;
    g.level.LoadedMode = kModePuzzle;
    g.level.LoadedLap = 3;
    g.level.LoadedScore = 7000;
    g.level.LoadedTime = 640;
    ASSERT_TRUE(StartLevel(g, kLoadedGame, kLoadedGame, kLoadedGame, kRestartMusic));
    EXPECT_EQ(g.play.LevelNumber, 12);
    EXPECT_EQ(g.play.LapNumber, 3);
    EXPECT_EQ(g.play.Score, 7000);
    EXPECT_EQ(g.play.ShownScore, 7000);
    EXPECT_EQ(g.play.TimeLeft, 640);
    EXPECT_EQ(PresentStones(g), 13);
}

class EndlessSet : public ::testing::TestWithParam<int> {};

TEST_P(EndlessSet, BandsHoldTheirNumberOfColoursAboveTheVisibleField) {
    const int set = GetParam();
    TestGame t;
    Game& g = t.game;
    ASSERT_TRUE(StartLevel(g, set, kModeEndless, 1, 0));
    const StoneTable& st = g.stones;
    EXPECT_EQ(st.StoneCount, 304);
    EXPECT_EQ(g.play.EndlessOffset, -900);
    EXPECT_EQ(PresentStones(g), 285);
    for (int s = 1; s <= 10; ++s) EXPECT_EQ(st.StoneY[s], -840);
    const int d = EndlessDifficulty(set);
    int middleMax = 0;
    for (int k = 29; k <= 303; ++k) {
        const int slot = 11 + (k - 29);
        const int colours = k <= 100 ? d + 2 : k <= 200 ? d + 5 : k <= 300 ? d + 4 : d + 3;
        ASSERT_GE(st.StoneColour[slot], 1);
        ASSERT_LE(st.StoneColour[slot], colours) << "cell " << k;
        if (k >= 101 && k <= 200) middleMax = std::max(middleMax, st.StoneColour[slot]);
        const int extra = st.StoneExtra[slot];
        ASSERT_TRUE(extra == -1 || (extra >= 1 && extra <= 7));
    }
    EXPECT_EQ(middleMax, d + 5);  // 100 draws practically always reach the top colour
    EXPECT_EQ(st.StoneY[11], -810);
    EXPECT_EQ(st.StoneY[285], 30);
}

INSTANTIATE_TEST_SUITE_P(Sets, EndlessSet, ::testing::Values(1, 2, 3, 4, 9));

}  // namespace
