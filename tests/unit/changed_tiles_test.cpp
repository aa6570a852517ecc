// The changed tiles: what they cover brings the last picture shown to the new one, they hold no
// tile that did not change, they are few, and a whole picture goes when asked.
#include "platform/changed_tiles.h"

#include <gtest/gtest.h>

#include "core/random.h"
#include "platform/picture_fit.h"

namespace {

Surface Noise(int w, int h, std::uint32_t seed) {
    Surface s;
    SetSurfaceSize(s, w, h);
    for (size_t i = 0; i < s.pixels.size(); ++i)
        s.pixels[i] = static_cast<std::uint32_t>((i + seed) * 2654435761u) & 0xFFFFFF;
    return s;
}

class Tiles : public ::testing::TestWithParam<int> {};

// Random changes, from single pixels to large blocks and at the picture's ragged right and
// bottom edges, in a picture whose sides are no multiple of most tile sizes.
TEST_P(Tiles, CoverEveryChangeAndNoTileThatStayedTheSame) {
    const int size = GetParam();
    ChangedTiles tiles(size);
    Surface picture = Noise(800, 600, 1);
    ASSERT_EQ(tiles.Update(picture, false).size(), 1u) << "the first picture goes whole";
    Surface shown = picture;
    Surface previous = picture;
    Random rng;
    rng.Seed(static_cast<std::uint64_t>(size));
    for (int round = 0; round < 150; ++round) {
        const int changes = rng.Next(5);
        for (int c = 0; c < changes; ++c) {
            const int w = rng.Next(3) == 0 ? 1 : rng.Range(1, 120);
            const int h = rng.Next(3) == 0 ? 1 : rng.Range(1, 90);
            const int x = rng.Range(0, 800 - w);
            const int y = rng.Range(0, 600 - h);
            for (int yy = y; yy < y + h; ++yy)
                for (int xx = x; xx < x + w; ++xx) picture.At(xx, yy) ^= 1u + rng.Next(0xFFFFFF);
        }
        const std::vector<Rect>& rects = tiles.Update(picture, false);
        std::vector<std::uint8_t> covered(picture.pixels.size(), 0);
        long long area = 0;
        for (const Rect& r : rects) {
            ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 800 && r.bottom <= 600 &&
                        r.left < r.right && r.top < r.bottom);
            ASSERT_EQ(r.left % size, 0);
            ASSERT_EQ(r.top % size, 0);
            area += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
            for (int y = r.top; y < r.bottom; ++y) {
                for (int x = r.left; x < r.right; ++x) {
                    ASSERT_EQ(covered[static_cast<size_t>(y) * 800 + x], 0) << "overlap";
                    covered[static_cast<size_t>(y) * 800 + x] = 1;
                    shown.At(x, y) = picture.At(x, y);
                }
            }
            // Every tile of a rectangle holds a change.
            for (int ty = r.top; ty < r.bottom; ty += size) {
                for (int tx = r.left; tx < r.right; tx += size) {
                    bool changed = false;
                    for (int y = ty; y < std::min(ty + size, 600) && !changed; ++y)
                        for (int x = tx; x < std::min(tx + size, 800) && !changed; ++x)
                            changed = shown.At(x, y) != previous.At(x, y);
                    ASSERT_TRUE(changed) << "tile " << tx << "," << ty << " did not change";
                }
            }
        }
        EXPECT_EQ(area, tiles.ChangedArea());
        ASSERT_EQ(shown.pixels, picture.pixels) << "round " << round;
        if (changes == 0) {
            EXPECT_TRUE(rects.empty());
        }
        previous = picture;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Tiles, ::testing::Values(8, 16, 32, 64, 7));

TEST(ChangedTiles, AStillPictureSendsNothingAndAskingForTheWholeSendsIt) {
    ChangedTiles tiles;
    const Surface picture = Noise(800, 600, 5);
    tiles.Update(picture, false);
    EXPECT_TRUE(tiles.Update(picture, false).empty());
    EXPECT_EQ(tiles.ChangedArea(), 0);
    const std::vector<Rect>& whole = tiles.Update(picture, true);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].right, 800);
    EXPECT_EQ(whole[0].bottom, 600);
    // Another size is a new picture.
    EXPECT_EQ(tiles.Update(Noise(640, 480, 5), false).size(), 1u);
    EXPECT_EQ(tiles.ChangedArea(), 640 * 480);
}

// A column of changes is one rectangle; a block and a separate dot are two.
TEST(ChangedTiles, MergeNeighbouringTilesIntoFewRectangles) {
    ChangedTiles tiles(16);
    Surface picture = Noise(800, 600, 9);
    tiles.Update(picture, false);
    for (int y = 20; y < 500; ++y) picture.At(100, y) ^= 1;
    std::vector<Rect> got = tiles.Update(picture, false);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].left, 96);
    EXPECT_EQ(got[0].right, 112);
    EXPECT_EQ(got[0].top, 16);
    EXPECT_EQ(got[0].bottom, 512);
    for (int y = 200; y < 260; ++y)
        for (int x = 300; x < 390; ++x) picture.At(x, y) ^= 1;
    picture.At(799, 599) ^= 1;
    got = tiles.Update(picture, false);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].left, 288);
    EXPECT_EQ(got[0].right, 400);
    EXPECT_EQ(got[1].left, 784);
    EXPECT_EQ(got[1].bottom, 600);
}

// A rectangle copied at a whole factor lands exactly where the whole copy puts it.
TEST(ChangedTiles, ARectangleCopiedScaledMatchesTheWholeCopy) {
    const Surface picture = Noise(64, 48, 3);
    for (int factor : {1, 2, 3}) {
        const int pitch = 64 * factor + 3;
        std::vector<std::uint32_t> whole(static_cast<size_t>(pitch) * 48 * factor, 7);
        CopyPictureScaled(picture, whole.data(), pitch, factor);
        std::vector<std::uint32_t> part(whole.size(), 7);
        const Rect r{16, 8, 40, 30};
        CopyPictureRectScaled(picture, r, part.data(), pitch, factor);
        const Rect onWindow = ScaleRect(r, 0, 0, factor);
        for (int y = 0; y < 48 * factor; ++y) {
            for (int x = 0; x < pitch; ++x) {
                const bool in = x >= onWindow.left && x < onWindow.right && y >= onWindow.top &&
                                y < onWindow.bottom;
                const size_t i = static_cast<size_t>(y) * pitch + x;
                ASSERT_EQ(part[i], in ? whole[i] : 7u) << factor << ": " << x << "," << y;
            }
        }
    }
}

}  // namespace
