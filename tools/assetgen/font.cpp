// The bitmap font: res/font1.txt names the characters, res/font2.bmp holds their glyphs side
// by side under a ruler row whose black pixels mark each glyph's left edge. Inside a glyph the
// shape is pure black (the text drawing fills it with a colour texture), the background is
// magenta and any other colour shows as drawn.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "assetgen.h"
#include "bmp.h"
#include "font_chars.h"
#include "picture_table.h"

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
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
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

void SelectFont(cairo_t* cr, double size) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, size);
}

cairo_text_extents_t Extents(const std::string& text, double size) {
    cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(probe);
    SelectFont(cr, size);
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
    // A shape still too wide for its box (the hook of the j) loses the pixels on the edge.
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x = 0; x < width; ++x) {
            if (x == 0 || y == 0 || x == width - 1 || y == kGlyphHeight - 1)
                g.pixels[static_cast<size_t>(y) * width + x] = kBack;
        }
    }
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
    const int k = a1 - a0 + 1;
    const int n = std::min(rows, k);
    const int first = top - 1 - n;  // the accent ends one row above the capital
    for (int t = 0; t < n; ++t) {
        const int from = a0 + t * k / n;
        const int to = std::max(from + 1, a0 + (t + 1) * k / n);
        for (int x0 = 1; x0 + 1 < w; ++x0) {
            bool on = false;
            for (int y = from; y < to && y <= a1; ++y)
                on = on || accented[static_cast<size_t>(y) * w + x0];
            if (on) g.pixels[static_cast<size_t>(first + t) * w + x0] = kShape;
        }
    }
    return g;
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

Glyph MakeGlyph(char32_t c) {
    const char32_t base = AccentedCapitalBase(c);
    Glyph g = c == U'{'   ? NoteGlyph(false)
              : c == U'}' ? NoteGlyph(true)
              : base != 0 ? AccentedCapitalGlyph(c, base)
                          : TextGlyph(c);
    AddRing(g);
    return g;
}

}  // namespace

namespace {

// The line's Windows-1252 bytes and glyphs; the closing "$" gets an empty glyph when asked.
void MakeLine(std::u32string_view line, bool dollarGlyph, std::string& bytes,
              std::vector<Glyph>& glyphs) {
    for (char32_t c : line) {
        const unsigned char b = ToCp1252(c);
        if (b == 0) throw std::runtime_error("font character without a Windows-1252 code");
        bytes += static_cast<char>(b);
        if (c == U'$') {
            if (dollarGlyph) glyphs.push_back(Glyph{});
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

}  // namespace

void GenerateFont(const std::string& resDir) {
    std::string bytes;
    std::vector<Glyph> glyphs;
    std::vector<Glyph> extra;
    // The closing "$" keeps an empty box: characters missing from the lines map to it.
    MakeLine(kFontLine, true, bytes, glyphs);
    MakeLine(kFontExtraLine, false, bytes, extra);

    // One ruler mark per glyph; the last (empty) glyph's mark is the bitmap's last column, so
    // it and every box after it have width 0. The second line's glyphs make a second strip
    // below, which must end left of that column; its last mark closes its last glyph.
    int width = 0;
    for (const Glyph& g : glyphs) width += g.width;
    width += 1;
    Image img;
    img.width = width;
    img.height = 2 * (kGlyphHeight + 1);
    img.pixels.assign(static_cast<size_t>(img.width) * img.height, kBack);
    const int left = PlaceStrip(img, 0, glyphs);
    if (left != width - 1 || img.At(width - 1, 0) != kShape)
        throw std::runtime_error("font ruler does not end at the last column");
    const int extraEnd = PlaceStrip(img, kGlyphHeight + 1, extra);
    if (extraEnd >= width - 1) throw std::runtime_error("second font strip is too wide");
    img.At(extraEnd, kGlyphHeight + 1) = kShape;
    WriteBmp(img, resDir + "/font2.bmp");

    std::FILE* f = std::fopen((resDir + "/font1.txt").c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write font1.txt");
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write font1.txt");
}

}  // namespace assetgen
