// What the pictures must show for the game to read right: animations that move, a cannon that
// fills as it reloads, extras and debris in the colours the
// rules give them, text textures with an outline darker than every text, and the bottom line
// where the rules put it.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "picture_table.h"
#include "platform/surface.h"
#include "playfield/extras.h"
#include "playfield/tables.h"
#include "test_support.h"

namespace {

using assetgen::KeyColour;
using assetgen::SheetLayout;

const SheetLayout& Layout(std::string_view name) {
    const SheetLayout* p = assetgen::FindPicture(name);
    if (p == nullptr) ADD_FAILURE() << "no table entry for " << name;
    static const SheetLayout kNone{"", 1, 1, 1, 1, assetgen::Key::None, false};
    return p ? *p : kNone;
}

int R(std::uint32_t p) {
    return (p >> 16) & 255;
}
int G(std::uint32_t p) {
    return (p >> 8) & 255;
}
int B(std::uint32_t p) {
    return p & 255;
}

struct Mean {
    double r = 0, g = 0, b = 0;
    int n = 0;
    double Distance(const Mean& o) const {
        return std::sqrt((r - o.r) * (r - o.r) + (g - o.g) * (g - o.g) + (b - o.b) * (b - o.b));
    }
};

// Mean colour of a cell's pixels that are not the key; with saturatedOnly, of the clearly
// coloured ones (the paint, not the metal, outlines or highlights).
Mean CellMean(const Surface& s, const SheetLayout& p, int col, int row, bool saturatedOnly) {
    Mean m;
    const std::uint32_t key = KeyColour(p.key);
    for (int y = row * p.cellH; y < (row + 1) * p.cellH; ++y) {
        for (int x = col * p.cellW; x < (col + 1) * p.cellW; ++x) {
            const std::uint32_t c = s.At(x, y);
            if (p.key != assetgen::Key::None && c == key) continue;
            const int hi = std::max({R(c), G(c), B(c)}), lo = std::min({R(c), G(c), B(c)});
            if (saturatedOnly && hi - lo < 90) continue;
            m.r += R(c);
            m.g += G(c);
            m.b += B(c);
            ++m.n;
        }
    }
    if (m.n > 0) {
        m.r /= m.n;
        m.g /= m.n;
        m.b /= m.n;
    }
    return m;
}

int DifferingPixels(const Surface& s, const SheetLayout& p, int c1, int r1, int c2, int r2) {
    int n = 0;
    for (int y = 0; y < p.cellH; ++y) {
        for (int x = 0; x < p.cellW; ++x) {
            n += s.At(c1 * p.cellW + x, r1 * p.cellH + y) !=
                 s.At(c2 * p.cellW + x, r2 * p.cellH + y);
        }
    }
    return n;
}

class Animation : public ::testing::TestWithParam<const char*> {};

// Every frame of an animated sheet differs from the one before it; a repeated frame shows as a
// stall in the animation.
TEST_P(Animation, EachFrameDiffersFromThePreviousOne) {
    const SheetLayout& p = Layout(GetParam());
    const Surface s = LoadResPicture(p.name);
    ASSERT_EQ(s.width, p.Width());
    for (int col = 1; col < p.columns; ++col) {
        EXPECT_GT(DifferingPixels(s, p, col - 1, 0, col, 0), 0) << p.name << " frame " << col;
    }
}

INSTANTIATE_TEST_SUITE_P(Sheets, Animation,
                         ::testing::Values("kanone1.bmp", "kanone2.bmp", "rad.bmp", "rad3.bmp",
                                           "pfeilchen.bmp", "pfeilchen2.bmp", "pfeil2.bmp",
                                           "uhr.bmp", "bombe.bmp", "pfeil.bmp", "pux2.bmp",
                                           "puunkaputt.bmp", "uhrklein.bmp", "bombeklein.bmp",
                                           "pfeilklein.bmp", "pux2klein.bmp", "puunkaputtklein.bmp",
                                           "miexpl.bmp", "sternchen.bmp", "sternchen4.bmp",
                                           "sternchen7.bmp", "hahn.bmp"),
                         [](const auto& info) {
                             std::string n(info.param);
                             return n.substr(0, n.find('.'));
                         });

TEST(Debris, EveryColourColumnMovesThroughItsTwentyFrames) {
    const SheetLayout& p = Layout("expl3.bmp");
    const Surface s = LoadResPicture(p.name);
    for (int col = 0; col < p.columns; ++col) {
        for (int row = 1; row < p.rows; ++row) {
            EXPECT_GT(DifferingPixels(s, p, col, row - 1, col, row), 0)
                << "column " << col + 1 << " frame " << row + 1;
        }
    }
}

// The cannon's frame is its load 1..8: the lit part of its core grows with every frame.
TEST(Cannon, CoreFillsAsItReloads) {
    for (const char* name : {"kanone1.bmp", "kanone2.bmp"}) {
        const SheetLayout& p = Layout(name);
        const Surface s = LoadResPicture(name);
        const double scale = p.cellW / 113.0;
        const double cx = 56.5 * scale, cy = 86 * scale, r = 11 * scale;
        int previous = -1;
        for (int f = 0; f < p.columns; ++f) {
            int lit = 0;
            for (int y = 0; y < p.cellH; ++y) {
                for (int x = 0; x < p.cellW; ++x) {
                    if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) > r) continue;
                    lit += std::max(G(s.At(f * p.cellW + x, y)), B(s.At(f * p.cellW + x, y))) > 150;
                }
            }
            EXPECT_GT(lit, previous) << name << " frame " << f;
            previous = lit;
        }
    }
}

// Nearest of the given stone colours to a mean colour.
int NearestStoneColour(const Mean& m, const Surface& stones, const SheetLayout& sp,
                       std::initializer_list<int> candidates) {
    int best = 0;
    double bestDistance = 1e9;
    for (int c : candidates) {
        const double d = m.Distance(CellMean(stones, sp, 0, c - 1, true));
        if (d < bestDistance) {
            bestDistance = d;
            best = c;
        }
    }
    return best;
}

// A colourer of code c paints the stones around it in ColourerColour(c), and the game draws it
// from row c of its icons: that row shows the colour it paints, and no two codes look alike.
TEST(Colourer, EachCodesIconShowsTheColourItPaints) {
    const SheetLayout& sp = Layout("steine3.bmp");
    const Surface stones = LoadResPicture("steine3.bmp");
    for (const char* name : {"farbe2.bmp", "farbe2klein.bmp"}) {
        const SheetLayout& p = Layout(name);
        const Surface s = LoadResPicture(name);
        std::set<int> painted;
        for (int code = 1; code <= 5; ++code) {
            const Mean m = CellMean(s, p, 0, code - 1, true);
            const int paints = ColourerColour(code);
            EXPECT_EQ(NearestStoneColour(m, stones, sp, {1, 2, 3, 4, 5, 6, 7, 8}), paints)
                << name << " code " << code;
            painted.insert(paints);
        }
        EXPECT_EQ(painted.size(), 5u) << name;
    }
}

// A bursting stone flies apart in its own colour: the column of the debris sheet the rules pick
// for it shows that colour (yellow and orange share one, painted between the two). Colours 8 and
// 9 share a pale column of their own.
TEST(Debris, ABurstingStoneFliesApartInItsOwnColour) {
    const SheetLayout& sp = Layout("steine3.bmp");
    const Surface stones = LoadResPicture("steine3.bmp");
    const SheetLayout& p = Layout("expl3.bmp");
    const Surface s = LoadResPicture("expl3.bmp");
    TestGame t;
    for (int colour = 1; colour <= 7; ++colour) {
        t.game.effects.EffectCursor = 0;
        RemoveEffect(t.game, kRemoveAll);
        AddDebris(t.game, 50, 60, colour);
        const int column = t.game.effects.EffectColour[1];
        ASSERT_GE(column, 1);
        ASSERT_LE(column, p.columns);
        Mean m;
        // The early frames, before the smoke.
        for (int frame = 1; frame <= 4; ++frame) {
            const Mean f = CellMean(s, p, column - 1, frame - 1, true);
            m.r += f.r / 4;
            m.g += f.g / 4;
            m.b += f.b / 4;
        }
        const int seen = NearestStoneColour(m, stones, sp, {1, 2, 3, 4, 5, 6, 7});
        const auto sharing = [](int c) { return c == 6 ? 4 : c; };
        EXPECT_EQ(sharing(seen), sharing(colour)) << "colour " << colour << ", column " << column;
    }
}

// Texture 6 draws the outline and shadow of every text: it must be darker than all the text
// textures, and a hovered label must stand out from an idle one.
TEST(TextTextures, OutlineIsDarkestAndTextsDiffer) {
    std::vector<Mean> means(8);
    for (int t = 1; t <= 7; ++t) {
        const std::string name = "schriftfarbe" + std::to_string(t) + ".bmp";
        const Surface s = LoadResPicture(name);
        ASSERT_GE(s.width, 30);
        ASSERT_GE(s.height, 30);
        Mean& m = means[t];
        for (int y = 0; y < 19; ++y) {
            for (int x = 0; x < 30; ++x) {
                m.r += R(s.At(x, y)) / 570.0;
                m.g += G(s.At(x, y)) / 570.0;
                m.b += B(s.At(x, y)) / 570.0;
            }
        }
        // Some depth: the glyph rows are not one flat colour.
        if (t != 6) {
            EXPECT_NE(s.At(5, 2), s.At(5, 14)) << name;
        }
    }
    auto luminance = [](const Mean& m) { return 0.3 * m.r + 0.59 * m.g + 0.11 * m.b; };
    for (int t = 1; t <= 7; ++t) {
        if (t == 6) continue;
        EXPECT_GT(luminance(means[t]), luminance(means[6]) + 80) << "texture " << t;
    }
    // Hovered (2) against idle menu text (3), back buttons (5) and hovered panel labels (4);
    // titles (1) against menu text.
    for (auto [t, u] : {std::pair{2, 3}, {2, 5}, {2, 4}, {1, 3}, {3, 5}}) {
        EXPECT_GT(means[t].Distance(means[u]), 40) << "textures " << t << " and " << u;
    }
}

// Stones resting below y 440 (match: 460) burst; the backgrounds mark that line across the
// fields in a warm glow.
TEST(Backgrounds, BottomLineIsDrawnWhereStonesBurst) {
    struct Line {
        const char* name;
        int y, x0, x1;
    };
    for (const Line& l :
         {Line{"spielhg2.bmp", 440, 30, 620}, Line{"spielhg3.bmp", 440, 100, 620},
          Line{"spielhgtwo1.bmp", 460, 5, 370}, Line{"spielhgtwo1.bmp", 460, 430, 795}}) {
        const Surface s = LoadResPicture(l.name);
        int warm = 0;
        for (int x = l.x0; x <= l.x1; ++x) {
            const std::uint32_t c = s.At(x, l.y);
            warm += R(c) > 200 && R(c) > B(c) + 80;
        }
        EXPECT_GT(warm, (l.x1 - l.x0) * 9 / 10) << l.name;
    }
}

// The mouse pointer is drawn with its cell's top-left one pixel right of and below the mouse;
// the arrow's tip sits there in every frame.
TEST(Pointer, TipIsAtTheTopLeftOfEveryFrame) {
    const SheetLayout& p = Layout("pfeil2.bmp");
    const Surface s = LoadResPicture(p.name);
    for (int f = 0; f < p.columns; ++f) EXPECT_NE(s.At(f * p.cellW + 1, 1), 0u) << f;
}

}  // namespace
