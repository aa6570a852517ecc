// The game screen's picture on sheets of plain colours, so every pixel says which layer drew it.
#include "presentation/render_game.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "modes/pipe.h"
#include "playfield/cannon.h"
#include "playfield/field_rules.h"
#include "presentation/render.h"
#include "shell/screens.h"
#include "test_support.h"

namespace {

constexpr std::uint32_t kBackground = 0x101010, kCover = 0x202020, kMarker = 0x707070,
                        kPointer = 0x808080, kExtra = 0x909090;

struct Scene {
    TestGame t;
    Game& g = t.game;
    Scene() {
        for (int id = 0; id < kBitmapCount; ++id) g.bitmaps[id] = Plain(1, 1, kMagenta);
        g.bitmaps[kBmpGameBackground] = g.bitmaps[kBmpPipeBackground] =
            Plain(800, 600, kBackground);
        g.bitmaps[kBmpTimeCover] = Plain(35, 273, kCover);
        g.bitmaps[kBmpAimMarker] = Plain(32 * 19, 80, kMarker);
        g.bitmaps[kBmpPointer] = Plain(32 * 31, 31, kPointer);
        g.bitmaps.loaded = true;
        g.shell.ScreenId = kScreenGame;
        g.play.GameMode = kModePuzzle;
        g.players[kSoloPlayer].TimeLeft = 1000;
        g.players[kSoloPlayer].cannon.AimX = 326;
        g.players[kSoloPlayer].cannon.AimY = 300;
        g.input.MouseY = 150;
    }
    // The sheets change between frames and the picture is filled anew: drawn whole each time.
    std::uint32_t Render(int x, int y) {
        FillSurface(g.backBuffer, kBlack);
        ForgetShownScene(g);
        RenderFrame(g);
        return g.backBuffer.At(x, y);
    }
};

using CoverCase = std::tuple<int, int>;  // TimeLeft, rows hidden
class TimeBarCover : public ::testing::TestWithParam<CoverCase> {};

TEST_P(TimeBarCover, HidesTheUsedPartOfTheBarFromTheTop) {
    const auto [timeLeft, rows] = GetParam();
    EXPECT_EQ(TimeCoverRows(timeLeft), rows);
    Scene s;
    s.g.players[kSoloPlayer].TimeLeft = timeLeft;
    if (rows > 0) {
        EXPECT_EQ(s.Render(690, 295 + rows - 1), kCover);
    }
    EXPECT_EQ(s.Render(656, 295 + rows), kBackground);
}

INSTANTIATE_TEST_SUITE_P(Times, TimeBarCover,
                         ::testing::Values(CoverCase{1000, 0}, CoverCase{999, 0}, CoverCase{998, 1},
                                           CoverCase{734, 73}, CoverCase{0, 273}));

TEST(GameScene, ExtraIsCutFromItsFrameAndColourAndClippedAtTheEdges) {
    Scene s;
    Game& g = s.g;
    Surface sheet = Plain(57, 5 * 57, 0x111111);
    for (int y = 57; y < 114; ++y) {
        for (int x = 0; x < 57; ++x) sheet.At(x, y) = kExtra;
    }
    g.bitmaps[ExtraIcon(kExtraColourer)] = sheet;
    ExtrasTable& e = g.extras;
    e.ExtraType[1] = kExtraColourer;
    e.ExtraX[1] = e.ExtraY[1] = 200;
    e.ExtraW[1] = e.ExtraH[1] = 57;
    e.ExtraColour[1] = 2;
    EXPECT_EQ(s.Render(200, 200), kBackground);  // frame 0 lies left of the sheet
    e.ExtraFrame[1] = 1;
    EXPECT_EQ(s.Render(172, 172), kExtra);
    EXPECT_EQ(s.Render(171, 200), kBackground);
    e.ExtraX[1] = 790;
    e.ExtraY[1] = 590;
    FillSurface(g.backBuffer, kBlack);
    DrawExtra(g, 1, ExtraIcon);
    EXPECT_EQ(g.backBuffer.At(799, 599), kExtra);
    EXPECT_EQ(g.backBuffer.At(761, 599), kBlack);
}

using PointerCase = std::tuple<int, int, int, bool>;  // mode, mouse x, cleared, aim marker shown
class AimAndPointer : public ::testing::TestWithParam<PointerCase> {};

TEST_P(AimAndPointer, TheMarkerOverTheFieldThePointerElsewhere) {
    const auto [mode, mouseX, cleared, aim] = GetParam();
    Scene s;
    s.g.play.GameMode = mode;
    s.g.play.LevelCleared = static_cast<std::uint8_t>(cleared);
    s.g.input.MouseX = mouseX;
    EXPECT_EQ(s.Render(317, 300) == kMarker, aim);
    EXPECT_EQ(s.Render(335, 379) == kMarker, aim);
    const bool pointer = mode == kModePipe ? mouseX >= 635 || mouseX < 121 : mouseX >= 635;
    EXPECT_EQ(s.Render(mouseX + 16, 166) == kPointer, pointer);
}

INSTANTIATE_TEST_SUITE_P(Places, AimAndPointer,
                         ::testing::Values(PointerCase{kModePuzzle, 634, 0, true},
                                           PointerCase{kModePuzzle, 635, 0, false},
                                           PointerCase{kModePuzzle, 100, 1, false},
                                           PointerCase{kModePipe, 120, 0, false},
                                           PointerCase{kModePipe, 121, 0, true}));

// Sheets whose cells each have a colour of their own: the pipe pieces by row and sheet, the
// barrels' water and front, the tap's four frames.
struct PipeScene : Scene {
    static constexpr std::uint32_t kWater = 0xA0A0A0, kFront = 0xB0B0B0;
    static std::uint32_t PieceColour(int row, bool full) {
        return (full ? 0x400000 : 0x300000) + row;
    }
    static std::uint32_t TapColour(int frame) { return 0x500000 + frame; }
    PipeScene() {
        g.play.GameMode = kModePipe;
        g.play.FieldCentreX = 335;
        for (bool full : {false, true}) {
            Surface sheet = Plain(2 * 57, 12 * 57, kMagenta);
            for (int y = 0; y < 12 * 57; ++y) {
                for (int x = 0; x < 2 * 57; ++x) sheet.At(x, y) = PieceColour(y / 57 + 1, full);
            }
            g.bitmaps[full ? kBmpPipesFull : kBmpPipes] = sheet;
        }
        for (int id : {kBmpSourceBarrel, kBmpDrainBarrel}) {
            Surface barrel = Plain(232, 116, kFront);
            for (int y = 0; y < 116; ++y) {
                for (int x = 0; x < 116; ++x) barrel.At(x, y) = kWater;
            }
            g.bitmaps[id] = barrel;
        }
        Surface tap = Plain(96, 23, 0);
        for (int y = 0; y < 23; ++y) {
            for (int x = 0; x < 96; ++x) tap.At(x, y) = TapColour(x / 24);
        }
        g.bitmaps[kBmpTap] = tap;
        g.pipe.SourceX = 215;
        g.pipe.SourceY = 120;
        g.pipe.DrainX = 455;
        g.pipe.DrainY = 120;
        g.stones.StoneCount = 200;
        g.input.MouseX = 700;
    }
};

// Water height, tap running, time up, frame counter.
using BarrelCase = std::tuple<int, int, int, int>;
class BarrelPicture : public ::testing::TestWithParam<BarrelCase> {};

TEST_P(BarrelPicture, WaterRisesFromTheWindowsFloorAndTheTapTurnsWhileItRuns) {
    const auto [water, running, timeUp, frame] = GetParam();
    PipeScene s;
    s.g.pipe.SourceWater = water;
    s.g.pipe.DrainWater = 77 - water;
    s.g.pipe.WaterRunning = running;
    s.g.play.TimeUp = static_cast<std::uint8_t>(timeUp);
    s.g.shell.FrameCounter = frame;
    // The source's water ends on the row above SourceY + 32, the target's above DrainY + 31
    // (left of the tap, which covers the middle of the source's window).
    const int sourceFloor = 120 + 32, drainFloor = 120 + 31;
    EXPECT_EQ(s.Render(190, sourceFloor - 1), water > 0 ? PipeScene::kWater : PipeScene::kFront);
    EXPECT_EQ(s.Render(190, sourceFloor - water - 1), PipeScene::kFront);
    if (water > 0) {
        EXPECT_EQ(s.Render(190, sourceFloor - water), PipeScene::kWater);
    }
    EXPECT_EQ(s.Render(455, drainFloor - 1), water < 77 ? PipeScene::kWater : PipeScene::kFront);
    EXPECT_EQ(s.Render(455, drainFloor - (77 - water) - 1), PipeScene::kFront);
    const int f = running == 1 && timeUp == 0 ? (frame / 3) % 4 : 0;
    EXPECT_EQ(s.Render(215 - 11 + 5, 120 + 19 + 5), PipeScene::TapColour(f));
}

INSTANTIATE_TEST_SUITE_P(States, BarrelPicture,
                         ::testing::Values(BarrelCase{77, 0, 0, 9}, BarrelCase{40, 1, 0, 9},
                                           BarrelCase{40, 1, 0, 10}, BarrelCase{1, 1, 1, 9},
                                           BarrelCase{0, 1, 0, 7}));

TEST(PipeScenePicture, PiecesByKindFilledAndGolden) {
    PipeScene s;
    Game& g = s.g;
    const int plain = AddStone(g, 305, 240, 3, 0);
    const int golden = AddStone(g, 365, 240, 1, 0);
    g.stones.StonePreset[golden] = 1;
    const int full = AddStone(g, 425, 240, 2, 0);
    g.stones.StonePreset[full] = 1;
    g.stones.StoneFilled[full] = 1;
    const int barrelStone = AddStone(g, 305, 300, kPipeBarrel, 0);
    (void)plain;
    (void)barrelStone;
    g.pipe.PipeChoice = 9;  // no row lit
    EXPECT_EQ(s.Render(305, 240), PipeScene::PieceColour(3, false));
    EXPECT_EQ(s.Render(365, 240), PipeScene::PieceColour(11, false));
    EXPECT_EQ(s.Render(425, 240), PipeScene::PieceColour(12, true));
    EXPECT_EQ(s.Render(305, 300), kBackground);  // the barrel's picture shows its stones
}

// Each row of the piece column shows the piece a press on that row puts on the cannon, and how
// many of it are left.
TEST(PipeScenePicture, EachRowOfTheColumnShowsThePieceAPressOnItTakes) {
    for (int row = 1; row <= 7; ++row) {
        PipeScene s;
        Game& g = s.g;
        g.play.LevelNumber = 1;  // pieces of every kind in stock
        SetPipeStock(g);
        g.players[kSoloPlayer].TimeLeft = 1000;
        g.players[kSoloPlayer].cannon.CannonX = 350;
        g.players[kSoloPlayer].cannon.CannonXf = 350;
        g.players[kSoloPlayer].cannon.CannonLoad = kFullLoad;
        g.players[kSoloPlayer].cannon.NeedReload = 1;
        g.players[kSoloPlayer].cannon.LoadedStone = 0;
        g.input.MouseX = 40;
        g.input.MouseY = 70 * row - 14;
        g.input.MouseButtonDown = 1;
        CannonStep(g);
        const int piece = g.players[kSoloPlayer].cannon.LoadedStone;
        ASSERT_TRUE(IsStoneSlot(piece) && g.stones.StoneState[piece] > 0) << "row " << row;
        const int kind = g.stones.StoneColour[piece];
        g.pipe.PipeChoice = 9;  // no row lit
        EXPECT_EQ(s.Render(46, 70 * row - 14), PipeScene::PieceColour(kind, false))
            << "row " << row;
        // The number beside the row counts the pieces of that kind left.
        for (int k = 1; k <= kPipeStockKinds; ++k) g.pipe.PipeStock[k] = 20 + k;
        g.text.calls.clear();
        DrawPipeStock(g);
        int shown = 0;
        for (const TextCall& c : g.text.calls)
            if (c.y == 70 * row + 5) shown = std::stoi(c.text);
        EXPECT_EQ(shown, 20 + kind) << "row " << row;
    }
}
}  // namespace
