// The game screen's picture on sheets of plain colours, so every pixel says which layer drew it.
#include "presentation/render_game.h"

#include <gtest/gtest.h>

#include <tuple>

#include "presentation/render.h"
#include "test_support.h"

namespace {

constexpr std::uint32_t kBackground = 0x101010, kCover = 0x202020, kMarker = 0x707070,
                        kPointer = 0x808080, kExtra = 0x909090;

Surface Plain(int w, int h, std::uint32_t colour) {
    Surface s = CreateSurface();
    SetSurfaceSize(s, w, h);
    FillSurface(s, colour);
    SetTransparentColor(s, kMagenta);
    return s;
}

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
        g.play.TimeLeft = 1000;
        g.cannon.AimX = 326;
        g.cannon.AimY = 300;
        g.input.MouseY = 150;
    }
    std::uint32_t Render(int x, int y) {
        FillSurface(g.backBuffer, kBlack);
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
    s.g.play.TimeLeft = timeLeft;
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

}  // namespace
