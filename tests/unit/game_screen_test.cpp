// The game screen: time drain, score counter, bonus and level end, pause, the side panel, and the
// end of a game with its highscore check.
#include "modes/game_screen.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "crafted_level.h"
#include "modes/level_start.h"
#include "test_support.h"

namespace {

// A Puzzle game on a crafted level whose stones lie far from the cannon, with the mouse over the
// panel, so nothing is fired and nothing clears the field by itself.
struct PlayingGame : CraftedGame {
    explicit PlayingGame(int level = 1, int lap = 1) {
        for (int n : {1, 3, 4, 50}) {
            res.Write("lvl00" + std::to_string(n) + ".lvl", {{10, {0, 0}}, {12, {1, 2}}});
        }
        Open();
        g->players[kSoloPlayer].TimeLeft = 500;
        StartLevel(*g, g->env, level, kModePuzzle, lap, 0);
        for (int r = 1; r <= 7; ++r) g->own.HighscoreScore[kModePuzzle][r] = 80000 - 10000 * r;
        g->input.MouseX = 700;
    }
    void Step() {
        ++g->shell.FrameCounter;
        g->text.calls.clear();
        GameStep(*g, g->env);
        CarryOutRequests(*g);
    }
};

using DrainCase = std::tuple<int, int, int>;  // mode, lap, units drained in 36 steps
class TimeDrain : public ::testing::TestWithParam<DrainCase> {};

TEST_P(TimeDrain, OneUnitEveryDFramesAndThreeTimesSlowerInPipe) {
    const auto [mode, lap, drained] = GetParam();
    PlayingGame p(1, lap);
    p.g->play.GameMode = mode;
    p.g->shell.FrameCounter = 0;
    const int before = p.g->players[kSoloPlayer].TimeLeft;
    for (int i = 0; i < 36; ++i) p.Step();
    EXPECT_EQ(before - p.g->players[kSoloPlayer].TimeLeft, drained);
}

INSTANTIATE_TEST_SUITE_P(
    Laps, TimeDrain,
    ::testing::Values(DrainCase{kModePuzzle, 1, 9}, DrainCase{kModePuzzle, 2, 12},
                      DrainCase{kModePuzzle, 3, 18}, DrainCase{kModePuzzle, 4, 36},
                      DrainCase{kModeEndless, 9, 36}, DrainCase{kModePipe, 1, 3},
                      DrainCase{kModePipe, 4, 12}));

TEST(TimeDrain, TheLastUnitEmptiesTheBarAndTheNextDrainStepEndsTheGame) {
    PlayingGame p;
    p.g->players[kSoloPlayer].TimeLeft = 1;
    p.g->shell.FrameCounter = 3;
    p.Step();
    EXPECT_EQ(std::make_tuple(p.g->players[kSoloPlayer].TimeLeft, p.g->play.TimeUp),
              std::make_tuple(0, 0));
    for (int i = 0; i < 3; ++i) p.Step();
    EXPECT_EQ(p.g->play.TimeUp, 0);
    p.Step();
    EXPECT_EQ(std::make_tuple(p.g->play.TimeUp, p.g->play.TimeUpTimer), std::make_tuple(1, 199));
}

using GapCase = std::tuple<int, int>;  // Score - ShownScore, increase of ShownScore
class ScoreCounter : public ::testing::TestWithParam<GapCase> {};

TEST_P(ScoreCounter, CountsTenPerStepAndJumpsWhenFarBehind) {
    const auto [gap, increase] = GetParam();
    PlayingGame p;
    p.g->players[kSoloPlayer].ShownScore = 1000;
    p.g->players[kSoloPlayer].Score = 1000 + gap;
    p.Step();
    EXPECT_EQ(p.g->players[kSoloPlayer].ShownScore, 1000 + increase);
    EXPECT_TRUE(p.Drew(std::to_string(1000 + increase)));
}

INSTANTIATE_TEST_SUITE_P(Gaps, ScoreCounter,
                         ::testing::Values(GapCase{2400, 510}, GapCase{1011, 510},
                                           GapCase{1010, 10}, GapCase{5, 10}, GapCase{0, 0}));

struct EndCase {
    int level, language;
    const char* bonusLine;
    int creditedAt;  // ClearedTimer of the step that adds the bonus
    const char* lastLine;
    int nextLevel, nextLap;
};
class LevelEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(LevelEnd, BonusOfWholeTenthsOnceThenTheNextLevelWithScoreAndTimeKept) {
    const EndCase c = GetParam();
    PlayingGame p(c.level);
    Game& g = *p.g;
    g.shell.Language = c.language;
    g.players[kSoloPlayer].TimeLeft = 734;
    g.players[kSoloPlayer].Score = g.players[kSoloPlayer].ShownScore = 1000;
    g.play.LevelCleared = 1;
    g.play.ClearedTimer = 300;
    int creditedAt = -1;
    bool sawBonus = false, sawLast = false;
    while (g.play.ClearedTimer > 1) {
        const int before = g.players[kSoloPlayer].Score;
        p.Step();
        if (g.players[kSoloPlayer].Score != before) {
            EXPECT_EQ(std::make_tuple(creditedAt, g.players[kSoloPlayer].Score - before),
                      std::make_tuple(-1, 730));
            creditedAt = g.play.ClearedTimer;
        }
        sawBonus |= p.Drew(c.bonusLine) != nullptr;
        sawLast |= p.Drew(c.lastLine) != nullptr;
    }
    EXPECT_EQ(creditedAt, c.creditedAt);
    EXPECT_TRUE(sawBonus && sawLast);
    p.Step();
    EXPECT_EQ(std::make_tuple(g.play.LevelNumber, g.play.LapNumber, g.play.LevelCleared),
              std::make_tuple(c.nextLevel, c.nextLap, 0));
    EXPECT_EQ(std::make_tuple(g.players[kSoloPlayer].Score, g.players[kSoloPlayer].TimeLeft),
              std::make_tuple(1730, 734));
}

INSTANTIATE_TEST_SUITE_P(Sequences, LevelEnd,
                         ::testing::Values(EndCase{3, 1, "Zeit: Noch 73 Prozent x 10 = 730 Punkte",
                                                   220, "Versuche Level 4", 4, 1},
                                           EndCase{50, 2,
                                                   "Time remaining: 73 Percent x 10 = 730 Points",
                                                   240, "Time moves faster now.", 1, 2}));

TEST(Pause, PTogglesOncePerPressAndFreezesTheGame) {
    PlayingGame p;
    Game& g = *p.g;
    int toggles = 0;
    auto hold = [&](int ticks) {
        for (int i = 1; i <= ticks + 1; ++i) {
            const int before = g.play.PauseState;
            g.input.PauseKeyFrames = i <= ticks ? i : 0;
            p.Screen();
            toggles += g.play.PauseState != before ? 1 : 0;
        }
    };
    hold(100);
    EXPECT_EQ(std::make_tuple(toggles, g.play.PauseState), std::make_tuple(1, 1));
    const int time = g.players[kSoloPlayer].TimeLeft;
    g.shell.FrameCounter = 299;
    p.Screen();
    EXPECT_EQ(g.players[kSoloPlayer].TimeLeft, time);
    ASSERT_EQ(g.text.calls[0].text, "Pause");  // drifting around the field
    EXPECT_EQ(std::make_tuple(g.text.calls[0].x, g.text.calls[0].y), std::make_tuple(396, 406));
    EXPECT_TRUE(p.Drew("Play"));
    hold(3);
    EXPECT_EQ(std::make_tuple(toggles, g.play.PauseState), std::make_tuple(2, -1));
}

enum class Action { kEscape, kTip, kPause, kEnd, kMusic };
using PanelCase = std::tuple<Action, int>;  // action; 0 playing, 1 cleared, 2 time up
class SidePanel : public ::testing::TestWithParam<PanelCase> {};

TEST_P(SidePanel, ActsWhilePlayingAndIsDeadDuringTheEndSequences) {
    const auto [action, phase] = GetParam();
    PlayingGame p;
    Game& g = *p.g;
    g.play.LevelCleared = phase == 1 ? 1 : 0;
    g.play.ClearedTimer = 300;
    g.play.TimeUp = phase == 2 ? 1 : 0;
    g.play.TimeUpTimer = 200;
    if (action == Action::kEscape) {
        g.input.KeyEscape = 1;
    } else {
        p.ClickButton(static_cast<int>(action));
    }
    p.Screen();
    const bool live = phase == 0;
    const bool leaves = live && (action == Action::kEscape || action == Action::kEnd);
    // The tick that leaves draws no labels: the next picture is the menu's.
    EXPECT_EQ(p.Drew("Tipp") != nullptr, live && !leaves);
    EXPECT_EQ(g.shell.ScreenId, leaves ? kScreenMainMenu : kScreenGame);
    EXPECT_EQ(g.shell.GameInProgress, leaves ? 2 : 1);
    EXPECT_EQ(g.stones.StoneState[11], 1);  // a game left with Escape is kept for resuming
    EXPECT_EQ(g.shell.MusicVolumeTarget, live && action == Action::kMusic ? 0 : 100);
    EXPECT_EQ(g.play.PauseState, live && action == Action::kPause ? 1 : -1);
    // The hint: five sparkles from the stone that carries the bomb.
    EXPECT_EQ(g.effects.EffectKind[5] >= 2 && g.effects.EffectY[5] == 30,
              live && action == Action::kTip);
}

INSTANTIATE_TEST_SUITE_P(Actions, SidePanel,
                         ::testing::Combine(::testing::Values(Action::kEscape, Action::kTip,
                                                              Action::kPause, Action::kEnd,
                                                              Action::kMusic),
                                            ::testing::Values(0, 1, 2)));

using OverCase = std::tuple<int, int>;  // final score, place in the table (0 = none)
class GameOverCheck : public ::testing::TestWithParam<OverCase> {};

TEST_P(GameOverCheck, FireCountsFromThe131stStepThenTheHighscoreCheck) {
    const auto [score, place] = GetParam();
    PlayingGame p;
    Game& g = *p.g;
    g.players[kSoloPlayer].Score = g.players[kSoloPlayer].ShownScore = score;
    g.play.TimeUp = 1;
    g.play.TimeUpTimer = 200;
    g.input.FireKey = 1;
    int steps = 0;
    while (g.shell.ScreenId == kScreenGame && steps < 500) {
        p.Step();
        if (++steps == 101) {
            EXPECT_TRUE(p.Drew("Bitte Feuer drücken um ins"));
        }
    }
    EXPECT_EQ(steps, 131);
    EXPECT_EQ(g.shell.ScreenId, place > 0 ? kScreenNewChampion : kScreenMainMenu);
    EXPECT_EQ(std::make_tuple(g.menus.NewHighscore, g.menus.EntryRank),
              std::make_tuple(place > 0 ? 1 : 0, place));
    EXPECT_EQ(g.stones.StoneState[1], 0);
}

INSTANTIATE_TEST_SUITE_P(Scores, GameOverCheck,
                         ::testing::Values(OverCase{10000, 0}, OverCase{10010, 7},
                                           OverCase{50000, 4}, OverCase{999990, 1}));

}  // namespace
