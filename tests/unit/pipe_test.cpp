// The pipe game: its field, stock and piece column, the water and its points, the flow in the
// game step with its won and lost sequences, and the level start with damaged level files.
#include "modes/pipe.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "crafted_level.h"
#include "modes/game_screen.h"
#include "modes/level_start.h"
#include "playfield/cannon.h"
#include "playfield/field_rules.h"
#include "playfield/tables.h"
#include "test_support.h"

namespace {

constexpr int M = 335;
// The source barrel's top at (215, 30), the target's at (455, 30): centres (215, 60) and
// (455, 60), outlet (245, 120), inlet (425, 120).
constexpr int kOutletX = 245, kOutletY = 120;
constexpr int kInletX = 425, kInletY = 120;

int Cell(int row, int column) {
    return LatticeCell(row, column);
}

// A pipe field on a fresh game: the ceiling and the two barrels, nothing else.
class PipeField : public ::testing::Test {
  protected:
    TestGame tg;
    Game& g = tg.game;

    PipeField() {
        g.play.GameMode = kModePipe;
        g.play.FieldCentreX = M;
        g.play.LevelNumber = 5;
        g.players[kSoloPlayer].TimeLeft = 1000;
        g.stones.StoneCount = 200;
        for (int i = -3; i <= 5; ++i) AddStone(g, M - 30 + 60 * i, 0, kAnchorColour, 0);
        PlaceBarrel(g, 215, 30, Barrel::kSource);
        PlaceBarrel(g, 455, 30, Barrel::kTarget);
        g.pipe.WaterHead = kWaterNotStarted;
        g.pipe.SourceWater = kBarrelFull;
        SetPipeStock(g);
    }
    int Piece(int x, int y, int kind, bool preset = false) {
        const int s = AddStone(g, x, y, kind, 0);
        g.stones.StonePreset[s] = preset ? 1 : 0;
        return s;
    }
    bool Filled(int slot) const { return g.stones.StoneFilled[slot] != 0; }
    bool Requested(int sound) const { return g.sound.SoundRequest[sound] != 0; }
};

// --- the field, the barrels and the stock ----------------------------------------------------

TEST_F(PipeField, ABarrelIsFourStonesAroundItsCentre) {
    EXPECT_EQ(std::make_tuple(g.pipe.SourceX, g.pipe.SourceY, g.pipe.DrainX, g.pipe.DrainY),
              std::make_tuple(215, 60, 455, 60));
    // Slots 10..13: left, right, top, bottom.
    const StoneTable& t = g.stones;
    EXPECT_EQ(std::make_tuple(t.StoneX[10], t.StoneY[10], t.StoneX[11], t.StoneY[11]),
              std::make_tuple(185, 60, 245, 60));
    EXPECT_EQ(std::make_tuple(t.StoneX[12], t.StoneY[12], t.StoneX[13], t.StoneY[13]),
              std::make_tuple(215, 30, 215, 90));
    for (int s = 10; s <= 17; ++s) EXPECT_EQ(t.StoneColour[s], kPipeBarrel);
}

// A level cell code at row 3, column 4 (x 335, y 90) and what the build makes of it.
struct BuildCase {
    int code;
    int extra;
    int stones;  // stones built besides the nine anchors
    int kind;    // of the stone at the cell, 0 for none there
    bool preset;
};

class PipeBuild : public ::testing::TestWithParam<BuildCase> {};

TEST_P(PipeBuild, EachCodeBuildsItsStone) {
    const BuildCase& c = GetParam();
    TestGame t;
    Game& g = t.game;
    g.play.LevelNumber = 3;
    g.play.FieldCentreX = M;
    g.level.LevelCell.fill(-1);
    g.level.LevelCell[Cell(3, 4)] = c.code;
    g.level.LevelCellExtra[Cell(3, 4)] = c.extra;
    // Column 0 is never built, whatever it holds.
    g.level.LevelCell[Cell(4, 0)] = 0;
    g.level.LevelCell[Cell(5, 0)] = 7;
    BuildPipeField(g);
    int present = 0;
    int at = 0;
    for (int s = 1; s <= kMaxStones; ++s) {
        if (g.stones.StoneState[s] <= 0) continue;
        ++present;
        if (g.stones.StoneX[s] == M - 270 + 60 * 4 + 30 && g.stones.StoneY[s] == 90) at = s;
    }
    EXPECT_EQ(present, 9 + c.stones);
    EXPECT_EQ(g.stones.StoneX[1], M - 210);  // the leftmost ceiling place stays empty
    EXPECT_EQ(g.stones.StoneCount, 200);
    if (c.kind == 0) {
        EXPECT_EQ(at, 0);
        return;
    }
    ASSERT_NE(at, 0);
    EXPECT_EQ(g.stones.StoneColour[at], c.kind);
    EXPECT_EQ(g.stones.StonePreset[at] != 0, c.preset);
    EXPECT_EQ(g.stones.StoneExtra[at], c.kind == kPipeBarrel ? 0 : c.extra);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, PipeBuild,
    ::testing::Values(BuildCase{-1, 0, 0, 0, false}, BuildCase{0, 0, 1, 1, true},
                      BuildCase{1, 6, 1, 2, true}, BuildCase{2, 0, 1, 3, false},
                      BuildCase{3, 0, 1, 4, false}, BuildCase{5, 0, 1, 6, false},
                      BuildCase{6, 0, 4, kPipeBarrel, false},
                      BuildCase{7, 3, 4, kPipeBarrel, false},
                      BuildCase{8, 2, 1, kPipeObstacle, false}, BuildCase{9, 0, 0, 0, false},
                      BuildCase{55, 0, 0, 0, false}));

// --- the water -------------------------------------------------------------------------------

// The kind of the piece at the outlet (0: none) and whether the water takes it.
class TapOpens : public PipeField, public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(TapOpens, OnlyAPieceOpenToTheNorthWestTakesTheWater) {
    const auto [kind, taken] = GetParam();
    const int s = kind != 0 ? Piece(kOutletX, kOutletY, kind) : 0;
    WaterStep(g, kWaterNotStarted);
    EXPECT_EQ(g.play.TimeUp != 0, !taken);
    EXPECT_EQ(g.play.TimeUpTimer, taken ? 0 : 200);
    if (taken) {
        EXPECT_EQ(g.pipe.WaterHead, s);
        EXPECT_TRUE(Filled(s));
        // The first piece earns nothing and leaves the source full.
        EXPECT_EQ(g.players[kSoloPlayer].Score, 0);
        EXPECT_EQ(g.pipe.SourceWater, kBarrelFull);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, TapOpens,
                         ::testing::Values(std::tuple{0, false}, std::tuple{1, true},
                                           std::tuple{2, false}, std::tuple{3, false},
                                           std::tuple{4, true}, std::tuple{5, true},
                                           std::tuple{6, false}, std::tuple{8, false},
                                           std::tuple{9, false}));

TEST_F(PipeField, AStraightThenABendThenOnlyTheBendsOtherOpening) {
    const int straight = Piece(kOutletX, kOutletY, kPipeFalling);
    const int bend = Piece(kOutletX + 30, kOutletY + 30, kPipeBendUp);
    // Pieces that would take water from the bend, were it open towards them.
    const int below = Piece(kOutletX + 60, kOutletY + 60, kPipeFalling);
    const int left = Piece(kOutletX, kOutletY + 60, kPipeRising);
    const int next = Piece(kOutletX + 60, kOutletY, kPipeRising);
    WaterStep(g, g.pipe.WaterHead);
    WaterStep(g, g.pipe.WaterHead);
    EXPECT_TRUE(Filled(straight) && Filled(bend));
    EXPECT_EQ(g.pipe.WaterHead, bend);
    EXPECT_EQ(g.players[kSoloPlayer].Score, 100);
    EXPECT_EQ(g.pipe.SourceWater, kBarrelFull - 1);
    WaterStep(g, g.pipe.WaterHead);
    EXPECT_EQ(g.pipe.WaterHead, next);
    EXPECT_FALSE(Filled(below) || Filled(left));
    EXPECT_EQ(g.play.TimeUp, 0);
    // From the rising straight the water finds nothing: the game is lost.
    WaterStep(g, g.pipe.WaterHead);
    EXPECT_EQ(g.play.TimeUp, 1);
    EXPECT_EQ(g.players[kSoloPlayer].Score, 200);
}

// The kind of the head at the inlet; kinds open to the north-east reach the target.
class AtTheInlet : public PipeField, public ::testing::WithParamInterface<int> {};

TEST_P(AtTheInlet, AHeadOpenToTheTargetWinsOverAnyPieceThatAlsoConnects) {
    const int kind = GetParam();
    const bool wins = kind == 2 || kind == 3 || kind == 4;
    const int head = Piece(kInletX, kInletY, kind);
    g.stones.StoneFilled[head] = 1;
    g.pipe.WaterHead = head;
    // Something that connects to every opening of every kind but the target's.
    for (auto [dx, dy, k] : {std::tuple{-30, -30, 1}, {-30, 30, 2}, {30, 30, 1}}) {
        Piece(kInletX + dx, kInletY + dy, k);
    }
    const int scoreBefore = g.players[kSoloPlayer].Score;
    WaterStep(g, head);
    EXPECT_EQ(g.play.LevelCleared != 0, wins);
    if (wins) {
        EXPECT_EQ(g.play.ClearedTimer, 300);
        EXPECT_EQ(g.pipe.WaterHead, head);
        EXPECT_EQ(g.players[kSoloPlayer].Score, scoreBefore);
        EXPECT_TRUE(Requested(sndBlubber2));
        EXPECT_EQ(g.sound.SoundX[sndBlubber2], 455);
    } else {
        EXPECT_NE(g.pipe.WaterHead, head);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, AtTheInlet, ::testing::Values(1, 2, 3, 4, 5, 6));

// Bonus piece, X2 running: points, the number shown rising, the collect sound.
struct PointsCase {
    bool preset;
    bool doubled;
    int points;
    const char* shown;  // nullptr: no rising number
};

class WaterPoints : public PipeField, public ::testing::WithParamInterface<PointsCase> {};

TEST_P(WaterPoints, OrdinaryPiecesPayAHundredBonusPiecesAThousand) {
    const PointsCase& c = GetParam();
    const int first = Piece(kOutletX, kOutletY, kPipeFalling);
    Piece(kOutletX + 30, kOutletY + 30, kPipeFalling, c.preset);
    g.players[kSoloPlayer].DoubleFrames = c.doubled ? 100 : 0;
    WaterStep(g, kWaterNotStarted);
    EXPECT_EQ(g.pipe.WaterHead, first);
    WaterStep(g, first);
    EXPECT_EQ(g.players[kSoloPlayer].Score, c.points);
    int texts = 0;
    std::string text;
    for (int i = 1; i <= kMaxFloatingTexts; ++i) {
        if (g.floatingTexts.TextLife[i] <= 0) continue;
        ++texts;
        text = g.floatingTexts.TextString[i];
    }
    EXPECT_EQ(texts, c.shown != nullptr ? 1 : 0);
    if (c.shown != nullptr) {
        EXPECT_EQ(text, c.shown);
    }
    EXPECT_EQ(Requested(sndEinsamm), c.preset);
}

INSTANTIATE_TEST_SUITE_P(Pieces, WaterPoints,
                         ::testing::Values(PointsCase{false, false, 100, nullptr},
                                           PointsCase{true, false, 1000, "1000"},
                                           PointsCase{false, true, 200, nullptr},
                                           PointsCase{true, true, 2000, "2000"}));

TEST_F(PipeField, OfTwoPiecesInOnePlaceTheHigherSlotTakesTheWater) {
    const int first = Piece(kOutletX, kOutletY, kPipeBendUp);
    const int second = Piece(kOutletX, kOutletY, kPipeFalling);
    WaterStep(g, kWaterNotStarted);
    EXPECT_EQ(g.pipe.WaterHead, std::max(first, second));
}

TEST_F(PipeField, AHeadThatBurstMeanwhileLeadsNowhere) {
    const int s = Piece(kOutletX, kOutletY, kPipeFalling);
    Piece(kOutletX + 30, kOutletY + 30, kPipeFalling);
    WaterStep(g, kWaterNotStarted);
    RemoveStone(g, s);
    g.stones.StoneCursor = s - 1;
    ASSERT_EQ(AddStone(g, 350, 500, kPipeFalling, 0), s);  // a new piece takes the slot over
    WaterStep(g, s);
    EXPECT_EQ(g.play.TimeUp, 1);
}

// --- the piece column ------------------------------------------------------------------------

class PieceColumn : public PipeField {
  protected:
    PieceColumn() {
        g.players[kSoloPlayer].cannon.CannonX = 350;
        g.players[kSoloPlayer].cannon.CannonXf = 350;
        g.players[kSoloPlayer].cannon.CannonLoad = kFullLoad;
        g.players[kSoloPlayer].cannon.NeedReload = 1;
        g.players[kSoloPlayer].cannon.LoadedStone = 0;
        g.input.MouseX = 40;
        g.input.MouseY = 57;
    }
    void Step() {
        g.stones.StoneCursor = g.effects.EffectCursor = g.extras.ExtraCursor = 0;
        ++g.shell.FrameCounter;
        g.sound.SoundRequest.fill(0);
        CannonStep(g);
    }
    int Loaded() const {
        const int s = g.players[kSoloPlayer].cannon.LoadedStone;
        return IsStoneSlot(s) && g.stones.StoneState[s] > 0 ? g.stones.StoneColour[s] : 0;
    }
};

// Level, pointer y, kind put on the cannon (0: none).
class ColumnRow : public PieceColumn,
                  public ::testing::WithParamInterface<std::tuple<int, int, int>> {};

TEST_P(ColumnRow, APressTakesThePieceOfTheRowUnderThePointer) {
    const auto [level, y, kind] = GetParam();
    g.play.LevelNumber = level;
    SetPipeStock(g);
    const PipeStockRow before = PipeStockFor(level);
    g.input.MouseY = y;
    g.input.MouseButtonDown = 1;
    Step();
    EXPECT_EQ(Loaded(), kind);
    EXPECT_EQ(g.pipe.PipeChoice, (y - 22) / 70);
    EXPECT_EQ(g.players[kSoloPlayer].cannon.NeedReload, kind != 0 ? 0 : 1);
    for (int k = 1; k <= kPipeStockKinds; ++k)
        EXPECT_EQ(g.pipe.PipeStock[k], before[k] - (k == kind ? 1 : 0)) << "kind " << k;
    EXPECT_EQ(Requested(sndTast1), kind != 0);
    if (kind != 0) {
        EXPECT_EQ(g.sound.SoundX[sndTast1], 40);
        EXPECT_EQ(g.stones.StoneY[g.players[kSoloPlayer].cannon.LoadedStone], 500);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ColumnRow,
                         ::testing::Values(std::tuple{5, 57, 1}, std::tuple{5, 10, 1},
                                           std::tuple{5, 127, 2}, std::tuple{5, 301, 4},
                                           std::tuple{5, 302, 5},
                                           std::tuple{5, 441, 0},  // level 5 has no kind 6
                                           std::tuple{1, 441, 6}, std::tuple{5, 442, 8},
                                           std::tuple{5, 511, 8}, std::tuple{5, 512, 8},
                                           std::tuple{5, 581, 8}, std::tuple{5, 582, 0},
                                           std::tuple{4, 582, 9}, std::tuple{1, 599, 9}));

TEST_F(PieceColumn, OneHeldPressTakesOnePieceAndTheColumnRestsWhileItLies) {
    g.input.MouseButtonDown = 1;
    for (int i = 0; i < 200; ++i) Step();
    EXPECT_EQ(g.pipe.PipeStock[kPipeFalling], 6);
    EXPECT_EQ(Loaded(), kPipeFalling);
    // The pointer moving over other rows changes nothing while the piece waits.
    g.input.MouseY = 300;
    for (int i = 0; i < 10; ++i) Step();
    EXPECT_EQ(g.pipe.PipeChoice, 0);
    EXPECT_FALSE(Requested(sndTast2));
    EXPECT_EQ(Loaded(), kPipeFalling);
}

TEST_F(PieceColumn, AnEmptyRowOnlyHumsAsThePointerEntersIt) {
    g.input.MouseY = 440;  // row 5: level 5 has no pieces of kind 6
    g.input.MouseButtonDown = 1;
    Step();
    EXPECT_TRUE(Requested(sndTast2));
    EXPECT_EQ(g.sound.SoundX[sndTast2], 40);
    EXPECT_FALSE(Requested(sndTast1));
    Step();
    EXPECT_FALSE(Requested(sndTast2));
    EXPECT_EQ(Loaded(), 0);
    EXPECT_EQ(g.players[kSoloPlayer].cannon.NeedReload, 1);
}

TEST_F(PieceColumn, RightOfTheColumnThePointerTakesNothingAndFiresFromX81) {
    g.input.MouseX = 80;
    g.input.MouseButtonDown = 1;
    Step();
    EXPECT_EQ(Loaded(), 0);
    g.input.MouseX = 40;
    Step();
    ASSERT_EQ(Loaded(), kPipeFalling);
    const int piece = g.players[kSoloPlayer].cannon.LoadedStone;
    g.input.MouseX = 80;
    g.input.MouseButtonDown = 1;
    Step();
    EXPECT_EQ(g.stones.StoneMotion[piece], 0);
    g.input.MouseX = 81;
    Step();
    EXPECT_EQ(g.stones.StoneMotion[piece], 1);
}

// --- the flow in the game step ---------------------------------------------------------------

// A Pipe game on crafted levels 1 and 2: level 1 has its pipeline built, a falling straight at
// the outlet, a bend, a rising straight up to the inlet... and level 2 nothing at all.
struct PipeGame : CraftedGame {
    explicit PipeGame(int level = 1) {
        // Source top at row 1 column 2 (x 215), target top at row 1 column 6 (x 455).
        const std::map<int, std::pair<int, int>> built = {{Cell(1, 2), {6, 0}},
                                                          {Cell(1, 6), {7, 0}}};
        for (const char* name : {"pipelev1.lvl", "pipelev2.lvl", "pipelev26.lvl"})
            res.Write(name, built);
        Open();
        g->shell.FrameCounter = 10;
        EXPECT_TRUE(StartLevel(*g, g->env, level, kModePipe, 1, 0));
        g->input.MouseX = 700;
    }
    // The pipeline the player would have built: outlet, one cell down, up to the inlet.
    void Pipeline() {
        const int pieces[][3] = {{245, 120, kPipeFalling}, {275, 150, kPipeFalling},
                                 {305, 180, kPipeFalling}, {335, 210, kPipeBendUp},
                                 {365, 180, kPipeRising},  {395, 150, kPipeRising},
                                 {425, 120, kPipeRising}};
        for (const auto& p : pieces) AddStone(*g, p[0], p[1], p[2], 0);
    }
};

TEST(PipeStart, ALevelStartsWithAFullBarAFullSourceAndItsStock) {
    PipeGame p;
    Game& g = *p.g;
    EXPECT_EQ(g.play.FieldCentreX, 335);
    EXPECT_EQ(g.players[kSoloPlayer].TimeLeft, 1000);
    EXPECT_EQ(g.level.LevelStartTime, 1000);
    EXPECT_EQ(std::make_tuple(g.pipe.WaterHead, g.pipe.SourceWater, g.pipe.DrainWater,
                              g.pipe.WaterRunning, g.pipe.TapSoundsLeft),
              std::make_tuple(kWaterNotStarted, 77, 0, 0, 3));
    EXPECT_EQ(g.pipe.PipeStock[kPipeObstacle], 4);
    EXPECT_EQ(std::make_tuple(g.pipe.SourceX, g.pipe.SourceY, g.pipe.DrainX, g.pipe.DrainY),
              std::make_tuple(215, 60, 455, 60));
    EXPECT_EQ(g.music.lastFile, "");  // music 0 leaves the tune alone
}

TEST(PipeFlow, RunOnlyWhileNotPausedAndTheWaterTakesAPieceEverySixthFrame) {
    PipeGame p;
    Game& g = *p.g;
    p.Pipeline();
    g.play.PauseState = 1;
    p.ClickButton(1);
    p.Screen();
    EXPECT_EQ(g.players[kSoloPlayer].TimeLeft, 1000);  // "Los!" does nothing while paused
    g.play.PauseState = -1;
    g.input.ButtonHeldFrames = 1;
    g.buttons.ButtonDelay[1] = 0;
    p.Screen();
    EXPECT_EQ(g.players[kSoloPlayer].TimeLeft, 0);
    EXPECT_NE(p.Drew("Los!"), nullptr);
    g.input.MouseButtonDown = 0;
    g.input.MouseX = 700;
    int hahn = 0, water = 0, firstFlow = 0;
    while (g.play.LevelCleared == 0 && g.play.TimeUp == 0 && g.shell.FrameCounter < 400) {
        p.Screen();
        hahn += g.sound.SoundRequest[sndHahn];
        water += g.sound.SoundRequest[sndWasser3];
        if (g.pipe.WaterRunning == 1 && firstFlow == 0) firstFlow = g.shell.FrameCounter;
    }
    EXPECT_EQ(firstFlow % 6, 0);
    EXPECT_EQ(g.play.LevelCleared, 1);
    // Open, six more pieces, then the target: eight flow ticks, the tap heard on three.
    EXPECT_EQ(water, 8);
    EXPECT_EQ(hahn, 3);
    EXPECT_EQ(g.shell.FrameCounter - firstFlow, 42);
    EXPECT_EQ(g.players[kSoloPlayer].Score, 600);
    EXPECT_EQ(g.pipe.SourceWater, 77 - 6 - 1);  // the first frame of the won sequence drains too
}

TEST(PipeFlow, TheEmptyTimeBarStartsTheWaterButNeverEndsTheGame) {
    PipeGame p;
    Game& g = *p.g;
    p.Pipeline();
    g.players[kSoloPlayer].TimeLeft = 1;
    while (g.play.LevelCleared == 0 && g.play.TimeUp == 0 && g.shell.FrameCounter < 1000)
        p.Screen();
    EXPECT_EQ(g.play.LevelCleared, 1);
    EXPECT_EQ(g.play.TimeUp, 0);
}

TEST(PipeFlow, TheWonSequenceFillsTheTargetAndStartsTheNextLevel) {
    PipeGame p;
    Game& g = *p.g;
    p.Pipeline();
    g.players[kSoloPlayer].TimeLeft = 0;
    while (g.play.LevelCleared == 0) p.Screen();
    std::map<int, std::tuple<bool, bool, int>> seen;  // timer: title, next line, WaterRunning
    while (g.play.LevelNumber == 1) {
        p.Screen();
        const TextCall* title = p.Drew("Perfekte Rohrleitung!");
        const TextCall* next = p.Drew("Versuche Level 2");
        if (title != nullptr) {
            EXPECT_EQ(std::make_tuple(title->x, title->y), std::make_tuple(368, 240));
        }
        if (next != nullptr) {
            EXPECT_EQ(std::make_tuple(next->x, next->y), std::make_tuple(368, 280));
        }
        if (g.play.LevelCleared) {
            seen[g.play.ClearedTimer] = {title != nullptr, next != nullptr, g.pipe.WaterRunning};
        }
        if (g.play.LevelCleared && g.play.ClearedTimer == 1) {
            EXPECT_EQ(g.pipe.DrainWater, 77);
        }
    }
    EXPECT_EQ(seen[250], std::make_tuple(false, false, 0));
    EXPECT_EQ(seen[249], std::make_tuple(true, false, 0));
    EXPECT_EQ(seen[99], std::make_tuple(true, true, 0));
    EXPECT_EQ(std::get<2>(seen[285]), 1);
    EXPECT_EQ(
        std::make_tuple(g.play.LevelNumber, g.play.LapNumber, g.players[kSoloPlayer].TimeLeft),
        std::make_tuple(2, 1, 1000));
    EXPECT_EQ(g.players[kSoloPlayer].Score, 600);
}

TEST(PipeFlow, AfterTheLastLevelTheGameGoesOnAtLevelOneOfTheNextLap) {
    PipeGame p(26);
    Game& g = *p.g;
    p.Pipeline();
    g.players[kSoloPlayer].TimeLeft = 0;
    bool faster = false;
    while (g.play.LevelNumber == 26 && g.shell.FrameCounter < 2000) {
        p.Screen();
        faster = faster || p.Drew("Die Zeit läuft nun schneller ab.") != nullptr;
    }
    EXPECT_TRUE(faster);
    EXPECT_EQ(std::make_tuple(g.play.LevelNumber, g.play.LapNumber), std::make_tuple(1, 2));
}

TEST(PipeFlow, WaterIntoNothingEndsTheGameInThePipeTable) {
    PipeGame p;
    Game& g = *p.g;
    for (int r = 1; r <= 7; ++r) g.own.HighscoreScore[kModePipe][r] = 1000 - 100 * r;
    g.players[kSoloPlayer].Score = g.players[kSoloPlayer].ShownScore = 850;
    g.players[kSoloPlayer].TimeLeft = 0;
    while (g.play.TimeUp == 0) p.Screen();
    const TextCall* title = p.Drew("Das Rohr endet im Nichts ...");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(std::make_tuple(title->x, title->y), std::make_tuple(368, 240));
    ASSERT_NE(p.Drew("Spiel beendet mit 850 Punkten"), nullptr);
    EXPECT_EQ(p.Drew("Spiel beendet mit 850 Punkten")->x, 368);
    // Fire is taken once the timer is below 70.
    int lastTimer = 0;
    while (g.shell.ScreenId == kScreenGame && g.shell.FrameCounter < 1000) {
        lastTimer = g.play.TimeUpTimer;
        g.input.FireKey = 1;
        p.Screen();
    }
    EXPECT_EQ(lastTimer, 70);
    EXPECT_EQ(g.shell.ScreenId, kScreenNewChampion);
    EXPECT_EQ(g.menus.EntryRank, 2);
    EXPECT_EQ(g.own.HighscoreScore[kModePipe][2], 850);
}

TEST(PipeFlow, ResumingGivesAPieceWaitingOnTheCannonBackToTheColumn) {
    PipeGame p;
    Game& g = *p.g;
    g.input.MouseX = 40;
    g.input.MouseY = 57;
    g.input.MouseButtonDown = 1;
    p.Screen();
    ASSERT_EQ(g.pipe.PipeStock[kPipeFalling], 3);
    ASSERT_NE(g.players[kSoloPlayer].cannon.LoadedStone, 0);
    const int piece = g.players[kSoloPlayer].cannon.LoadedStone;
    ASSERT_TRUE(StartLevel(g, g.env, ResumeStart(false)));
    EXPECT_EQ(g.pipe.PipeStock[kPipeFalling], 4);
    EXPECT_EQ(g.stones.StoneState[piece], 0);
    EXPECT_EQ(g.pipe.TapSoundsLeft, 3);
}

// --- damaged level files ---------------------------------------------------------------------

struct DamagedCase {
    const char* what;
    std::map<int, std::pair<int, int>> cells;
    int records;  // 0: no file at all
};

void PrintTo(const DamagedCase& c, std::ostream* os) {
    *os << c.what;
}

class DamagedPipeLevel : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedPipeLevel, IsNamedToThePlayerAndNothingIsLost) {
    const DamagedCase& c = GetParam();
    CraftedRes res;
    res.Write("lvl007.lvl", {{14, {0, 0}}, {24, {0, 0}}});
    if (c.records > 0) res.Write("pipelev2.lvl", c.cells, c.records);
    TestGame t(res.Dir());
    Game& g = t.game;
    ASSERT_TRUE(StartLevel(g, g.env, 7, kModePuzzle, 1, 0));
    g.players[kSoloPlayer].Score = 4321;
    g.shell.ScreenId = kScreenGameChoice;
    g.shell.GameInProgress = 2;
    EXPECT_FALSE(StartLevel(g, g.env, 2, kModePipe, 1, true));
    CarryOutRequests(g);
    ASSERT_EQ(t.platform.messages.size(), 1u);
    EXPECT_NE(t.platform.messages[0].find("Levelz/pipelev2.lvl"), std::string::npos);
    EXPECT_EQ(g.shell.ScreenId, kScreenMainMenu);
    EXPECT_EQ(std::make_tuple(g.play.GameMode, g.play.LevelNumber, g.players[kSoloPlayer].Score),
              std::make_tuple(kModePuzzle, 7, 4321));
    EXPECT_EQ(g.shell.GameInProgress, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedPipeLevel,
    ::testing::Values(DamagedCase{"missing", {}, 0},
                      DamagedCase{"short", {{Cell(1, 2), {6, 0}}, {Cell(1, 6), {7, 0}}}, 220},
                      DamagedCase{"no_source", {{Cell(1, 6), {7, 0}}}, 221},
                      DamagedCase{"no_target", {{Cell(1, 2), {6, 0}}}, 221},
                      DamagedCase{
                          "source_in_column_0", {{Cell(3, 0), {6, 0}}, {Cell(1, 6), {7, 0}}}, 221},
                      DamagedCase{"barrels_in_the_top_row", {{2, {6, 0}}, {6, {7, 0}}}, 221}),
    [](const ::testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.what); });

}  // namespace
