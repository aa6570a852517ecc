// The two-player match: the mirrored fields, both players' turns through the shared rules, the
// controls of each player, the decision of a level, the level end, the lead of three, pause,
// hint and escape, and the match's level start in its fresh, resumed and loaded forms.
#include "modes/match.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "core/mode_facts.h"
#include "crafted_level.h"
#include "modes/level_file.h"
#include "modes/level_start.h"
#include "playfield/field_rules.h"
#include "test_support.h"

namespace {

using Cells = std::map<int, std::pair<int, int>>;

// Colour 1 at row 2, columns 4 and 5: a shot into the middle column (x 180 on the left, 620 on
// the right) stops just below both and makes a group of three.
const Cells kPair = {{LatticeCell(2, 4), {0, 0}}, {LatticeCell(2, 5), {0, 0}}};
// Stones far from the middle column, so that nothing is cleared by a stray shot.
const Cells kQuiet = {{LatticeCell(1, 0), {1, 0}}, {LatticeCell(1, 8), {2, 0}}};

struct MatchGame : CraftedGame {
    explicit MatchGame(const Cells& cells = kPair) {
        for (int n : {1, 2, 7, 8, 22, 23, 50}) res.Write(MatchFile(n), cells);
        Open();
        g->shell.FrameCounter = 3;  // past start-up
        g->input.MouseX = 400;      // between the fields: player 2 does nothing
        g->input.MouseY = 300;
    }
    static std::string MatchFile(int n) { return "lvl000" + std::to_string(n) + "two.lvl"; }
    bool Start(int level = 1, int lap = 1) {
        return StartMatchLevel(*g, g->env, level, lap, false, true);
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) SimulateTick(*g);
    }
    // Ticks until both cannons hold a stone ready to fire.
    void UntilLoaded() {
        for (int i = 0; i < 20 && !(Ready(1) && Ready(2)); ++i) Tick();
    }
    bool Ready(int p) const {
        const CannonState& c = g->players[p].cannon;
        return c.NeedReload == 0 && IsStoneSlot(c.LoadedStone);
    }
    void Space(bool down) { t->game.keys.Event(kButtonSpace, kFromKeyboard, down); }
    void Key(int button, bool down) { t->game.keys.Event(button, kFromKeyboard, down); }
    // Player 2 presses at x (the release comes after the next tick).
    void Press(int x) {
        DXDraw1MouseMove(*g, x, 300);
        DXDraw1MouseDown(*g);
    }
    // The level has ended: both players' state as a decision would see it.
    void EndLevel(int time1, int time2, int stones1, int stones2) {
        g->players[1].TimeLeft = time1;
        g->players[2].TimeLeft = time2;
        g->players[1].StonesLeft = stones1;
        g->players[2].StonesLeft = stones2;
        g->play.LevelCleared = 1;
        g->play.ClearedTimer = 300;
    }
    MatchState& m() { return g->match; }
};

struct CellCase {
    int row, column;
    int leftX;  // player 1's x; player 2's is 800 - leftX
};

void PrintTo(const CellCase& c, std::ostream* os) {
    *os << "row " << c.row << " column " << c.column;
}

class MatchBuild : public ::testing::TestWithParam<CellCase> {};

TEST_P(MatchBuild, EachCellGivesAStoneOnBothFieldsMirroredAboutTheMiddle) {
    const CellCase& c = GetParam();
    MatchGame mg({{LatticeCell(c.row, c.column), {8, 0}}, {LatticeCell(17, 4), {2, 5}}});
    ASSERT_TRUE(mg.Start());
    const StoneTable& st = mg.g->stones;
    EXPECT_EQ(st.StoneCount, 200);
    // The two ceilings first: eight anchors each at centre - 140 .. centre + 140.
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(std::make_tuple(st.StoneX[1 + i], st.StoneY[1 + i], st.StoneColour[1 + i]),
                  std::make_tuple(40 + 40 * i, 110, kAnchorColour));
        EXPECT_EQ(std::make_tuple(st.StoneX[9 + i], st.StoneY[9 + i]),
                  std::make_tuple(480 + 40 * i, 110));
    }
    // Then each cell twice, player 1's first; code 8 becomes an anchor written back as 9.
    const int y = 110 + 20 * c.row;
    EXPECT_EQ(std::make_tuple(st.StoneX[17], st.StoneY[17], st.StoneColour[17]),
              std::make_tuple(c.leftX, y, kAnchorColour));
    EXPECT_EQ(std::make_tuple(st.StoneX[18], st.StoneY[18], st.StoneColour[18]),
              std::make_tuple(800 - c.leftX, y, kAnchorColour));
    EXPECT_EQ(mg.g->level.LevelCell[LatticeCell(c.row, c.column)], 9);
    EXPECT_EQ(std::make_tuple(st.StoneX[19], st.StoneX[20], st.StoneY[20], st.StoneColour[20],
                              st.StoneExtra[20]),
              std::make_tuple(180, 620, 450, 3, 5));
}

INSTANTIATE_TEST_SUITE_P(Cells, MatchBuild,
                         ::testing::Values(CellCase{2, 0, 0}, CellCase{2, 9, 360},
                                           CellCase{4, 3, 120}, CellCase{1, 0, 20},
                                           CellCase{1, 8, 340}, CellCase{16, 5, 200}));

TEST(MatchBuild, NoLatticePlaceOfEitherFieldLiesOnTheMiddleLine) {
    Cells all;
    for (int k = 10; k <= 200; ++k) all[k] = {k % 8, 0};
    MatchGame mg(all);
    ASSERT_TRUE(mg.Start());
    const StoneTable& st = mg.g->stones;
    int left = 0, right = 0;
    for (int s = 1; s <= 2 * st.StoneCount; ++s) {
        if (st.StoneState[s] <= 0) continue;
        EXPECT_NE(st.StoneX[s], 400) << "slot " << s;
        (st.StoneX[s] < 400 ? left : right) += 1;
    }
    EXPECT_EQ(left, right);
}

TEST(MatchControls, KeysMovePlayerOneInTwentiesWithinItsFieldAndLeaveThePointerAlone) {
    MatchGame mg(kQuiet);
    ASSERT_TRUE(mg.Start());
    for (const auto& [button, end] : {std::pair{kButtonRight, 320}, {kButtonLeft, 40}}) {
        mg.Key(button, true);
        mg.Tick();
        EXPECT_EQ(mg.g->players[1].cannon.CannonTargetX, button == kButtonRight ? 200 : 300);
        mg.Tick(120);
        mg.Key(button, false);
        EXPECT_EQ(mg.g->players[1].cannon.CannonTargetX, end);
        EXPECT_EQ(mg.g->players[1].cannon.CannonX, end);
    }
    EXPECT_EQ(mg.g->input.MouseX, 400);
    EXPECT_EQ(mg.g->players[2].cannon.CannonTargetX, 620);
}

using PointerCase = std::tuple<int, int, bool>;  // pointer x, player 2's target, fires
class MatchPointer : public ::testing::TestWithParam<PointerCase> {};

TEST_P(MatchPointer, PlayerTwoAimsAndFiresOnlyOverTheRightField) {
    const auto [x, target, fires] = GetParam();
    MatchGame mg(kQuiet);
    ASSERT_TRUE(mg.Start());
    mg.UntilLoaded();
    const int stone = mg.g->players[2].cannon.LoadedStone;
    mg.Press(x);
    mg.Tick();
    EXPECT_EQ(mg.g->players[2].cannon.CannonTargetX, target);
    EXPECT_EQ(mg.g->stones.StoneMotion[stone], fires ? 1 : 0);
    EXPECT_EQ(mg.g->stones.StoneX[stone] == target, fires);
    // A shot takes the press with it; over the strip between the fields it waits for a button.
    EXPECT_EQ(mg.g->input.MouseButtonDown2, fires ? 0 : 1);
    EXPECT_EQ(mg.g->players[1].cannon.CannonLoad, 8);  // player 1 untouched
}

INSTANTIATE_TEST_SUITE_P(Places, MatchPointer,
                         ::testing::Values(PointerCase{450, 620, false},
                                           PointerCase{451, 460, true}, PointerCase{619, 620, true},
                                           PointerCase{700, 700, true}));

class MatchGroup : public ::testing::TestWithParam<int> {};

TEST_P(MatchGroup, AGroupOfThreeScoresAndWinsTimeForItsPlayerAlone) {
    const int p = GetParam();
    const int other = 3 - p;
    MatchGame mg;
    ASSERT_TRUE(mg.Start());
    mg.UntilLoaded();
    if (p == 1)
        mg.Space(true);
    else
        mg.Press(620);
    mg.Tick();
    mg.Space(false);
    DXDraw1MouseUp(*mg.g);
    for (int i = 0; i < 60 && mg.g->play.LevelCleared == 0; ++i) mg.Tick();
    EXPECT_EQ(mg.g->play.LevelCleared, 1);
    EXPECT_EQ(mg.g->players[p].Score, 150);
    EXPECT_EQ(mg.g->players[other].Score, 0);
    // Both bars drained alike; only the player's own won 3 x 12.
    EXPECT_EQ(mg.g->players[p].TimeLeft - mg.g->players[other].TimeLeft, 36);
    EXPECT_EQ(mg.g->players[p].StonesLeft, 0);
    EXPECT_EQ(mg.g->players[other].StonesLeft, 2);
    EXPECT_GT(mg.g->players[p].ShakeFrames, 0);
    EXPECT_EQ(mg.g->players[other].ShakeFrames, 0);
    EXPECT_EQ(MatchLevelWinner(*mg.g), p);
    EXPECT_EQ(mg.g->players[kSoloPlayer].Score, 0);  // the single player's score is no one's here
}

INSTANTIATE_TEST_SUITE_P(Players, MatchGroup, ::testing::Values(1, 2));

TEST(MatchTurns, ALevelPlayerOneEndsGivesPlayerTwoNoTurnInThatFrame) {
    MatchGame mg;
    ASSERT_TRUE(mg.Start());
    mg.UntilLoaded();
    const int shot2 = mg.g->players[2].cannon.LoadedStone;
    mg.Space(true);
    mg.Press(620);
    mg.Tick();
    mg.Space(false);
    DXDraw1MouseUp(*mg.g);
    ASSERT_EQ(mg.g->stones.StoneMotion[shot2], 1);
    int y2 = 0;
    while (mg.g->play.LevelCleared == 0) {
        y2 = mg.g->stones.StoneY[shot2];
        mg.Tick();
    }
    // Both shots rose side by side; in the frame player 1 cleared, player 2's stood still.
    EXPECT_EQ(mg.g->stones.StoneY[shot2], y2);
    EXPECT_EQ(mg.g->players[2].Score, 0);
    EXPECT_EQ(MatchLevelWinner(*mg.g), 1);
}

class MatchExtra : public ::testing::TestWithParam<int> {};

TEST_P(MatchExtra, AnExtraFallsOutOfAGroupButTheFlashNever) {
    const int extra = GetParam();
    MatchGame mg({{LatticeCell(2, 4), {0, extra}}, {LatticeCell(2, 5), {0, 0}}});
    ASSERT_TRUE(mg.Start());
    mg.UntilLoaded();
    mg.Space(true);
    mg.Tick();
    mg.Space(false);
    const ExtrasTable& e = mg.g->extras;
    int found = 0;
    for (int i = 0; i < 60 && found == 0; ++i) {
        mg.Tick();
        for (int s = 1; s <= kMaxExtras; ++s) {
            if (e.ExtraType[s] == 0) continue;
            found = e.ExtraType[s];
            // Two thirds of the single-player cell.
            EXPECT_EQ(e.ExtraW[s], kMatchExtraSprites[extra].w);
            EXPECT_LT(e.ExtraX[s], 400);
        }
    }
    EXPECT_EQ(found, extra == kExtraFlash ? 0 : extra);
}

INSTANTIATE_TEST_SUITE_P(Types, MatchExtra, ::testing::Values(kExtraBomb, kExtraFlash));

struct WinnerCase {
    int time1, time2, stones1, stones2, winner;
};

void PrintTo(const WinnerCase& c, std::ostream* os) {
    *os << "times " << c.time1 << "/" << c.time2 << " stones " << c.stones1 << "/" << c.stones2;
}

class MatchDecision : public ::testing::TestWithParam<WinnerCase> {};

TEST_P(MatchDecision, AClearedFieldFirstThenWhoseBarLasted) {
    const WinnerCase& c = GetParam();
    auto sim = std::make_unique<Simulation>();
    sim->players[1].TimeLeft = c.time1;
    sim->players[2].TimeLeft = c.time2;
    sim->players[1].StonesLeft = c.stones1;
    sim->players[2].StonesLeft = c.stones2;
    EXPECT_EQ(MatchLevelWinner(*sim), c.winner);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, MatchDecision,
    ::testing::Values(WinnerCase{300, 0, 5, 5, 1}, WinnerCase{0, 300, 5, 5, 2},
                      WinnerCase{0, 0, 5, 5, 0},
                      // Clearing wins even when the other's bar ran out in the same frame ...
                      WinnerCase{250, 0, 0, 5, 1}, WinnerCase{0, 250, 5, 0, 2},
                      // ... and when the clearer's own did.
                      WinnerCase{0, 300, 0, 5, 1}, WinnerCase{300, 0, 5, 0, 2},
                      WinnerCase{0, 0, 0, 5, 1}, WinnerCase{250, 300, 0, 5, 1}));

TEST(MatchDrain, FiveTicksAUnitInTheFirstLapOneLessEachLapDownToOne) {
    for (const auto& [lap, d] : {std::pair{1, 5}, {2, 4}, {3, 3}, {4, 2}, {5, 1}, {9, 1}})
        EXPECT_EQ(MatchDrainDivisor(lap), d) << "lap " << lap;
    MatchGame mg(kQuiet);
    ASSERT_TRUE(mg.Start(1, 2));
    mg.g->shell.FrameCounter = 100;
    mg.Tick(40);  // frames 101..140: ten of them divisible by 4
    EXPECT_EQ(mg.g->players[1].TimeLeft, 490);
    EXPECT_EQ(mg.g->players[2].TimeLeft, 490);
}

TEST(MatchDrain, AnEmptyBarEndsTheLevelForTheOtherPlayer) {
    MatchGame mg(kQuiet);
    ASSERT_TRUE(mg.Start());
    mg.g->players[2].TimeLeft = 1;
    mg.g->shell.FrameCounter = 99;
    mg.Tick();
    EXPECT_EQ(mg.g->play.LevelCleared, 1);
    EXPECT_EQ(mg.g->play.ClearedTimer, 300);
    mg.Tick();
    EXPECT_EQ(mg.m().LevelsWon[1], 1);
    EXPECT_TRUE(mg.Drew("Level Gewonnen!", 180));
    EXPECT_TRUE(mg.Drew("Level Verloren!", 620));
}

// The right field's name at a level end says whether a person or the computer plays it.
TEST(MatchLevelEnd, TheRightFieldIsNamedByWhoPlaysIt) {
    for (const auto& [strength, name] :
         {std::pair{kNoComputer, "Spieler 2"}, {kComputerEasy, "Computer"}}) {
        MatchGame mg(kQuiet);
        ASSERT_TRUE(mg.Start());
        mg.g->computer.Strength[2] = strength;
        mg.g->players[2].TimeLeft = 1;
        mg.g->shell.FrameCounter = 99;
        mg.Tick(2);
        EXPECT_TRUE(mg.Drew("Spieler 1", 180));
        EXPECT_TRUE(mg.Drew(name, 620)) << name;
    }
}

struct EndCase {
    const char* name;
    int level, lap;
    int won1, won2;
    int time1, time2, stones1, stones2;
    int wonAfter1, wonAfter2;
    int points1, points2;    // the level's bonus
    int nextLevel, nextLap;  // 0: no next level by itself
    const char* line340;     // what the last 100 ticks say under the win, "" for nothing
};

void PrintTo(const EndCase& c, std::ostream* os) {
    *os << c.name;
}

// The lead of three decides here too: 2:0 and 4:2 go on, 3:0, 5:2 and 0:3 end the match.
class MatchLevelEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(MatchLevelEnd, TheWinnerGainsALevelAndTwoThousandThenTheNextLevelOrTheEnd) {
    const EndCase& c = GetParam();
    MatchGame mg(kQuiet);
    ASSERT_TRUE(mg.Start(c.level, c.lap));
    mg.m().LevelsWon = {0, c.won1, c.won2};
    mg.g->players[1].Score = 1000;
    mg.g->players[2].Score = 1000;
    mg.g->players[1].ShownScore = 1000;
    mg.g->players[2].ShownScore = 1000;
    mg.EndLevel(c.time1, c.time2, c.stones1, c.stones2);
    bool line = false;
    for (int i = 0; i < 299; ++i) {
        mg.Tick();
        line = line || (c.line340[0] != '\0' && mg.Drew(c.line340) != nullptr);
    }
    EXPECT_EQ(mg.m().LevelsWon[1], c.wonAfter1);
    EXPECT_EQ(mg.m().LevelsWon[2], c.wonAfter2);
    EXPECT_EQ(mg.g->players[1].Score, 1000 + c.points1);
    EXPECT_EQ(mg.g->players[2].Score, 1000 + c.points2);
    EXPECT_EQ(line, c.line340[0] != '\0');
    mg.Tick();  // ClearedTimer reaches 0
    if (c.nextLevel != 0) {
        EXPECT_EQ(mg.g->play.LevelNumber, c.nextLevel);
        EXPECT_EQ(mg.g->play.LapNumber, c.nextLap);
        EXPECT_EQ(mg.g->play.LevelCleared, 0);
        EXPECT_EQ(mg.m().LevelWinCounted, 0);
        EXPECT_EQ(mg.g->players[1].TimeLeft, 500);
        EXPECT_EQ(mg.m().LevelsWon[1], c.wonAfter1);  // carried over
        return;
    }
    // Waits for a press: the match is over or nobody won.
    mg.Tick(30);
    EXPECT_EQ(mg.g->play.LevelNumber, c.level);
    EXPECT_TRUE(mg.Drew("Bitte Feuer drücken."));
    mg.Press(600);
    mg.Tick();
    if (MatchDecided(mg.m())) {
        // The winner's score goes to the Puzzle-Match table.
        EXPECT_EQ(mg.g->shell.ScreenId, kScreenNewChampion);
        EXPECT_EQ(mg.g->play.GameMode, kModeMatch);
        const int winner = c.wonAfter1 > c.wonAfter2 ? 1 : 2;
        EXPECT_EQ(mg.g->own.HighscoreScore[kModeMatch][1], mg.g->players[winner].ShownScore);
    } else {
        EXPECT_EQ(mg.g->shell.ScreenId, kScreenMatch);
        EXPECT_EQ(mg.g->play.LevelNumber, c.level == 50 ? 1 : c.level + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ends, MatchLevelEnd,
    ::testing::Values(
        EndCase{"clearedNext", 7, 1, 0, 0, 200, 300, 0, 4, 1, 0, 2000, 0, 8, 1, "Versuche Level 8"},
        EndCase{"outOfTimeNext", 7, 1, 1, 0, 0, 300, 4, 4, 1, 1, 0, 2000, 8, 1, "Versuche Level 8"},
        EndCase{"lastLevelNextLap", 50, 1, 0, 1, 200, 300, 4, 0, 0, 2, 0, 2000, 1, 2,
                "Zeit läuft nun schneller ab."},
        EndCase{"twoToNilGoesOn", 7, 1, 1, 0, 200, 300, 0, 4, 2, 0, 2000, 0, 8, 1,
                "Versuche Level 8"},
        EndCase{"threeToNilEnds", 7, 1, 2, 0, 200, 300, 0, 4, 3, 0, 2000, 0, 0, 0,
                "Match gewonnen!"},
        EndCase{"fourToTwoGoesOn", 22, 1, 3, 2, 200, 300, 0, 4, 4, 2, 2000, 0, 23, 1,
                "Versuche Level 23"},
        EndCase{"fiveToTwoEnds", 22, 2, 4, 2, 200, 300, 0, 4, 5, 2, 2000, 0, 0, 0,
                "Match gewonnen!"},
        EndCase{"playerTwoEndsIt", 8, 1, 0, 2, 0, 300, 3, 3, 0, 3, 0, 2000, 0, 0,
                "Match verloren..."},
        EndCase{"nobodyWins", 7, 1, 2, 0, 0, 0, 4, 4, 2, 0, 0, 0, 0, 0, ""},
        EndCase{"nobodyWinsLast", 50, 3, 0, 0, 0, 0, 4, 4, 0, 0, 0, 0, 0, 0, ""}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

TEST(MatchX2, CountsDownFromAThousandAndDoublesOnlyItsPlayersPoints) {
    MatchGame mg(kQuiet);
    ASSERT_TRUE(mg.Start());
    mg.g->players[1].DoubleFrames = 1000;
    mg.Tick(10);
    EXPECT_EQ(mg.g->players[1].DoubleFrames, 990);
    EXPECT_EQ(mg.g->players[2].DoubleFrames, 0);
    AddPoints(*mg.g, kMatchLeftField, 1, 100, 200, 50);
    AddPoints(*mg.g, kMatchRightField, 2, 600, 200, 50);
    EXPECT_EQ(mg.g->players[1].Score, 100);
    EXPECT_EQ(mg.g->players[2].Score, 50);
    mg.Tick(990);
    EXPECT_EQ(mg.g->players[1].DoubleFrames, 0);
}

TEST(MatchScreen, PauseDriftsTwoWordsMirroredAndStopsTheMatch) {
    MatchGame mg(kQuiet);
    ASSERT_TRUE(mg.Start());
    mg.Key(kButtonP, true);
    mg.Tick(50);  // held: one toggle
    mg.Key(kButtonP, false);
    EXPECT_EQ(mg.g->play.PauseState, 1);
    const int time = mg.g->players[1].TimeLeft;
    mg.g->shell.FrameCounter = 399;
    mg.Tick();
    EXPECT_EQ(mg.g->players[1].TimeLeft, time);
    std::vector<TextCall> pauses;
    for (const TextCall& c : mg.g->text.calls)
        if (c.text == "Pause") pauses.push_back(c);
    ASSERT_EQ(pauses.size(), 2u);
    // f = 400: y = 290 + 150 sin 2, x = centre -/+ 120 cos 1.
    EXPECT_EQ(std::make_tuple(pauses[0].x, pauses[0].y, pauses[1].x, pauses[1].y),
              std::make_tuple(245, 426, 555, 426));
    EXPECT_TRUE(mg.Drew("Play"));
}

TEST(MatchScreen, TheHintLightsStonesWithExtrasOneToSixOnBothFields) {
    MatchGame mg(
        {{LatticeCell(1, 0), {0, 6}}, {LatticeCell(1, 8), {1, 7}}, {LatticeCell(3, 3), {2, 0}}});
    ASSERT_TRUE(mg.Start());
    mg.Tick(25);  // the buttons wake up
    // Paused, the stones send no sparkles of their own; the hint works all the same.
    mg.g->play.PauseState = 1;
    RemoveEffect(*mg.g, kRemoveAll);
    DXDraw1MouseMove(*mg.g, 400, 425);
    DXDraw1MouseDown(*mg.g);
    mg.Tick();
    DXDraw1MouseUp(*mg.g);
    const EffectTable& e = mg.g->effects;
    std::map<int, int> byX;
    for (int s = 1; s <= e.EffectsInUse; ++s)
        if (e.EffectKind[s] >= 3) ++byX[e.EffectX[s]];
    EXPECT_EQ(byX, (std::map<int, int>{{20, 5}, {780, 5}}));
}

TEST(MatchScreen, EscapeLeavesAResumableMatchThatComesBackWithItsFields) {
    MatchGame mg(kQuiet);
    ASSERT_TRUE(mg.Start(7));
    mg.UntilLoaded();
    mg.g->players[1].Score = 300;
    mg.g->players[2].Score = 450;
    mg.m().LevelsWon = {0, 2, 1};
    mg.t->game.keys.Event(kButtonEscape, kFromKeyboard, true);
    mg.Tick();
    mg.t->game.keys.Event(kButtonEscape, kFromKeyboard, false);
    EXPECT_EQ(mg.g->shell.ScreenId, kScreenMainMenu);
    EXPECT_EQ(mg.g->shell.GameInProgress, 2);
    const int waiting = mg.g->players[1].cannon.LoadedStone;
    ASSERT_TRUE(StartMatchLevel(*mg.g, (mg.g)->env, ResumeStart(true)));
    EXPECT_EQ(mg.g->shell.ScreenId, kScreenMatch);
    EXPECT_EQ(mg.g->play.LevelNumber, 7);
    EXPECT_EQ(mg.g->players[2].Score, 450);
    EXPECT_EQ(mg.m().LevelsWon[1], 2);
    EXPECT_EQ(mg.g->players[1].StonesLeft, 2);
    // The stone that waited on the cannon is no longer its load: it bursts below the line.
    mg.Tick();
    EXPECT_EQ(mg.g->stones.StoneState[waiting], 0);
    EXPECT_NE(mg.g->players[1].cannon.LoadedStone, waiting);
}

TEST(MatchStart, AMissingLevelLeavesTheMatchAsItWasAndTellsThePlayer) {
    MatchGame mg(kQuiet);
    ASSERT_TRUE(mg.Start(2));
    mg.m().LevelsWon = {0, 1, 1};
    EXPECT_FALSE(StartMatchLevel(*mg.g, (mg.g)->env, 3, 1, false, false));
    CarryOutRequests(*mg.g);
    ASSERT_EQ(mg.t->platform.messages.size(), 1u);
    EXPECT_NE(mg.t->platform.messages[0].find("Levelz/lvl0003two.lvl"), std::string::npos);
    EXPECT_EQ(mg.g->shell.ScreenId, kScreenMainMenu);
    EXPECT_EQ(mg.g->shell.GameInProgress, 2);
    EXPECT_EQ(mg.g->play.LevelNumber, 2);
    EXPECT_EQ(mg.m().LevelsWon[2], 1);
}

TEST(MatchStart, EachStartTakesOnlyItsOwnKindOfGame) {
    MatchGame mg(kQuiet);
    LevelStartRequest slot = NewLevelStart(1, kModePuzzle, 1, false);
    slot.kind = LevelStartKind::kLoaded;
    EXPECT_FALSE(StartMatchLevel(*mg.g, (mg.g)->env, slot));
    CarryOutRequests(*mg.g);
    EXPECT_FALSE(StartLevel(*mg.g, (mg.g)->env, 1, kModeMatch, 1, 0));
    CarryOutRequests(*mg.g);
    EXPECT_EQ(mg.t->platform.messages.size(), 2u);
    EXPECT_EQ(LevelFilePath(FactsOfMode(kModeMatch), 7), "res\\Levelz\\lvl0007two.lvl");
    EXPECT_EQ(LevelFilePath(FactsOfMode(kModeMatch), 50), "res\\Levelz\\lvl00050two.lvl");
}

TEST(MatchStart, ASavedMatchRestartsItsLevelWithBothPlayersScoresAndLevelsWon) {
    MatchGame mg(kQuiet);
    LevelStartRequest slot = NewLevelStart(22, kModeMatch, 2, false);
    slot.kind = LevelStartKind::kLoaded;
    slot.matchScore = {0, 12340, 5670};
    slot.levelsWon = {0, 2, 4};
    ASSERT_TRUE(StartMatchLevel(*mg.g, (mg.g)->env, slot));
    EXPECT_EQ(std::make_tuple(mg.g->play.LevelNumber, mg.g->play.LapNumber, mg.g->play.GameMode),
              std::make_tuple(22, 2, kModeMatch));
    EXPECT_EQ(std::make_tuple(mg.g->players[1].Score, mg.g->players[1].ShownScore,
                              mg.g->players[1].LevelStartScore),
              std::make_tuple(12340, 12340, 12340));
    EXPECT_EQ(mg.g->players[2].Score, 5670);
    EXPECT_EQ(std::make_tuple(mg.m().LevelsWon[1], mg.m().LevelsWon[2]), std::make_tuple(2, 4));
    EXPECT_EQ(std::make_tuple(mg.g->players[1].TimeLeft, mg.g->players[2].TimeLeft),
              std::make_tuple(500, 500));
    EXPECT_EQ(mg.g->shell.ScreenId, kScreenMatch);
}

}  // namespace
