// The generated bitmap font read the way the game reads it: the character line of font1.txt
// and the ruler of font2.bmp.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "core/encoding.h"
#include "font_chars.h"
#include "picture_table.h"
#include "platform/surface.h"

namespace {

const std::string kRes = RHOMBULUS_RES_DIR;

struct Box {
    int left, width;
};

struct LoadedFont {
    std::vector<unsigned char> chars;  // Windows-1252 bytes, the "$" included
    std::vector<Box> boxes;            // box j belongs to character j (from 0 here)
    // The later lines (UTF-8 in the file), without their "$", and their boxes: line k on strip
    // k + 1, its ruler in row 20 * (k + 1).
    std::vector<std::u32string> extraChars;
    std::vector<std::vector<Box>> extraBoxes;
    Surface bitmap;
};

// count boxes along the ruler in the given row, as the game measures them.
std::vector<Box> Boxes(const Surface& s, int row, size_t count) {
    std::vector<Box> boxes;
    const int w = s.width;
    int lastLeft = -1;
    for (size_t i = 0; i < count; ++i) {
        int left = w - 1;
        for (int x = lastLeft + 1; x < w - 1; ++x) {
            if (s.At(x, row) == 0) {
                left = x;
                break;
            }
        }
        int right = w - 1;
        for (int x = left + 1; x < w - 1; ++x) {
            if (s.At(x, row) == 0) {
                right = x;
                break;
            }
        }
        lastLeft = left;
        boxes.push_back({left, right - left});
    }
    return boxes;
}

// The character line up to and including "$", then k + 2 ruler boxes; the second line and its
// boxes.
LoadedFont ReadFont() {
    LoadedFont f;
    std::ifstream in(kRes + "/font1.txt", std::ios::binary);
    std::string line;
    std::getline(in, line);
    for (unsigned char c : line) {
        f.chars.push_back(c);
        if (c == '$') break;
    }
    while (std::getline(in, line)) {
        const size_t dollar = line.find('$');
        EXPECT_NE(dollar, std::string::npos) << "a line without its \"$\"";
        if (dollar == std::string::npos) break;
        f.extraChars.push_back(CodePoints(line.substr(0, dollar)));
    }
    EXPECT_TRUE(LoadSurface(f.bitmap, kRes + "/font2.bmp"));
    f.boxes = Boxes(f.bitmap, 0, f.chars.size() + 2);
    for (size_t k = 0; k < f.extraChars.size(); ++k) {
        const int ruler = static_cast<int>(k + 1) * (assetgen::kGlyphHeight + 1);
        if (ruler >= f.bitmap.height) break;
        f.extraBoxes.push_back(Boxes(f.bitmap, ruler, f.extraChars[k].size()));
    }
    return f;
}

int IndexOf(const LoadedFont& f, unsigned char c) {
    for (size_t i = 0; i < f.chars.size(); ++i) {
        if (f.chars[i] == c) return static_cast<int>(i);
    }
    return -1;
}

TEST(Font, LineEndsWithDollarWithinNinetySixCharacters) {
    const LoadedFont f = ReadFont();
    ASSERT_FALSE(f.chars.empty());
    EXPECT_EQ(f.chars.back(), '$');
    EXPECT_LE(f.chars.size(), 96u);
    EXPECT_EQ(f.bitmap.height,
              static_cast<int>(1 + f.extraChars.size()) * (assetgen::kGlyphHeight + 1));
}

// One visible box per character, none wider than the glyph scratch, each with a shape; the
// "$" and every box after it are empty, so unknown characters (glyph 97) draw nothing.
TEST(Font, RulerGivesOneBoxPerCharacter) {
    const LoadedFont f = ReadFont();
    const size_t k = f.chars.size();
    ASSERT_EQ(f.boxes.size(), k + 2);
    for (size_t j = 0; j + 1 < k; ++j) {
        const Box b = f.boxes[j];
        EXPECT_GT(b.width, 0) << "character " << j + 1;
        EXPECT_LE(b.width, assetgen::kMaxGlyphWidth) << "character " << j + 1;
        int shape = 0;
        for (int y = 1; y <= assetgen::kGlyphHeight; ++y) {
            for (int x = b.left; x < b.left + b.width; ++x) shape += f.bitmap.At(x, y) != 0xFF00FFu;
        }
        EXPECT_GT(shape, 0) << "character " << j + 1 << " has no glyph";
    }
    EXPECT_EQ(f.boxes[k - 1].width, 0);
    EXPECT_EQ(f.boxes[k].width, 0);
    EXPECT_EQ(f.boxes[k + 1].width, 0);
    if (k >= 96) {
        EXPECT_EQ(f.boxes[95].width, 0) << "glyph 97 must be empty";
    }
    // Row 0 holds only marks and magenta.
    for (int x = 0; x < f.bitmap.width; ++x) {
        const std::uint32_t p = f.bitmap.At(x, 0);
        EXPECT_TRUE(p == 0 || p == 0xFF00FFu) << x;
    }
}

// Every character the game writes has a glyph, and the ordinary ones stay out of the stretch
// that is always drawn with the symbol texture.
TEST(Font, GameCharactersHaveGlyphsOutsideTheSymbolStretch) {
    const LoadedFont f = ReadFont();
    std::string ordinary = "ABCDEFGHIKLMNOPRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.,!-";
    ordinary += '\xE4';  // ä
    ordinary += '\xF6';  // ö
    ordinary += '\xFC';  // ü
    for (unsigned char c : ordinary) {
        const int i = IndexOf(f, c);
        ASSERT_GE(i, 0) << "missing character " << int(c);
        const int position = i + 1;
        EXPECT_TRUE(position < assetgen::kFirstSymbolChar || position > assetgen::kLastSymbolChar)
            << "character " << c << " would always show in the symbol texture";
    }
    for (unsigned char c : std::string("{}<>?:=_JQ\xC4\xD6\xDC\xDF")) {
        EXPECT_GE(IndexOf(f, c), 0) << "missing character " << int(c);
    }
    // The music symbols of the side panel are symbol glyphs.
    for (unsigned char c : {'{', '}'}) {
        const int position = IndexOf(f, c) + 1;
        EXPECT_GE(position, assetgen::kFirstSymbolChar);
        EXPECT_LE(position, assetgen::kLastSymbolChar);
    }
    EXPECT_LT(IndexOf(f, ' '), 0) << "a space glyph would widen every space";
}

// Texts over the field need a dark edge all round: inside its box every glyph's shape keeps off
// the box's edges and every pixel touching it, also diagonally, is dark ring.
void ExpectRinged(const Surface& s, const std::vector<Box>& boxes, size_t count, int top) {
    for (size_t j = 0; j < count; ++j) {
        const Box b = boxes[j];
        auto at = [&](int x, int y) { return s.At(b.left + x, top + y); };
        int ring = 0;
        for (int y = 0; y < assetgen::kGlyphHeight; ++y) {
            for (int x = 0; x < b.width; ++x) {
                const std::uint32_t p = at(x, y);
                if (p == 0xFF00FFu) continue;
                const bool edge =
                    x == 0 || y == 0 || x == b.width - 1 || y == assetgen::kGlyphHeight - 1;
                if (p != 0) {
                    // Ring pixels are near black; the red stroke of the crossed note is art.
                    ring += ((p >> 16) & 255) < 40 && ((p >> 8) & 255) < 40 && (p & 255) < 40;
                    continue;
                }
                EXPECT_FALSE(edge)
                    << "character " << j + 1 << " touches its box at " << x << "," << y;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= b.width || ny >= assetgen::kGlyphHeight)
                            continue;
                        EXPECT_NE(at(nx, ny), 0xFF00FFu)
                            << "character " << j + 1 << " open at " << nx << "," << ny;
                    }
                }
            }
        }
        EXPECT_GT(ring, 0) << "character " << j + 1;
    }
}

TEST(Font, EveryShapeIsRingedInsideItsBox) {
    const LoadedFont f = ReadFont();
    ExpectRinged(f.bitmap, f.boxes, f.chars.size() - 1, 1);
    for (size_t k = 0; k < f.extraBoxes.size(); ++k) {
        SCOPED_TRACE("line " + std::to_string(k + 2));
        ExpectRinged(f.bitmap, f.extraBoxes[k], f.extraChars[k].size(),
                     static_cast<int>(k + 1) * (assetgen::kGlyphHeight + 1) + 1);
    }
}

// The later lines' glyphs: one box each on the line's own strip, with a shape, no wider than the
// glyph scratch, each strip ending left of the first strip's last column; no character twice.
// The second line is the generator's table, so its glyph numbers stay.
TEST(Font, LaterLinesGiveOneBoxPerCharacter) {
    const LoadedFont f = ReadFont();
    ASSERT_GE(f.extraChars.size(), 2u);
    ASSERT_EQ(f.extraBoxes.size(), f.extraChars.size());
    EXPECT_EQ(f.extraChars[0], std::u32string(assetgen::kFontExtraLine.substr(
                                   0, assetgen::kFontExtraLine.size() - 1)));
    std::set<char32_t> seen;
    for (unsigned char c : f.chars) seen.insert(Cp1252CodePoint(c));
    for (size_t k = 0; k < f.extraChars.size(); ++k) {
        for (size_t j = 0; j < f.extraChars[k].size(); ++j) {
            const char32_t c = f.extraChars[k][j];
            EXPECT_TRUE(seen.insert(c).second) << "twice: " << static_cast<int>(c);
            const Box b = f.extraBoxes[k][j];
            EXPECT_GT(b.width, 0) << static_cast<int>(c);
            EXPECT_LE(b.width, assetgen::kMaxGlyphWidth) << static_cast<int>(c);
            EXPECT_LT(b.left + b.width, f.bitmap.width - 1) << static_cast<int>(c);
        }
    }
}

}  // namespace
