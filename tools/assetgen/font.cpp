// The bitmap font: res/font1.txt names the characters, res/font2.bmp holds their glyphs side
// by side under a ruler row whose black pixels mark each glyph's left edge. Inside a glyph the
// shape is pure black (the text drawing fills it with a colour texture), the background is
// magenta and any other colour shows as drawn.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "assetgen.h"
#include "bmp.h"
#include "core/encoding.h"
#include "font_chars.h"
#include "picture_table.h"
#include "platform/surface.h"

namespace assetgen {

namespace {

constexpr std::uint32_t kShape = 0x000000;
constexpr std::uint32_t kBack = 0xFF00FF;
// A dark ring drawn as it is around every shape, inside the glyph's own box: together with the
// outline the text drawing adds it keeps a text readable over the brightest stones.
constexpr std::uint32_t kRing = 0x0A0614;
constexpr double kFontSize = 16.0;
constexpr double kBaseline = 15.0;  // in glyph rows 0..18

struct Glyph {
    int width = 0;
    std::vector<std::uint32_t> pixels;  // width x kGlyphHeight
};

std::string Utf8(char32_t c) {
    std::string s;
    AppendUtf8(s, c);
    return s;
}

// Renders into an A8 mask and keeps the pixels at least half covered, so the shape edge is
// crisp under the outline the text drawing adds.
Glyph MaskToGlyph(cairo_surface_t* mask, int width) {
    cairo_surface_flush(mask);
    const unsigned char* data = cairo_image_surface_get_data(mask);
    const int stride = cairo_image_surface_get_stride(mask);
    Glyph g;
    g.width = width;
    g.pixels.assign(static_cast<size_t>(width) * kGlyphHeight, kBack);
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x = 0; x < width; ++x) {
            if (data[y * stride + x] >= 110) g.pixels[static_cast<size_t>(y) * width + x] = kShape;
        }
    }
    return g;
}

// The game's letters are bold; the many strokes of a Chinese character would run together in
// bold at this size, so those take the regular weight.
void SelectFont(cairo_t* cr, double size, const char* face = "DejaVu Sans", bool bold = true) {
    cairo_select_font_face(cr, face, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

cairo_text_extents_t Extents(const std::string& text, double size, const char* face = "DejaVu Sans",
                             bool bold = true) {
    cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(probe);
    SelectFont(cr, size, face, bold);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    cairo_destroy(cr);
    cairo_surface_destroy(probe);
    return ext;
}

// Whether the shape keeps off the box's edges, where the ring around it would be cut.
bool ClearOfTheEdges(const Glyph& g) {
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x = 0; x < g.width; ++x) {
            const bool edge = x == 0 || y == 0 || x == g.width - 1 || y == kGlyphHeight - 1;
            if (edge && g.pixels[static_cast<size_t>(y) * g.width + x] == kShape) return false;
        }
    }
    return true;
}

// A shape still too wide for its box (the hook of the j) loses the pixels on the edge.
void ClearEdges(Glyph& g) {
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x = 0; x < g.width; ++x) {
            if (x == 0 || y == 0 || x == g.width - 1 || y == kGlyphHeight - 1)
                g.pixels[static_cast<size_t>(y) * g.width + x] = kBack;
        }
    }
}

Glyph TextGlyph(char32_t c) {
    const std::string text = Utf8(c);
    // The box is the advance at the font size plus one column of air on the right.
    const int width = std::clamp(
        static_cast<int>(std::lround(Extents(text, kFontSize).x_advance)) + 1, 3, kMaxGlyphWidth);
    // The few shapes that would touch the box's edge are drawn a little smaller and centred, so
    // the ring closes around every glyph inside its box.
    Glyph g;
    for (double size = kFontSize; size >= kFontSize - 2; size -= 0.5) {
        const cairo_text_extents_t ext = Extents(text, size);
        cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, kGlyphHeight);
        cairo_t* cr = cairo_create(mask);
        SelectFont(cr, size);
        double x = 0.5;
        if (size < kFontSize || ext.width + 1 > width)
            x = (width - ext.width) / 2.0 - ext.x_bearing;
        cairo_move_to(cr, x, kBaseline);
        cairo_show_text(cr, text.c_str());
        cairo_destroy(cr);
        g = MaskToGlyph(mask, width);
        cairo_surface_destroy(mask);
        if (ClearOfTheEdges(g)) return g;
    }
    ClearEdges(g);
    return g;
}

// The plain capital under an accented capital of the second line; 0 for any other character.
char32_t AccentedCapitalBase(char32_t c) {
    static constexpr std::u32string_view kAccented =
        U"\u00C1\u00C9\u00CD\u00D3\u00DA\u00C0\u00C8\u00CC\u00D2\u00D9\u00D1\u00C3\u00D5\u00CA"
        U"\u00D4\u00C2\u00CB\u00CE\u00CF\u00DB";
    static constexpr std::u32string_view kBase = U"AEIOUAEIOUNAOEOAEIIU";
    const size_t i = kAccented.find(c);
    return i == std::u32string_view::npos ? 0 : kBase[i];
}

// The shape (>= 110 coverage) of a text drawn at the size and pen position on a surface taller
// than a glyph by kLift rows above, so that an accent over a capital is not cut.
constexpr int kLift = 8;
std::vector<unsigned char> TallMask(const std::string& text, int width, double size, double x) {
    const int h = kGlyphHeight + kLift;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, h);
    cairo_t* cr = cairo_create(mask);
    SelectFont(cr, size);
    cairo_move_to(cr, x, kBaseline + kLift);
    cairo_show_text(cr, text.c_str());
    cairo_destroy(cr);
    cairo_surface_flush(mask);
    const unsigned char* data = cairo_image_surface_get_data(mask);
    const int stride = cairo_image_surface_get_stride(mask);
    std::vector<unsigned char> out(static_cast<size_t>(width) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x0 = 0; x0 < width; ++x0)
            out[static_cast<size_t>(y) * width + x0] = data[y * stride + x0] >= 110;
    cairo_surface_destroy(mask);
    return out;
}

// The accent drawn in mask rows a0..a1 squeezed into at most `rows` rows of the glyph, ending one
// row above the capital's top: each glyph row is set where any mask row it stands for is.
void SqueezeAccent(const std::vector<unsigned char>& mask, int a0, int a1, int rows, int top,
                   Glyph& g) {
    const int w = g.width;
    const int k = a1 - a0 + 1;
    const int n = std::min(rows, k);
    const int first = top - 1 - n;
    for (int t = 0; t < n; ++t) {
        const int from = a0 + t * k / n;
        const int to = std::max(from + 1, a0 + (t + 1) * k / n);
        for (int x0 = 1; x0 + 1 < w; ++x0) {
            bool on = false;
            for (int y = from; y < to && y <= a1; ++y)
                on = on || mask[static_cast<size_t>(y) * w + x0];
            if (on) g.pixels[static_cast<size_t>(first + t) * w + x0] = kShape;
        }
    }
}

// An accented capital, drawn the way the first line's Ä Ö Ü came out: the capital a little
// smaller and centred, the accent in the rows above it, pressed together where it is taller
// than they are, with a row of air between the two and none on the box's edge.
Glyph AccentedCapitalGlyph(char32_t c, char32_t base) {
    constexpr double kSize = kFontSize - 2;
    const std::string plainText = Utf8(base);
    const int w =
        std::clamp(static_cast<int>(std::lround(Extents(Utf8(c), kFontSize).x_advance)) + 1, 3,
                   kMaxGlyphWidth);
    const cairo_text_extents_t ext = Extents(plainText, kSize);
    const double x = (w - ext.width) / 2.0 - ext.x_bearing;
    const std::vector<unsigned char> plain = TallMask(plainText, w, kSize, x);
    const std::vector<unsigned char> accented = TallMask(Utf8(c), w, kSize, x);
    Glyph g;
    g.width = w;
    g.pixels.assign(static_cast<size_t>(w) * kGlyphHeight, kBack);
    int top = kGlyphHeight;
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x0 = 1; x0 + 1 < w; ++x0) {
            if (!plain[static_cast<size_t>(y + kLift) * w + x0]) continue;
            g.pixels[static_cast<size_t>(y) * w + x0] = kShape;
            top = std::min(top, y);
        }
    }
    const int rows = top - 2;
    int a0 = -1, a1 = -1;
    for (int y = 0; y < top + kLift - 1; ++y) {
        for (int x0 = 0; x0 < w; ++x0) {
            if (!accented[static_cast<size_t>(y) * w + x0]) continue;
            if (a0 < 0) a0 = y;
            a1 = y;
        }
    }
    if (a0 < 0 || rows < 1) throw std::runtime_error("no room for an accent");
    SqueezeAccent(accented, a0, a1, rows, top, g);
    return g;
}

// The rows of a tall mask that hold any of the shape, top and bottom; -1 when it is empty.
std::pair<int, int> RowsOf(const std::vector<unsigned char>& mask, int width) {
    int top = -1, bottom = -1;
    for (int y = 0; y < static_cast<int>(mask.size()) / width; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!mask[static_cast<size_t>(y) * width + x]) continue;
            if (top < 0) top = y;
            bottom = y;
        }
    }
    return {top, bottom};
}

int Advance(char32_t c) {
    return std::clamp(static_cast<int>(std::lround(Extents(Utf8(c), kFontSize).x_advance)) + 1, 3,
                      kMaxGlyphWidth);
}

// Whether a letter drawn at the font's size reaches above the glyph's box: a capital (or a tall
// small letter) with a mark above it.
bool ReachesAboveTheBox(char32_t c) {
    const int w = Advance(c);
    const std::vector<unsigned char> mask = TallMask(Utf8(c), w, kFontSize, 0.5);
    const int top = RowsOf(mask, w).first;
    return top >= 0 && top < kLift + 1;
}

// A letter with a mark above, the way the accented capitals of the second line are drawn: the
// letter a little smaller and centred, the mark pressed into the rows above it with a row of
// air between. The letter is what lies below the first empty row over the height of an "H";
// with a plain base letter given, its shape is the letter and the mark is left out.
Glyph PressedAccentGlyph(char32_t c, char32_t plainBase = 0) {
    constexpr double kSize = kFontSize - 2;
    const int w = Advance(c);
    const std::string text = Utf8(plainBase != 0 ? plainBase : c);
    const cairo_text_extents_t ext = Extents(text, kSize);
    const double x = (w - ext.width) / 2.0 - ext.x_bearing;
    const std::vector<unsigned char> whole = TallMask(text, w, kSize, x);
    const int capTop = RowsOf(TallMask("H", w, kSize, x), w).first;
    auto rowEmpty = [&](int y) {
        for (int x0 = 0; x0 < w; ++x0)
            if (whole[static_cast<size_t>(y) * w + x0]) return false;
        return true;
    };
    int split = capTop;
    for (int y = capTop; y >= std::max(0, capTop - 3); --y) {
        if (rowEmpty(y)) {
            split = y + 1;
            break;
        }
    }
    if (plainBase != 0) split = 0;
    Glyph g;
    g.width = w;
    g.pixels.assign(static_cast<size_t>(w) * kGlyphHeight, kBack);
    int top = kGlyphHeight;
    for (int y = std::max(split, kLift); y < kGlyphHeight + kLift - 1; ++y) {
        for (int x0 = 1; x0 + 1 < w; ++x0) {
            if (!whole[static_cast<size_t>(y) * w + x0]) continue;
            g.pixels[static_cast<size_t>(y - kLift) * w + x0] = kShape;
            top = std::min(top, y - kLift);
        }
    }
    int a0 = -1, a1 = -1;
    for (int y = 0; y < split; ++y) {
        if (rowEmpty(y)) continue;
        if (a0 < 0) a0 = y;
        a1 = y;
    }
    if (a0 < 0) return g;
    const int rows = top - 2;
    if (rows < 1) throw std::runtime_error("no room for an accent");
    SqueezeAccent(whole, a0, a1, rows, top, g);
    return g;
}

// The letter under a tilde, and whether it is a capital; 0 for a character without one.
char32_t TildeBase(char32_t c, bool& capital) {
    static constexpr std::u32string_view kSmall = U"\u00F1\u00E3\u00F5\u0129\u0169";
    static constexpr std::u32string_view kSmallBase = U"na\u006F\u0131u";
    static constexpr std::u32string_view kCapital = U"\u00D1\u00C3\u00D5\u0128\u0168";
    static constexpr std::u32string_view kCapitalBase = U"NAOIU";
    size_t i = kSmall.find(c);
    capital = false;
    if (i != std::u32string_view::npos) return kSmallBase[i];
    i = kCapital.find(c);
    capital = true;
    return i != std::u32string_view::npos ? kCapitalBase[i] : 0;
}

// The letter with a tilde drawn as a wave over it, up over the left half and down over the
// right, in the three rows that end two rows above the letter (a smooth curve cut to whole
// pixels at this size comes out as a flat bar).
Glyph TildeGlyph(char32_t c, char32_t base, bool capital) {
    Glyph g = capital ? PressedAccentGlyph(c, base) : TextGlyph(base);
    int top = kGlyphHeight, left = g.width, right = -1;
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x = 0; x < g.width; ++x) {
            if (g.pixels[static_cast<size_t>(y) * g.width + x] != kShape) continue;
            top = std::min(top, y);
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    const int bottom = top - 2;
    const int first = bottom - 2;
    if (first < 1) throw std::runtime_error("no room for a tilde");
    // At least five columns wide, so that the wave shows over a narrow letter.
    for (int widen = 0; widen < 2 && right - left < 4; ++widen) {
        left = std::max(1, left - 1);
        right = std::min(g.width - 2, right + 1);
    }
    if (right - left < 2) throw std::runtime_error("no room for a tilde");
    for (int x = left; x <= right; ++x) {
        const double s = std::sin(2 * M_PI * (x - left) / (right - left));
        auto set = [&](int y) { g.pixels[static_cast<size_t>(y) * g.width + x] = kShape; };
        if (s > 0.38) set(first);
        if (std::abs(s) <= 0.75) set(first + 1);
        if (s < -0.38) set(first + 2);
    }
    return g;
}

// Whether the face the font machinery chose for the name has a glyph of its own for the text:
// a face that is not installed is silently replaced by another, which may draw empty boxes.
bool FaceHasGlyph(const std::string& text, const char* face, bool bold) {
    cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(probe);
    SelectFont(cr, 15, face, bold);
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    const bool converted =
        cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(cr), 0, 0, text.c_str(), -1, &glyphs,
                                         &count, nullptr, nullptr, nullptr) == CAIRO_STATUS_SUCCESS;
    const bool has = converted && count == 1 && glyphs[0].index != 0;
    cairo_glyph_free(glyphs);
    cairo_destroy(cr);
    cairo_surface_destroy(probe);
    return has;
}

// A Chinese, Japanese or Korean character from the given face of Noto Sans CJK, its em square
// centred in a box of 17 columns.
Glyph CjkGlyph(char32_t c, const char* face) {
    const std::string text = Utf8(c);
    constexpr int kWidth = 17;
    const bool bold = !((c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF));
    if (!FaceHasGlyph(text, face, bold)) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        throw std::runtime_error(std::string(face) + " has no glyph for " + code +
                                 " (is fonts-noto-cjk installed?)");
    }
    Glyph g;
    for (double size = 15; size >= 13; size -= 1) {
        const cairo_text_extents_t ext = Extents(text, size, face, bold);
        cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, kWidth, kGlyphHeight);
        cairo_t* cr = cairo_create(mask);
        SelectFont(cr, size, face, bold);
        const double advance = std::min(ext.x_advance, size);
        cairo_move_to(cr, (kWidth - advance) / 2.0, 9.5 + size * 0.38);
        cairo_show_text(cr, text.c_str());
        cairo_destroy(cr);
        g = MaskToGlyph(mask, kWidth);
        cairo_surface_destroy(mask);
        if (ClearOfTheEdges(g)) return g;
    }
    ClearEdges(g);
    return g;
}

bool IsCjk(char32_t c) {
    return c >= 0x2E80;
}

// A quaver: the music-on symbol of the side panel; crossed out in red for music off.
Glyph NoteGlyph(bool crossed) {
    const int width = 18;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, kGlyphHeight);
    cairo_t* cr = cairo_create(mask);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    cairo_save(cr);
    cairo_translate(cr, 6.0, 14.5);
    cairo_rotate(cr, -0.35);
    cairo_scale(cr, 4.3, 3.1);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
    cairo_rectangle(cr, 8.6, 2.0, 2.2, 12.5);
    cairo_fill(cr);
    cairo_move_to(cr, 8.6, 1.5);
    cairo_curve_to(cr, 12.0, 4.0, 16.5, 5.5, 14.0, 11.5);
    cairo_curve_to(cr, 14.5, 7.5, 12.5, 6.5, 10.8, 6.0);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_destroy(cr);
    Glyph g = MaskToGlyph(mask, width);
    cairo_surface_destroy(mask);
    if (crossed) {
        // Drawn in its own colour: red shows unchanged whatever texture the text uses.
        for (int y = 0; y < kGlyphHeight; ++y) {
            for (int x = 0; x < width; ++x) {
                const double d = std::abs((x + 0.5) - (1.0 + (y + 0.5) * 16.0 / 19.0));
                if (d < 1.6) g.pixels[static_cast<size_t>(y) * width + x] = 0xE02020;
            }
        }
    }
    return g;
}

// Every background pixel that touches the shape, also diagonally, becomes the ring.
void AddRing(Glyph& g) {
    std::vector<std::uint32_t> out = g.pixels;
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x = 0; x < g.width; ++x) {
            if (g.pixels[static_cast<size_t>(y) * g.width + x] != kBack) continue;
            bool touches = false;
            for (int dy = -1; dy <= 1 && !touches; ++dy) {
                for (int dx = -1; dx <= 1 && !touches; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= g.width || ny >= kGlyphHeight) continue;
                    touches = g.pixels[static_cast<size_t>(ny) * g.width + nx] != kBack;
                }
            }
            if (touches) out[static_cast<size_t>(y) * g.width + x] = kRing;
        }
    }
    g.pixels = std::move(out);
}

// The glyphs of the first two lines.
Glyph MakeGlyph(char32_t c) {
    const char32_t base = AccentedCapitalBase(c);
    bool capital = false;
    const char32_t tildeBase = TildeBase(c, capital);
    Glyph g = c == U'{'        ? NoteGlyph(false)
              : c == U'}'      ? NoteGlyph(true)
              : tildeBase != 0 ? TildeGlyph(c, tildeBase, capital)
              : base != 0      ? AccentedCapitalGlyph(c, base)
                               : TextGlyph(c);
    AddRing(g);
    return g;
}

// The glyphs of the later lines; face names the CJK face of a Chinese, Japanese or Korean one.
Glyph MakeAddedGlyph(char32_t c, const char* face) {
    bool capital = false;
    const char32_t tildeBase = TildeBase(c, capital);
    Glyph g = IsCjk(c)                ? CjkGlyph(c, face)
              : tildeBase != 0        ? TildeGlyph(c, tildeBase, capital)
              : ReachesAboveTheBox(c) ? PressedAccentGlyph(c)
                                      : TextGlyph(c);
    AddRing(g);
    return g;
}

}  // namespace

namespace {

// The first line's Windows-1252 bytes and glyphs, or a later line's UTF-8; the closing "$"
// gets an empty glyph when asked.
void MakeLine(std::u32string_view line, bool firstLine, std::string& bytes,
              std::vector<Glyph>& glyphs) {
    for (char32_t c : line) {
        if (firstLine) {
            const unsigned char b = ToCp1252(c);
            if (b == 0) throw std::runtime_error("font character without a Windows-1252 code");
            bytes += static_cast<char>(b);
        } else {
            AppendUtf8(bytes, c);
        }
        if (c == U'$') {
            if (firstLine) glyphs.push_back(Glyph{});
        } else {
            glyphs.push_back(MakeGlyph(c));
        }
    }
    bytes += "\r\n";
}

// The glyphs side by side from column 0 under their ruler marks, in the strip whose ruler is
// the given row; returns the column after the last glyph.
int PlaceStrip(Image& img, int rulerRow, const std::vector<Glyph>& glyphs) {
    int left = 0;
    for (const Glyph& g : glyphs) {
        img.At(left, rulerRow) = kShape;
        for (int y = 0; y < kGlyphHeight; ++y) {
            for (int x = 0; x < g.width; ++x) {
                img.At(left + x, rulerRow + 1 + y) = g.pixels[static_cast<size_t>(y) * g.width + x];
            }
        }
        left += g.width;
    }
    return left;
}

// What the translations of a catalogue say: its msgstr texts, escapes and quotes left in.
std::string Translations(const std::filesystem::path& po) {
    std::ifstream in(po);
    std::string line, out;
    bool inText = false;
    while (std::getline(in, line)) {
        if (line.rfind("msgstr", 0) == 0)
            inText = true;
        else if (line.empty() || line[0] != '"')
            inText = false;
        if (inText) out += line + "\n";
    }
    return out;
}

// The Chinese, Japanese and Korean characters the catalogues use, each with the face it is
// drawn in: Korean for Hangul, Japanese for kana and for the kanji only Japanese uses, Chinese
// for the rest.
std::map<char32_t, const char*> CatalogueCjk(const std::string& poDir) {
    std::map<char32_t, const char*> out;
    if (poDir.empty()) return out;
    std::set<char32_t> japanese, other;
    for (const auto& entry : std::filesystem::directory_iterator(poDir)) {
        if (entry.path().extension() != ".po") continue;
        const bool isJapanese = entry.path().stem() == "ja";
        for (char32_t c : CodePoints(Translations(entry.path()))) {
            if (IsCjk(c)) (isJapanese ? japanese : other).insert(c);
        }
    }
    auto faceOf = [&](char32_t c) {
        if ((c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x3130 && c <= 0x318F)) return "Noto Sans CJK KR";
        if ((c >= 0x3040 && c <= 0x30FF) || other.count(c) == 0) return "Noto Sans CJK JP";
        return "Noto Sans CJK SC";
    };
    for (char32_t c : japanese) out[c] = faceOf(c);
    for (char32_t c : other) out[c] = faceOf(c);
    return out;
}

}  // namespace

std::u32string AddedFontChars(const std::string& poDir) {
    std::set<char32_t> have(kFontLine.begin(), kFontLine.end());
    have.insert(kFontExtraLine.begin(), kFontExtraLine.end());
    std::set<char32_t> added;
    for (const auto& range : kFontAddedRanges)
        for (char32_t c = range[0]; c <= range[1]; ++c) added.insert(c);
    added.insert(kFontAddedSigns.begin(), kFontAddedSigns.end());
    for (const auto& [c, face] : CatalogueCjk(poDir)) added.insert(c);
    std::u32string out;
    for (char32_t c : added)
        if (have.count(c) == 0) out += c;
    return out;
}

void GenerateFont(const std::string& resDir, const std::string& poDir) {
    std::string bytes;
    std::vector<Glyph> glyphs;
    std::vector<Glyph> extra;
    // The closing "$" keeps an empty box: characters missing from the lines map to it.
    MakeLine(kFontLine, true, bytes, glyphs);
    MakeLine(kFontExtraLine, false, bytes, extra);

    // One ruler mark per glyph; the last (empty) glyph's mark is the bitmap's last column, so
    // it and every box after it have width 0. Every later line makes a strip of its own below,
    // which must end left of that column; its last mark closes its last glyph.
    int width = 0;
    for (const Glyph& g : glyphs) width += g.width;
    width += 1;

    // The added characters fill strips as wide as the first, one line of font1.txt each.
    const std::map<char32_t, const char*> cjk = CatalogueCjk(poDir);
    std::vector<std::vector<Glyph>> strips{extra};
    std::vector<std::u32string> lines;
    std::u32string line;
    int used = 0;
    for (char32_t c : AddedFontChars(poDir)) {
        const auto face = cjk.find(c);
        Glyph g = MakeAddedGlyph(c, face != cjk.end() ? face->second : "Noto Sans CJK JP");
        if (lines.empty() || used + g.width > width - 2) {
            strips.emplace_back();
            lines.emplace_back();
            used = 0;
        }
        used += g.width;
        lines.back() += c;
        strips.back().push_back(std::move(g));
    }
    for (const std::u32string& l : lines) {
        bytes += Utf8Of(l);
        bytes += "$\r\n";
    }

    Image img;
    img.width = width;
    img.height = static_cast<int>(1 + strips.size()) * (kGlyphHeight + 1);
    img.pixels.assign(static_cast<size_t>(img.width) * img.height, kBack);
    const int left = PlaceStrip(img, 0, glyphs);
    if (left != width - 1 || img.At(width - 1, 0) != kShape)
        throw std::runtime_error("font ruler does not end at the last column");
    for (size_t k = 0; k < strips.size(); ++k) {
        const int ruler = static_cast<int>(k + 1) * (kGlyphHeight + 1);
        const int end = PlaceStrip(img, ruler, strips[k]);
        if (end >= width - 1) throw std::runtime_error("a font strip is too wide");
        img.At(end, ruler) = kShape;
    }
    WriteBmp(img, resDir + "/font2.bmp");

    std::FILE* f = std::fopen((resDir + "/font1.txt").c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write font1.txt");
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write font1.txt");
}

void WriteFontSheet(const std::string& resDir, const std::string& pngPath) {
    Surface font = CreateSurface();
    if (!LoadSurface(font, resDir + "/font2.bmp"))
        throw std::runtime_error("cannot read font2.bmp");
    std::ifstream in(resDir + "/font1.txt", std::ios::binary);
    // Each line's glyph boxes (left, width) under its strip's ruler, in order.
    std::vector<std::vector<std::pair<int, int>>> rows;
    std::vector<int> tops;
    std::string line;
    for (int k = 0; std::getline(in, line) && (k + 1) * (kGlyphHeight + 1) <= font.height; ++k) {
        const size_t count = line.find('$');
        if (count == std::string::npos) break;
        const int ruler = k * (kGlyphHeight + 1);
        std::vector<int> marks;
        for (int x = 0; x < font.width - 1; ++x)
            if (font.At(x, ruler) == kShape) marks.push_back(x);
        marks.push_back(font.width - 1);
        const size_t glyphs = k == 0 ? count : CodePoints(line.substr(0, count)).size();
        std::vector<std::pair<int, int>> boxes;
        for (size_t j = 0; j < glyphs && j + 1 < marks.size(); ++j)
            boxes.emplace_back(marks[j], marks[j + 1] - marks[j]);
        rows.push_back(std::move(boxes));
        tops.push_back(ruler + 1);
    }
    // Every line at 1x, then every line at 2x, glyphs apart by two columns: the shape gold, the
    // ring as drawn, the background slate.
    constexpr std::uint32_t kGold = 0xFFD040, kSlate = 0x303040;
    int width = 0, height = 4;
    for (int scale : {1, 2}) {
        for (const auto& boxes : rows) {
            int w = 4;
            for (const auto& box : boxes) w += box.second * scale + 2;
            width = std::max(width, w);
            height += kGlyphHeight * scale + 4;
        }
        height += 8;
    }
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(sheet));
    const int stride = cairo_image_surface_get_stride(sheet) / 4;
    std::fill(data, data + static_cast<size_t>(stride) * height, kSlate);
    int y0 = 4;
    for (int scale : {1, 2}) {
        for (size_t r = 0; r < rows.size(); ++r) {
            int x0 = 4;
            for (const auto& [left, w] : rows[r]) {
                for (int y = 0; y < kGlyphHeight * scale; ++y) {
                    for (int x = 0; x < w * scale; ++x) {
                        const std::uint32_t p = font.At(left + x / scale, tops[r] + y / scale);
                        data[static_cast<size_t>(y0 + y) * stride + x0 + x] = p == kShape  ? kGold
                                                                              : p == kBack ? kSlate
                                                                                           : p;
                    }
                }
                x0 += w * scale + 2;
            }
            y0 += kGlyphHeight * scale + 4;
        }
        y0 += 8;
    }
    cairo_surface_mark_dirty(sheet);
    const cairo_status_t status = cairo_surface_write_to_png(sheet, pngPath.c_str());
    cairo_surface_destroy(sheet);
    if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot write " + pngPath);
}

}  // namespace assetgen
