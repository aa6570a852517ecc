// The cannon with its wheels, the aim markers and the mouse pointer.
#include <cmath>

#include "art.h"

namespace assetgen {

namespace {

constexpr Colour kGun{0.32, 0.36, 0.46};
constexpr Colour kTrim{0.95, 0.74, 0.28};

void Linear(cairo_t* cr, double x0, double y0, double x1, double y1, Colour a, Colour b) {
    cairo_pattern_t* g = cairo_pattern_create_linear(x0, y0, x1, y1);
    cairo_pattern_add_color_stop_rgb(g, 0, a.r, a.g, a.b);
    cairo_pattern_add_color_stop_rgb(g, 1, b.r, b.g, b.b);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
}

// The big cannon in a 113 x 107 cell; the waiting stone rests with its centre at (56.5, 27.5),
// so the cradle holds it from below without covering it. frame 0..7 = load 1..8.
void Cannon(cairo_t* cr, int frame) {
    const double cx = 56.5;
    const double fill = frame / 7.0;
    const bool ready = frame == 7;
    // Axle struts towards the wheels at (6, 41) and (106, 41).
    for (double s : {-1.0, 1.0}) {
        cairo_move_to(cr, cx + s * 20, 46);
        cairo_line_to(cr, cx + s * 50, 38);
        cairo_line_to(cr, cx + s * 50, 45);
        cairo_line_to(cr, cx + s * 22, 60);
        cairo_close_path(cr);
        Linear(cr, 0, 38, 0, 60, Lighter(kGun, 0.3), Darker(kGun, 0.4));
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 1);
        SetColour(cr, {0.06, 0.06, 0.1});
        cairo_stroke(cr);
        cairo_arc(cr, cx + s * 50, 41.5, 4.5, 0, 2 * M_PI);
        Linear(cr, 0, 37, 0, 46, {0.95, 0.9, 0.7}, {0.55, 0.4, 0.1});
        cairo_fill(cr);
    }
    // Cradle arms along the stone's lower edges.
    for (double s : {-1.0, 1.0}) {
        cairo_move_to(cr, cx + s * 33, 29);
        cairo_line_to(cr, cx + s * 40, 32);
        cairo_line_to(cr, cx + s * 8, 66);
        cairo_line_to(cr, cx, 66);
        cairo_line_to(cr, cx, 60);
        cairo_close_path(cr);
        Linear(cr, cx + s * 40, 30, cx, 66, Lighter(kTrim, 0.3), Darker(kTrim, 0.35));
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 1);
        SetColour(cr, {0.25, 0.15, 0.02});
        cairo_stroke(cr);
    }
    // Hull.
    cairo_move_to(cr, cx - 36, 58);
    cairo_curve_to(cr, cx - 30, 52, cx + 30, 52, cx + 36, 58);
    cairo_line_to(cr, cx + 44, 96);
    cairo_curve_to(cr, cx + 44, 103, cx + 40, 105, cx + 34, 105);
    cairo_line_to(cr, cx - 34, 105);
    cairo_curve_to(cr, cx - 40, 105, cx - 44, 103, cx - 44, 96);
    cairo_close_path(cr);
    Linear(cr, cx - 44, 52, cx + 30, 106, Lighter(kGun, 0.45), Darker(kGun, 0.5));
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.5);
    SetColour(cr, {0.05, 0.05, 0.09});
    cairo_stroke(cr);
    // Gold trim line.
    cairo_move_to(cr, cx - 39, 72);
    cairo_line_to(cr, cx + 39, 72);
    cairo_set_line_width(cr, 2);
    SetColour(cr, kTrim);
    cairo_stroke(cr);
    // Energy core: a round window filling from below as the cannon reloads.
    const double coreY = 86, coreR = 12;
    cairo_arc(cr, cx, coreY, coreR + 3, 0, 2 * M_PI);
    Linear(cr, 0, coreY - 15, 0, coreY + 15, {0.9, 0.9, 0.95}, {0.2, 0.2, 0.28});
    cairo_fill(cr);
    cairo_arc(cr, cx, coreY, coreR, 0, 2 * M_PI);
    SetColour(cr, {0.04, 0.05, 0.12});
    cairo_fill(cr);
    cairo_save(cr);
    cairo_arc(cr, cx, coreY, coreR, 0, 2 * M_PI);
    cairo_clip(cr);
    const Colour energy = ready ? Colour{0.35, 1.0, 0.55} : Colour{0.2, 0.7, 1.0};
    const double level = coreY + coreR - 2 * coreR * fill;
    cairo_rectangle(cr, cx - coreR, level, 2 * coreR, 2 * coreR);
    Linear(cr, 0, level, 0, coreY + coreR, Lighter(energy, 0.5), Darker(energy, 0.3));
    cairo_fill(cr);
    cairo_restore(cr);
    SetColour(cr, {1, 1, 1}, 0.7);
    cairo_arc(cr, cx - 4, coreY - 5, 3, 0, 2 * M_PI);
    cairo_fill(cr);
    // Seven load lamps that light one by one.
    for (int i = 0; i < 7; ++i) {
        const double lx = cx - 27 + i * 9, ly = 64;
        if (i == 3) continue;  // the cradle's tip sits in the middle
        const bool on = i < frame || ready;
        cairo_arc(cr, lx, ly + (std::abs(i - 3) == 1 ? 1 : 0), 2.6, 0, 2 * M_PI);
        SetColour(cr, on ? Lighter(energy, 0.3) : Colour{0.1, 0.12, 0.2});
        cairo_fill(cr);
    }
    if (ready) {
        // Glow round the cradle when a shot can leave.
        cairo_pattern_t* g = cairo_pattern_create_radial(cx, coreY, 4, cx, coreY, 24);
        cairo_pattern_add_color_stop_rgba(g, 0, 0.6, 1, 0.7, 0.5);
        cairo_pattern_add_color_stop_rgba(g, 1, 0.6, 1, 0.7, 0);
        cairo_arc(cr, cx, coreY, 15, 0, 2 * M_PI);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
    }
}

// A cog wheel with twelve teeth; each frame turns it a further 3.75 degrees against the clock,
// so the renderer's frame 7 - (x mod 8) rolls it with the cannon.
void Wheel(cairo_t* cr, double size, int frame) {
    const double c = size / 2, R = size / 2 - 1.2;
    cairo_save(cr);
    cairo_translate(cr, c, c);
    cairo_rotate(cr, -frame * M_PI / 48);
    for (int i = 0; i < 24; ++i) {
        const double a0 = i * M_PI / 12, a1 = (i + 1) * M_PI / 12;
        const double r = (i % 2 == 0) ? R : R * 0.82;
        cairo_arc(cr, 0, 0, r, a0, a1);
    }
    cairo_close_path(cr);
    Linear(cr, -R, -R, R, R, {0.85, 0.86, 0.9}, {0.22, 0.23, 0.3});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 0.8);
    SetColour(cr, {0.06, 0.06, 0.1});
    cairo_stroke(cr);
    cairo_arc(cr, 0, 0, R * 0.62, 0, 2 * M_PI);
    SetColour(cr, {0.12, 0.13, 0.2});
    cairo_fill(cr);
    for (int i = 0; i < 6; ++i) {
        cairo_save(cr);
        cairo_rotate(cr, i * M_PI / 3);
        cairo_rectangle(cr, -R * 0.08, 0, R * 0.16, R * 0.62);
        cairo_restore(cr);
    }
    SetColour(cr, {0.6, 0.62, 0.7});
    cairo_fill(cr);
    cairo_arc(cr, 0, 0, R * 0.26, 0, 2 * M_PI);
    Linear(cr, -R * 0.3, -R * 0.3, R * 0.3, R * 0.3, {1.0, 0.9, 0.55}, {0.6, 0.4, 0.05});
    cairo_fill(cr);
    cairo_restore(cr);
}

// Aim marker pointing up at where the shot will stop: chevrons stream upwards, one spacing
// per 32 frames.
void AimMarker(cairo_t* cr, double w, double h, int frame) {
    const double spacing = h / 5;
    const double offset = spacing * frame / 32.0;
    const double cx = w / 2;
    // Tip.
    cairo_move_to(cr, cx, 1);
    cairo_line_to(cr, w - 1.5, w * 0.55);
    cairo_line_to(cr, 1.5, w * 0.55);
    cairo_close_path(cr);
    SetColour(cr, {1.0, 0.95, 0.6});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    SetColour(cr, {0.6, 0.35, 0.05});
    cairo_stroke(cr);
    for (int i = -1; i < 6; ++i) {
        const double y = w * 0.6 + i * spacing - offset + spacing;
        if (y < w * 0.6 || y + w * 0.45 > h - 3) continue;
        const double fade = 1.0 - (y - w * 0.6) / (h - w * 0.6);
        cairo_move_to(cr, 3.5, y + w * 0.45);
        cairo_line_to(cr, cx, y);
        cairo_line_to(cr, w - 3.5, y + w * 0.45);
        cairo_set_line_width(cr, std::max(2.0, w * 0.2));
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        const Colour c = Mix({0.2, 0.7, 1.0}, {0.85, 1.0, 1.0}, fade);
        if (fade > 0.12) {
            SetColour(cr, c);
            cairo_stroke(cr);
        } else {
            cairo_new_path(cr);
        }
    }
}

// Mouse pointer: a gold arrow with its tip at the cell's top-left; a light runs along its edge.
void Pointer(cairo_t* cr, int frame) {
    auto arrow = [&]() {
        cairo_move_to(cr, 0.5, 0.5);
        cairo_line_to(cr, 0.5, 22);
        cairo_line_to(cr, 6, 17);
        cairo_line_to(cr, 10.5, 27);
        cairo_line_to(cr, 15, 25);
        cairo_line_to(cr, 10.5, 15.5);
        cairo_line_to(cr, 18, 15.5);
        cairo_close_path(cr);
    };
    arrow();
    cairo_set_line_width(cr, 2);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    SetColour(cr, {0.15, 0.05, 0.2});
    cairo_stroke_preserve(cr);
    Linear(cr, 0, 0, 14, 26, {1.0, 0.97, 0.75}, {0.92, 0.55, 0.08});
    cairo_fill(cr);
    // Shimmer band sweeping down the arrow.
    const double t = frame / 32.0;
    const double y = -6 + 40 * t;
    cairo_save(cr);
    arrow();
    cairo_clip(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y - 5, 0, y + 5);
    cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 1, 0);
    cairo_pattern_add_color_stop_rgba(g, 0.5, 1, 1, 1, 0.85);
    cairo_pattern_add_color_stop_rgba(g, 1, 1, 1, 1, 0);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    cairo_restore(cr);
    // Twinkle beside the tip.
    const double s = 2.5 + 2.5 * (0.5 + 0.5 * std::cos(2 * M_PI * t));
    SetColour(cr, {1, 1, 1});
    StarPath(cr, 22, 6, s, s * 0.25, 4, M_PI * t / 2);
    cairo_fill(cr);
}

}  // namespace

bool PaintSpritePicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet) {
    if (name == "kanone1.bmp" || name == "kanone2.bmp") {
        const double scale = sheet.cellW / 113.0;
        ForEachCell(cr, sheet, [&](cairo_t* c, int col, int) {
            cairo_scale(c, scale, scale);
            Cannon(c, col);
        });
    } else if (name == "rad.bmp" || name == "rad3.bmp") {
        ForEachCell(cr, sheet, [&](cairo_t* c, int col, int) { Wheel(c, sheet.cellW, col); });
    } else if (name == "pfeilchen.bmp" || name == "pfeilchen2.bmp") {
        ForEachCell(cr, sheet,
                    [&](cairo_t* c, int col, int) { AimMarker(c, sheet.cellW, sheet.cellH, col); });
    } else if (name == "pfeil2.bmp") {
        ForEachCell(cr, sheet, [&](cairo_t* c, int col, int) { Pointer(c, col); });
    } else {
        return false;
    }
    return true;
}

}  // namespace assetgen
