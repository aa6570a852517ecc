#include "presentation/text.h"

#include "platform/file_bytes.h"
#include "platform/platform.h"
#include "platform/surface.h"
#include "presentation/bitmaps.h"
#include "shell/encoding.h"
#include "shell/game.h"
#include "shell/paths.h"

namespace {

// Glyphs 41..68 of the game's font are coloured symbols: they always take texture 7.
constexpr int kFirstFixedGlyph = 41;
constexpr int kLastFixedGlyph = 68;
constexpr int kFixedTexture = 7;
constexpr int kOutlineTexture = 6;
constexpr int kScratchSize = 30;

int GlyphWidth(const TextState& t, int glyph) {
    if (glyph < 0 || glyph > kFontGlyphs) return 0;
    return t.Glyph[glyph].Width;
}

// The first column x > after, x < width - 1, whose ruler pixel is black; width - 1 if none.
int NextMark(const Surface& font, int after) {
    for (int x = after + 1; x < font.width - 1; ++x) {
        if (font.height > 0 && font.At(x, 0) == MatchColor(0, 0, 0)) return x;
    }
    return font.width - 1;
}

// Texture (opaque), then the glyph's shape keyed out of it: the glyph's black shows the texture.
void PrepareScratch(Game& game, int texture, const GlyphBox& box) {
    Surface& scratch = game.bitmaps.glyphScratch;
    DrawRect(scratch, 0, 0, Rect{0, 0, kScratchSize, kScratchSize}, false,
             game.bitmaps[FontTexture(texture)]);
    DrawRect(scratch, 0, 0, Rect{box.Left, box.Top, box.Right, box.Bottom}, true,
             game.bitmaps[kBmpFont]);
}

}  // namespace

void BeginTextFrame(Game& game) {
    game.text.calls.clear();
    game.text.TextQueueCount = 0;
}

void ClearTextSlot(Game& game, int slot) {
    if (slot < 1 || slot > kTextQueueSlots) return;
    TextState& t = game.text;
    t.QueueGlyphNo[slot] = 0;
    t.QueueY[slot] = 0;
    t.QueueFont[slot] = 0;
    t.QueueColour[slot] = 0;
}

void ClearTextQueue(Game& game) {
    game.text.calls.clear();
    for (int slot = 1; slot <= kTextQueueSlots; ++slot) ClearTextSlot(game, slot);
    game.text.TextQueueCount = 0;
}

bool ReadFontChars(TextState& t, const std::vector<std::uint8_t>& bytes) {
    t.FontChars.fill(0);
    t.FontCharCount = 0;
    for (std::uint8_t c : bytes) {
        if (c == '\n' || t.FontCharCount == kFontChars) break;
        t.FontChars[++t.FontCharCount] = c;
        if (c == '$') return true;
    }
    t.FontChars.fill(0);
    t.FontCharCount = 0;
    return false;
}

void MeasureGlyphs(TextState& t, const Surface& bitmap) {
    for (GlyphBox& box : t.Glyph) box = GlyphBox{};
    int lastLeft = -1;
    // Glyph 2 is the first character's box; two boxes more than characters are measured.
    for (int i = 0; i < t.FontCharCount + 2; ++i) {
        const int glyph = i + 2;
        if (glyph > kFontGlyphs) break;
        const int left = NextMark(bitmap, lastLeft);
        const int right = NextMark(bitmap, left);
        lastLeft = left;
        t.Glyph[glyph] = GlyphBox{left, 1, right, 20, right - left, 19};
    }
}

bool LoadFont(Game& game, int font, const std::string& charFile, const std::string& bitmapFile,
              std::string* failedFile) {
    if (font != kGameFont) return true;  // only the game's own font is kept
    TextState& t = game.text;
    for (GlyphBox& box : t.Glyph) box = GlyphBox{};
    t.FontChars.fill(0);
    t.FontCharCount = 0;

    // Only the first line counts, and it ends within 96 characters: a longer file is cut.
    const std::string charPath = ResolveGamePath(game, charFile);
    const FileBytes chars = ReadFileBytes(charPath, kFontCharFileBytes);
    const bool charsRead = chars.Ok() || chars.problem == FileProblem::kTooLong;
    if (!charsRead || !ReadFontChars(t, chars.bytes)) {
        if (failedFile != nullptr) *failedFile = charPath;
        return false;
    }
    const std::string bitmapPath = ResolveGamePath(game, bitmapFile);
    Surface bitmap = CreateSurface();
    if (!LoadSurface(bitmap, bitmapPath)) {
        t.FontChars.fill(0);
        t.FontCharCount = 0;
        if (failedFile != nullptr) *failedFile = bitmapPath;
        return false;
    }
    MeasureGlyphs(t, bitmap);
    return true;
}

bool LoadGameFont(Game& game, std::string* failedFile) {
    return LoadFont(game, kGameFont, "res\\font1.txt", "res\\font2.bmp", failedFile);
}

int GlyphOf(const Game& game, unsigned char ch) {
    const TextState& t = game.text;
    for (int j = 1; j <= t.FontCharCount; ++j) {
        if (t.FontChars[j] == ch) return j + 1;
    }
    return kMissingGlyph;
}

void QueueGlyph(Game& game, int x, int y, int glyph, int colour, int font) {
    TextState& t = game.text;
    // Further glyphs of a frame that has filled the whole queue are dropped.
    if (t.TextQueueCount >= kTextQueueSlots) return;
    do {
        ++t.TextQueueCount;
    } while (t.TextQueueCount < kTextQueueSlots && t.QueueGlyphNo[t.TextQueueCount] != 0);
    const int slot = t.TextQueueCount;
    if (font == kGameFont && glyph >= kFirstFixedGlyph && glyph <= kLastFixedGlyph)
        colour = kFixedTexture;
    t.QueueX[slot] = x;
    t.QueueY[slot] = y;
    t.QueueGlyphNo[slot] = glyph;
    t.QueueFont[slot] = font;
    t.QueueColour[slot] = colour;
}

int TextWidth(const Game& game, const std::string& utf8Text) {
    int total = 0;
    for (unsigned char c : Utf8ToCp1252(utf8Text))
        total += c == ' ' ? kSpaceAdvance : GlyphWidth(game.text, GlyphOf(game, c));
    return total;
}

void DrawText(Game& game, int x, int y, int align, const std::string& text, int colour) {
    game.text.calls.push_back(TextCall{x, y, align, colour, text});
    if (align < kAlignLeft || align > kAlignRising) return;
    const std::string chars = Utf8ToCp1252(text);
    const int total = align == kAlignLeft ? 0 : TextWidth(game, text);
    int pen = 0;
    int i = 0;
    for (unsigned char c : chars) {
        ++i;
        const int g = GlyphOf(game, c);
        if (c == ' ') {
            pen += kSpaceAdvance;
        } else {
            int gx = x + pen;
            int gy = y;
            if (align == kAlignRight) gx = x - total + pen;
            if (align == kAlignCentre || align == kAlignRising) gx = x - total / 2 + pen - 3;
            if (align == kAlignRising) gy = y - 2 * i;
            QueueGlyph(game, gx, gy, g, colour, kGameFont);
        }
        pen += GlyphWidth(game.text, g);
    }
}

void DrawTextQueue(Game& game) {
    TextState& t = game.text;
    if (!game.bitmaps.loaded) return;
    const Surface& scratch = game.bitmaps.glyphScratch;
    for (int slot = 1; slot <= t.TextQueueCount && slot <= kTextQueueSlots; ++slot) {
        const int glyph = t.QueueGlyphNo[slot];
        if (glyph == 0) continue;
        if (glyph > 0 && glyph <= kFontGlyphs) {
            const GlyphBox& box = t.Glyph[glyph];
            const Rect cell{0, 0, box.Width, box.Height};
            const int x = t.QueueX[slot];
            const int y = t.QueueY[slot];
            int colour = t.QueueColour[slot];
            if (colour < 1 || colour > 7) colour = kOutlineTexture;
            PrepareScratch(game, kOutlineTexture, box);
            DrawRect(game.backBuffer, x + 1, y + 1, cell, true, scratch);
            DrawRect(game.backBuffer, x - 1, y + 1, cell, true, scratch);
            DrawRect(game.backBuffer, x + 1, y - 1, cell, true, scratch);
            DrawRect(game.backBuffer, x - 1, y - 1, cell, true, scratch);
            DrawRect(game.backBuffer, x + 3, y + 3, cell, true, scratch);
            PrepareScratch(game, colour, box);
            DrawRect(game.backBuffer, x, y, cell, true, scratch);
        }
        t.QueueGlyphNo[slot] = 0;
    }
}
