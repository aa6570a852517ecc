// The bitmap font and the glyph queue: measuring, alignment, the fixed-colour glyphs and the
// drawing with outline and shadow.
#include "presentation/text.h"

#include <gtest/gtest.h>

#include <string>

#include "menus_fixture.h"
#include "platform/surface.h"
#include "presentation/bitmaps.h"

namespace {

// A font of three characters, "A" 4 px, "B" 6 px, "C" 7 px, then "$".
void WriteSmallFont(const TempRes& res) {
    res.WriteBytes(res.Dir() + "/small1.txt", {'A', 'B', 'C', '$', 'x', '\r', '\n', 'Q'});
    Surface bmp = CreateSurface();
    SetSurfaceSize(bmp, 19, 20);
    FillSurface(bmp, kMagenta);
    for (int x : {0, 4, 10, 17}) bmp.At(x, 0) = kBlack;
    bmp.At(18, 0) = kBlack;  // the last column never counts as a mark
    ASSERT_TRUE(SaveBmp(bmp, res.Dir() + "/small2.bmp"));
}

struct Glyphs {
    std::vector<int> x, y, glyph, colour;
};

// The glyphs this tick's texts are laid out as.
Glyphs Queued(Game& game) {
    QueueTextCalls(game);
    Glyphs q;
    for (int s = 1; s <= game.font.TextQueueCount; ++s) {
        if (game.font.QueueGlyphNo[s] == 0) continue;
        q.x.push_back(game.font.QueueX[s]);
        q.y.push_back(game.font.QueueY[s]);
        q.glyph.push_back(game.font.QueueGlyphNo[s]);
        q.colour.push_back(game.font.QueueColour[s]);
    }
    return q;
}

class SmallFontTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteSmallFont(res_);
        test_ = std::make_unique<TestGame>(res_.Dir());
        LoadFont(g(), 2, "res\\small1.txt", "res\\small2.bmp");
        BeginTextFrame(g());
    }
    Game& g() { return test_->game; }
    TempRes res_;
    std::unique_ptr<TestGame> test_;
};

TEST_F(SmallFontTest, MeasuresBoxesFromTheRulerAndStopsAtTheDollar) {
    const FontState& t = g().font;
    EXPECT_EQ(t.FontCharCount, 4);
    EXPECT_EQ(GlyphOf(g(), 'A'), 2);
    EXPECT_EQ(GlyphOf(g(), 'C'), 4);
    EXPECT_EQ(GlyphOf(g(), '$'), 5);
    EXPECT_EQ(GlyphOf(g(), 'x'), kMissingGlyph);  // after the "$": not part of the font
    EXPECT_EQ(t.Glyph[2].Left, 0);
    EXPECT_EQ(t.Glyph[2].Width, 4);
    EXPECT_EQ(t.Glyph[3].Width, 6);
    EXPECT_EQ(t.Glyph[4].Left, 10);
    EXPECT_EQ(t.Glyph[4].Width, 7);
    EXPECT_EQ(t.Glyph[4].Top, 1);
    EXPECT_EQ(t.Glyph[4].Height, 19);
    // "$" starts at the last mark before the final column and reaches it.
    EXPECT_EQ(t.Glyph[5].Left, 17);
    EXPECT_EQ(t.Glyph[5].Width, 1);
    // A missing character's glyph of a short line has no width.
    EXPECT_EQ(t.Glyph[kMissingGlyph].Width, 0);
}

// The lines after the first of font1.txt (UTF-8) and the bitmap's strips below the first: each
// read when its strip is there and it is closed by "$", and never moving the first line's glyphs.
struct ExtraLineCase {
    std::vector<std::uint8_t> chars;
    int bitmapHeight;
    int extraCount;
};

class ExtraLineTest : public ::testing::TestWithParam<ExtraLineCase> {};

TEST_P(ExtraLineTest, AddsGlyphsAfterTheFirstLinesOnly) {
    const ExtraLineCase& c = GetParam();
    TempRes res;
    res.WriteBytes(res.Dir() + "/two1.txt", c.chars);
    Surface bmp = CreateSurface();
    SetSurfaceSize(bmp, 30, c.bitmapHeight);
    FillSurface(bmp, kMagenta);
    for (int x : {0, 4, 10, 17}) bmp.At(x, 0) = kBlack;
    if (c.bitmapHeight >= 2 * kFontStripHeight) {
        for (int x : {0, 5, 8, 12}) bmp.At(x, kFontStripHeight) = kBlack;
    }
    if (c.bitmapHeight >= 3 * kFontStripHeight) {
        for (int x : {2, 9, 20}) bmp.At(x, 2 * kFontStripHeight) = kBlack;
    }
    ASSERT_TRUE(SaveBmp(bmp, res.Dir() + "/two2.bmp"));
    TestGame test(res.Dir());
    Game& g = test.game;
    ASSERT_TRUE(LoadFont(g, 2, "res\\two1.txt", "res\\two2.bmp"));
    EXPECT_EQ(g.font.FontCharCount, 4);
    EXPECT_EQ(g.font.FontExtraCount, c.extraCount);
    EXPECT_EQ(GlyphOf(g, 'B'), 3);
    EXPECT_EQ(g.font.Glyph[3].Width, 6);
    EXPECT_EQ(g.font.Glyph[3].Top, 1);
    if (c.extraCount == 3) {
        EXPECT_EQ(GlyphOf(g, 0xE9), kFirstExtraGlyph);
        EXPECT_EQ(GlyphOf(g, 'B'), 3);  // also on the second line: the first line's glyph wins
        const GlyphBox& e = g.font.Glyph[kFirstExtraGlyph];
        EXPECT_EQ(e.Left, 0);
        EXPECT_EQ(e.Width, 5);
        EXPECT_EQ(e.Top, kFontStripHeight + 1);
        EXPECT_EQ(e.Height, 19);
        EXPECT_EQ(g.font.Glyph[kFirstExtraGlyph + 2].Left, 8);
        EXPECT_EQ(g.font.Glyph[kFirstExtraGlyph + 2].Width, 4);
    }
    if (c.extraCount == 5) {
        // The third line's glyphs follow on the third strip.
        EXPECT_EQ(GlyphOf(g, U'\u0416'), kFirstExtraGlyph + 3);  // Ж
        EXPECT_EQ(GlyphOf(g, U'\u65E5'), kFirstExtraGlyph + 4);  // 日
        const GlyphBox& z = g.font.Glyph[kFirstExtraGlyph + 4];
        EXPECT_EQ(z.Left, 9);
        EXPECT_EQ(z.Width, 11);
        EXPECT_EQ(z.Top, 2 * kFontStripHeight + 1);
        EXPECT_EQ(TextWidth(g, "B\u65E5"), 6 + 11);
    }
    if (c.extraCount == 0) {
        EXPECT_EQ(GlyphOf(g, 0xE9), kMissingGlyph);
    }
}

std::vector<std::uint8_t> Line(const std::string& s) {
    return {s.begin(), s.end()};
}

INSTANTIATE_TEST_SUITE_P(
    FontFiles, ExtraLineTest,
    ::testing::Values(ExtraLineCase{Line("ABC$\r\n\u00E9B\u00F1$\r\n"), 40, 3},
                      ExtraLineCase{Line("ABC$\r\n\u00E9B\u00F1$"), 40, 3},
                      ExtraLineCase{Line("ABC$\r\n\u00E9B\u00F1$\r\n\u0416\u65E5$\r\n"), 60, 5},
                      // A third line without its strip, or not closed: the second line only.
                      ExtraLineCase{Line("ABC$\r\n\u00E9B\u00F1$\r\n\u0416\u65E5$\r\n"), 40, 3},
                      ExtraLineCase{Line("ABC$\r\n\u00E9B\u00F1$\r\n\u0416\u65E5\r\n"), 60, 3},
                      // Today's font files: no second line, or a one-strip bitmap.
                      ExtraLineCase{Line("ABC$\r\n"), 40, 0},
                      ExtraLineCase{Line("ABC$\r\n\u00E9B\u00F1$\r\n"), 20, 0},
                      // Not closed: no added letters.
                      ExtraLineCase{Line("ABC$\r\n\u00E9B\u00F1\r\n$"), 40, 0},
                      ExtraLineCase{Line("ABC$x\u00E9$\r\n"), 40, 0}));

struct LayoutCase {
    int align;
    const char* text;
    std::vector<int> xs;
    std::vector<int> ys;
};

class LayoutTest : public SmallFontTest, public ::testing::WithParamInterface<LayoutCase> {};

// x 100, y 50; "A" 4, "B" 6, "C" 7 px, a space 5 px.
TEST_P(LayoutTest, PlacesEveryGlyph) {
    const LayoutCase& c = GetParam();
    DrawText(g(), 100, 50, c.align, c.text, 3);
    const Glyphs q = Queued(g());
    EXPECT_EQ(q.x, c.xs);
    EXPECT_EQ(q.y, c.ys);
}

INSTANTIATE_TEST_SUITE_P(
    Aligns, LayoutTest,
    ::testing::Values(LayoutCase{kAlignLeft, "AB C", {100, 104, 115}, {50, 50, 50}},
                      LayoutCase{kAlignLeft, "  A", {110}, {50}},
                      // total 4 + 6 + 5 + 7 = 22
                      LayoutCase{kAlignRight, "AB C", {78, 82, 93}, {50, 50, 50}},
                      // 100 - 11 - 3 = 86
                      LayoutCase{kAlignCentre, "AB C", {86, 90, 101}, {50, 50, 50}},
                      // odd total 17: 100 - 8 - 3
                      LayoutCase{kAlignCentre, "ABC", {89, 93, 99}, {50, 50, 50}},
                      // each character 2 px higher, the space counting as a character
                      LayoutCase{kAlignRising, "AB C", {86, 90, 101}, {48, 46, 42}},
                      LayoutCase{kAlignLeft, "", {}, {}}, LayoutCase{kAlignCentre, "   ", {}, {}},
                      LayoutCase{5, "ABC", {}, {}}, LayoutCase{0, "ABC", {}, {}}));

// A character the font lacks draws nothing when Windows-1252 has it, and as "?" otherwise, as
// the texts converted to Windows-1252 always drew; a broken UTF-8 sequence is a "?" per byte.
TEST_F(SmallFontTest, CharactersTheFontLacks) {
    res_.WriteBytes(res_.Dir() + "/q1.txt", {'A', '?', '$', '\r', '\n'});
    Surface bmp = CreateSurface();
    SetSurfaceSize(bmp, 19, 20);
    FillSurface(bmp, kMagenta);
    for (int x : {0, 4, 10}) bmp.At(x, 0) = kBlack;
    ASSERT_TRUE(SaveBmp(bmp, res_.Dir() + "/q2.bmp"));
    ASSERT_TRUE(LoadFont(g(), 2, "res\\q1.txt", "res\\q2.bmp"));
    EXPECT_EQ(GlyphOfText(g(), U'\u00E9'), kMissingGlyph);
    EXPECT_EQ(GlyphOfText(g(), U'\u65E5'), 3);
    DrawText(g(), 0, 0, kAlignLeft, "A\xE9\u65E5", 3);
    EXPECT_EQ(Queued(g()).glyph, (std::vector<int>{2, 3, 3}));
}

TEST(TextMapping, Utf8TextUsesTheFontsWindows1252Characters) {
    TestGame t;
    LoadGameFont(t.game);
    BeginTextFrame(t.game);
    DrawText(t.game, 0, 0, kAlignLeft, "äÖß", 3);
    const Glyphs q = Queued(t.game);
    ASSERT_EQ(q.glyph.size(), 3u);
    EXPECT_EQ(q.glyph[0], GlyphOf(t.game, 0xE4));
    EXPECT_EQ(q.glyph[1], GlyphOf(t.game, 0xD6));
    EXPECT_EQ(q.glyph[2], GlyphOf(t.game, 0xDF));
    EXPECT_NE(q.glyph[0], kMissingGlyph);
}

// Glyphs 41..68 take texture 7, but of that stretch the letters J and Q, the colon and the
// apostrophe take the text's texture like the letters around them.
TEST(FixedColour, LettersAndPunctuationOfTheStretchTakeTheTextsTexture) {
    TestGame bare;
    for (int glyph : {40, 41, 68, 69}) QueueGlyph(bare.game, 0, 0, glyph, 2, 2);
    EXPECT_EQ(Queued(bare.game).colour, (std::vector<int>{2, 7, 7, 2}));
    TestGame t;
    ASSERT_TRUE(LoadGameFont(t.game));
    BeginTextFrame(t.game);
    DrawText(t.game, 0, 0, kAlignLeft, "JQ:'?{\u00C4", 3);
    const Glyphs q = Queued(t.game);
    EXPECT_EQ(q.colour, (std::vector<int>{3, 3, 3, 3, 7, 7, 7}));
}

TEST(TextQueue, SkipsSlotsStillInUseAndDropsGlyphsBeyondTheLast) {
    TestGame t;
    FontState& q = t.game.font;
    q.QueueGlyphNo[2] = 5;  // left from a frame that was not drawn
    QueueGlyph(t.game, 0, 0, 3, 1, 2);
    QueueGlyph(t.game, 0, 0, 4, 1, 2);
    EXPECT_EQ(q.QueueGlyphNo[1], 3);
    EXPECT_EQ(q.QueueGlyphNo[2], 5);
    EXPECT_EQ(q.QueueGlyphNo[3], 4);
    q.TextQueueCount = kTextQueueSlots - 1;
    QueueGlyph(t.game, 7, 0, 6, 1, 2);
    QueueGlyph(t.game, 8, 0, 6, 1, 2);
    EXPECT_EQ(q.QueueX[kTextQueueSlots], 7);
    EXPECT_EQ(q.TextQueueCount, kTextQueueSlots);
}

TEST(TextFont, MissingCharacterFileIsNamedAndLeavesTheFontEmpty) {
    TempRes res;
    TestGame t(res.Dir());
    std::string failed;
    EXPECT_FALSE(LoadFont(t.game, 2, "res\\nofont.txt", "res\\font2.bmp", &failed));
    EXPECT_EQ(failed, res.Dir() + "/nofont.txt");
    BeginTextFrame(t.game);
    DrawText(t.game, 10, 10, kAlignCentre, "Ende", 3);
    EXPECT_EQ(TextWidth(t.game, "Ende"), 0);
}

TEST(TextDrawing, GlyphGetsTextureInsideOutlineAroundAndIsFreed) {
    MenuGame m;
    Game& g = m.g();
    FillSurface(g.backBuffer, kBlack);
    BeginTextFrame(g);
    const int glyph = GlyphOf(g, 'H');
    QueueGlyph(g, 200, 100, glyph, 3, 2);
    DrawTextQueue(g);
    EXPECT_EQ(g.font.QueueGlyphNo[1], 0);

    const GlyphBox& box = g.font.Glyph[glyph];
    const Surface& font = g.bitmaps[kBmpFont];
    const Surface& texture = g.bitmaps[FontTexture(3)];
    const Surface& outline = g.bitmaps[FontTexture(6)];
    int shape = 0;
    for (int y = 0; y < box.Height; ++y) {
        for (int x = 0; x < box.Width; ++x) {
            if (font.At(box.Left + x, box.Top + y) != kBlack) continue;
            ++shape;
            EXPECT_EQ(g.backBuffer.At(200 + x, 100 + y), texture.At(x, y));
        }
    }
    EXPECT_GT(shape, 10);
    // The drop shadow 3 px down and right shows the outline texture wherever the glyph itself
    // (its shape or the dark ring drawn around it) does not cover it.
    auto inBox = [&](int x, int y) { return x >= 0 && y >= 0 && x < box.Width && y < box.Height; };
    auto isShape = [&](int x, int y) {
        return inBox(x, y) && font.At(box.Left + x, box.Top + y) == kBlack;
    };
    auto isDrawn = [&](int x, int y) {
        return inBox(x, y) && font.At(box.Left + x, box.Top + y) != kMagenta;
    };
    int shadow = 0;
    for (int y = 0; y < box.Height; ++y) {
        for (int x = 0; x < box.Width; ++x) {
            if (!isShape(x, y) || isDrawn(x + 3, y + 3)) continue;
            ++shadow;
            EXPECT_EQ(g.backBuffer.At(203 + x, 103 + y), outline.At(x, y));
        }
    }
    EXPECT_GT(shadow, 0);
    EXPECT_EQ(g.backBuffer.At(200 + box.Width + 6, 100), kBlack);
}

}  // namespace
