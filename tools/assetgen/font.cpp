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
    Glyph g = c == U'{' ? NoteGlyph(false) : c == U'}' ? NoteGlyph(true) : TextGlyph(c);
    AddRing(g);
    return g;
}

}  // namespace

void GenerateFont(const std::string& resDir) {
    std::string bytes;
    std::vector<Glyph> glyphs;
    for (char32_t c : kFontLine) {
        const unsigned char b = ToCp1252(c);
        if (b == 0) throw std::runtime_error("font character without a Windows-1252 code");
        bytes += static_cast<char>(b);
        // The closing "$" keeps an empty box: characters missing from the line map to it.
        glyphs.push_back(c == U'$' ? Glyph{} : MakeGlyph(c));
    }
    bytes += "\r\n";

    // One ruler mark per glyph; the last (empty) glyph's mark is the bitmap's last column, so
    // it and every box after it have width 0.
    int width = 0;
    for (const Glyph& g : glyphs) width += g.width;
    width += 1;
    Image img;
    img.width = width;
    img.height = kGlyphHeight + 1;
    img.pixels.assign(static_cast<size_t>(img.width) * img.height, kBack);
    int left = 0;
    for (const Glyph& g : glyphs) {
        img.At(left, 0) = kShape;
        for (int y = 0; y < kGlyphHeight; ++y) {
            for (int x = 0; x < g.width; ++x) {
                img.At(left + x, y + 1) = g.pixels[static_cast<size_t>(y) * g.width + x];
            }
        }
        left += g.width;
    }
    if (left != width - 1 || img.At(width - 1, 0) != kShape)
        throw std::runtime_error("font ruler does not end at the last column");
    WriteBmp(img, resDir + "/font2.bmp");

    std::FILE* f = std::fopen((resDir + "/font1.txt").c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write font1.txt");
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write font1.txt");
}

}  // namespace assetgen
