#include "presentation/text.h"

#include "core/encoding.h"
#include "core/game.h"
#include "core/name_text.h"
#include "core/paths.h"
#include "platform/file_bytes.h"
#include "platform/platform.h"
#include "platform/surface.h"
#include "presentation/bitmaps.h"

namespace {

// Glyphs 41..68 of the game's font are coloured symbols: they always take texture 7, except
// the letters, the colon and the apostrophe among them, which take the text's own.
constexpr int kFirstFixedGlyph = 41;
constexpr int kLastFixedGlyph = 68;
constexpr int kFixedTexture = 7;
constexpr int kOutlineTexture = 6;
constexpr int kScratchSize = 30;

bool TakesTextTexture(unsigned char ch) {
    return ch == 'J' || ch == 'Q' || ch == ':' || ch == '\'';
}

// The first entry of the character line that is the character, else of the later lines; the
// missing glyph when none has it.
int SearchGlyph(const FontState& t, char32_t ch) {
    for (int j = 1; j <= t.FontCharCount; ++j) {
        if (Cp1252CodePoint(t.FontChars[j]) == ch) return j + 1;
    }
    for (int j = 1; j <= t.FontExtraCount; ++j) {
        if (t.FontExtraChars[j] == ch) return kFirstExtraGlyph + j - 1;
    }
    return kMissingGlyph;
}

int GlyphWidth(const FontState& t, int glyph) {
    if (glyph < 0 || glyph >= static_cast<int>(t.Glyph.size())) return 0;
    return t.Glyph[glyph].Width;
}

// The first column x > after, x < width - 1, whose ruler pixel in the given row is black;
// width - 1 if none.
int NextMark(const Surface& font, int row, int after) {
    for (int x = after + 1; x < font.width - 1; ++x) {
        if (row < font.height && font.At(x, row) == MatchColor(0, 0, 0)) return x;
    }
    return font.width - 1;
}

// Texture (opaque), then the glyph's shape keyed out of it: the glyph's black shows the texture.
void PrepareScratch(Game& game, Surface& scratch, int texture, const GlyphBox& box) {
    game.draw.rect(scratch, 0, 0, Rect{0, 0, kScratchSize, kScratchSize}, false,
                   game.bitmaps[FontTexture(texture)]);
    game.draw.rect(scratch, 0, 0, Rect{box.Left, box.Top, box.Right, box.Bottom}, true,
                   game.bitmaps[kBmpFont]);
}

// The glyph in the given texture, made once. Null when it cannot be made independently of what
// an earlier glyph left on the scratch surface (a texture smaller than the scratch).
const GlyphImage* GlyphInTexture(Game& game, int texture, int glyph) {
    std::vector<GlyphImage>& images = game.font.glyphImages[texture];
    if (images.size() < game.font.Glyph.size()) images.resize(game.font.Glyph.size());
    GlyphImage& g = images[glyph];
    if (g.made) return &g;
    const Surface& tex = game.bitmaps[FontTexture(texture)];
    if (tex.width < kScratchSize || tex.height < kScratchSize) return nullptr;
    const GlyphBox& box = game.font.Glyph[glyph];
    Surface scratch = CreateSurface();
    SetSurfaceSize(scratch, kScratchSize, kScratchSize);
    PrepareScratch(game, scratch, texture, box);
    g.made = true;
    // What the scratch shows of it: its top-left W x H, when that lies inside the scratch.
    g.drawable =
        box.Width > 0 && box.Height > 0 && box.Width <= kScratchSize && box.Height <= kScratchSize;
    if (g.drawable) {
        SetSurfaceSize(g.image, box.Width, box.Height);
        DrawRect(g.image, 0, 0, Rect{0, 0, box.Width, box.Height}, false, scratch);
        SetTransparentColor(g.image, game.bitmaps.glyphScratch.transparent);
        PrepareRuns(g.image);
    }
    return &g;
}

// Outline and shadow in texture 6 at four diagonal neighbours and (x+3, y+3), then the glyph.
constexpr int kShadowOffsets[5][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}, {3, 3}};

// The six keyed draws of a glyph, made into one picture: each pixel keeps the last draw that
// covers it, so one keyed draw of the whole gives the same result wherever all six fit on the
// screen.
const Surface& GlyphWithOutline(GlyphImage& fill, const GlyphImage& outline) {
    if (fill.composed) return fill.withOutline;
    const int w = fill.image.width;
    const int h = fill.image.height;
    Surface& out = fill.withOutline;
    SetSurfaceSize(out, w + 4, h + 4);
    FillSurface(out, kMagenta);
    for (const auto& o : kShadowOffsets)
        DrawRect(out, 1 + o[0], 1 + o[1], Rect{0, 0, w, h}, true, outline.image);
    DrawRect(out, 1, 1, Rect{0, 0, w, h}, true, fill.image);
    SetTransparentColor(out, kMagenta);
    PrepareRuns(out);
    fill.composed = true;
    return out;
}

}  // namespace

void BeginTextFrame(Game& game) {
    game.text.calls.clear();
    game.font.TextQueueCount = 0;
    game.font.callsQueued = 0;
}

void ClearTextSlot(Game& game, int slot) {
    if (slot < 1 || slot > kTextQueueSlots) return;
    FontState& t = game.font;
    t.QueueGlyphNo[slot] = 0;
    t.QueueY[slot] = 0;
    t.QueueFont[slot] = 0;
    t.QueueColour[slot] = 0;
}

void ClearTextQueue(Game& game) {
    game.text.calls.clear();
    game.font.callsQueued = 0;
    for (int slot = 1; slot <= kTextQueueSlots; ++slot) ClearTextSlot(game, slot);
    game.font.TextQueueCount = 0;
}

namespace {

// The lines after the first, each closed by "$" (which gets no glyph), in UTF-8. A font
// without them simply has no added letters; a line that is not closed ends the added ones.
void ReadExtraChars(FontState& t, const std::vector<std::uint8_t>& bytes, size_t from) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    size_t lineEnd = text.find('\n', from);
    while (lineEnd != std::string_view::npos) {
        const size_t start = lineEnd + 1;
        lineEnd = text.find('\n', start);
        const std::string_view line = text.substr(
            start, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - start);
        const size_t dollar = line.find('$');
        if (dollar == std::string_view::npos || line.substr(0, dollar).find('\r') != line.npos)
            return;
        const std::u32string chars = CodePoints(line.substr(0, dollar));
        if (t.FontExtraCount + static_cast<int>(chars.size()) > kFontExtraChars) return;
        t.FontExtraChars.insert(t.FontExtraChars.end(), chars.begin(), chars.end());
        t.FontExtraCount += static_cast<int>(chars.size());
        t.FontExtraLineEnds.push_back(t.FontExtraCount);
    }
}

void ClearExtraChars(FontState& t) {
    t.FontExtraChars.assign(1, 0);
    t.FontExtraLineEnds.clear();
    t.FontExtraCount = 0;
}

}  // namespace

bool ReadFontChars(FontState& t, const std::vector<std::uint8_t>& bytes) {
    t.FontChars.fill(0);
    t.FontCharCount = 0;
    ClearExtraChars(t);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t c = bytes[i];
        if (c == '\n' || t.FontCharCount == kFontChars) break;
        t.FontChars[++t.FontCharCount] = c;
        if (c == '$') {
            ReadExtraChars(t, bytes, i + 1);
            return true;
        }
    }
    t.FontChars.fill(0);
    t.FontCharCount = 0;
    return false;
}

void MeasureGlyphs(FontState& t, const Surface& bitmap) {
    t.Glyph.assign(kFirstExtraGlyph, GlyphBox{});
    int lastLeft = -1;
    // Glyph 2 is the first character's box; two boxes more than characters are measured.
    for (int i = 0; i < t.FontCharCount + 2; ++i) {
        const int glyph = i + 2;
        if (glyph >= kFirstExtraGlyph) break;
        const int left = NextMark(bitmap, 0, lastLeft);
        const int right = NextMark(bitmap, 0, left);
        lastLeft = left;
        t.Glyph[glyph] = GlyphBox{left, 1, right, 20, right - left, 19};
    }
    // Each later line's glyphs stand on a strip of their own below, under a ruler of their own;
    // the lines the bitmap has no strip for are left out.
    int begin = 0;
    for (size_t k = 0; k < t.FontExtraLineEnds.size(); ++k) {
        const int ruler = static_cast<int>(k + 1) * kFontStripHeight;
        if (bitmap.height < ruler + kFontStripHeight) {
            t.FontExtraLineEnds.resize(k);
            t.FontExtraChars.resize(begin + 1);
            t.FontExtraCount = begin;
            break;
        }
        const int end = t.FontExtraLineEnds[k];
        lastLeft = -1;
        for (int j = begin + 1; j <= end; ++j) {
            const int left = NextMark(bitmap, ruler, lastLeft);
            const int right = NextMark(bitmap, ruler, left);
            lastLeft = left;
            t.Glyph.push_back(
                GlyphBox{left, ruler + 1, right, ruler + kFontStripHeight, right - left, 19});
        }
        begin = end;
    }
}

bool LoadFont(Game& game, int font, const std::string& charFile, const std::string& bitmapFile,
              std::string* failedFile) {
    if (font != kGameFont) return true;  // only the game's own font is kept
    FontState& t = game.font;
    t.glyphByCodeMade = false;
    t.glyphByCode.clear();
    t.Glyph.assign(kFirstExtraGlyph, GlyphBox{});
    for (auto& row : t.glyphImages) row.clear();
    t.FontChars.fill(0);
    t.FontCharCount = 0;
    ClearExtraChars(t);

    // The first line ends within 96 characters; a file longer than the most that is read is cut.
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
        ClearExtraChars(t);
        if (failedFile != nullptr) *failedFile = bitmapPath;
        return false;
    }
    MeasureGlyphs(t, bitmap);
    // Later entries first, so that the first entry of a character wins.
    for (int j = t.FontExtraCount; j >= 1; --j)
        t.glyphByCode[t.FontExtraChars[j]] = kFirstExtraGlyph + j - 1;
    for (int j = t.FontCharCount; j >= 1; --j)
        t.glyphByCode[Cp1252CodePoint(t.FontChars[j])] = j + 1;
    t.glyphByCodeMade = true;
    for (auto& row : t.glyphImages) row.resize(t.Glyph.size());
    return true;
}

bool LoadGameFont(Game& game, std::string* failedFile) {
    return LoadFont(game, kGameFont, "res\\font1.txt", "res\\font2.bmp", failedFile);
}

int GlyphOf(const Game& game, char32_t ch) {
    const FontState& t = game.font;
    if (!t.glyphByCodeMade) return SearchGlyph(t, ch);
    const auto found = t.glyphByCode.find(ch);
    return found == t.glyphByCode.end() ? kMissingGlyph : found->second;
}

int GlyphOfText(const Game& game, char32_t ch) {
    const int glyph = GlyphOf(game, ch);
    // A character the font lacks that Windows-1252 lacks too draws as a question mark, as it
    // always has.
    if (glyph == kMissingGlyph && Cp1252Byte(ch) == 0 && ch != 0) return GlyphOf(game, U'?');
    return glyph;
}

bool FontHolds(const Game& game, char32_t cp) {
    return cp == U' ' || GlyphOf(game, cp) != kMissingGlyph;
}

void QueueGlyph(Game& game, int x, int y, int glyph, int colour, int font) {
    FontState& t = game.font;
    // Further glyphs of a frame that has filled the whole queue are dropped.
    if (t.TextQueueCount >= kTextQueueSlots) return;
    do {
        ++t.TextQueueCount;
    } while (t.TextQueueCount < kTextQueueSlots && t.QueueGlyphNo[t.TextQueueCount] != 0);
    const int slot = t.TextQueueCount;
    if (font == kGameFont && glyph >= kFirstFixedGlyph && glyph <= kLastFixedGlyph &&
        !TakesTextTexture(t.FontChars[glyph - 1]))
        colour = kFixedTexture;
    t.QueueX[slot] = x;
    t.QueueY[slot] = y;
    t.QueueGlyphNo[slot] = glyph;
    t.QueueFont[slot] = font;
    t.QueueColour[slot] = colour;
}

int TextWidth(const Game& game, const std::string& utf8Text) {
    int total = 0;
    for (std::size_t k = 0; k < utf8Text.size();) {
        const char32_t c = NextCodePoint(utf8Text, k);
        total += c == U' ' ? kSpaceAdvance : GlyphWidth(game.font, GlyphOfText(game, c));
    }
    return total;
}

namespace {

// Every tick queues the screen's texts again: read straight from the UTF-8, nothing allocated.
void QueueText(Game& game, int x, int y, int align, const std::string& text, int colour) {
    if (align < kAlignLeft || align > kAlignRising) return;
    const int total = align == kAlignLeft ? 0 : TextWidth(game, text);
    int pen = 0;
    int i = 0;
    for (std::size_t k = 0; k < text.size();) {
        const char32_t c = NextCodePoint(text, k);
        ++i;
        const int g = GlyphOfText(game, c);
        if (c == U' ') {
            pen += kSpaceAdvance;
        } else {
            int gx = x + pen;
            int gy = y;
            if (align == kAlignRight) gx = x - total + pen;
            if (align == kAlignCentre || align == kAlignRising) gx = x - total / 2 + pen - 3;
            if (align == kAlignRising) gy = y - 2 * i;
            QueueGlyph(game, gx, gy, g, colour, kGameFont);
        }
        pen += GlyphWidth(game.font, g);
    }
}

}  // namespace

void QueueTextCalls(Game& game) {
    const std::vector<TextCall>& calls = game.text.calls;
    for (; game.font.callsQueued < calls.size(); ++game.font.callsQueued) {
        const TextCall& c = calls[game.font.callsQueued];
        QueueText(game, c.x, c.y, c.align, c.text, c.colour);
    }
}

void DrawTextQueue(Game& game) {
    QueueTextCalls(game);
    FontState& t = game.font;
    if (!game.bitmaps.loaded) return;
    Surface& scratch = game.bitmaps.glyphScratch;
    for (int slot = 1; slot <= t.TextQueueCount && slot <= kTextQueueSlots; ++slot) {
        const int glyph = t.QueueGlyphNo[slot];
        if (glyph == 0) continue;
        if (glyph > 0 && glyph < static_cast<int>(t.Glyph.size())) {
            const GlyphBox& box = t.Glyph[glyph];
            const Rect cell{0, 0, box.Width, box.Height};
            const int x = t.QueueX[slot];
            const int y = t.QueueY[slot];
            int colour = t.QueueColour[slot];
            if (colour < 1 || colour > 7) colour = kOutlineTexture;
            const bool allInside = x - 1 >= 0 && y - 1 >= 0 &&
                                   x + 3 + box.Width <= game.backBuffer.width &&
                                   y + 3 + box.Height <= game.backBuffer.height;
            // A glyph already made with its outline, as every glyph of a still screen is.
            const std::vector<GlyphImage>& made = t.glyphImages[colour];
            if (game.draw.glyphCache && allInside && glyph < static_cast<int>(made.size()) &&
                made[glyph].composed) {
                const Surface& whole = made[glyph].withOutline;
                game.draw.rect(game.backBuffer, x - 1, y - 1, Rect{0, 0, whole.width, whole.height},
                               true, whole);
                t.QueueGlyphNo[slot] = 0;
                continue;
            }
            const GlyphImage* outline =
                game.draw.glyphCache ? GlyphInTexture(game, kOutlineTexture, glyph) : nullptr;
            const GlyphImage* fill =
                outline != nullptr ? GlyphInTexture(game, colour, glyph) : nullptr;
            if (fill != nullptr && outline->drawable && fill->drawable && allInside &&
                outline->image.width == fill->image.width &&
                outline->image.height == fill->image.height) {
                const Surface& whole = GlyphWithOutline(t.glyphImages[colour][glyph], *outline);
                game.draw.rect(game.backBuffer, x - 1, y - 1, Rect{0, 0, whole.width, whole.height},
                               true, whole);
            } else if (fill != nullptr) {
                if (outline->drawable) {
                    for (const auto& o : kShadowOffsets)
                        game.draw.rect(game.backBuffer, x + o[0], y + o[1], cell, true,
                                       outline->image);
                }
                if (fill->drawable) game.draw.rect(game.backBuffer, x, y, cell, true, fill->image);
            } else {
                // The scratch surface changes from glyph to glyph.
                game.draw.Unlisted(game.backBuffer);
                PrepareScratch(game, scratch, kOutlineTexture, box);
                for (const auto& o : kShadowOffsets)
                    game.draw.rect(game.backBuffer, x + o[0], y + o[1], cell, true, scratch);
                PrepareScratch(game, scratch, colour, box);
                game.draw.rect(game.backBuffer, x, y, cell, true, scratch);
            }
        }
        t.QueueGlyphNo[slot] = 0;
    }
}

void DropTextQueue(Game& game) {
    FontState& t = game.font;
    for (int slot = 1; slot <= t.TextQueueCount && slot <= kTextQueueSlots; ++slot)
        t.QueueGlyphNo[slot] = 0;
}
