// The seven extras, drawn once at the big size; the match's small icons are the same drawings
// scaled to two thirds.
#include <algorithm>
#include <array>
#include <cmath>

#include "art.h"

namespace assetgen {

namespace {

void Linear(cairo_t* cr, double x0, double y0, double x1, double y1, Colour a, Colour b) {
    cairo_pattern_t* g = cairo_pattern_create_linear(x0, y0, x1, y1);
    cairo_pattern_add_color_stop_rgb(g, 0, a.r, a.g, a.b);
    cairo_pattern_add_color_stop_rgb(g, 1, b.r, b.g, b.b);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
}

void Radial(cairo_t* cr, double x, double y, double r0, double r1, Colour a, Colour b) {
    cairo_pattern_t* g = cairo_pattern_create_radial(x, y, r0, x, y, r1);
    cairo_pattern_add_color_stop_rgb(g, 0, a.r, a.g, a.b);
    cairo_pattern_add_color_stop_rgb(g, 1, b.r, b.g, b.b);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
}

void Outline(cairo_t* cr, double w = 1.4) {
    cairo_set_line_width(cr, w);
    SetColour(cr, {0.08, 0.05, 0.12});
    cairo_stroke(cr);
}

// Alarm clock (52 x 51); the hand goes once round over frames 1..8.
void Clock(cairo_t* cr, int frame) {
    const double cx = 26, cy = 28.5, r = 18.5;
    // Bells and hammer.
    for (double s : {-1.0, 1.0}) {
        cairo_arc(cr, cx + s * 13, cy - 17, 7.5, M_PI, 2 * M_PI);
        cairo_close_path(cr);
        Linear(cr, 0, cy - 25, 0, cy - 17, {1.0, 0.92, 0.55}, {0.75, 0.45, 0.05});
        cairo_fill_preserve(cr);
        Outline(cr);
    }
    // Legs.
    for (double s : {-1.0, 1.0}) {
        cairo_move_to(cr, cx + s * 11, cy + 15);
        cairo_line_to(cr, cx + s * 17, cy + 21.5);
        cairo_set_line_width(cr, 3.5);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        SetColour(cr, {0.55, 0.35, 0.05});
        cairo_stroke(cr);
    }
    cairo_arc(cr, cx, cy, r + 3, 0, 2 * M_PI);
    Linear(cr, cx - r, cy - r, cx + r, cy + r, {1.0, 0.9, 0.5}, {0.7, 0.35, 0.02});
    cairo_fill_preserve(cr);
    Outline(cr);
    cairo_arc(cr, cx, cy, r - 0.5, 0, 2 * M_PI);
    Radial(cr, cx - 5, cy - 5, 2, r, {1, 1, 1}, {0.78, 0.84, 0.95});
    cairo_fill(cr);
    for (int i = 0; i < 12; ++i) {
        const double a = i * M_PI / 6;
        const double l = i % 3 == 0 ? 4.5 : 2.5;
        cairo_move_to(cr, cx + (r - 2) * std::cos(a), cy + (r - 2) * std::sin(a));
        cairo_line_to(cr, cx + (r - 2 - l) * std::cos(a), cy + (r - 2 - l) * std::sin(a));
    }
    cairo_set_line_width(cr, 1.5);
    SetColour(cr, {0.2, 0.2, 0.3});
    cairo_stroke(cr);
    const double a = -M_PI / 2 + (frame - 1) * M_PI / 4;
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx + (r - 5) * std::cos(a), cy + (r - 5) * std::sin(a));
    cairo_set_line_width(cr, 2.2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    SetColour(cr, {0.85, 0.1, 0.1});
    cairo_stroke(cr);
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx + 8, cy - 3);
    cairo_set_line_width(cr, 2.6);
    SetColour(cr, {0.15, 0.15, 0.25});
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, 2.2, 0, 2 * M_PI);
    SetColour(cr, {0.15, 0.15, 0.25});
    cairo_fill(cr);
}

// Round bomb (59 x 55) whose fuse ends at (48, 15), where the smoke puffs appear; the
// spark flares over frames 1..8.
void Bomb(cairo_t* cr, int frame) {
    const double cx = 27, cy = 31, r = 19;
    cairo_move_to(cr, cx + 10, cy - 16);
    cairo_curve_to(cr, cx + 14, cy - 24, cx + 22, cy - 16, 48, 15);
    cairo_set_line_width(cr, 2.6);
    SetColour(cr, {0.75, 0.6, 0.35});
    cairo_stroke(cr);
    // Fuse cap.
    cairo_save(cr);
    cairo_translate(cr, cx + 11, cy - 15);
    cairo_rotate(cr, M_PI / 4);
    cairo_rectangle(cr, -5, -4, 10, 7);
    cairo_restore(cr);
    Linear(cr, cx + 5, cy - 20, cx + 16, cy - 10, {0.75, 0.78, 0.85}, {0.25, 0.27, 0.33});
    cairo_fill_preserve(cr);
    Outline(cr, 1);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    Radial(cr, cx - 7, cy - 7, 1, r + 4, {0.5, 0.55, 0.7}, {0.06, 0.06, 0.1});
    cairo_fill_preserve(cr);
    Outline(cr);
    cairo_arc(cr, cx - 7, cy - 8, 4, 0, 2 * M_PI);
    SetColour(cr, {1, 1, 1}, 0.6);
    cairo_fill(cr);
    // Burning spark.
    const double s = 4 + frame * 0.9;
    const double fx = 48, fy = 15;
    cairo_arc(cr, fx, fy, s * 0.9, 0, 2 * M_PI);
    Radial(cr, fx, fy, 0, s, {1, 0.95, 0.6}, {1, 0.35, 0.0});
    cairo_fill(cr);
    SetColour(cr, {1, 1, 0.8});
    StarPath(cr, fx, fy, s * 1.25, s * 0.3, 6, frame * 0.35);
    cairo_fill(cr);
    SetColour(cr, {1, 1, 1});
    cairo_arc(cr, fx, fy, 1.6, 0, 2 * M_PI);
    cairo_fill(cr);
}

// Colourer (57 x 57): a paint pot brimming over with the colour it gives, its symbol on the
// label so the colour reads without colour vision.
void Colourer(cairo_t* cr, int colour) {
    const Colour c = StoneColour(colour);
    // Handle.
    cairo_arc(cr, 28.5, 22, 17, M_PI * 1.05, M_PI * 1.95);
    cairo_set_line_width(cr, 2.5);
    SetColour(cr, {0.75, 0.77, 0.85});
    cairo_stroke(cr);
    // Can.
    cairo_move_to(cr, 12, 22);
    cairo_line_to(cr, 45, 22);
    cairo_line_to(cr, 41, 52);
    cairo_curve_to(cr, 35, 55, 22, 55, 16, 52);
    cairo_close_path(cr);
    Linear(cr, 12, 0, 45, 0, {0.55, 0.58, 0.66}, {0.95, 0.96, 1.0});
    cairo_fill_preserve(cr);
    Outline(cr);
    // Label with the colour's symbol.
    cairo_rectangle(cr, 17, 32, 23, 14);
    SetColour(cr, {0.96, 0.95, 0.9});
    cairo_fill(cr);
    // In the colour it gives, outlined dark so pale colours hold on the white label too.
    PaintColourSymbol(cr, colour, 28.5, 39, 10.5);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 1.6);
    SetColour(cr, {0.08, 0.05, 0.12});
    cairo_stroke_preserve(cr);
    SetColour(cr, c);
    cairo_fill(cr);
    // Paint over the rim with drips.
    cairo_move_to(cr, 10, 22);
    cairo_curve_to(cr, 10, 14, 47, 14, 47, 22);
    cairo_line_to(cr, 46, 27);
    cairo_curve_to(cr, 46, 30, 42, 30, 42, 27);
    cairo_line_to(cr, 41, 25);
    cairo_line_to(cr, 24, 25);
    cairo_line_to(cr, 24, 31);
    cairo_curve_to(cr, 24, 34, 19, 34, 19, 31);
    cairo_line_to(cr, 19, 25);
    cairo_line_to(cr, 14, 25);
    cairo_curve_to(cr, 11, 25, 10, 24, 10, 22);
    cairo_close_path(cr);
    Linear(cr, 10, 14, 47, 30, Lighter(c, 0.45), Darker(c, 0.15));
    cairo_fill_preserve(cr);
    Outline(cr, 1);
    cairo_arc(cr, 22, 19, 2.5, 0, 2 * M_PI);
    SetColour(cr, {1, 1, 1}, 0.8);
    cairo_fill(cr);
    // Splashes flying off.
    for (auto [x, y, r] : {std::array<double, 3>{8, 9, 3}, {49, 8, 2.5}, {52, 35, 2}, {5, 38, 2}}) {
        cairo_arc(cr, x, y, r, 0, 2 * M_PI);
        SetColour(cr, Lighter(c, 0.2));
        cairo_fill_preserve(cr);
        Outline(cr, 0.8);
    }
}

// Arrow (43 x 75) pointing up; flames at the tail flicker over frames 1..16.
void Arrow(cairo_t* cr, int frame) {
    const double cx = 21.5;
    // Flames.
    const double ph = frame * 2 * M_PI / 16;
    for (int k = 0; k < 3; ++k) {
        const double len = 10 + 5 * std::sin(ph + k * 2.1) + (k == 1 ? 5 : 0);
        const double x = cx + (k - 1) * 5;
        cairo_move_to(cr, x - 4, 58);
        cairo_curve_to(cr, x - 4, 62, x - 1, 60 + len, x, 60 + len);
        cairo_curve_to(cr, x + 1, 60 + len, x + 4, 62, x + 4, 58);
        cairo_close_path(cr);
        Linear(cr, 0, 58, 0, 60 + len, {1, 0.95, 0.5}, {1, 0.3, 0.05});
        cairo_fill(cr);
    }
    // Fins.
    for (double s : {-1.0, 1.0}) {
        cairo_move_to(cr, cx + s * 4, 44);
        cairo_line_to(cr, cx + s * 13, 57);
        cairo_line_to(cr, cx + s * 13, 62);
        cairo_line_to(cr, cx + s * 4, 57);
        cairo_close_path(cr);
        Linear(cr, cx, 44, cx + s * 13, 62, {1.0, 0.45, 0.45}, {0.6, 0.05, 0.1});
        cairo_fill_preserve(cr);
        Outline(cr, 1);
    }
    // Shaft and head.
    cairo_rectangle(cr, cx - 4, 18, 8, 41);
    Linear(cr, cx - 4, 0, cx + 4, 0, {0.95, 0.96, 1.0}, {0.4, 0.42, 0.5});
    cairo_fill_preserve(cr);
    Outline(cr, 1);
    cairo_move_to(cr, cx, 2);
    cairo_line_to(cr, cx + 13, 22);
    cairo_line_to(cr, cx + 4, 19);
    cairo_line_to(cr, cx - 4, 19);
    cairo_line_to(cr, cx - 13, 22);
    cairo_close_path(cr);
    Linear(cr, cx - 13, 2, cx + 13, 22, {1.0, 0.95, 0.6}, {0.8, 0.45, 0.02});
    cairo_fill_preserve(cr);
    Outline(cr);
    // Running light on the shaft.
    const double ly = 20 + std::fmod(frame * 2.5, 38.0);
    cairo_rectangle(cr, cx - 2, ly, 4, 3);
    SetColour(cr, {0.6, 1.0, 1.0});
    cairo_fill(cr);
}

// Rainbow stone (57 x 57): a jewel whose facets shine in every colour.
void Rainbow(cairo_t* cr) {
    const double cx = 28.5, cy = 28.5, R = 25;
    DiamondPath(cr, cx + 1, cy + 1.2, R + 0.9, R + 0.9);
    SetColour(cr, {0.04, 0.03, 0.08});
    cairo_fill(cr);
    const int n = 12;
    for (int i = 0; i < n; ++i) {
        const double a0 = i * 2 * M_PI / n, a1 = (i + 1) * 2 * M_PI / n;
        cairo_save(cr);
        DiamondPath(cr, cx, cy, R, R);
        cairo_clip(cr);
        cairo_move_to(cr, cx, cy);
        cairo_line_to(cr, cx + 60 * std::cos(a0), cy + 60 * std::sin(a0));
        cairo_line_to(cr, cx + 60 * std::cos(a1), cy + 60 * std::sin(a1));
        cairo_close_path(cr);
        const double h = i / double(n) * 6;
        const double r = std::clamp(std::abs(h - 3) - 1, 0.0, 1.0);
        const double g = std::clamp(2 - std::abs(h - 2), 0.0, 1.0);
        const double b = std::clamp(2 - std::abs(h - 4), 0.0, 1.0);
        SetColour(cr, Lighter({r, g, b}, 0.15));
        cairo_fill(cr);
        cairo_restore(cr);
    }
    DiamondPath(cr, cx, cy, R * 0.5, R * 0.5);
    Radial(cr, cx - 4, cy - 4, 1, R * 0.6, {1, 1, 1}, {0.75, 0.75, 0.95});
    cairo_fill(cr);
    DiamondPath(cr, cx, cy, R, R);
    cairo_set_line_width(cr, 1.2);
    SetColour(cr, {1, 1, 1}, 0.8);
    cairo_stroke(cr);
    SetColour(cr, {1, 1, 1});
    StarPath(cr, cx, cy, 8, 2, 4, 0);
    cairo_fill(cr);
    StarPath(cr, cx - 11, cy - 9, 4, 1, 4, 0);
    cairo_fill(cr);
}

// X2 coin (50 x 50), frames 0..14: it turns half round, showing its face again.
void X2Coin(cairo_t* cr, int frame) {
    const double cx = 25, cy = 25, r = 21;
    const double turn = std::cos(frame * M_PI / 15);
    const double sx = 0.3 + 0.7 * std::abs(turn);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, sx, 1);
    // Rim seen edge-on.
    cairo_arc(cr, 1.5 / sx, 0, r, 0, 2 * M_PI);
    SetColour(cr, {0.55, 0.32, 0.02});
    cairo_fill(cr);
    cairo_arc(cr, 0, 0, r, 0, 2 * M_PI);
    Linear(cr, -r, -r, r, r, {1.0, 0.95, 0.6}, {0.8, 0.45, 0.02});
    cairo_fill(cr);
    cairo_arc(cr, 0, 0, r - 3, 0, 2 * M_PI);
    Linear(cr, -r, -r, r, r, {0.85, 0.5, 0.02}, {1.0, 0.9, 0.45});
    cairo_fill(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 19);
    cairo_text_extents_t e;
    cairo_text_extents(cr, "X2", &e);
    cairo_move_to(cr, -e.width / 2 - e.x_bearing + 1, -e.height / 2 - e.y_bearing + 1);
    cairo_text_path(cr, "X2");
    SetColour(cr, {0.45, 0.2, 0.0});
    cairo_fill(cr);
    cairo_move_to(cr, -e.width / 2 - e.x_bearing, -e.height / 2 - e.y_bearing);
    cairo_text_path(cr, "X2");
    SetColour(cr, {1, 1, 0.9});
    cairo_fill(cr);
    cairo_restore(cr);
    const double t = frame / 15.0;
    SetColour(cr, {1, 1, 1});
    StarPath(cr, cx - 12 + 24 * t, cy - 14 + 6 * t, 4, 1, 4, 0);
    cairo_fill(cr);
}

// Flash (50 x 50), frames 1..15: a bolt in a crackling blue orb.
void FlashOrb(cairo_t* cr, int frame) {
    const double cx = 25, cy = 25, r = 21;
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    Radial(cr, cx - 4, cy - 4, 2, r, {0.75, 0.9, 1.0}, {0.1, 0.2, 0.6});
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_set_line_width(cr, 1.5);
    SetColour(cr, {0.8, 0.95, 1.0});
    cairo_stroke(cr);
    // Crackling arcs that change every frame.
    cairo_set_line_width(cr, 1.2);
    for (int k = 0; k < 3; ++k) {
        double a = frame * 1.7 + k * 2.1;
        double x = cx + 6 * std::cos(a), y = cy + 6 * std::sin(a);
        cairo_move_to(cr, x, y);
        for (int s = 1; s <= 4; ++s) {
            const double rr = 6 + s * 3.5;
            a += ((frame * 7 + k * 3 + s * 5) % 7 - 3) * 0.12;
            cairo_line_to(cr, cx + rr * std::cos(a), cy + rr * std::sin(a));
        }
        SetColour(cr, {0.85, 1.0, 1.0});
        cairo_stroke(cr);
    }
    const double s = 30 + 3 * std::sin(frame * 2 * M_PI / 15);
    cairo_move_to(cr, cx + 0.10 * s, cy - 0.52 * s);
    cairo_line_to(cr, cx - 0.30 * s, cy + 0.08 * s);
    cairo_line_to(cr, cx - 0.02 * s, cy + 0.08 * s);
    cairo_line_to(cr, cx - 0.14 * s, cy + 0.54 * s);
    cairo_line_to(cr, cx + 0.30 * s, cy - 0.10 * s);
    cairo_line_to(cr, cx + 0.02 * s, cy - 0.10 * s);
    cairo_close_path(cr);
    Linear(cr, 0, cy - 15, 0, cy + 15, {1, 1, 0.8}, {1.0, 0.75, 0.05});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.2);
    SetColour(cr, {0.45, 0.25, 0.0});
    cairo_stroke(cr);
}

struct Big {
    int w, h;
};

// Big drawing size of each small icon.
Big BigSize(std::string_view small) {
    if (small == "uhrklein.bmp") return {52, 51};
    if (small == "bombeklein.bmp") return {59, 55};
    if (small == "pfeilklein.bmp") return {43, 75};
    if (small == "pux2klein.bmp" || small == "puunkaputtklein.bmp") return {50, 50};
    return {57, 57};
}

}  // namespace

bool PaintExtraPicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet) {
    const bool small = name.find("klein") != std::string_view::npos;
    std::string_view base = name;
    double sx = 1, sy = 1;
    if (small) {
        const Big big = BigSize(name);
        sx = sheet.cellW / double(big.w);
        sy = sheet.cellH / double(big.h);
        base = name.substr(0, name.find("klein"));
    } else {
        base = name.substr(0, name.find(".bmp"));
    }
    void (*framed)(cairo_t*, int) = nullptr;
    int firstFrame = 1;
    if (base == "uhr") {
        framed = Clock;
    } else if (base == "bombe") {
        framed = Bomb;
    } else if (base == "pfeil") {
        framed = Arrow;
    } else if (base == "pux2") {
        framed = X2Coin;
        firstFrame = 0;  // drawn as an effect sprite from frame 0
    } else if (base == "puunkaputt") {
        framed = FlashOrb;
    } else if (base == "farbe2") {
        // Rows are the colourer codes 1..5 and show the stone colours they give.
        static const int kGives[6] = {0, 4, 1, 3, 2, 7};
        ForEachCell(cr, sheet, [&](cairo_t* c, int, int row) {
            cairo_scale(c, sx, sy);
            Colourer(c, kGives[row + 1]);
        });
        return true;
    } else if (base == "shaker") {
        ForEachCell(cr, sheet, [&](cairo_t* c, int, int) {
            cairo_scale(c, sx, sy);
            Rainbow(c);
        });
        return true;
    } else {
        return false;
    }
    ForEachCell(cr, sheet, [&](cairo_t* c, int col, int) {
        cairo_scale(c, sx, sy);
        framed(c, col + firstFrame);
    });
    return true;
}

}  // namespace assetgen
