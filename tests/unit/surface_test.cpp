#include "platform/surface.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "presentation/render.h"
#include "test_support.h"

namespace {

Surface Filled(int w, int h, std::uint32_t colour) {
    Surface s = CreateSurface();
    SetSurfaceSize(s, w, h);
    FillSurface(s, colour);
    return s;
}

struct RectCase {
    const char* name;
    int x, y;
    Rect src;
    bool draws;
};

class DrawRectEdges : public ::testing::TestWithParam<RectCase> {};

TEST_P(DrawRectEdges, DrawsOnlyWhollyInsideNonEmptyRectangles) {
    Surface dst = Filled(20, 10, kBlack);
    const Surface src = Filled(8, 8, 0x123456);
    const RectCase& c = GetParam();
    DrawRect(dst, c.x, c.y, c.src, false, src);
    int changed = 0;
    for (std::uint32_t p : dst.pixels) changed += p != kBlack;
    if (c.draws) {
        EXPECT_EQ(changed, (c.src.right - c.src.left) * (c.src.bottom - c.src.top));
    } else {
        EXPECT_EQ(changed, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DrawRectEdges,
    ::testing::Values(RectCase{"inside", 2, 2, {0, 0, 4, 4}, true},
                      RectCase{"touching_far_edges", 16, 6, {4, 4, 8, 8}, true},
                      RectCase{"empty", 2, 2, {3, 3, 3, 5}, false},
                      RectCase{"inverted", 2, 2, {5, 5, 3, 3}, false},
                      RectCase{"past_right_edge", 17, 2, {0, 0, 4, 4}, false},
                      RectCase{"negative_destination", -1, 2, {0, 0, 4, 4}, false},
                      RectCase{"source_outside", 2, 2, {6, 6, 10, 8}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DrawRect, KeyedSkipsTransparentColourOnly) {
    Surface dst = Filled(4, 1, 0x111111);
    Surface src = Filled(4, 1, kMagenta);
    src.At(1, 0) = 0xABCDEF;
    SetTransparentColor(src, MatchColor(255, 0, 255));
    DrawRect(dst, 0, 0, Rect{0, 0, 4, 1}, true, src);
    EXPECT_EQ(dst.At(0, 0), 0x111111u);
    EXPECT_EQ(dst.At(1, 0), 0xABCDEFu);
    DrawRect(dst, 0, 0, Rect{0, 0, 4, 1}, false, src);
    EXPECT_EQ(dst.At(0, 0), kMagenta);
}

TEST(DrawAlpha, AlphaLimitsScalingAndClipping) {
    Surface src = Filled(2, 2, 0xFF0000);
    src.At(1, 1) = kBlack;
    SetTransparentColor(src, kBlack);
    Surface dst = Filled(6, 6, 0x0000FF);
    DrawAlpha(dst, Rect{0, 0, 4, 4}, Rect{0, 0, 2, 2}, src, true, 0);
    EXPECT_EQ(dst.At(0, 0), 0x0000FFu);  // alpha 0 draws nothing
    DrawAlpha(dst, Rect{0, 0, 4, 4}, Rect{0, 0, 2, 2}, src, true, 255);
    EXPECT_EQ(dst.At(1, 1), 0xFF0000u);  // scaled 2x: the top-left source pixel covers 2x2
    EXPECT_EQ(dst.At(3, 3), 0x0000FFu);  // keyed pixel skipped
    Surface half = Filled(6, 6, 0x000000);
    DrawAlpha(half, Rect{4, 4, 8, 8}, Rect{0, 0, 1, 1}, src, false, 128);  // clipped at 6
    EXPECT_EQ(half.At(5, 5), Rgb(128, 0, 0));
    EXPECT_EQ(half.At(3, 3), 0u);
}

TEST(Bitmap, SaveAndLoadRoundTripAnOddWidth) {
    Surface s = Filled(5, 3, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) s.At(x, y) = Rgb(x * 40, y * 80, 7);
    const auto path = std::filesystem::temp_directory_path() / "rhombulus-roundtrip.bmp";
    ASSERT_TRUE(SaveBmp(s, path.string()));
    Surface back = CreateSurface();
    ASSERT_TRUE(LoadSurface(back, path.string()));
    EXPECT_EQ(back.width, 5);
    EXPECT_EQ(back.height, 3);
    EXPECT_EQ(back.pixels, s.pixels);
    std::filesystem::remove(path);
    EXPECT_FALSE(LoadSurface(back, path.string()));
}

TEST(Bitmap, DamagedFileIsRejectedNotRead) {
    const auto path = std::filesystem::temp_directory_path() / "rhombulus-damaged.bmp";
    Surface s = Filled(64, 64, 0x223344);
    ASSERT_TRUE(SaveBmp(s, path.string()));
    std::filesystem::resize_file(path, 200);  // header claims far more pixels
    Surface back = CreateSurface();
    EXPECT_FALSE(LoadSurface(back, path.string()));
    std::filesystem::remove(path);
}

// The clipping rule of the sprite routines, on a stone sheet of our own.
TEST(SpriteClipping, StoneCutAtRightAndBottomEdges) {
    TestGame t;
    Game& g = t.game;
    Surface sheet = Filled(2 * 57, 10 * 57, 0x445566);
    g.bitmaps[kBmpStones] = sheet;
    FillSurface(g.backBuffer, kBlack);
    DrawStone(g, kBmpStones, 790, 590, 1, 1);  // 57 is odd: hw = hh = 28
    EXPECT_EQ(g.backBuffer.At(799, 599), 0x445566u);
    EXPECT_EQ(g.backBuffer.At(762, 562), 0x445566u);
    EXPECT_EQ(g.backBuffer.At(761, 599), kBlack);
    EXPECT_EQ(g.backBuffer.At(762, 561), kBlack);
    // Away from the edge rows 1..9 take one row more, the first row of the next cell.
    FillSurface(g.backBuffer, kBlack);
    g.bitmaps[kBmpStones].At(0, 57) = 0x00FF00;
    DrawStone(g, kBmpStones, 300, 300, 1, 1);
    EXPECT_EQ(g.backBuffer.At(272, 329), 0x00FF00u);
    EXPECT_EQ(g.backBuffer.At(272, 330), kBlack);
    FillSurface(g.backBuffer, kBlack);
    DrawStone(g, kBmpStones, 300, 300, 1, 10);
    EXPECT_EQ(g.backBuffer.At(272, 329), kBlack);
    FillSurface(g.backBuffer, kBlack);
    DrawStone(g, kBmpStones, 900, 300, 1, 1);  // wholly off screen
    for (std::uint32_t p : g.backBuffer.pixels) ASSERT_EQ(p, kBlack);
}

TEST(SpriteClipping, FullScreenBackgroundLosesLastColumnAndRow) {
    TestGame t;
    Game& g = t.game;
    g.bitmaps[kBmpGameBackground] = Filled(800, 600, 0x010203);
    FillSurface(g.backBuffer, kBlack);
    DrawCell(g, kBmpGameBackground, 400, 300, 0, 600, 800);
    EXPECT_EQ(g.backBuffer.At(798, 598), 0x010203u);
    EXPECT_EQ(g.backBuffer.At(799, 300), kBlack);
    EXPECT_EQ(g.backBuffer.At(300, 599), kBlack);
}

}  // namespace
