// The generated bitmaps as the game loads them: sizes, transparent surroundings, and the
// covers that must line up with the backgrounds they are drawn over.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "picture_table.h"
#include "platform/surface.h"
#include "test_support.h"

namespace {

using assetgen::Key;
using assetgen::KeyColour;
using assetgen::SheetLayout;

// Keyed cells keep their corners transparent and are never blank (a blank cell would be a
// frame or colour the sheet forgot to draw).
class KeyedPictureFile : public ::testing::TestWithParam<SheetLayout> {};

TEST_P(KeyedPictureFile, CellsAreSurroundedByTheKeyAndNotEmpty) {
    const SheetLayout& p = GetParam();
    const Surface s = LoadResPicture(p.name);
    ASSERT_EQ(s.width, p.Width());
    ASSERT_EQ(s.height, p.Height());
    const std::uint32_t key = KeyColour(p.key);
    for (int row = 0; row < p.rows; ++row) {
        for (int col = 0; col < p.columns; ++col) {
            const int x0 = col * p.cellW, y0 = row * p.cellH;
            const int x1 = x0 + p.cellW - 1, y1 = y0 + p.cellH - 1;
            if (p.cornersKeyed) {
                EXPECT_EQ(s.At(x0, y0), key) << p.name << " cell " << col << "," << row;
                EXPECT_EQ(s.At(x1, y0), key) << p.name << " cell " << col << "," << row;
                EXPECT_EQ(s.At(x0, y1), key) << p.name << " cell " << col << "," << row;
                EXPECT_EQ(s.At(x1, y1), key) << p.name << " cell " << col << "," << row;
            }
            // Kind 7 of the pipe sheets is the barrel stone, which is never drawn.
            const bool blankByDesign = p.name.substr(0, 4) == "pipe" && p.rows == 12 && row == 6;
            int drawn = 0;
            for (int y = y0; y <= y1; ++y) {
                for (int x = x0; x <= x1; ++x) drawn += s.At(x, y) != key;
            }
            if (blankByDesign) {
                EXPECT_EQ(drawn, 0) << p.name << " cell " << col << "," << row;
            } else {
                EXPECT_GT(drawn, 0) << p.name << " cell " << col << "," << row;
            }
        }
    }
}

std::string TestName(const ::testing::TestParamInfo<SheetLayout>& info) {
    std::string n(info.param.name);
    return n.substr(0, n.find('.'));
}

std::vector<SheetLayout> KeyedPictures() {
    std::vector<SheetLayout> keyed;
    for (const SheetLayout& p : assetgen::kPictures) {
        if (p.key != Key::None) keyed.push_back(p);
    }
    return keyed;
}

INSTANTIATE_TEST_SUITE_P(KeyedBitmaps, KeyedPictureFile, ::testing::ValuesIn(KeyedPictures()),
                         TestName);

// Stones of rows 1..9 are cut one pixel taller, reaching the first row of the next cell: that
// row must be transparent in every stone and pipe sheet.
TEST(StoneSheets, FirstRowOfEveryCellIsTransparent) {
    for (const char* name : {"steine3.bmp", "steine2.bmp", "pipes.bmp", "pipevoll.bmp"}) {
        const SheetLayout* p = assetgen::FindPicture(name);
        ASSERT_NE(p, nullptr);
        const Surface s = LoadResPicture(name);
        ASSERT_EQ(s.height, p->Height());
        for (int row = 0; row < p->rows; ++row) {
            for (int x = 0; x < s.width; ++x) {
                ASSERT_EQ(s.At(x, row * p->cellH), 0xFF00FFu)
                    << name << " row " << row << " x " << x;
            }
        }
    }
}

// A cover drawn opaque over a background: where is it drawn, and what must agree.
struct Cover {
    const char* cover;
    int sx, sy, w, h;  // rectangle of the cover bitmap
    const char* background;
    int dx, dy;  // where the renderer puts it
    bool tube;   // a time bar: the cover is the tube's inside, framed in black
};

class CoverOverBackground : public ::testing::TestWithParam<Cover> {};

// A lamp cover's corners lie outside the lamp, so they must repeat the background exactly; a
// time bar cover must fill the tube that the background frames in black. Either way a cover cut
// from the wrong place shows a visible box, and one that changes nothing shows no state.
TEST_P(CoverOverBackground, LinesUpWithTheBackgroundBeneath) {
    const Cover& c = GetParam();
    const Surface cover = LoadResPicture(c.cover);
    const Surface bg = LoadResPicture(c.background);
    ASSERT_GE(cover.width, c.sx + c.w);
    ASSERT_GE(cover.height, c.sy + c.h);
    if (c.tube) {
        for (int y = 0; y < c.h; y += 17) {
            EXPECT_EQ(bg.At(c.dx - 1, c.dy + y), 0u) << c.background << " left of the tube, " << y;
            EXPECT_EQ(bg.At(c.dx + c.w, c.dy + y), 0u)
                << c.background << " right of the tube, " << y;
        }
        EXPECT_EQ(bg.At(c.dx + c.w / 2, c.dy - 1), 0u) << "above the tube";
        EXPECT_EQ(bg.At(c.dx + c.w / 2, c.dy + c.h), 0u) << "below the tube";
    } else {
        for (auto [ox, oy] : {std::pair{0, 0}, {c.w - 1, 0}, {0, c.h - 1}, {c.w - 1, c.h - 1}}) {
            EXPECT_EQ(cover.At(c.sx + ox, c.sy + oy), bg.At(c.dx + ox, c.dy + oy))
                << c.cover << " at " << ox << "," << oy;
        }
    }
    int differing = 0;
    for (int y = 0; y < c.h; ++y) {
        for (int x = 0; x < c.w; ++x) {
            differing += cover.At(c.sx + x, c.sy + y) != bg.At(c.dx + x, c.dy + y);
        }
    }
    EXPECT_GT(differing, c.w * c.h / 8) << c.cover;
}

INSTANTIATE_TEST_SUITE_P(
    GameAndMatch, CoverOverBackground,
    ::testing::Values(
        // The drained time bar over the full one.
        Cover{"zeit.bmp", 0, 0, 35, 273, "spielhg2.bmp", 656, 295, true},
        Cover{"zeit.bmp", 0, 0, 35, 273, "spielhg3.bmp", 656, 295, true},
        Cover{"zeit2.bmp", 0, 0, 35, 271, "spielhgtwo1.bmp", 359, 114, true},
        Cover{"zeit2.bmp", 49, 0, 31, 271, "spielhgtwo1.bmp", 408, 114, true},
        // Lit X2 and flash lamps over the unlit ones of the game panel.
        Cover{"puanzeige.bmp", 10, 10, 49, 50, "spielhg2.bmp", 689, 207, false},
        Cover{"puanzeige.bmp", 45, 77, 53, 55, "spielhg2.bmp", 724, 274, false},
        Cover{"puanzeige.bmp", 10, 10, 49, 50, "spielhg3.bmp", 689, 207, false},
        // Unlit match lamps over the lit ones of the match background, centred on their spots.
        Cover{"puanz1leer.bmp", 0, 0, 66, 65, "spielhgtwo1.bmp", 57 - 33, 69 - 32, false},
        Cover{"puanz2leer.bmp", 0, 0, 66, 61, "spielhgtwo1.bmp", 293 - 33, 58 - 30, false},
        Cover{"puanz3leer.bmp", 0, 0, 59, 60, "spielhgtwo1.bmp", 509 - 29, 57 - 30, false},
        Cover{"puanz4leer.bmp", 0, 0, 59, 60, "spielhgtwo1.bmp", 743 - 29, 69 - 30, false}));

// The help page shows the game's time bar cut out of the game background.
TEST(HelpPictures, TimeBarCutShowsTheFilledTube) {
    const Surface bg = LoadResPicture("spielhg2.bmp");
    const Surface cover = LoadResPicture("zeit.bmp");
    // Inside the tube the full bar is brighter than the drained one.
    auto brightness = [](std::uint32_t p) {
        return ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255);
    };
    long full = 0, empty = 0;
    for (int y = 0; y < 273; ++y) {
        full += brightness(bg.At(656 + 17, 295 + y));
        empty += brightness(cover.At(17, y));
    }
    EXPECT_GT(full, 2 * empty);
}

}  // namespace
