// The game screen's picture: time bar cover, extras, indicators, layer order, aim marker and
// pointer, on sheets of plain colours so every pixel says which layer drew it.
#include "presentation/render_game.h"

#include <gtest/gtest.h>

#include <tuple>

#include "presentation/render.h"
#include "test_support.h"

namespace {

Surface Plain(int w, int h, std::uint32_t colour, bool keyedMagenta = false) {
    Surface s = CreateSurface();
    SetSurfaceSize(s, w, h);
    FillSurface(s, colour);
    if (keyedMagenta) SetTransparentColor(s, kMagenta);
    return s;
}

constexpr std::uint32_t kBackground = 0x101010;
constexpr std::uint32_t kCover = 0x202020;
constexpr std::uint32_t kStone = 0x303030;
constexpr std::uint32_t kCannon = 0x404040;
constexpr std::uint32_t kFlash = 0x505050;
constexpr std::uint32_t kCorner = 0x606060;
constexpr std::uint32_t kMarker = 0x707070;
constexpr std::uint32_t kPointer = 0x808080;
constexpr std::uint32_t kLamp = 0x909090;
constexpr std::uint32_t kWheel = 0xA0A0A0;

// A Puzzle game screen with every sheet replaced by a plain colour.
struct Scene {
    TestGame t;
    Game& g = t.game;
    Scene() {
        Bitmaps& b = g.bitmaps;
        b[kBmpGameBackground] = Plain(800, 600, kBackground);
        b[kBmpPipeBackground] = Plain(800, 600, kBackground);
        b[kBmpTimeCover] = Plain(35, 273, kCover);
        b[kBmpStones] = Plain(2 * 57, 10 * 57, kStone, true);
        b[kBmpCannon] = Plain(8 * 113, 107, kCannon, true);
        b[kBmpWheel] = Plain(8 * 31, 31, kWheel, true);
        b[kBmpEffect1] = Plain(11 * 35, 36, kFlash, true);
        b[kBmpCornerPiece] = Plain(60, 119, kCorner, true);
        b[kBmpAimMarker] = Plain(32 * 19, 80, kMarker, true);
        b[kBmpPointer] = Plain(32 * 31, 31, kPointer, true);
        b[kBmpIndicators] = Plain(98, 132, kLamp);
        b.loaded = true;
        g.shell.ScreenId = kScreenGame;
        g.play.GameMode = kModePuzzle;
        g.play.TimeLeft = 1000;
        g.stones.StoneCount = 200;
        g.cannon.CannonX = 326;
        g.cannon.CannonY = 526;
        g.cannon.CannonLoad = 8;
        g.cannon.AimX = 326;
        g.cannon.AimY = 300;
        g.input.MouseX = 700;
        g.input.MouseY = 100;
    }
    std::uint32_t At(int x, int y) const { return g.backBuffer.At(x, y); }
    void Render() {
        FillSurface(g.backBuffer, kBlack);
        RenderFrame(g);
    }
};

using CoverCase = std::tuple<int, int>;  // TimeLeft, rows hidden
class TimeBarCover : public ::testing::TestWithParam<CoverCase> {};

TEST_P(TimeBarCover, HidesTheUsedPartFromTheTop) {
    const auto [timeLeft, rows] = GetParam();
    EXPECT_EQ(TimeCoverRows(timeLeft), rows);
    Scene s;
    s.g.play.TimeLeft = timeLeft;
    s.Render();
    if (rows > 0) {
        EXPECT_EQ(s.At(656, 295), kCover);
        EXPECT_EQ(s.At(690, 295 + rows - 1), kCover);
    }
    EXPECT_EQ(s.At(673, 295 + rows), kBackground);
    EXPECT_EQ(s.At(691, 295), kBackground);  // the cover is 35 wide
}

INSTANTIATE_TEST_SUITE_P(Times, TimeBarCover,
                         ::testing::Values(CoverCase{1000, 0}, CoverCase{999, 0}, CoverCase{998, 1},
                                           CoverCase{734, 73}, CoverCase{1, 273},
                                           CoverCase{0, 273}));

TEST(GameScene, LayersStackInTheirOrder) {
    Scene s;
    Game& g = s.g;
    // A stone under the cannon, a flash over the cannon, a flash under the corner piece.
    g.stones.StoneState[1] = 1;
    g.stones.StoneX[1] = 326;
    g.stones.StoneY[1] = 520;
    g.stones.StoneColour[1] = 1;
    g.stones.StoneLook[1] = 1;
    AddEffect(g, 340, 540, kEffectFlash, 0);
    AddEffect(g, 600, 40, kEffectFlash, 0);
    s.Render();
    EXPECT_EQ(s.At(300, 520), kCannon);
    EXPECT_EQ(s.At(340, 540), kFlash);
    EXPECT_EQ(s.At(600, 40), kCorner);
    EXPECT_EQ(s.At(262, 514), kWheel);  // wheels at x - 50, y - 12, under the cannon
    EXPECT_EQ(s.At(276, 514), kCannon);
    EXPECT_EQ(s.At(799, 300), kBlack);  // the background loses its last column
    EXPECT_EQ(s.At(400, 599), kBlack);
}

TEST(GameScene, IndicatorsLightOnlyWhileTheirExtrasRun) {
    Scene s;
    s.Render();
    EXPECT_EQ(s.At(690, 208), kBackground);
    EXPECT_EQ(s.At(725, 275), kBackground);
    s.g.play.DoubleFrames = 1;
    s.Render();
    EXPECT_EQ(s.At(690, 208), kLamp);
    EXPECT_EQ(s.At(737, 256), kLamp);  // 49 x 50 from (689, 207)
    EXPECT_EQ(s.At(738, 208), kBackground);
    EXPECT_EQ(s.At(725, 275), kBackground);
    s.g.play.FlashFrames = 1;
    s.Render();
    EXPECT_EQ(s.At(776, 328), kLamp);  // 53 x 55 from (724, 274)
}

TEST(GameScene, ExtraIsCutFromItsFrameAndColourAndHiddenAtFrameZero) {
    Scene s;
    Game& g = s.g;
    Surface sheet = Plain(57, 5 * 57, 0x111111, true);
    for (int y = 57; y < 114; ++y) {
        for (int x = 0; x < 57; ++x) sheet.At(x, y) = 0x222222;
    }
    g.bitmaps[ExtraIcon(kExtraColourer)] = sheet;
    const int slot = 1;
    g.extras.ExtraType[slot] = kExtraColourer;
    g.extras.ExtraX[slot] = 200;
    g.extras.ExtraY[slot] = 200;
    g.extras.ExtraW[slot] = 57;
    g.extras.ExtraH[slot] = 57;
    g.extras.ExtraColour[slot] = 2;
    g.extras.ExtraFrame[slot] = 0;
    s.Render();
    EXPECT_EQ(s.At(200, 200), kBackground);
    g.extras.ExtraFrame[slot] = 1;
    s.Render();
    EXPECT_EQ(s.At(200, 200), 0x222222u);
    EXPECT_EQ(s.At(172, 172), 0x222222u);
    EXPECT_EQ(s.At(171, 200), kBackground);
    // Cut at the right and bottom edges, ending at x 799 and y 599.
    g.extras.ExtraX[slot] = 790;
    g.extras.ExtraY[slot] = 590;
    FillSurface(g.backBuffer, kBlack);
    DrawExtra(g, slot);
    EXPECT_EQ(s.At(799, 599), 0x222222u);
    EXPECT_EQ(s.At(762, 562), 0x222222u);
    EXPECT_EQ(s.At(761, 599), kBlack);
}

using PointerCase = std::tuple<int, int, int, bool, bool>;  // mode, mouse x, cleared, aim, pointer
class AimAndPointer : public ::testing::TestWithParam<PointerCase> {};

TEST_P(AimAndPointer, TheMarkerOverTheFieldThePointerOverThePanel) {
    const auto [mode, mouseX, cleared, aim, pointer] = GetParam();
    Scene s;
    Game& g = s.g;
    g.play.GameMode = mode;
    g.play.LevelCleared = static_cast<std::uint8_t>(cleared);
    g.input.MouseX = mouseX;
    g.input.MouseY = 150;
    g.cannon.AimX = 326;
    g.cannon.AimY = 300;
    s.Render();
    EXPECT_EQ(s.At(317, 300) == kMarker, aim);
    EXPECT_EQ(s.At(335, 379) == kMarker, aim);
    EXPECT_EQ(s.At(mouseX + 16, 166) == kPointer, pointer);
}

INSTANTIATE_TEST_SUITE_P(Places, AimAndPointer,
                         ::testing::Values(PointerCase{kModePuzzle, 634, 0, true, false},
                                           PointerCase{kModePuzzle, 635, 0, false, true},
                                           PointerCase{kModePuzzle, 100, 1, false, false},
                                           PointerCase{kModeEndless, 20, 0, true, false},
                                           PointerCase{kModePipe, 120, 0, false, true},
                                           PointerCase{kModePipe, 121, 0, true, false}));

}  // namespace
