// Effects: the explosion flash, the debris bursts by colour and the seven sparkle kinds.
#include <cmath>

#include "art.h"

namespace assetgen {

namespace {

double Rand01(unsigned x) {
    x ^= x >> 16;
    x *= 0x7feb352d;
    x ^= x >> 15;
    x *= 0x846ca68b;
    x ^= x >> 16;
    return (x & 0xFFFFFF) / double(0x1000000);
}

// Flash in a 35 x 36 cell, frames 0..10: a white star bursts and burns out to a red ring.
void Flash(cairo_t* cr, int frame) {
    const double cx = 17.5, cy = 18;
    const double t = frame / 10.0;
    const Colour hot = Mix({1, 1, 0.9}, {1.0, 0.3, 0.05}, t);
    if (frame <= 6) {
        const double s = 6 + 11 * std::sin(std::min(1.0, frame / 4.0) * M_PI / 2);
        SetColour(cr, Mix({1, 0.9, 0.4}, {1.0, 0.4, 0.1}, t));
        StarPath(cr, cx, cy, s, s * 0.38, 8, frame * 0.2);
        cairo_fill(cr);
        const double core = std::max(1.5, s * 0.45 * (1 - t));
        cairo_arc(cr, cx, cy, core, 0, 2 * M_PI);
        SetColour(cr, hot);
        cairo_fill(cr);
        cairo_arc(cr, cx, cy, core * 0.55, 0, 2 * M_PI);
        SetColour(cr, {1, 1, 1});
        cairo_fill(cr);
    }
    if (frame >= 3) {
        const double r = 8 + 9 * (frame - 3) / 7.0;
        cairo_arc(cr, cx, cy, std::min(r, 16.0), 0, 2 * M_PI);
        cairo_set_line_width(cr, std::max(1.2, 4.5 * (1 - (frame - 3) / 8.0)));
        SetColour(cr, Mix({1.0, 0.8, 0.3}, {0.8, 0.15, 0.05}, (frame - 3) / 7.0));
        cairo_stroke(cr);
    }
}

// Debris colour columns 1..8 as the stones hand them out.
Colour DebrisColour(int column) {
    switch (column) {
        case 1:
            return StoneColour(3);
        case 2:
            return StoneColour(1);
        case 3:
            return StoneColour(2);
        case 4:
            return Mix(StoneColour(4), StoneColour(6), 0.4);
        case 5:
            return {0.8, 0.8, 0.85};
        case 6:
            return StoneColour(5);
        case 7:
            return StoneColour(7);
        default:
            return Mix(StoneColour(8), StoneColour(9), 0.5);
    }
}

// Debris in a 75 x 75 cell at frame 1..20: shards fly out and fall, smoke swells behind them.
// Column 2 also serves as the bomb's smoke puff from frame 5 on.
void Debris(cairo_t* cr, int column, int frame) {
    const double cx = 37.5, cy = 37.5;
    const double t = frame;
    const Colour base = DebrisColour(column);
    // Smoke.
    if (frame >= 5) {
        const double age = (frame - 5) / 15.0;
        for (int i = 0; i < 5; ++i) {
            const double a = i * 2 * M_PI / 5 + Rand01(column * 31 + i) * 0.8;
            const double d = 4 + 9 * age;
            const double r =
                3 + 7 * std::sin(std::min(1.0, age * 1.6) * M_PI / 2) * (1.0 - 0.5 * age);
            const double x = cx + d * std::cos(a), y = cy + d * std::sin(a) - 6 * age;
            cairo_arc(cr, x, y, r, 0, 2 * M_PI);
            const double g = 0.5 - 0.28 * age;
            SetColour(cr, Mix({g, g, g + 0.04}, base, 0.12));
            cairo_fill(cr);
        }
    }
    // White-hot burst tinted with the stone's colour at the start.
    if (frame <= 4) {
        const double r = 8 + 6 * frame;
        StarPath(cr, cx, cy, r, r * 0.45, 10, frame * 0.3);
        cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
        cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 1, 1);
        cairo_pattern_add_color_stop_rgba(g, 0.35, 1, 1, 0.85, 1);
        cairo_pattern_add_color_stop_rgba(g, 0.7, Lighter(base, 0.4).r, Lighter(base, 0.4).g,
                                          Lighter(base, 0.4).b, 0.9);
        cairo_pattern_add_color_stop_rgba(g, 1, base.r, base.g, base.b, 0.6);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
    }
    // Shards.
    for (int i = 0; i < 18; ++i) {
        const double a = i * 2 * M_PI / 18 + Rand01(i * 7 + 1) * 0.4;
        const double v = 1.3 + 1.0 * Rand01(i * 13 + 5);
        const double d = v * t * (1 - t / 60.0) + 4;
        const double x = cx + d * std::cos(a);
        const double y = cy + d * std::sin(a) + 0.06 * t * t;
        const double size = (3.0 + 4.0 * Rand01(i * 3 + 2)) * (1.1 - t / 28.0);
        if (size < 0.8) continue;
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_rotate(cr, a + t * (0.2 + 0.3 * Rand01(i)));
        cairo_move_to(cr, 0, -size * 1.4);
        cairo_line_to(cr, size, 0);
        cairo_line_to(cr, 0, size * 1.1);
        cairo_line_to(cr, -size * 0.8, 0);
        cairo_close_path(cr);
        cairo_restore(cr);
        const double shade = Rand01(i * 5 + 9);
        SetColour(cr, shade > 0.5 ? Lighter(base, 0.35 * (1 - t / 20))
                                  : Darker(base, 0.15 + 0.3 * t / 20));
        cairo_fill(cr);
    }
}

// Sparkle in a 16 x 16 cell, frames 0..16: it swells, turns and fades.
void Sparkle(cairo_t* cr, int kind, int frame) {
    static const Colour kColours[8] = {{},
                                       {0.92, 0.94, 1.0},
                                       {1.0, 0.35, 0.35},
                                       {0.4, 1.0, 0.45},
                                       {0.45, 0.65, 1.0},
                                       {1.0, 0.9, 0.2},
                                       {0.8, 0.5, 1.0},
                                       {0.35, 1.0, 1.0}};
    const double cx = 8, cy = 8;
    const double s = 7.5 * std::sin((frame + 1) * M_PI / 18);
    const int points = kind % 2 ? 4 : 6;
    const Colour c = kColours[kind];
    if (s < 1) return;
    SetColour(cr, c);
    StarPath(cr, cx, cy, s, s * 0.28, points, frame * 0.18);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, std::max(0.8, s * 0.28), 0, 2 * M_PI);
    SetColour(cr, {1, 1, 1});
    cairo_fill(cr);
}

}  // namespace

bool PaintEffectPicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet) {
    if (name == "miexpl.bmp") {
        ForEachCell(cr, sheet, [&](cairo_t* c, int col, int) { Flash(c, col); });
    } else if (name == "expl3.bmp") {
        ForEachCell(cr, sheet, [&](cairo_t* c, int col, int row) { Debris(c, col + 1, row + 1); });
    } else if (name.substr(0, 9) == "sternchen") {
        const int kind = name[9] == '.' ? 1 : name[9] - '0';
        ForEachCell(cr, sheet, [&](cairo_t* c, int col, int) { Sparkle(c, kind, col); });
    } else {
        return false;
    }
    return true;
}

}  // namespace assetgen
