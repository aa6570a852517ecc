// Pipe mode: the pipe pieces empty and filled, the two barrels with their water, the tap and
// the highlight of the chosen piece in the column.
#include <cmath>

#include "art.h"

namespace assetgen {

namespace {

constexpr Colour kSlate{0.30, 0.33, 0.42};
constexpr Colour kCopper{0.85, 0.52, 0.25};
constexpr Colour kGoldPipe{0.98, 0.80, 0.25};
constexpr Colour kWater{0.15, 0.55, 1.0};

void Linear(cairo_t* cr, double x0, double y0, double x1, double y1, Colour a, Colour b) {
    cairo_pattern_t* g = cairo_pattern_create_linear(x0, y0, x1, y1);
    cairo_pattern_add_color_stop_rgb(g, 0, a.r, a.g, a.b);
    cairo_pattern_add_color_stop_rgb(g, 1, b.r, b.g, b.b);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
}

// A bevelled slate tile: the body every piece shares.
void Tile(cairo_t* cr, double cx, double cy, double R, Colour base) {
    SetColour(cr, {0.04, 0.03, 0.08}, 0.9);
    DiamondPath(cr, cx + 1.0, cy + 1.2, R + 0.9, R + 0.9);
    cairo_fill(cr);
    DiamondPath(cr, cx, cy, R, R);
    Linear(cr, cx - R / 2, cy - R / 2, cx + R / 2, cy + R / 2, Lighter(base, 0.3),
           Darker(base, 0.3));
    cairo_fill(cr);
    DiamondPath(cr, cx, cy, R - 4, R - 4);
    Linear(cr, cx - R / 2, cy - R / 2, cx + R / 2, cy + R / 2, Darker(base, 0.15),
           Lighter(base, 0.1));
    cairo_fill(cr);
    DiamondPath(cr, cx, cy, R, R);
    cairo_set_line_width(cr, 1);
    SetColour(cr, Lighter(base, 0.5), 0.5);
    cairo_stroke(cr);
}

enum Opening { kNW, kNE, kSW, kSE };

// The path of the pipe's centre line for a kind with two openings.
void PipePath(cairo_t* cr, int kind, double cx, double cy, double R) {
    const double h = R / 2, e = 3.0;  // the pipe reaches a little beyond the edge
    const double d = R / std::sqrt(2.0);
    switch (kind) {
        case 1:  // NW - SE
            cairo_move_to(cr, cx - h - e, cy - h - e);
            cairo_line_to(cr, cx + h + e, cy + h + e);
            break;
        case 2:  // NE - SW
            cairo_move_to(cr, cx + h + e, cy - h - e);
            cairo_line_to(cr, cx - h - e, cy + h + e);
            break;
        case 3:  // NE - SE, round the right corner
            cairo_move_to(cr, cx + h + e, cy - h - e);
            cairo_line_to(cr, cx + h, cy - h);
            cairo_arc_negative(cr, cx + R, cy, d, -3 * M_PI / 4, 3 * M_PI / 4);
            cairo_line_to(cr, cx + h + e, cy + h + e);
            break;
        case 4:  // NW - NE, round the top corner
            cairo_move_to(cr, cx - h - e, cy - h - e);
            cairo_line_to(cr, cx - h, cy - h);
            cairo_arc_negative(cr, cx, cy - R, d, 3 * M_PI / 4, M_PI / 4);
            cairo_line_to(cr, cx + h + e, cy - h - e);
            break;
        case 5:  // NW - SW, round the left corner
            cairo_move_to(cr, cx - h - e, cy - h - e);
            cairo_line_to(cr, cx - h, cy - h);
            cairo_arc(cr, cx - R, cy, d, -M_PI / 4, M_PI / 4);
            cairo_line_to(cr, cx - h - e, cy + h + e);
            break;
        case 6:  // SW - SE, round the bottom corner
            cairo_move_to(cr, cx - h - e, cy + h + e);
            cairo_line_to(cr, cx - h, cy + h);
            cairo_arc(cr, cx, cy + R, d, -3 * M_PI / 4, -M_PI / 4);
            cairo_line_to(cr, cx + h + e, cy + h + e);
            break;
        default:
            break;
    }
}

void Openings(int kind, Opening out[2]) {
    static const Opening k[7][2] = {{kNW, kNW}, {kNW, kSE}, {kNE, kSW}, {kNE, kSE},
                                    {kNW, kNE}, {kNW, kSW}, {kSW, kSE}};
    out[0] = k[kind][0];
    out[1] = k[kind][1];
}

void Pipe(cairo_t* cr, int kind, double cx, double cy, double R, bool filled, Colour metal) {
    const double w = R * 0.46;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    PipePath(cr, kind, cx, cy, R);
    cairo_set_line_width(cr, w + 2.5);
    SetColour(cr, {0.08, 0.05, 0.05});
    cairo_stroke(cr);
    PipePath(cr, kind, cx, cy, R);
    cairo_set_line_width(cr, w);
    SetColour(cr, Darker(metal, 0.35));
    cairo_stroke(cr);
    PipePath(cr, kind, cx, cy, R);
    cairo_set_line_width(cr, w * 0.62);
    SetColour(cr, metal);
    cairo_stroke(cr);
    PipePath(cr, kind, cx, cy, R);
    cairo_set_line_width(cr, w * 0.22);
    SetColour(cr, Lighter(metal, 0.6));
    cairo_stroke(cr);
    if (filled) {
        // Water glows through a glass window along the pipe.
        PipePath(cr, kind, cx, cy, R);
        cairo_set_line_width(cr, w * 0.66);
        SetColour(cr, kWater);
        cairo_stroke(cr);
        PipePath(cr, kind, cx, cy, R);
        cairo_set_line_width(cr, w * 0.18);
        SetColour(cr, {0.75, 0.95, 1.0});
        cairo_stroke(cr);
    }
    // Flanges at the openings.
    Opening o[2];
    Openings(kind, o);
    for (Opening op : o) {
        const double sx = (op == kNE || op == kSE) ? 1 : -1;
        const double sy = (op == kSW || op == kSE) ? 1 : -1;
        const double ex = cx + sx * (R / 2 - 1.5), ey = cy + sy * (R / 2 - 1.5);
        cairo_save(cr);
        cairo_translate(cr, ex, ey);
        cairo_rotate(cr, std::atan2(sy, sx));
        cairo_rectangle(cr, -2, -w / 2 - 2, 4, w + 4);
        cairo_restore(cr);
        Linear(cr, ex - 4, ey - 4, ex + 4, ey + 4, Lighter(metal, 0.4), Darker(metal, 0.4));
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 0.8);
        SetColour(cr, {0.08, 0.05, 0.05});
        cairo_stroke(cr);
    }
}

void Bolt(cairo_t* cr, double x, double y, double r) {
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    Linear(cr, x - r, y - r, x + r, y + r, {0.9, 0.9, 0.95}, {0.3, 0.3, 0.38});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 0.6);
    SetColour(cr, {0.1, 0.1, 0.15});
    cairo_stroke(cr);
}

// Cell contents by row (kind); row 7, the barrel stone, is never drawn and stays empty.
void Piece(cairo_t* cr, int kind, bool filled, bool mount, double size) {
    const double c = size / 2 + 0.5;
    const double R = StoneRadius(size);
    if (kind == 7) return;
    if (kind == 10) {
        PaintStone(cr, c, c, size, 10, false);
        return;
    }
    if (kind == 9) {
        // Obstacle: a cracked rock plate with warning stripes.
        Tile(cr, c, c, R, {0.42, 0.36, 0.30});
        cairo_save(cr);
        DiamondPath(cr, c, c, R - 5, R - 5);
        cairo_clip(cr);
        for (int i = -6; i <= 6; ++i) {
            cairo_move_to(cr, c + i * 8, c - R);
            cairo_line_to(cr, c + i * 8 + 4, c - R);
            cairo_line_to(cr, c + i * 8 + 4 - 2 * R, c + R);
            cairo_line_to(cr, c + i * 8 - 2 * R, c + R);
            cairo_close_path(cr);
        }
        SetColour(cr, {0.95, 0.75, 0.1});
        cairo_fill(cr);
        cairo_restore(cr);
        DiamondPath(cr, c, c, R - 5, R - 5);
        cairo_set_line_width(cr, 1.5);
        SetColour(cr, {0.1, 0.08, 0.06});
        cairo_stroke(cr);
        cairo_move_to(cr, c - 8, c - 10);
        cairo_line_to(cr, c - 2, c - 3);
        cairo_line_to(cr, c - 5, c + 3);
        cairo_line_to(cr, c + 3, c + 11);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    } else if (kind == 8) {
        // Filler: a plain capped plate that carries no water.
        Tile(cr, c, c, R, {0.38, 0.40, 0.48});
        const double s = R * 0.35;
        for (auto [dx, dy] : {std::pair{0.0, -s}, {s, 0.0}, {0.0, s}, {-s, 0.0}}) {
            Bolt(cr, c + dx, c + dy, R * 0.09 + 0.6);
        }
        DiamondPath(cr, c, c, R * 0.18, R * 0.18);
        SetColour(cr, {0.2, 0.22, 0.3});
        cairo_fill(cr);
    } else {
        const bool preset = kind >= 11;
        const int shape = preset ? kind - 10 : kind;
        // A piece the water has reached glows blue through its plate, so the way the water
        // took stands out from the pieces still dry.
        const Colour plate = preset ? (filled ? Colour{0.36, 0.34, 0.66} : Colour{0.45, 0.32, 0.5})
                                    : (filled ? Colour{0.22, 0.38, 0.62} : kSlate);
        Tile(cr, c, c, R, plate);
        if (preset) {
            // Bonus piece placed by the level: a gold pipe over a star.
            SetColour(cr, {1.0, 0.85, 0.3}, 0.55);
            StarPath(cr, c, c, R * 0.75, R * 0.32, 5, 0);
            cairo_fill(cr);
        }
        Pipe(cr, shape, c, c, R, filled, preset ? kGoldPipe : kCopper);
    }
    if (mount) PaintMount(cr, c, c, R);
}

// Barrel front in a 116 x 116 cell with its centre at (cx, cy); the water window spans rows
// 14..74, the tap covers (46, 76)-(70, 99) of the source barrel.
void BarrelFront(cairo_t* cr, bool source) {
    const double cx = source ? 57.5 : 58.5, cy = cx;
    const Colour trim = source ? Colour{0.3, 0.6, 1.0} : Colour{1.0, 0.78, 0.25};
    // Body: a bulging barrel of staves.
    cairo_move_to(cr, cx - 38, cy - 52);
    cairo_curve_to(cr, cx - 52, cy - 20, cx - 52, cy + 20, cx - 38, cy + 50);
    cairo_line_to(cr, cx + 38, cy + 50);
    cairo_curve_to(cr, cx + 52, cy + 20, cx + 52, cy - 20, cx + 38, cy - 52);
    cairo_close_path(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(cx - 50, 0, cx + 50, 0);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.32, 0.18, 0.08);
    cairo_pattern_add_color_stop_rgb(g, 0.35, 0.72, 0.46, 0.22);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.28, 0.15, 0.06);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    cairo_set_line_width(cr, 1.5);
    SetColour(cr, {0.12, 0.06, 0.02});
    cairo_stroke(cr);
    for (int i = -3; i <= 3; ++i) {
        const double x = cx + i * 13;
        cairo_move_to(cr, x, cy - 51);
        cairo_curve_to(cr, x * 1.0 + i * 2, cy - 20, x + i * 2, cy + 20, x, cy + 49);
    }
    cairo_set_line_width(cr, 1);
    SetColour(cr, {0.2, 0.1, 0.04}, 0.7);
    cairo_stroke(cr);
    // Hoops.
    for (double y : {cy - 44, cy + 41}) {
        cairo_rectangle(cr, cx - 45, y, 90, 6);
        Linear(cr, 0, y, 0, y + 6, Lighter(trim, 0.4), Darker(trim, 0.4));
        cairo_fill(cr);
    }
    // Water window (empty glass; the water is drawn over it).
    RoundedRectPath(cr, cx - 29, 13 - 1, 58, 63, 8);
    SetColour(cr, {0.08, 0.06, 0.05});
    cairo_fill(cr);
    RoundedRectPath(cr, cx - 27, 14, 54, 60, 7);
    Linear(cr, 0, 14, 0, 74, {0.1, 0.14, 0.25}, {0.04, 0.05, 0.1});
    cairo_fill(cr);
    cairo_move_to(cr, cx - 20, 20);
    cairo_line_to(cr, cx - 20, 66);
    cairo_set_line_width(cr, 3);
    SetColour(cr, {1, 1, 1}, 0.25);
    cairo_stroke(cr);
    if (!source) {
        // The target carries a chequered flag.
        const double fx = cx + 24, fy = cy + 20;
        cairo_rectangle(cr, fx - 1, fy - 2, 2, 26);
        SetColour(cr, {0.85, 0.85, 0.9});
        cairo_fill(cr);
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 3; ++j) {
                cairo_rectangle(cr, fx + 1 + i * 3.5, fy - 2 + j * 3.5, 3.5, 3.5);
                SetColour(cr, (i + j) % 2 ? Colour{0.1, 0.1, 0.1} : Colour{1, 1, 1});
                cairo_fill(cr);
            }
        }
    } else {
        // Plate behind the tap.
        RoundedRectPath(cr, 44, 75, 28, 26, 4);
        Linear(cr, 0, 75, 0, 101, {0.7, 0.72, 0.8}, {0.3, 0.32, 0.4});
        cairo_fill(cr);
    }
    // Outlet (source) or inlet (target) pipe meeting the first or last piece's flange.
    const double sx = source ? 1 : -1;
    const double x0 = cx + sx * 8, y0 = cy + 38, x1 = cx + sx * 16, y1 = cy + 46;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_set_line_width(cr, 13);
    SetColour(cr, {0.08, 0.05, 0.05});
    cairo_stroke(cr);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_set_line_width(cr, 10);
    SetColour(cr, Darker(kCopper, 0.3));
    cairo_stroke(cr);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_set_line_width(cr, 5);
    SetColour(cr, kCopper);
    cairo_stroke(cr);
    cairo_save(cr);
    cairo_translate(cr, x1 - sx * 2, y1 - 2);
    cairo_rotate(cr, std::atan2(1.0, sx));
    cairo_rectangle(cr, -2, -8, 4, 16);
    cairo_restore(cr);
    SetColour(cr, Lighter(kCopper, 0.3));
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 0.8);
    SetColour(cr, {0.08, 0.05, 0.05});
    cairo_stroke(cr);
}

// Water column (left cell): the renderer shows its rows 89 - level .. 89 over the window.
void BarrelWater(cairo_t* cr, bool source) {
    const double cx = source ? 57.5 : 58.5;
    cairo_save(cr);
    RoundedRectPath(cr, cx - 27, 14, 54, 60, 7);
    cairo_clip(cr);
    Linear(cr, 0, 14, 0, 74, {0.35, 0.75, 1.0}, {0.05, 0.3, 0.8});
    cairo_paint(cr);
    for (int i = 0; i < 9; ++i) {
        const double bx = cx - 22 + (i * 37 % 44), by = 20 + (i * 23 % 50);
        cairo_arc(cr, bx, by, 1.5 + (i % 3), 0, 2 * M_PI);
        SetColour(cr, {0.85, 0.95, 1.0}, 0.8);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    cairo_rectangle(cr, cx - 22, 14, 4, 60);
    SetColour(cr, {1, 1, 1}, 0.3);
    cairo_fill(cr);
    cairo_restore(cr);
}

// Tap frames: the valve wheel turns a further eighth of its spokes each frame.
void Tap(cairo_t* cr, int frame) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 116, 116);
    cairo_t* c = cairo_create(s);
    BarrelFront(c, true);
    cairo_destroy(c);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.25);
    cairo_paint(cr);
    cairo_set_source_surface(cr, s, -46, -76);
    cairo_paint(cr);
    cairo_surface_destroy(s);
    const double x = 12, y = 11.5;
    cairo_rectangle(cr, x - 2.5, y, 5, 11.5);
    SetColour(cr, {0.6, 0.45, 0.15});
    cairo_fill(cr);
    cairo_arc(cr, x, y, 8.5, 0, 2 * M_PI);
    SetColour(cr, {0.1, 0.05, 0.05});
    cairo_fill(cr);
    cairo_arc(cr, x, y, 7.5, 0, 2 * M_PI);
    cairo_set_line_width(cr, 2.2);
    SetColour(cr, {0.9, 0.15, 0.12});
    cairo_stroke(cr);
    for (int i = 0; i < 4; ++i) {
        const double a = frame * M_PI / 8 + i * M_PI / 2;
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + 7.5 * std::cos(a), y + 7.5 * std::sin(a));
    }
    cairo_set_line_width(cr, 1.8);
    SetColour(cr, {0.75, 0.1, 0.08});
    cairo_stroke(cr);
    cairo_arc(cr, x, y, 2.2, 0, 2 * M_PI);
    SetColour(cr, {1.0, 0.85, 0.4});
    cairo_fill(cr);
}

void ChoiceHighlight(cairo_t* cr) {
    const double c = 34.5;
    for (int i = 0; i < 3; ++i) {
        DiamondPath(cr, c, c, 31.5 - i * 1.5, 31.5 - i * 1.5);
        cairo_set_line_width(cr, 2);
        SetColour(cr, Mix({1.0, 0.7, 0.1}, {1, 1, 0.85}, i / 2.0));
        cairo_stroke(cr);
    }
    for (auto [dx, dy] : {std::pair{0.0, -29.0}, {29.0, 0.0}, {0.0, 29.0}, {-29.0, 0.0}}) {
        SetColour(cr, {1, 1, 1});
        StarPath(cr, c + dx, c + dy, 4.5, 1.2, 4, 0);
        cairo_fill(cr);
    }
}

}  // namespace

bool PaintPipePicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet) {
    if (name == "pipes.bmp" || name == "pipevoll.bmp") {
        const bool filled = name == "pipevoll.bmp";
        ForEachCell(cr, sheet, [&](cairo_t* c, int col, int row) {
            Piece(c, row + 1, filled, col == 1, sheet.cellW);
        });
    } else if (name == "pipeaus.bmp" || name == "pipeein.bmp") {
        const bool source = name == "pipeaus.bmp";
        ForEachCell(cr, sheet, [&](cairo_t* c, int col, int) {
            if (col == 0) {
                BarrelWater(c, source);
            } else {
                BarrelFront(c, source);
            }
        });
    } else if (name == "hahn.bmp") {
        ForEachCell(cr, sheet, [&](cairo_t* c, int col, int) { Tap(c, col); });
    } else if (name == "pipefummel2.bmp") {
        ChoiceHighlight(cr);
    } else {
        return false;
    }
    return true;
}

}  // namespace assetgen
