// Backgrounds of the game, Pipe, match, menus and help, and the pieces cut from them: the
// time bar covers, the indicator lamps and the frame overlays. Covers are cut from a second
// drawing of the same background, so they match it pixel for pixel.
#include <cmath>
#include <cstdint>
#include <string>

#include "art.h"
#include "decorations.h"

namespace assetgen {

namespace {

constexpr Colour kNightTop{0.05, 0.05, 0.16};
constexpr Colour kNightBottom{0.10, 0.03, 0.18};
constexpr Colour kMetal{0.26, 0.29, 0.38};
constexpr Colour kGold{0.95, 0.74, 0.28};

// Where the game panel's parts lie.
constexpr int kPanelX = 635;
constexpr int kTubeX = 656, kTubeY = 295, kTubeW = 35, kTubeH = 273;
constexpr int kX2X = 689, kX2Y = 207, kX2W = 49, kX2H = 50;
constexpr int kFlashX = 724, kFlashY = 274, kFlashW = 53, kFlashH = 55;
constexpr int kBottomLine = 440;

// The match panel.
constexpr int kMatchTube1X = 359, kMatchTube2X = 408, kMatchTubeY = 114, kMatchTubeH = 271;

struct Variant {
    bool emptyTubes = false;  // time used up: the covers of the bars
    bool lampsLit = false;    // game: lit indicators; match: the background shows them lit
};

unsigned Hash(unsigned x) {
    x ^= x >> 16;
    x *= 0x7feb352d;
    x ^= x >> 15;
    x *= 0x846ca68b;
    x ^= x >> 16;
    return x;
}

double Rand01(unsigned seed) {
    return (Hash(seed) & 0xFFFFFF) / double(0x1000000);
}

void FillGradient(cairo_t* cr, double x, double y, double w, double h, Colour top, Colour bottom) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(g, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(g, 1, bottom.r, bottom.g, bottom.b);
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

// Deep night sky with faint stars and glowing nebula blots.
void Backdrop(cairo_t* cr, unsigned seed) {
    FillGradient(cr, 0, 0, 800, 600, kNightTop, kNightBottom);
    for (int i = 0; i < 5; ++i) {
        const double x = 80 + 640 * Rand01(seed + i * 7), y = 60 + 480 * Rand01(seed + i * 13);
        const double r = 120 + 160 * Rand01(seed + i * 29);
        const Colour c = i % 2 ? Colour{0.35, 0.12, 0.55} : Colour{0.08, 0.22, 0.50};
        cairo_pattern_t* g = cairo_pattern_create_radial(x, y, 0, x, y, r);
        cairo_pattern_add_color_stop_rgba(g, 0, c.r, c.g, c.b, 0.35);
        cairo_pattern_add_color_stop_rgba(g, 1, c.r, c.g, c.b, 0);
        cairo_set_source(cr, g);
        cairo_paint(cr);
        cairo_pattern_destroy(g);
    }
    for (int i = 0; i < 260; ++i) {
        const double x = 800 * Rand01(seed * 31 + i * 3 + 1),
                     y = 600 * Rand01(seed * 17 + i * 5 + 2);
        const double b = 0.25 + 0.6 * Rand01(i * 11 + seed);
        SetColour(cr, {0.8, 0.85, 1.0}, b);
        cairo_rectangle(cr, std::floor(x), std::floor(y), 1, 1);
        cairo_fill(cr);
    }
}

void PaintDecorationStones(cairo_t* cr, std::string_view picture) {
    for (const StonePlacement& p : DecorationStones(picture)) {
        PaintStone(cr, p.x, p.y, p.size, p.colour, false);
    }
}

// A bevelled gunmetal frame between an outer and an inner rectangle.
void MetalFrame(cairo_t* cr, double x, double y, double w, double h, double border,
                Colour metal = kMetal) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_rectangle(cr, x + border, y + border, w - 2 * border, h - 2 * border);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(x, y, x + w * 0.3, y + h);
    cairo_pattern_add_color_stop_rgb(g, 0, Lighter(metal, 0.35).r, Lighter(metal, 0.35).g,
                                     Lighter(metal, 0.35).b);
    cairo_pattern_add_color_stop_rgb(g, 0.5, metal.r, metal.g, metal.b);
    cairo_pattern_add_color_stop_rgb(g, 1, Darker(metal, 0.45).r, Darker(metal, 0.45).g,
                                     Darker(metal, 0.45).b);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    cairo_restore(cr);
    cairo_set_line_width(cr, 1);
    SetColour(cr, Lighter(metal, 0.55));
    cairo_move_to(cr, x + 0.5, y + h - 0.5);
    cairo_line_to(cr, x + 0.5, y + 0.5);
    cairo_line_to(cr, x + w - 0.5, y + 0.5);
    cairo_stroke(cr);
    SetColour(cr, Darker(metal, 0.7));
    cairo_move_to(cr, x + w - 0.5, y + 0.5);
    cairo_line_to(cr, x + w - 0.5, y + h - 0.5);
    cairo_line_to(cr, x + 0.5, y + h - 0.5);
    cairo_stroke(cr);
    // Inner groove with a gold trim line.
    SetColour(cr, Darker(metal, 0.75));
    cairo_rectangle(cr, x + border - 1.5, y + border - 1.5, w - 2 * border + 3, h - 2 * border + 3);
    cairo_stroke(cr);
    SetColour(cr, kGold, 0.55);
    cairo_rectangle(cr, x + border / 2, y + border / 2, w - border, h - border);
    cairo_stroke(cr);
}

// A raised metal plate, used under texts and lamps.
void Plate(cairo_t* cr, double x, double y, double w, double h, double r, Colour metal = kMetal) {
    RoundedRectPath(cr, x, y, w, h, r);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(g, 0, Lighter(metal, 0.25).r, Lighter(metal, 0.25).g,
                                     Lighter(metal, 0.25).b);
    cairo_pattern_add_color_stop_rgb(g, 1, Darker(metal, 0.35).r, Darker(metal, 0.35).g,
                                     Darker(metal, 0.35).b);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    cairo_set_line_width(cr, 1);
    SetColour(cr, Darker(metal, 0.75));
    cairo_stroke(cr);
    RoundedRectPath(cr, x + 1.5, y + 1.5, w - 3, h - 3, std::max(1.0, r - 1.5));
    SetColour(cr, Lighter(metal, 0.5), 0.5);
    cairo_stroke(cr);
}

// A sunken dark slot (text displays).
void Slot(cairo_t* cr, double x, double y, double w, double h, double r) {
    RoundedRectPath(cr, x, y, w, h, r);
    FillGradient(cr, x, y, w, h, {0.02, 0.02, 0.06}, {0.07, 0.08, 0.16});
    RoundedRectPath(cr, x, y, w, h, r);
    cairo_set_line_width(cr, 1);
    SetColour(cr, {0.55, 0.6, 0.75}, 0.6);
    cairo_stroke(cr);
    RoundedRectPath(cr, x + 1, y + 1, w - 2, h - 2, r);
    cairo_clip(cr);
    cairo_reset_clip(cr);
}

void Screw(cairo_t* cr, double x, double y, double r) {
    cairo_pattern_t* g = cairo_pattern_create_radial(x - r / 3, y - r / 3, 0, x, y, r);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.9, 0.9, 0.95);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.3, 0.32, 0.38);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_set_line_width(cr, 1);
    SetColour(cr, {0.15, 0.15, 0.2});
    cairo_move_to(cr, x - r * 0.6, y + r * 0.6);
    cairo_line_to(cr, x + r * 0.6, y - r * 0.6);
    cairo_stroke(cr);
}

// Glass tube with a coloured liquid (full) or only its dark inside (empty). The liquid runs
// from green at the top through yellow to red at the bottom, so a nearly empty bar is red.
void TubeInside(cairo_t* cr, double x, double y, double w, double h, bool empty) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    if (empty) {
        FillGradient(cr, x, y, w, h, {0.06, 0.07, 0.14}, {0.03, 0.03, 0.08});
    } else {
        cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + h);
        cairo_pattern_add_color_stop_rgb(g, 0, 0.1, 0.8, 0.45);
        cairo_pattern_add_color_stop_rgb(g, 0.4, 0.45, 0.95, 0.2);
        cairo_pattern_add_color_stop_rgb(g, 0.68, 0.98, 0.88, 0.15);
        cairo_pattern_add_color_stop_rgb(g, 0.86, 1.0, 0.5, 0.08);
        cairo_pattern_add_color_stop_rgb(g, 1, 0.9, 0.1, 0.08);
        cairo_rectangle(cr, x, y, w, h);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
        // Bubbles.
        for (int i = 0; i < 22; ++i) {
            const double bx = x + 4 + (w - 8) * Rand01(i * 7 + 3);
            const double by = y + 6 + (h - 12) * Rand01(i * 5 + 11);
            const double br = 1 + 2.2 * Rand01(i * 3 + 1);
            cairo_arc(cr, bx, by, br, 0, 2 * M_PI);
            SetColour(cr, {1, 1, 1}, 0.35);
            cairo_set_line_width(cr, 0.8);
            cairo_stroke(cr);
        }
    }
    // Round glass shading: dark sides and two highlight stripes.
    cairo_pattern_t* s = cairo_pattern_create_linear(x, 0, x + w, 0);
    cairo_pattern_add_color_stop_rgba(s, 0, 0, 0, 0, 0.55);
    cairo_pattern_add_color_stop_rgba(s, 0.2, 1, 1, 1, 0.10);
    cairo_pattern_add_color_stop_rgba(s, 0.32, 1, 1, 1, 0.45);
    cairo_pattern_add_color_stop_rgba(s, 0.42, 1, 1, 1, 0.05);
    cairo_pattern_add_color_stop_rgba(s, 0.8, 0, 0, 0, 0.15);
    cairo_pattern_add_color_stop_rgba(s, 1, 0, 0, 0, 0.6);
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source(cr, s);
    cairo_fill(cr);
    cairo_pattern_destroy(s);
    // Scale marks every tenth.
    SetColour(cr, {1, 1, 1}, 0.25);
    cairo_set_line_width(cr, 1);
    for (int i = 1; i < 10; ++i) {
        const double ty = std::floor(y + h * i / 10.0) + 0.5;
        cairo_move_to(cr, x + w - 7, ty);
        cairo_line_to(cr, x + w - 1, ty);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

void TubeFrame(cairo_t* cr, double x, double y, double w, double h) {
    Plate(cr, x - 6, y - 9, w + 12, h + 18, 7, Darker(kMetal, 0.1));
    SetColour(cr, {0, 0, 0});
    cairo_rectangle(cr, x - 1, y - 1, w + 2, h + 2);
    cairo_fill(cr);
}

// Lamp sockets of the X2 and flash extras; lit they glow in the extra's colours.
void LampBase(cairo_t* cr, double x, double y, double w, double h, Colour glow, bool lit) {
    const double cx = x + w / 2, cy = y + h / 2, r = std::min(w, h) / 2 - 1;
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_pattern_t* bez = cairo_pattern_create_linear(cx - r, cy - r, cx + r, cy + r);
    cairo_pattern_add_color_stop_rgb(bez, 0, 0.75, 0.78, 0.85);
    cairo_pattern_add_color_stop_rgb(bez, 1, 0.12, 0.13, 0.18);
    cairo_set_source(cr, bez);
    cairo_fill(cr);
    cairo_pattern_destroy(bez);
    cairo_arc(cr, cx, cy, r - 4, 0, 2 * M_PI);
    cairo_pattern_t* g = cairo_pattern_create_radial(cx - r * 0.3, cy - r * 0.3, 1, cx, cy, r - 4);
    if (lit) {
        cairo_pattern_add_color_stop_rgb(g, 0, 1, 1, 0.95);
        cairo_pattern_add_color_stop_rgb(g, 0.45, glow.r, glow.g, glow.b);
        cairo_pattern_add_color_stop_rgb(g, 1, Darker(glow, 0.45).r, Darker(glow, 0.45).g,
                                         Darker(glow, 0.45).b);
    } else {
        const Colour dim = Mix(Darker(glow, 0.75), {0.08, 0.08, 0.12}, 0.5);
        cairo_pattern_add_color_stop_rgb(g, 0, Lighter(dim, 0.15).r, Lighter(dim, 0.15).g,
                                         Lighter(dim, 0.15).b);
        cairo_pattern_add_color_stop_rgb(g, 1, Darker(dim, 0.4).r, Darker(dim, 0.4).g,
                                         Darker(dim, 0.4).b);
    }
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

void LightningPath(cairo_t* cr, double cx, double cy, double s) {
    cairo_move_to(cr, cx + 0.10 * s, cy - 0.50 * s);
    cairo_line_to(cr, cx - 0.30 * s, cy + 0.08 * s);
    cairo_line_to(cr, cx - 0.02 * s, cy + 0.08 * s);
    cairo_line_to(cr, cx - 0.14 * s, cy + 0.52 * s);
    cairo_line_to(cr, cx + 0.30 * s, cy - 0.10 * s);
    cairo_line_to(cr, cx + 0.02 * s, cy - 0.10 * s);
    cairo_close_path(cr);
}

void X2Path(cairo_t* cr, double cx, double cy, double s) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, s);
    cairo_text_extents_t e;
    cairo_text_extents(cr, "X2", &e);
    cairo_move_to(cr, cx - e.width / 2 - e.x_bearing, cy - e.height / 2 - e.y_bearing);
    cairo_text_path(cr, "X2");
}

void X2Lamp(cairo_t* cr, double x, double y, double w, double h, bool lit) {
    const Colour glow{0.2, 0.85, 1.0};
    LampBase(cr, x, y, w, h, glow, lit);
    X2Path(cr, x + w / 2, y + h / 2, h * 0.36);
    SetColour(cr, lit ? Colour{1, 1, 1} : Colour{0.22, 0.3, 0.38});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    SetColour(cr, lit ? Darker(glow, 0.5) : Colour{0.05, 0.06, 0.1});
    cairo_stroke(cr);
}

void FlashLamp(cairo_t* cr, double x, double y, double w, double h, bool lit) {
    const Colour glow{1.0, 0.85, 0.1};
    LampBase(cr, x, y, w, h, glow, lit);
    LightningPath(cr, x + w / 2, y + h / 2, h * 0.62);
    SetColour(cr, lit ? Colour{1, 1, 0.85} : Colour{0.3, 0.28, 0.16});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.2);
    SetColour(cr, lit ? Colour{0.75, 0.4, 0.0} : Colour{0.06, 0.06, 0.08});
    cairo_stroke(cr);
}

// The match's flash lamps also carry the levels won, written in their middle: a dark window
// for the number between two small bolts.
void MatchFlashLamp(cairo_t* cr, double x, double y, double w, double h, bool lit) {
    const Colour glow{1.0, 0.85, 0.1};
    LampBase(cr, x, y, w, h, glow, lit);
    const double cx = x + w / 2, cy = y + h / 2, r = std::min(w, h) / 2 - 1;
    cairo_arc(cr, cx, cy - 2, r * 0.44, 0, 2 * M_PI);
    SetColour(cr, {0.04, 0.04, 0.09});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.2);
    SetColour(cr, lit ? Colour{1.0, 0.95, 0.7} : Colour{0.35, 0.35, 0.4});
    cairo_stroke(cr);
    for (double s : {-1.0, 1.0}) {
        LightningPath(cr, cx + s * r * 0.7, cy, r * 0.5);
        SetColour(cr, lit ? Colour{1, 1, 0.85} : Colour{0.3, 0.28, 0.16});
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 0.8);
        SetColour(cr, lit ? Colour{0.75, 0.4, 0.0} : Colour{0.06, 0.06, 0.08});
        cairo_stroke(cr);
    }
}

// Faint sockets where the stones sit, on the lattice of centre m with the given spacing.
void LatticeMarks(cairo_t* cr, double m, double top, double bottom, double step, double halfW,
                  double left, double right) {
    cairo_set_line_width(cr, 1);
    for (int j = 0; top + j * step <= bottom; ++j) {
        for (int i = -20; i <= 20; ++i) {
            if (((i + j) & 1) == 0) continue;
            const double x = m + i * step, y = top + j * step;
            if (x - halfW < left || x + halfW > right) continue;
            DiamondPath(cr, x + 0.5, y + 0.5, halfW - 2, halfW - 2);
            SetColour(cr, {0.45, 0.55, 0.9}, 0.07);
            cairo_fill_preserve(cr);
            SetColour(cr, {0.55, 0.65, 1.0}, 0.12);
            cairo_stroke(cr);
        }
    }
}

// The well in which the stones hang, its frame, the bottom line and the cannon's rail.
void Field(cairo_t* cr, double left, double right, double m, double bottomLine, double railY,
           double step, double stoneHalf) {
    FillGradient(cr, left, 0, right - left, railY, {0.03, 0.04, 0.12}, {0.07, 0.05, 0.16});
    LatticeMarks(cr, m, 0, bottomLine - 10, step, stoneHalf, left, right);
    // The bottom line: stones resting below it burst.
    cairo_pattern_t* g = cairo_pattern_create_linear(0, bottomLine - 6, 0, bottomLine + 6);
    cairo_pattern_add_color_stop_rgba(g, 0, 1, 0.3, 0.1, 0);
    cairo_pattern_add_color_stop_rgba(g, 0.5, 1, 0.3, 0.1, 0.45);
    cairo_pattern_add_color_stop_rgba(g, 1, 1, 0.3, 0.1, 0);
    cairo_rectangle(cr, left, bottomLine - 6, right - left, 12);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    SetColour(cr, {1.0, 0.55, 0.2});
    cairo_rectangle(cr, left, bottomLine, right - left, 1);
    cairo_fill(cr);
    for (double x = left + 6; x < right - 6; x += 24) {
        SetColour(cr, {1.0, 0.75, 0.3});
        DiamondPath(cr, x + 6, bottomLine + 0.5, 3, 3);
        cairo_fill(cr);
    }
    // Rail of the cannon.
    FillGradient(cr, left, railY, right - left, 600 - railY, {0.18, 0.2, 0.27}, {0.05, 0.05, 0.1});
    SetColour(cr, {0.7, 0.75, 0.85});
    cairo_rectangle(cr, left, railY, right - left, 2);
    cairo_fill(cr);
    SetColour(cr, {0.02, 0.02, 0.05});
    cairo_rectangle(cr, left, railY + 2, right - left, 2);
    cairo_fill(cr);
    for (double x = left + 10; x < right - 4; x += 20) {
        SetColour(cr, {0.12, 0.13, 0.18});
        cairo_rectangle(cr, x, railY + 6, 10, 600 - railY - 6);
        cairo_fill(cr);
    }
}

// The side panel of the game and Pipe screens.
void SidePanel(cairo_t* cr, const Variant& v) {
    cairo_pattern_t* g = cairo_pattern_create_linear(kPanelX, 0, 800, 0);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.12, 0.13, 0.2);
    cairo_pattern_add_color_stop_rgb(g, 0.5, 0.2, 0.22, 0.3);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.1, 0.11, 0.17);
    cairo_rectangle(cr, kPanelX, 0, 800 - kPanelX, 600);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // Brushed lines.
    for (int y = 0; y < 600; y += 3) {
        SetColour(cr, {1, 1, 1}, 0.015 + 0.02 * Rand01(y));
        cairo_rectangle(cr, kPanelX, y, 800 - kPanelX, 1);
        cairo_fill(cr);
    }
    MetalFrame(cr, kPanelX, 0, 800 - kPanelX, 600, 6);
    // Level label and score displays.
    Slot(cr, 650, 18, 136, 34, 6);
    Slot(cr, 650, 68, 136, 38, 6);
    PaintDecorationStones(cr, "spielhg2.bmp");
    SetColour(cr, kGold);
    StarPath(cr, 665, 87.5, 9, 4, 5, 0);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    SetColour(cr, {0.4, 0.25, 0.05});
    cairo_stroke(cr);
    // Lamps.
    Plate(cr, 646, 196, 144, 144, 10);
    Screw(cr, 655, 205, 3);
    Screw(cr, 655, 331, 3);
    Screw(cr, 781, 205, 3);
    X2Lamp(cr, kX2X, kX2Y, kX2W, kX2H, v.lampsLit);
    FlashLamp(cr, kFlashX, kFlashY, kFlashW, kFlashH, v.lampsLit);
    // Time bar.
    TubeFrame(cr, kTubeX, kTubeY, kTubeW, kTubeH);
    TubeInside(cr, kTubeX, kTubeY, kTubeW, kTubeH, v.emptyTubes);
    // Plates under the four button labels (right-aligned at x 788).
    for (int y : {396, 443, 490, 535}) {
        Plate(cr, 704, y - 5, 90, 30, 8);
        SetColour(cr, {0.03, 0.03, 0.08}, 0.55);
        RoundedRectPath(cr, 709, y - 1, 80, 22, 5);
        cairo_fill(cr);
    }
    Screw(cr, 718, 585, 3);
    Screw(cr, 782, 585, 3);
}

void PieceColumn(cairo_t* cr) {
    FillGradient(cr, 0, 0, 92, 600, {0.14, 0.15, 0.22}, {0.08, 0.08, 0.14});
    MetalFrame(cr, 0, 0, 92, 600, 5);
    for (int r = 0; r < 7; ++r) {
        const double y = 22 + 70 * r;
        Slot(cr, 10, y + 2, 72, 66, 8);
        // The number of pieces left is written centred at (67, 75 + 70 r); centred text sits
        // three pixels left of its x.
        RoundedRectPath(cr, 51, 75 + 70 * r - 1, 26, 21, 8);
        SetColour(cr, kGold, 0.35);
        cairo_fill(cr);
    }
}

void GameBackground(cairo_t* cr, bool pipe, const Variant& v) {
    Backdrop(cr, pipe ? 77 : 41);
    const double m = pipe ? 335 : 326;
    const double left = pipe ? 92 : 22, right = 630;
    Field(cr, left, right, m, kBottomLine, 578, 30, 28.5);
    MetalFrame(cr, left - 12, -20, right - left + 24, 640, 12);
    if (pipe) PieceColumn(cr);
    SidePanel(cr, v);
}

void MatchBackground(cairo_t* cr, const Variant& v) {
    Backdrop(cr, 93);
    // Two fields: lattice x 0..360 and 440..800 from y 110, bottom line y 460.
    Field(cr, 0, 380, 180, 460, 563, 20, 19.5);
    Field(cr, 420, 800, 620, 460, 563, 20, 19.5);
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, 380, 600);
    cairo_clip(cr);
    LatticeMarks(cr, 180, 110, 450, 20, 19.5, -40, 420);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_rectangle(cr, 420, 0, 380, 600);
    cairo_clip(cr);
    LatticeMarks(cr, 620, 110, 450, 20, 19.5, 380, 840);
    cairo_restore(cr);
    // Header band with the score and level displays and the four lamps.
    FillGradient(cr, 0, 0, 800, 100, {0.18, 0.2, 0.28}, {0.1, 0.1, 0.16});
    MetalFrame(cr, 0, 0, 800, 104, 5);
    Slot(cr, 338, 4, 124, 26, 6);
    Slot(cr, 100, 50, 150, 30, 6);
    Slot(cr, 550, 50, 150, 30, 6);
    X2Lamp(cr, 24, 37, 66, 65, v.lampsLit);
    MatchFlashLamp(cr, 260, 28, 66, 61, v.lampsLit);
    MatchFlashLamp(cr, 480, 27, 59, 60, v.lampsLit);
    X2Lamp(cr, 714, 39, 59, 60, v.lampsLit);
    // Centre column with the two time bars.
    Plate(cr, 352, 104, 96, 292, 6);
    for (int x : {kMatchTube1X, kMatchTube2X}) {
        const int w = x == kMatchTube1X ? 35 : 31;
        SetColour(cr, {0, 0, 0});
        cairo_rectangle(cr, x - 1, kMatchTubeY - 1, w + 2, kMatchTubeH + 2);
        cairo_fill(cr);
        TubeInside(cr, x, kMatchTubeY, w, kMatchTubeH, v.emptyTubes);
    }
}

// Gold-on-jewel game title.
void TitleText(cairo_t* cr, double cx, double baseline, double size, const char* text) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    const double x = cx - e.width / 2 - e.x_bearing;
    cairo_move_to(cr, x + size * 0.05, baseline + size * 0.07);
    cairo_text_path(cr, text);
    SetColour(cr, {0, 0, 0}, 0.7);
    cairo_fill(cr);
    cairo_move_to(cr, x, baseline);
    cairo_text_path(cr, text);
    cairo_set_line_width(cr, size * 0.09);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    SetColour(cr, {0.16, 0.06, 0.2});
    cairo_stroke_preserve(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, baseline - size * 0.75, 0, baseline);
    cairo_pattern_add_color_stop_rgb(g, 0, 1.0, 0.97, 0.75);
    cairo_pattern_add_color_stop_rgb(g, 0.45, 1.0, 0.78, 0.2);
    cairo_pattern_add_color_stop_rgb(g, 0.55, 0.9, 0.5, 0.05);
    cairo_pattern_add_color_stop_rgb(g, 1, 1.0, 0.82, 0.3);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

void RoundedRect(cairo_t* cr, const PixelRect& r, double inset, double radius) {
    RoundedRectPath(cr, r.left + inset, r.top + inset, r.right - r.left - 2 * inset,
                    r.bottom - r.top - 2 * inset, radius);
}

// A lit strip under a gold line. It fades out over its last pixels instead of ending in an
// edge: the first button of some menus sits right below the titles, and no line runs through
// a label.
void Band(cairo_t* cr, const PixelRect& r, Colour top, Colour bottom) {
    const double w = r.right - r.left, h = r.bottom - r.top, fade = 16;
    cairo_pattern_t* g = cairo_pattern_create_linear(0, r.top, 0, r.bottom);
    cairo_pattern_add_color_stop_rgba(g, 0, top.r, top.g, top.b, 1);
    cairo_pattern_add_color_stop_rgba(g, 1 - fade / h, bottom.r, bottom.g, bottom.b, 1);
    cairo_pattern_add_color_stop_rgba(g, 1, bottom.r, bottom.g, bottom.b, 0);
    cairo_rectangle(cr, r.left, r.top, w, h);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    SetColour(cr, kGold, 0.85);
    cairo_rectangle(cr, r.left, r.top - 1, w, 1);
    cairo_fill(cr);
}

void MenuBackground(cairo_t* cr) {
    Backdrop(cr, 11);
    // Glow behind the title.
    cairo_pattern_t* g = cairo_pattern_create_radial(400, 120, 10, 400, 120, 330);
    cairo_pattern_add_color_stop_rgba(g, 0, 0.5, 0.3, 0.8, 0.45);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.5, 0.3, 0.8, 0);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    TitleText(cr, 400, 170, 84, "Rhombulus 2");
    // Panel for titles, buttons and lists.
    RoundedRect(cr, kMenuPanel, 0, 14);
    SetColour(cr, {0.02, 0.02, 0.08}, 0.72);
    cairo_fill(cr);
    RoundedRect(cr, kMenuPanel, 0, 14);
    cairo_set_line_width(cr, 3);
    SetColour(cr, kGold, 0.8);
    cairo_stroke(cr);
    RoundedRect(cr, kMenuPanel, 6, 10);
    cairo_set_line_width(cr, 1);
    SetColour(cr, {0.6, 0.6, 0.9}, 0.4);
    cairo_stroke(cr);
    // The band behind the screen titles, two lines high.
    Band(cr, kMenuTitleBand, {0.30, 0.18, 0.47}, {0.17, 0.09, 0.31});
    PaintDecorationStones(cr, "menuehg2.bmp");
}

void HelpBackground(cairo_t* cr) {
    Backdrop(cr, 57);
    const PixelRect& strip = kHelpTitleStrip;
    FillGradient(cr, 0, 0, 800, strip.bottom, {0.22, 0.14, 0.36}, {0.08, 0.05, 0.16});
    PaintDecorationStones(cr, "hilfehg.bmp");
    // One panel for the text and the pictures, which reach from the title strip down to the
    // extras' icons of the last page and across the whole width.
    RoundedRect(cr, kHelpPanel, 1, 10);
    SetColour(cr, {0.02, 0.02, 0.08}, 0.75);
    cairo_fill(cr);
    // A soft light behind the illustrations on the right, without an edge to run into.
    cairo_pattern_t* g = cairo_pattern_create_radial(660, 300, 20, 660, 300, 250);
    cairo_pattern_add_color_stop_rgba(g, 0, 0.3, 0.35, 0.65, 0.22);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.3, 0.35, 0.65, 0);
    RoundedRect(cr, kHelpPanel, 1, 10);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    RoundedRect(cr, kHelpPanel, 1, 10);
    cairo_set_line_width(cr, 2);
    SetColour(cr, kGold, 0.7);
    cairo_stroke(cr);
    SetColour(cr, kGold, 0.8);
    cairo_rectangle(cr, 0, strip.bottom, 800, 2);
    cairo_fill(cr);
    // Button band.
    FillGradient(cr, 0, 556, 800, 44, {0.08, 0.05, 0.16}, {0.22, 0.14, 0.36});
    SetColour(cr, kGold, 0.8);
    cairo_rectangle(cr, 0, 555, 800, 2);
    cairo_fill(cr);
    for (int x : {115, 400, 685}) {
        const double w = x == 400 ? 200 : 100;
        Plate(cr, x - w / 2, 561, w, 30, 10);
    }
}

// Copies a rectangle of a drawing into the target at (dx, dy).
void CopyFrom(cairo_t* cr, cairo_surface_t* from, int sx, int sy, int w, int h, int dx, int dy) {
    cairo_save(cr);
    cairo_rectangle(cr, dx, dy, w, h);
    cairo_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, from, dx - sx, dy - sy);
    cairo_paint(cr);
    cairo_restore(cr);
}

template <typename F>
cairo_surface_t* Render800(F paint) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 800, 600);
    cairo_t* c = cairo_create(s);
    paint(c);
    cairo_destroy(c);
    return s;
}

// The corner piece over the field's top right: the frame post, cut from the background so it
// joins seamlessly, and a gusset plate bolting the anchor row to it, clear of every stone.
void CornerPiece(cairo_t* cr, cairo_surface_t* background) {
    CopyFrom(cr, background, 630, 0, 11, 119, 49, 0);
    cairo_save(cr);
    cairo_translate(cr, -581, 0);
    cairo_move_to(cr, 581, 0);
    cairo_line_to(cr, 630, 0);
    cairo_line_to(cr, 630, 58);
    cairo_close_path(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(590, 0, 630, 50);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.66, 0.7, 0.8);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.22, 0.24, 0.32);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    cairo_set_line_width(cr, 1);
    SetColour(cr, {0.08, 0.08, 0.12});
    cairo_stroke(cr);
    cairo_move_to(cr, 590, 2.5);
    cairo_line_to(cr, 627.5, 2.5);
    cairo_line_to(cr, 627.5, 47);
    SetColour(cr, kGold, 0.7);
    cairo_stroke(cr);
    Screw(cr, 619, 9, 3);
    Screw(cr, 623, 34, 2.5);
    cairo_restore(cr);
}

// The panel behind the match buttons, centred under the time bars.
void MatchCentrePiece(cairo_t* cr) {
    MetalFrame(cr, 4, 0, 107, 199, 8);
    FillGradient(cr, 12, 8, 91, 183, {0.1, 0.1, 0.18}, {0.05, 0.05, 0.1});
    for (int y : {420, 467, 514, 559}) {
        Plate(cr, 8, y - 399 - 4, 99, 28, 8);
        SetColour(cr, {0.03, 0.03, 0.08}, 0.55);
        RoundedRectPath(cr, 13, y - 399, 89, 20, 5);
        cairo_fill(cr);
    }
}

void Splash(cairo_t* cr) {
    // A burst of stones around the name, on black.
    cairo_pattern_t* g = cairo_pattern_create_radial(200, 200, 10, 200, 200, 200);
    cairo_pattern_add_color_stop_rgba(g, 0, 0.35, 0.2, 0.6, 1);
    cairo_pattern_add_color_stop_rgba(g, 0.7, 0.1, 0.05, 0.25, 1);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.08, 0.04, 0.2, 1);
    DiamondPath(cr, 200, 200, 196, 196);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    DiamondPath(cr, 200, 200, 196, 196);
    cairo_set_line_width(cr, 3);
    SetColour(cr, kGold);
    cairo_stroke(cr);
    DiamondPath(cr, 200, 200, 186, 186);
    cairo_set_line_width(cr, 1);
    SetColour(cr, {0.7, 0.6, 1.0}, 0.6);
    cairo_stroke(cr);
    PaintDecorationStones(cr, "wuxsplash.bmp");
    TitleText(cr, 200, 218, 46, "Rhombulus 2");
}

// Text colour textures: vertical gradients over the 19 glyph rows with a bright band.
void Texture(cairo_t* cr, int n) {
    struct Stops {
        Colour top, mid, low, bottom;
    };
    static const Stops kStops[8] = {
        {},
        {{1.0, 1.0, 0.8}, {1.0, 0.82, 0.25}, {0.95, 0.5, 0.05}, {1.0, 0.8, 0.3}},    // titles
        {{1.0, 1.0, 1.0}, {1.0, 0.96, 0.65}, {0.98, 0.78, 0.3}, {1.0, 0.93, 0.6}},   // highlight
        {{0.9, 0.95, 1.0}, {0.62, 0.78, 1.0}, {0.38, 0.5, 0.9}, {0.65, 0.8, 1.0}},   // menu text
        {{1.0, 0.95, 0.85}, {1.0, 0.6, 0.25}, {0.95, 0.3, 0.1}, {1.0, 0.6, 0.3}},    // hovered
        {{1.0, 0.85, 0.85}, {1.0, 0.5, 0.45}, {0.8, 0.18, 0.2}, {0.95, 0.5, 0.45}},  // back
        {{0.06, 0.03, 0.12},
         {0.04, 0.02, 0.08},
         {0.02, 0.01, 0.05},
         {0.03, 0.02, 0.06}},                                                       // outline
        {{1.0, 1.0, 0.92}, {0.98, 0.92, 0.6}, {0.9, 0.72, 0.3}, {0.98, 0.9, 0.6}},  // symbols
    };
    const Stops& s = kStops[n];
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, 19);
    cairo_pattern_add_color_stop_rgb(g, 0.0, s.top.r, s.top.g, s.top.b);
    cairo_pattern_add_color_stop_rgb(g, 0.45, s.mid.r, s.mid.g, s.mid.b);
    cairo_pattern_add_color_stop_rgb(g, 0.75, s.low.r, s.low.g, s.low.b);
    cairo_pattern_add_color_stop_rgb(g, 1.0, s.bottom.r, s.bottom.g, s.bottom.b);
    cairo_pattern_set_extend(g, CAIRO_EXTEND_PAD);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
}

}  // namespace

bool PaintBackgroundPicture(std::string_view name, cairo_t* cr, const SheetLayout&) {
    if (name == "menuehg2.bmp") {
        MenuBackground(cr);
    } else if (name == "hilfehg.bmp") {
        HelpBackground(cr);
    } else if (name == "spielhg2.bmp" || name == "spielhg3.bmp") {
        GameBackground(cr, name == "spielhg3.bmp", {});
    } else if (name == "spielhgtwo1.bmp") {
        MatchBackground(cr, {false, true});
    } else if (name == "zeit.bmp") {
        cairo_surface_t* s = Render800([](cairo_t* c) { GameBackground(c, false, {true, false}); });
        CopyFrom(cr, s, kTubeX, kTubeY, kTubeW, kTubeH, 0, 0);
        cairo_surface_destroy(s);
    } else if (name == "puanzeige.bmp") {
        SetColour(cr, {0.1, 0.1, 0.15});
        cairo_paint(cr);
        cairo_surface_t* s = Render800([](cairo_t* c) { GameBackground(c, false, {false, true}); });
        CopyFrom(cr, s, kX2X, kX2Y, kX2W, kX2H, 10, 10);
        CopyFrom(cr, s, kFlashX, kFlashY, kFlashW, kFlashH, 45, 77);
        cairo_surface_destroy(s);
    } else if (name == "zeit2.bmp") {
        cairo_surface_t* s = Render800([](cairo_t* c) { MatchBackground(c, {true, true}); });
        CopyFrom(cr, s, kMatchTube1X, kMatchTubeY, 80, kMatchTubeH, 0, 0);
        cairo_surface_destroy(s);
    } else if (name.substr(0, 5) == "puanz" && name.size() == 14) {
        // Covers of the match lamps when off, centred where the renderer puts them.
        static const int kCovers[5][4] = {
            {}, {57, 69, 66, 65}, {293, 58, 66, 61}, {509, 57, 59, 60}, {743, 69, 59, 60}};
        const int i = name[5] - '0';
        const int* c = kCovers[i];
        cairo_surface_t* s = Render800([](cairo_t* ctx) { MatchBackground(ctx, {false, false}); });
        CopyFrom(cr, s, c[0] - c[2] / 2, c[1] - c[3] / 2, c[2], c[3], 0, 0);
        cairo_surface_destroy(s);
    } else if (name == "hgkorroben2.bmp") {
        cairo_surface_t* s = Render800([](cairo_t* c) { GameBackground(c, false, {}); });
        CornerPiece(cr, s);
        cairo_surface_destroy(s);
    } else if (name == "hgtwokorrmitte.bmp") {
        MatchCentrePiece(cr);
    } else if (name == "wuxsplash.bmp") {
        Splash(cr);
    } else if (name.substr(0, 12) == "schriftfarbe") {
        Texture(cr, name[12] - '0');
    } else {
        return false;
    }
    return true;
}

}  // namespace assetgen
