// The game screen: time drain, bonus, score counter, pause, the side panel and the end sequences.
#include "playfield/game_screen.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "crafted_level.h"
#include "modes/level_start.h"
#include "playfield/tables.h"
#include "test_support.h"

namespace {

// A pair of colour-1 stones far from the cannon's column and one of colour 2 with a bomb, so
// nothing fires and the field is never cleared by itself.
CraftedLevel QuietLevel() {
    CraftedLevel level;
    level.Put(10, 0).Put(19, 0).Put(12, 1, 2);
    return level;
}

// A Puzzle game at the given level on crafted files, as the level start leaves it.
struct PlayingGame {
    CraftedRes res;
    std::unique_ptr<TestGame> t;
    Game* g = nullptr;

    explicit PlayingGame(int level = 1, int lap = 1) {
        for (int n : {1, 2, 3, 4, 12, 50})
            res.Write("lvl00" + std::to_string(n) + ".lvl", QuietLevel());
        t = std::make_unique<TestGame>(res.Dir());
        g = &t->game;
        g->play.TimeLeft = 500;  // what a game that reached this level might have left
        StartLevel(*g, level, kModePuzzle, lap, 0);
        for (int r = 1; r <= 7; ++r) g->menus.HighscoreScore[kModePuzzle][r] = 80000 - 10000 * r;
        g->input.MouseX = 700;  // over the panel: no shot leaves
        g->input.MouseY = 100;
    }
    // One game step at the next frame number.
    void Step() {
        ++g->shell.FrameCounter;
        GameStep(*g);
    }
    void Screen() {
        ++g->shell.FrameCounter;
        g->text.calls.clear();
        GameScreen(*g);
    }
    bool Drew(const std::string& text) const {
        for (const TextCall& c : g->text.calls) {
            if (c.text == text) return true;
        }
        return false;
    }
    // A click on side button n in the coming screen tick, its delay already over.
    void ClickButton(int n) {
        g->buttons.ButtonDelay[n] = 0;
        g->input.MouseX = g->buttons.ButtonX[n] - 40;
        g->input.MouseY = g->buttons.ButtonY[n] + 5;
        g->input.MouseButtonDown = 1;
        g->input.ButtonHeldFrames = 1;
    }
};

using DrainCase = std::tuple<int, int, int>;  // mode, lap, units drained in 36 steps
class TimeDrain : public ::testing::TestWithParam<DrainCase> {};

TEST_P(TimeDrain, OneUnitEveryDFramesAndThreeTimesSlowerInPipe) {
    const auto [mode, lap, drained] = GetParam();
    PlayingGame p(1, lap);
    p.g->play.GameMode = mode;
    p.g->shell.FrameCounter = 0;
    const int before = p.g->play.TimeLeft;
    for (int i = 0; i < 36; ++i) p.Step();
    EXPECT_EQ(before - p.g->play.TimeLeft, drained);
    EXPECT_EQ(p.g->play.TimeUp, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Laps, TimeDrain,
    ::testing::Values(DrainCase{kModePuzzle, 1, 9}, DrainCase{kModePuzzle, 2, 12},
                      DrainCase{kModePuzzle, 3, 18}, DrainCase{kModePuzzle, 4, 36},
                      DrainCase{kModePuzzle, 9, 36}, DrainCase{kModeEndless, 2, 12},
                      DrainCase{kModePipe, 1, 3}, DrainCase{kModePipe, 2, 4},
                      DrainCase{kModePipe, 4, 12}));

TEST(TimeDrain, LastUnitEmptiesTheBarAndTheNextDrainStepEndsTheGame) {
    PlayingGame p;
    p.g->play.TimeLeft = 1;
    p.g->shell.FrameCounter = 3;
    p.Step();  // frame 4
    EXPECT_EQ(p.g->play.TimeLeft, 0);
    EXPECT_EQ(p.g->play.TimeUp, 0);
    for (int i = 0; i < 3; ++i) p.Step();
    EXPECT_EQ(p.g->play.TimeUp, 0);
    p.Step();  // frame 8
    EXPECT_EQ(p.g->play.TimeUp, 1);
    EXPECT_EQ(p.g->play.TimeUpTimer, 199);
    EXPECT_FALSE(p.g->play.TimeLeft < 0);
}

using GapCase = std::tuple<int, int>;  // Score - ShownScore, shown increase
class ScoreCounter : public ::testing::TestWithParam<GapCase> {};

TEST_P(ScoreCounter, CountsTenPerStepAndJumpsWhenFarBehind) {
    const auto [gap, increase] = GetParam();
    PlayingGame p;
    p.g->play.ShownScore = 1000;
    p.g->play.Score = 1000 + gap;
    p.Step();
    EXPECT_EQ(p.g->play.ShownScore, 1000 + increase);
}

INSTANTIATE_TEST_SUITE_P(Gaps, ScoreCounter,
                         ::testing::Values(GapCase{2400, 510}, GapCase{1011, 510},
                                           GapCase{1010, 10}, GapCase{5, 10}, GapCase{0, 0},
                                           GapCase{-30, 0}));

TEST(ScoreCounter, LabelAndScoreAreDrawnEveryStep) {
    PlayingGame p(12);
    p.g->play.ShownScore = 4560;
    p.g->play.Score = 4560;
    p.Screen();
    EXPECT_TRUE(p.Drew("Lev. 12"));
    EXPECT_TRUE(p.Drew("4560"));
    PlayingGame q(3);
    q.Screen();
    EXPECT_TRUE(q.Drew("Level 3"));
}

TEST(Points, DoubledWhileX2RunsAndShownRising) {
    PlayingGame p;
    p.g->play.Score = 0;
    AddPoints(*p.g, 200, 300, 50);
    p.g->play.DoubleFrames = 10;
    AddPoints(*p.g, 220, 300, 50);
    EXPECT_EQ(p.g->play.Score, 150);
    EXPECT_EQ(p.g->floatingTexts.TextString[1], "50");
    EXPECT_EQ(p.g->floatingTexts.TextString[2], "100");
    // Pipe shows only the thousand of a finished pipeline.
    p.g->play.GameMode = kModePipe;
    p.g->play.DoubleFrames = 0;
    AddPoints(*p.g, 100, 100, 50);
    EXPECT_EQ(p.g->floatingTexts.TextLife[3], 0);
    AddPoints(*p.g, 100, 100, 1000);
    EXPECT_EQ(p.g->floatingTexts.TextString[3], "1000");
    EXPECT_EQ(p.g->play.Score, 1200);
}

struct EndCase {
    int level;
    int language;
    const char* title;
    const char* bonusLine;
    int creditedAt;  // ClearedTimer of the step that adds the bonus
    const char* later;
    int nextLevel;
    int nextLap;
};

class LevelEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(LevelEnd, BonusOfWholeTenthsOnceThenTheNextLevel) {
    const EndCase c = GetParam();
    PlayingGame p(c.level);
    Game& g = *p.g;
    g.shell.Language = c.language;
    g.play.TimeLeft = 734;
    g.play.Score = 1000;
    g.play.ShownScore = 1000;
    g.play.LevelCleared = 1;
    g.play.ClearedTimer = 300;
    bool sawTitle = false, sawBonus = false, sawLater = false;
    int creditedAt = -1;
    while (g.play.ClearedTimer > 1) {
        const int scoreBefore = g.play.Score;
        g.text.calls.clear();
        p.Step();
        if (g.play.Score != scoreBefore) {
            EXPECT_EQ(creditedAt, -1) << "credited twice";
            EXPECT_EQ(g.play.Score - scoreBefore, 730);
            creditedAt = g.play.ClearedTimer;
        }
        sawTitle |= p.Drew(c.title);
        if (p.Drew(c.bonusLine)) sawBonus = true;
        sawLater |= p.Drew(c.later);
    }
    EXPECT_EQ(creditedAt, c.creditedAt);
    EXPECT_TRUE(sawTitle && sawBonus && sawLater);
    EXPECT_EQ(g.play.TimeLeft, 734);  // no drain while the sequence runs
    p.Step();                         // ClearedTimer reaches 0: the next level starts
    EXPECT_EQ(g.play.LevelNumber, c.nextLevel);
    EXPECT_EQ(g.play.LapNumber, c.nextLap);
    EXPECT_EQ(g.play.LevelCleared, 0);
    EXPECT_EQ(g.play.Score, 1730);
    EXPECT_EQ(g.play.TimeLeft, 734);
}

INSTANTIATE_TEST_SUITE_P(Sequences, LevelEnd,
                         ::testing::Values(EndCase{3, 1, "Puzzle gelöst!",
                                                   "Zeit: Noch 73 Prozent x 10 = 730 Punkte", 220,
                                                   "Versuche Level 4", 4, 1},
                                           EndCase{3, 2, "Puzzle cleared!",
                                                   "Time remaining: 73 Percent x 10 = 730 Points",
                                                   220, "Try Level 4", 4, 1},
                                           EndCase{50, 1, "Letztes Puzzle gelöst!",
                                                   "Zeit: Noch 73 Prozent x 10 = 730 Punkte", 240,
                                                   "Die Zeit läuft nun schneller ab.", 1, 2},
                                           EndCase{50, 2, "Last Puzzle cleared!",
                                                   "Time remaining: 73 Percent x 10 = 730 Points",
                                                   240, "Game starts again at Level 1", 1, 2}));

TEST(LevelEnd, AfterTheLastLevelTheBarDrainsEveryThirdFrame) {
    PlayingGame p(50);
    Game& g = *p.g;
    g.play.LevelCleared = 1;
    g.play.ClearedTimer = 1;
    p.Step();
    ASSERT_EQ(g.play.LevelNumber, 1);
    ASSERT_EQ(g.play.LapNumber, 2);
    g.shell.FrameCounter = 0;
    const int before = g.play.TimeLeft;
    for (int i = 0; i < 30; ++i) p.Step();
    EXPECT_EQ(before - g.play.TimeLeft, 10);
}

TEST(Pause, PTogglesOncePerPressAndFreezesTheGame) {
    PlayingGame p;
    Game& g = *p.g;
    int toggles = 0;
    int last = g.play.PauseState;
    auto hold = [&](int ticks) {
        for (int i = 1; i <= ticks; ++i) {
            g.input.PauseKeyFrames = i;
            p.Screen();
            if (g.play.PauseState != last) ++toggles;
            last = g.play.PauseState;
        }
        g.input.PauseKeyFrames = 0;
        p.Screen();
    };
    hold(100);
    EXPECT_EQ(toggles, 1);
    EXPECT_EQ(g.play.PauseState, 1);
    const int time = g.play.TimeLeft;
    for (int i = 0; i < 40; ++i) p.Screen();
    EXPECT_EQ(g.play.TimeLeft, time);
    EXPECT_TRUE(p.Drew("Pause"));
    EXPECT_FALSE(p.Drew("Level 1"));  // the step draws the label, and it does not run
    EXPECT_TRUE(p.Drew("Play"));
    hold(3);
    EXPECT_EQ(toggles, 2);
    EXPECT_EQ(g.play.PauseState, -1);
}

using PausePos = std::tuple<int, int, int>;  // frame, x, y
class PauseWord : public ::testing::TestWithParam<PausePos> {};

TEST_P(PauseWord, DriftsAroundTheField) {
    const auto [frame, x, y] = GetParam();
    PlayingGame p;
    Game& g = *p.g;
    g.play.PauseState = 1;
    g.shell.FrameCounter = frame - 1;
    p.Screen();
    ASSERT_FALSE(g.text.calls.empty());
    EXPECT_EQ(g.text.calls[0].text, "Pause");
    EXPECT_EQ(g.text.calls[0].x, x);
    EXPECT_EQ(g.text.calls[0].y, y);
}

INSTANTIATE_TEST_SUITE_P(Frames, PauseWord,
                         ::testing::Values(PausePos{300, 396, 406}, PausePos{942, 196, 270},
                                           PausePos{150, 440, 396}));

enum class Action { kEscape, kEnd, kMusic, kPause, kTip };
using PanelCase = std::tuple<Action, int>;  // action, 0 playing / 1 cleared / 2 time up
class SidePanel : public ::testing::TestWithParam<PanelCase> {};

TEST_P(SidePanel, ActsWhilePlayingAndIsDeadDuringTheEndSequences) {
    const auto [action, phase] = GetParam();
    PlayingGame p;
    Game& g = *p.g;
    if (phase == 1) {
        g.play.LevelCleared = 1;
        g.play.ClearedTimer = 300;
    }
    if (phase == 2) {
        g.play.TimeUp = 1;
        g.play.TimeUpTimer = 200;
    }
    switch (action) {
        case Action::kEscape:
            g.input.KeyEscape = 1;
            break;
        case Action::kEnd:
            p.ClickButton(3);
            break;
        case Action::kMusic:
            p.ClickButton(4);
            break;
        case Action::kPause:
            p.ClickButton(2);
            break;
        case Action::kTip:
            p.ClickButton(1);
            break;
    }
    const int effectsBefore = g.effects.EffectKind[1];
    p.Screen();
    const bool live = phase == 0;
    EXPECT_EQ(p.Drew("Tipp"), live);
    const bool leaves = live && (action == Action::kEscape || action == Action::kEnd);
    EXPECT_EQ(g.shell.ScreenId, leaves ? kScreenMainMenu : kScreenGame);
    EXPECT_EQ(g.shell.GameInProgress, leaves ? 2 : 1);
    EXPECT_EQ(g.shell.MusicOn, live && action == Action::kMusic ? -1 : 1);
    EXPECT_EQ(g.shell.MusicVolumeTarget, live && action == Action::kMusic ? 0 : 100);
    EXPECT_EQ(g.play.PauseState, live && action == Action::kPause ? 1 : -1);
    if (live && action == Action::kTip) {
        EXPECT_GE(g.effects.EffectKind[1], 2);  // sparkles from the stone with the bomb
    } else {
        EXPECT_EQ(g.effects.EffectKind[1], effectsBefore);
    }
    if (leaves) {
        EXPECT_EQ(g.stones.StoneState[11], 1);  // the game is kept for resuming
    }
}

INSTANTIATE_TEST_SUITE_P(Actions, SidePanel,
                         ::testing::Combine(::testing::Values(Action::kEscape, Action::kEnd,
                                                              Action::kMusic, Action::kPause,
                                                              Action::kTip),
                                            ::testing::Values(0, 1, 2)));

TEST(SidePanel, MusicButtonTwiceRestoresTheSetting) {
    PlayingGame p;
    Game& g = *p.g;
    g.shell.MusicVolumeSetting = 60;
    p.ClickButton(4);
    p.Screen();
    EXPECT_EQ(g.shell.SoundOn, 0);
    g.input.MouseButtonDown = 0;
    p.ClickButton(4);
    p.Screen();
    EXPECT_EQ(g.shell.MusicOn, 1);
    EXPECT_EQ(g.shell.SoundOn, 1);
    EXPECT_EQ(g.shell.MusicVolumeTarget, 60);
}

TEST(SidePanel, HintSparklesFiveTimesAtEveryStoneWithAnExtra) {
    PlayingGame p;
    Game& g = *p.g;
    p.ClickButton(1);
    p.Screen();
    int sparkles = 0;
    for (int i = 1; i <= kMaxEffects; ++i) {
        if (g.effects.EffectKind[i] < 2) continue;
        ++sparkles;
        EXPECT_EQ(g.effects.EffectX[i], 206);
        EXPECT_EQ(g.effects.EffectY[i], 30);
    }
    EXPECT_EQ(sparkles, 5);
}

TEST(GameOverSequence, FireCountsFromThe131stStepAfterTheTimeRanOut) {
    PlayingGame p;
    Game& g = *p.g;
    g.play.Score = 700;
    g.play.ShownScore = 700;
    g.play.TimeUp = 1;
    g.play.TimeUpTimer = 200;
    g.input.FireKey = 1;
    int steps = 0;
    bool finishedLine = false, pressLine = false;
    while (g.shell.ScreenId == kScreenGame && steps < 500) {
        g.text.calls.clear();
        p.Step();
        ++steps;
        if (steps == 1) {
            EXPECT_TRUE(p.Drew("Zeit abgelaufen!"));
            EXPECT_TRUE(p.Drew("Spiel beendet mit 700 Punkten"));
            EXPECT_FALSE(p.Drew("Menue zu gelangen."));
        }
        finishedLine |= p.Drew("Spiel beendet mit 700 Punkten");
        if (steps == 101) pressLine = p.Drew("Bitte Feuer drücken um ins") && p.Drew("Menue zu gelangen.");
    }
    EXPECT_EQ(steps, 131);
    EXPECT_TRUE(finishedLine && pressLine);
    EXPECT_EQ(g.shell.ScreenId, kScreenMainMenu);  // 700 is no highscore
    EXPECT_EQ(g.stones.StoneState[1], 0);
}

using RankCase = std::tuple<int, int>;  // score, place (0 = none)
class HighscoreCheck : public ::testing::TestWithParam<RankCase> {};

TEST_P(HighscoreCheck, ScoreAboveAPlaceEntersBelowEqualScores) {
    const auto [score, place] = GetParam();
    PlayingGame p;
    Game& g = *p.g;
    for (int r = 1; r <= 7; ++r) g.menus.HighscoreName[kModePuzzle][r] = "quarzbau";
    GameOver(g, score);
    EXPECT_EQ(g.menus.NewHighscore, place > 0 ? 1 : 0);
    EXPECT_EQ(g.shell.ScreenId, place > 0 ? kScreenNewChampion : kScreenMainMenu);
    if (place > 0) {
        EXPECT_EQ(g.menus.EntryRank, place);
        EXPECT_EQ(g.menus.HighscoreScore[kModePuzzle][place], score);
    }
    EXPECT_EQ(g.extras.ExtraType[1], 0);
}

INSTANTIATE_TEST_SUITE_P(Scores, HighscoreCheck,
                         ::testing::Values(RankCase{10000, 0}, RankCase{10001, 7},
                                           RankCase{50000, 4}, RankCase{999999, 1},
                                           RankCase{0, 0}));

}  // namespace
