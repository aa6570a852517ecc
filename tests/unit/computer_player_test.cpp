// The computer opponent: it plays only as a person with a mouse could, never touches the game's
// state or generator while it thinks, finds the shot that makes a group, clears a field it can,
// keeps its opponent through saves and snapshots; the person's mouse on the left field; the
// remembered choice and the highscore score against the computer.
#include "modes/computer_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/state_io.h"
#include "crafted_level.h"
#include "menus/record_file.h"
#include "menus/saved_games.h"
#include "menus/settings.h"
#include "menus_fixture.h"
#include "modes/match.h"
#include "runner/runner.h"
#include "shell/snapshot.h"
#include "test_support.h"

namespace {

using Cells = std::map<int, std::pair<int, int>>;

// A match in progress on a real match level, the computer of the given strength on the right.
struct ComputerGame {
    std::unique_ptr<TestGame> t;
    Game* g = nullptr;
    explicit ComputerGame(int strength, int level = 1, std::uint64_t seed = 1,
                          const std::string& res = RHOMBULUS_RES_DIR) {
        t = std::make_unique<TestGame>(res, seed);
        g = &t->game;
        g->shell.FrameCounter = 3;  // past start-up
        g->input.MouseX = 200;      // the person's pointer rests over the left field
        g->input.MouseY = 300;
        g->computer.Strength[2] = strength;
        EXPECT_TRUE(StartMatchLevel(*g, g->env, level, 1, false, true));
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) SimulateTick(*g);
    }
};

// Stirs the right field: takes some stones away and hangs random ones on the lattice.
void Stir(Game& g, Random& r) {
    StoneTable& t = g.stones;
    for (int s = 1; s <= 2 * t.StoneCount; ++s) {
        if (t.StoneState[s] > 0 && t.StoneX[s] > 400 && t.StoneColour[s] < kAnchorColour &&
            r.Next(3) == 0)
            RemoveStone(g, s);
    }
    const int extra = r.Next(25);
    for (int k = 0; k < extra; ++k) {
        const int row = r.Range(1, 16);
        const int col = r.Range(2, 16);
        if ((row + col) % 2 == 0) continue;  // off the lattice
        const int x = 440 + 20 * col;
        const int y = 110 + 20 * row;
        bool taken = false;
        for (int s = 1; s <= 2 * t.StoneCount; ++s)
            taken = taken || (t.StoneState[s] > 0 && t.StoneX[s] == x && t.StoneY[s] == y);
        if (!taken) AddStone(g, x, y, r.Range(1, 9), r.Next(4) == 0 ? r.Range(1, 6) : 0);
    }
}

class ComputerCommands : public ::testing::TestWithParam<int> {};

// Over many stirred fields, tick by tick: the pointer moves no further than a hand moves a mouse
// and stays over the right field, a click lasts one tick, and a shot leaves only in a tick in
// which the computer clicked; the person's input is never touched.
TEST_P(ComputerCommands, AreOnlyWhatAPersonWithAMouseCouldDo) {
    const int strength = GetParam();
    Random r;
    r.Seed(100 + strength);
    int clicks = 0, shots = 0;
    for (int field = 0; field < 24; ++field) {
        ComputerGame cg(strength, r.Range(1, 50), 1 + field);
        Game& g = *cg.g;
        Stir(g, r);
        for (int tick = 0; tick < 360 && g.play.LevelCleared == 0; ++tick) {
            const ComputerMind before = g.computer.Mind[2];
            const CannonState cannon = g.players[2].cannon;
            const InputState input = g.input;
            cg.Tick();
            const ComputerMind& now = g.computer.Mind[2];
            const CannonState& c = g.players[2].cannon;
            ASSERT_LE(std::abs(now.PointerX - before.PointerX), kPointerStepLimit);
            ASSERT_GE(now.PointerX, kMatchPointerMinX);
            ASSERT_LE(now.PointerX, kScreenWidth - 1);
            const bool clicked = now.Pressed != 0;
            if (clicked) {
                ASSERT_EQ(before.Pressed, 0) << "two clicks without the button coming up";
                ++clicks;
            }
            // A shot left: the cannon started reloading with nothing of its own flying before.
            if (g.play.LevelCleared == 0 && cannon.NothingFlying == 1 && c.NothingFlying == 0) {
                ASSERT_TRUE(clicked) << "a shot without a click, field " << field;
                ++shots;
            }
            ASSERT_EQ(g.input.MouseX, input.MouseX);
            ASSERT_EQ(g.input.MouseButtonDown, input.MouseButtonDown);
            ASSERT_EQ(g.input.KeyLeft + g.input.KeyRight, 0);
        }
    }
    // It did play: most clicks took.
    EXPECT_GT(shots, 24);
    EXPECT_GE(clicks, shots);
}

INSTANTIATE_TEST_SUITE_P(Strengths, ComputerCommands,
                         ::testing::Values(kComputerEasy, kComputerNormal, kComputerHard));

// Thinking reads the game and writes only the computer's own state: the game's generator, the
// field, the cannons and the input are the same afterwards.
TEST(ComputerCommand, ChangesNothingOfTheGameButItsOwnMind) {
    for (int strength = kComputerEasy; strength <= kComputerHard; ++strength) {
        ComputerGame cg(strength, 5);
        Game& g = *cg.g;
        for (int tick = 0; tick < 200; ++tick) {
            auto before = std::make_unique<Simulation>(g.sim());
            ComputerCommand(g, 2);
            // Everything but the computer's own thoughts is as it was.
            auto seen = std::make_unique<Simulation>(g.sim());
            seen->computer = before->computer;
            ASSERT_EQ(StateHash(*seen), StateHash(*before)) << "tick " << tick;
            cg.Tick();
        }
    }
}

struct ModelCase {
    const char* what;
    Cells cells;
    int colour;
    int bestX;  // the right field's column it should like best
};

void PrintTo(const ModelCase& c, std::ostream* os) {
    *os << c.what;
}

class ComputerModel : public ::testing::TestWithParam<ModelCase> {};

// The column the model weighs highest for the stone on the cannon, at both look-aheads.
TEST_P(ComputerModel, LikesTheColumnThatMakesAGroupBest) {
    const ModelCase& c = GetParam();
    CraftedRes res;
    res.Write("lvl0001two.lvl", c.cells);
    ComputerGame cg(kComputerHard, 1, 1, res.Dir());
    for (int look = 1; look <= 2; ++look) {
        int best = 0;
        double bestValue = -1e18;
        for (int x = 480; x <= 760; x += 20) {
            const double v = WeighColumn(*cg.g, 2, c.colour, x, look);
            if (v > bestValue) bestValue = v, best = x;
        }
        EXPECT_EQ(best, c.bestX) << "look-ahead " << look;
    }
}

// Cell (row, column) of the level lies at x 800 - 40 column (- 20 in rows of 9) on the right.
INSTANTIATE_TEST_SUITE_P(
    Fields, ComputerModel,
    ::testing::Values(
        ModelCase{"pair in the middle",
                  {{LatticeCell(2, 4), {0, 0}}, {LatticeCell(2, 5), {0, 0}}},
                  1,
                  620},
        ModelCase{
            "pair to the left, another colour elsewhere",
            {{LatticeCell(2, 6), {2, 0}}, {LatticeCell(2, 7), {2, 0}}, {LatticeCell(2, 1), {4, 0}}},
            3,
            540},
        ModelCase{
            "a stone hanging below a pair falls away too",
            {{LatticeCell(2, 2), {1, 0}}, {LatticeCell(2, 3), {1, 0}}, {LatticeCell(3, 1), {5, 0}}},
            2,
            700}));

class ComputerPause : public ::testing::TestWithParam<int> {};

// From the tick it sees a loaded cannon to its click it takes its reaction and its pause to
// decide, then the way of its pointer and the still hand: never less, and not much more.
TEST_P(ComputerPause, EachShotWaitsForTheReactionAndThePauseToDecide) {
    const ComputerTraits& t = TraitsOf(GetParam());
    int shots = 0;
    for (int level = 1; level <= 6; ++level) {
        ComputerGame cg(GetParam(), level, 10 + level);
        Game& g = *cg.g;
        int seen = -1;
        for (int tick = 0; tick < 1200 && g.play.LevelCleared == 0; ++tick) {
            const int phase = g.computer.Mind[2].Phase;
            cg.Tick();
            const ComputerMind& m = g.computer.Mind[2];
            if (phase == 0 && m.Phase == 1) seen = tick;
            if (m.Pressed == 0 || seen < 0 || phase == 3) continue;
            const int took = tick - seen;
            // The pointer crosses its field's 360 px at most.
            const int way = 360 / t.pointerStep + 1;
            ASSERT_GE(took, t.reactMin + t.thinkMin + t.settleTicks) << "level " << level;
            ASSERT_LE(took, t.reactMax + t.thinkMax + way + t.settleTicks + 1) << "level " << level;
            seen = -1;
            ++shots;
        }
    }
    EXPECT_GE(shots, 6);
}

INSTANTIATE_TEST_SUITE_P(Strengths, ComputerPause,
                         ::testing::Values(kComputerEasy, kComputerNormal, kComputerHard));

struct HandCase {
    int aimError;
    bool misses;
};

void PrintTo(const HandCase& c, std::ostream* os) {
    *os << "aim off by up to " << c.aimError << " px";
}

class ComputerHand : public ::testing::TestWithParam<HandCase> {};

// The hand lands near the middle of the column it chose, as far off as its traits let it: within
// half a column it always takes the column, a shakier hand now and then the next one, never one
// further. Played on the left field through the person's mouse, as the level tools' models play.
TEST_P(ComputerHand, MissesTheColumnOnlyWhenItShakesAndOnlyByOne) {
    ComputerTraits traits = TraitsOf(kComputerHard);
    traits.aimError = GetParam().aimError;
    traits.thinkMin = traits.thinkMax = 0;
    int shots = 0, missed = 0;
    for (int level = 1; level <= 20; ++level) {
        ComputerGame cg(kComputerEasy, level, level);
        Game& g = *cg.g;
        ComputerMind mind;
        mind.rng.Seed(static_cast<std::uint64_t>(level));
        mind.PointerX = g.players[1].cannon.CannonX;
        for (int tick = 0; tick < 1500 && g.play.LevelCleared == 0; ++tick) {
            const PlayerCommand c = MindCommand(g, 1, mind, traits);
            DXDraw1MouseMove(g, c.pointerX, c.pointerY);
            if (c.fire) DXDraw1MouseDown(g);
            const bool ready = g.players[1].cannon.NothingFlying == 1;
            cg.Tick();
            if (c.fire) DXDraw1MouseUp(g);
            const CannonState& cannon = g.players[1].cannon;
            if (!ready || cannon.NothingFlying != 0) continue;
            ++shots;
            const int column =
                std::clamp(cannon.CannonTargetX, cannon.CannonMinX, cannon.CannonMaxX);
            ASSERT_LE(std::abs(column - mind.Target), 20) << "level " << level;
            missed += column != mind.Target ? 1 : 0;
        }
    }
    EXPECT_GT(shots, 60);
    if (GetParam().misses) {
        EXPECT_GT(missed, 0);
        EXPECT_LT(missed * 3, shots);
    } else {
        EXPECT_EQ(missed, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Hands, ComputerHand,
                         ::testing::Values(HandCase{0, false}, HandCase{9, false},
                                           HandCase{16, true}));

struct PointerCase {
    int x, y;
    bool fires;
    int targetX;  // player 1's column afterwards
};

class PersonAgainstComputer : public ::testing::TestWithParam<PointerCase> {};

// Against the computer the person's mouse aims the left cannon from anywhere on the screen and
// fires, except on the match's own buttons.
TEST_P(PersonAgainstComputer, MouseAimsAndFiresTheLeftField) {
    const PointerCase& c = GetParam();
    ComputerGame cg(kComputerNormal, 3);
    Game& g = *cg.g;
    for (int i = 0; i < 40 && g.players[1].cannon.NeedReload != 0; ++i) cg.Tick();
    DXDraw1MouseMove(g, c.x, c.y);
    cg.Tick(30);
    DXDraw1MouseDown(g);
    cg.Tick();
    DXDraw1MouseUp(g);
    EXPECT_EQ(g.players[1].cannon.CannonTargetX, c.targetX);
    EXPECT_EQ(g.players[1].cannon.NothingFlying == 0, c.fires);
}

INSTANTIATE_TEST_SUITE_P(Pointer, PersonAgainstComputer,
                         ::testing::Values(PointerCase{100, 300, true, 100},
                                           PointerCase{255, 200, true, 240},
                                           PointerCase{700, 300, true, 320},
                                           PointerCase{10, 300, true, 40},
                                           PointerCase{400, 467, false, 320}));

TEST(PersonAgainstComputer, KeysStillMoveTheLeftCannonAndThePointerFollows) {
    ComputerGame cg(kComputerNormal, 3);
    Game& g = *cg.g;
    cg.t->game.keys.Event(kButtonLeft, kFromKeyboard, true);
    cg.Tick(8);
    cg.t->game.keys.Event(kButtonLeft, kFromKeyboard, false);
    cg.Tick(2);
    EXPECT_EQ(g.players[1].cannon.CannonTargetX, 160);
    EXPECT_EQ(g.input.MouseX, 160);
}

struct OpponentFileCase {
    std::vector<std::uint8_t> bytes;  // empty: no file
    bool read;
    int choice;
};

class OpponentSetting : public ::testing::TestWithParam<OpponentFileCase> {};

TEST_P(OpponentSetting, ReadsOnlyAWholeFileWithAStrengthAndElseOffersTwoPlayers) {
    const OpponentFileCase& c = GetParam();
    MenuGame m;
    if (!c.bytes.empty()) m.res.WriteBytes(m.res.Saves("opponent.dat"), c.bytes);
    m.g().computer.OpponentChoice = 3;
    EXPECT_EQ(ReadOpponentChoice(m.g(), kOpponentFile), c.read);
    EXPECT_EQ(m.g().computer.OpponentChoice, c.choice);
}

INSTANTIATE_TEST_SUITE_P(Files, OpponentSetting,
                         ::testing::Values(OpponentFileCase{{}, false, 0},
                                           OpponentFileCase{{0, 0, 0, 0, 2, 0, 0, 0}, true, 2},
                                           OpponentFileCase{{0, 0, 0, 0, 3, 0, 0, 0, 9}, false, 0},
                                           OpponentFileCase{{0, 0, 0, 0, 2, 0, 0}, false, 0},
                                           OpponentFileCase{{0, 0, 0, 0, 4, 0, 0, 0}, false, 0},
                                           OpponentFileCase{
                                               {0, 0, 0, 0, 0xff, 0xff, 0xff, 0xff}, false, 0}));

TEST(OpponentSetting, WrittenAsEightBytesAndTheSettingsFileKeepsItsSixteen) {
    MenuGame m;
    m.g().computer.OpponentChoice = 2;
    ASSERT_TRUE(WriteOpponentChoice(m.g(), kOpponentFile));
    ASSERT_TRUE(WriteSettings(m.g(), kSettingsFile));
    EXPECT_EQ(m.res.ReadBytes(m.res.Saves("opponent.dat")),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 2, 0, 0, 0}));
    EXPECT_EQ(m.res.ReadBytes(m.res.Saves("settings.dat")).size(), 16u);
}

struct SavedOpponentCase {
    int mode;
    int strength;
    bool companion;  // the file beside the slot is there
    int loaded;
};

class SavedOpponent : public ::testing::TestWithParam<SavedOpponentCase> {};

TEST_P(SavedOpponent, LivesBesideTheSlotWhoseFortyEightBytesStayAsTheyAre) {
    const SavedOpponentCase& c = GetParam();
    MenuGame m;
    Game& g = m.g();
    g.play.GameMode = c.mode;
    g.play.LevelNumber = 8;
    g.computer.Strength[2] = c.strength;
    const std::vector<std::uint8_t> before = SavedGameBytes(g);
    ASSERT_TRUE(WriteSavedGame(g, SlotFile(3)));
    EXPECT_EQ(m.res.ReadBytes(m.res.Saves("ave3.dat")), before);
    if (!c.companion) std::filesystem::remove(m.res.Saves("ave3opp.dat"));
    g.computer.Strength[2] = kNoComputer;
    LevelStartRequest slot;
    ASSERT_TRUE(ReadSavedGame(g, SlotFile(3), slot));
    EXPECT_EQ(slot.opponent, c.loaded);
}

INSTANTIATE_TEST_SUITE_P(Slots, SavedOpponent,
                         ::testing::Values(SavedOpponentCase{kModeMatch, 3, true, 3},
                                           SavedOpponentCase{kModeMatch, 1, true, 1},
                                           SavedOpponentCase{kModeMatch, 0, true, 0},
                                           SavedOpponentCase{kModeMatch, 2, false, 0},
                                           SavedOpponentCase{kModePuzzle, 2, true, 0}));

TEST(ComputerSnapshot, AResumedMatchHasTheSameOpponentThinkingTheSameThoughts) {
    ComputerGame cg(kComputerHard, 20, 4);
    cg.Tick(333);
    cg.g->computer.OpponentChoice = 1;
    const std::vector<std::uint8_t> bytes = SnapshotBytes(*cg.g);
    TestGame other;
    other.game.computer.OpponentChoice = 2;
    std::string why;
    ASSERT_TRUE(RestoreSnapshotBytes(other.game, bytes, why)) << why;
    Game& a = *cg.g;
    Game& b = other.game;
    // The setting is the start's own, not the snapshot's.
    EXPECT_EQ(b.computer.OpponentChoice, 2);
    EXPECT_EQ(b.computer.Strength[2], kComputerHard);
    b.shell = a.shell;
    b.input = a.input;
    b.buttons = a.buttons;
    for (int tick = 0; tick < 600; ++tick) {
        SimulateTick(a);
        SimulateTick(b);
        ASSERT_EQ(a.computer.Mind[2].PointerX, b.computer.Mind[2].PointerX) << tick;
        ASSERT_EQ(a.players[2].StonesLeft, b.players[2].StonesLeft) << tick;
    }
}

struct FinalScoreCase {
    int leftStrength, rightStrength, winner;
    int expected;
};

class MatchFinal : public ::testing::TestWithParam<FinalScoreCase> {};

TEST_P(MatchFinal, TheTableGetsTheWinnersScoreButAgainstTheComputerThePersons) {
    const FinalScoreCase& c = GetParam();
    TestGame t;
    t.game.computer.Strength = {0, c.leftStrength, c.rightStrength};
    t.game.players[1].ShownScore = 1500;
    t.game.players[2].ShownScore = 9000;
    EXPECT_EQ(MatchFinalScore(t.game, c.winner), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MatchFinal,
                         ::testing::Values(FinalScoreCase{0, 0, 1, 1500},
                                           FinalScoreCase{0, 0, 2, 9000},
                                           FinalScoreCase{0, 2, 2, 1500},
                                           FinalScoreCase{0, 3, 1, 1500}));

}  // namespace

namespace {

// A recording names the remembered opponent after start-up; the runner takes it in place of its
// own file's, so that a replay starts the same match.
TEST(OpponentReplay, TheScriptEventSetsTheChoiceAndOnlyAStrengthIsTaken) {
    for (const auto& [line, ok, choice] :
         {std::tuple{"3 opponent 2", true, 2}, std::tuple{"3 opponent 0", true, 0},
          std::tuple{"3 opponent 4", false, 1}, std::tuple{"3 opponent", false, 1}}) {
        std::vector<ScriptEvent> events;
        std::string error;
        ASSERT_EQ(ParseInputScript(line, events, error), ok) << line;
        TestGame t;
        t.game.computer.OpponentChoice = 1;
        bool focused = true;
        for (const ScriptEvent& e : events) ApplyScriptEvent(t.game, e, focused);
        EXPECT_EQ(t.game.computer.OpponentChoice, choice) << line;
    }
}

}  // namespace
