// Stones: cut jewels on the diagonal lattice, each colour with its own symbol, and the
// metal anchors that hold the field from above.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace assetgen {

namespace {

// Chosen so that every pair still differs clearly in lightness or in the blue-yellow direction
// for players with a red-green or a blue-yellow colour vision deficiency; the symbols carry the
// rest.
constexpr Colour kStoneColours[11] = {
    {0.5, 0.5, 0.5},     // unused
    {0.79, 0.00, 0.00},  // 1 ruby red, disc
    {0.00, 0.28, 0.89},  // 2 sapphire blue, square
    {0.38, 0.70, 0.46},  // 3 jade green, triangle
    {1.00, 0.89, 0.15},  // 4 topaz yellow, star
    {0.71, 0.48, 1.00},  // 5 amethyst violet, plus
    {0.98, 0.36, 0.03},  // 6 amber orange, hourglass
    {0.19, 0.95, 1.00},  // 7 aquamarine cyan, two bars
    {0.60, 0.24, 0.46},  // 8 garnet plum, heart
    {1.00, 1.00, 0.92},  // 9 pearl white, cross
    {0.56, 0.60, 0.66},  // 10 anchor steel
};

void Polygon(cairo_t* cr, std::initializer_list<std::pair<double, double>> pts) {
    bool first = true;
    for (auto [x, y] : pts) {
        if (first) {
            cairo_move_to(cr, x, y);
        } else {
            cairo_line_to(cr, x, y);
        }
        first = false;
    }
    cairo_close_path(cr);
}

// The four bevel facets and the table of a diamond, lit from the top left.
void PaintFacets(cairo_t* cr, double cx, double cy, double R, double r, Colour base,
                 double contrast) {
    const double t = cy - R, b = cy + R, l = cx - R, rt = cx + R;
    const double it = cy - r, ib = cy + r, il = cx - r, ir = cx + r;
    SetColour(cr, Lighter(base, 0.50 * contrast));
    Polygon(cr, {{cx, t}, {l, cy}, {il, cy}, {cx, it}});
    cairo_fill(cr);
    SetColour(cr, Lighter(base, 0.18 * contrast));
    Polygon(cr, {{cx, t}, {rt, cy}, {ir, cy}, {cx, it}});
    cairo_fill(cr);
    SetColour(cr, Darker(base, 0.22 * contrast));
    Polygon(cr, {{l, cy}, {cx, b}, {cx, ib}, {il, cy}});
    cairo_fill(cr);
    SetColour(cr, Darker(base, 0.50 * contrast));
    Polygon(cr, {{rt, cy}, {cx, b}, {cx, ib}, {ir, cy}});
    cairo_fill(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(cx - r, cy - r, cx + r, cy + r);
    cairo_pattern_add_color_stop_rgb(g, 0, Lighter(base, 0.35).r, Lighter(base, 0.35).g,
                                     Lighter(base, 0.35).b);
    cairo_pattern_add_color_stop_rgb(g, 0.55, base.r, base.g, base.b);
    cairo_pattern_add_color_stop_rgb(g, 1, Darker(base, 0.25).r, Darker(base, 0.25).g,
                                     Darker(base, 0.25).b);
    DiamondPath(cr, cx, cy, r, r);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // Facet edges catch the light.
    cairo_set_line_width(cr, std::max(0.6, R / 30));
    SetColour(cr, Lighter(base, 0.6), 0.55);
    cairo_move_to(cr, cx, t);
    cairo_line_to(cr, cx, it);
    cairo_move_to(cr, l, cy);
    cairo_line_to(cr, il, cy);
    cairo_stroke(cr);
    SetColour(cr, Darker(base, 0.6), 0.45);
    cairo_move_to(cr, rt, cy);
    cairo_line_to(cr, ir, cy);
    cairo_move_to(cr, cx, b);
    cairo_line_to(cr, cx, ib);
    cairo_stroke(cr);
    DiamondPath(cr, cx, cy, r, r);
    SetColour(cr, Lighter(base, 0.7), 0.35);
    cairo_stroke(cr);
}

void Glint(cairo_t* cr, double x, double y, double s, double alpha) {
    SetColour(cr, {1, 1, 1}, alpha);
    StarPath(cr, x, y, s, s * 0.22, 4, 0);
    cairo_fill(cr);
    cairo_arc(cr, x, y, s * 0.28, 0, 2 * M_PI);
    cairo_fill(cr);
}

void AnchorBody(cairo_t* cr, double cx, double cy, double R) {
    const Colour steel = kStoneColours[10];
    PaintFacets(cr, cx, cy, R, R * 0.62, steel, 1.0);
    // Brushed plate in the middle with a bolt head.
    cairo_pattern_t* g =
        cairo_pattern_create_radial(cx - R * 0.12, cy - R * 0.12, R * 0.02, cx, cy, R * 0.3);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.95, 0.96, 0.98);
    cairo_pattern_add_color_stop_rgb(g, 0.5, 0.62, 0.65, 0.70);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.30, 0.32, 0.36);
    cairo_arc(cr, cx, cy, R * 0.3, 0, 2 * M_PI);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    cairo_set_line_width(cr, std::max(0.8, R / 22));
    SetColour(cr, {0.15, 0.16, 0.19});
    cairo_stroke(cr);
    // Hexagon socket.
    SetColour(cr, {0.2, 0.22, 0.26});
    for (int i = 0; i < 6; ++i) {
        const double a = i * M_PI / 3;
        const double x = cx + R * 0.13 * std::cos(a), y = cy + R * 0.13 * std::sin(a);
        if (i == 0) {
            cairo_move_to(cr, x, y);
        } else {
            cairo_line_to(cr, x, y);
        }
    }
    cairo_close_path(cr);
    cairo_fill(cr);
    // Rivets at the four inner corners.
    for (int i = 0; i < 4; ++i) {
        const double a = i * M_PI / 2;
        const double x = cx + R * 0.62 * std::cos(a) * 0.78, y = cy + R * 0.62 * std::sin(a) * 0.78;
        cairo_arc(cr, x, y, std::max(1.0, R * 0.07), 0, 2 * M_PI);
        SetColour(cr, {0.85, 0.87, 0.9});
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 0.6);
        SetColour(cr, {0.2, 0.2, 0.24});
        cairo_stroke(cr);
    }
}

}  // namespace

// A steel clamp on the stone's upper-left edge that reaches into the gap towards the anchor.
void PaintMount(cairo_t* cr, double cx, double cy, double R) {
    const double ex = cx - R / 2, ey = cy - R / 2;  // midpoint of the upper-left edge
    const double u = R / 27.0;
    cairo_save(cr);
    cairo_translate(cr, ex, ey);
    cairo_rotate(cr, M_PI / 4);  // x runs along the edge, y into the stone
    cairo_pattern_t* g = cairo_pattern_create_linear(0, -9 * u, 0, 7 * u);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.92, 0.93, 0.96);
    cairo_pattern_add_color_stop_rgb(g, 0.5, 0.58, 0.61, 0.67);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.28, 0.30, 0.35);
    RoundedRectPath(cr, -8 * u, -9 * u, 16 * u, 15 * u, 2.5 * u);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    cairo_set_line_width(cr, 1.0 * u);
    SetColour(cr, {0.12, 0.13, 0.16});
    cairo_stroke(cr);
    for (double x : {-4.2 * u, 4.2 * u}) {
        cairo_arc(cr, x, 1.5 * u, 1.6 * u, 0, 2 * M_PI);
        SetColour(cr, {0.95, 0.95, 0.97});
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 0.6 * u);
        SetColour(cr, {0.2, 0.2, 0.24});
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

Colour StoneColour(int colour) {
    if (colour < 1 || colour > 10) return kStoneColours[0];
    return kStoneColours[colour];
}

void PaintColourSymbol(cairo_t* cr, int colour, double cx, double cy, double s) {
    cairo_new_path(cr);
    switch (colour) {
        case 1:  // disc, the one round symbol
            cairo_arc(cr, cx, cy, s * 0.44, 0, 2 * M_PI);
            break;
        case 2:  // square
            cairo_rectangle(cr, cx - s * 0.38, cy - s * 0.38, s * 0.76, s * 0.76);
            break;
        case 3:  // triangle pointing up
            Polygon(cr, {{cx, cy - s * 0.52},
                         {cx + s * 0.52, cy + s * 0.40},
                         {cx - s * 0.52, cy + s * 0.40}});
            break;
        case 4:  // five-pointed star
            StarPath(cr, cx, cy + s * 0.05, s * 0.58, s * 0.25, 5, 0);
            break;
        case 5:  // plus
            cairo_rectangle(cr, cx - s * 0.17, cy - s * 0.50, s * 0.34, s * 1.00);
            cairo_rectangle(cr, cx - s * 0.50, cy - s * 0.17, s * 1.00, s * 0.34);
            break;
        case 6:  // hourglass: two triangles meeting at their tips
            Polygon(cr, {{cx - s * 0.44, cy - s * 0.50},
                         {cx + s * 0.44, cy - s * 0.50},
                         {cx + s * 0.07, cy},
                         {cx + s * 0.44, cy + s * 0.50},
                         {cx - s * 0.44, cy + s * 0.50},
                         {cx - s * 0.07, cy}});
            break;
        case 7:  // two bars
            cairo_rectangle(cr, cx - s * 0.48, cy - s * 0.42, s * 0.96, s * 0.32);
            cairo_rectangle(cr, cx - s * 0.48, cy + s * 0.10, s * 0.96, s * 0.32);
            break;
        case 8:  // heart
            cairo_move_to(cr, cx, cy + s * 0.50);
            cairo_curve_to(cr, cx - s * 0.72, cy + s * 0.02, cx - s * 0.46, cy - s * 0.62, cx,
                           cy - s * 0.22);
            cairo_curve_to(cr, cx + s * 0.46, cy - s * 0.62, cx + s * 0.72, cy + s * 0.02, cx,
                           cy + s * 0.50);
            cairo_close_path(cr);
            break;
        case 9:  // diagonal cross
            cairo_save(cr);
            cairo_translate(cr, cx, cy);
            cairo_rotate(cr, M_PI / 4);
            cairo_rectangle(cr, -s * 0.16, -s * 0.56, s * 0.32, s * 1.12);
            cairo_rectangle(cr, -s * 0.56, -s * 0.16, s * 1.12, s * 0.32);
            cairo_restore(cr);
            break;
        default:
            return;
    }
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

double StoneRadius(double size) {
    return size / 2 - 3.3;
}

double StoneTableRadius(double size) {
    return StoneRadius(size) * 0.6;
}

SymbolPlace StoneSymbolPlace(double size) {
    const double r = StoneTableRadius(size);
    return {0.0, 0.0, r * 1.12, std::max(1.0, size / 48)};
}

double RelativeLuminance(Colour c) {
    auto lin = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(c.r) + 0.7152 * lin(c.g) + 0.0722 * lin(c.b);
}

double ContrastRatio(Colour a, Colour b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

SymbolTone StoneSymbolTone(int colour) {
    const Colour base = StoneColour(colour);
    const SymbolTone light{Lighter(base, 0.9), Darker(base, 0.72)};
    const SymbolTone dark{Darker(base, 0.86), Lighter(base, 0.7)};
    return ContrastRatio(light.fill, base) >= ContrastRatio(dark.fill, base) ? light : dark;
}

void PaintStone(cairo_t* cr, double cx, double cy, double size, int colour, bool withMount) {
    const double R = StoneRadius(size);
    const double r = StoneTableRadius(size);
    // Shadow and dark rim.
    SetColour(cr, {0.04, 0.03, 0.08}, 0.9);
    DiamondPath(cr, cx + 1.0, cy + 1.2, R + 0.9, R + 0.9);
    cairo_fill(cr);
    if (colour == 10) {
        AnchorBody(cr, cx, cy, R);
        return;
    }
    const Colour base = StoneColour(colour);
    PaintFacets(cr, cx, cy, R, r, base, colour == 9 ? 0.7 : 1.0);
    // The symbol on the table, outlined in the opposite tone so its silhouette holds on every
    // shade of the face; stones too small to show it legibly stay plain.
    if (size >= kSmallestSymbolStone) {
        const SymbolPlace place = StoneSymbolPlace(size);
        const SymbolTone tone = StoneSymbolTone(colour);
        PaintColourSymbol(cr, colour, cx + place.dx, cy + place.dy, place.size);
        cairo_set_line_width(cr, 2 * place.outline);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        SetColour(cr, tone.outline);
        cairo_stroke_preserve(cr);
        SetColour(cr, tone.fill);
        cairo_fill(cr);
    }
    // Glints.
    Glint(cr, cx - R * 0.42, cy - R * 0.40, R * 0.2, 0.95);
    SetColour(cr, {1, 1, 1}, 0.35);
    cairo_set_line_width(cr, std::max(1.0, R / 14));
    cairo_move_to(cr, cx - R * 0.82, cy - R * 0.08);
    cairo_line_to(cr, cx - R * 0.12, cy - R * 0.78);
    cairo_stroke(cr);
    if (withMount) PaintMount(cr, cx, cy, R);
}

bool PaintStonePicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet) {
    if (name != "steine3.bmp" && name != "steine2.bmp") return false;
    ForEachCell(cr, sheet, [&](cairo_t* c, int col, int row) {
        const double h = sheet.cellW / 2 + 0.5;
        PaintStone(c, h, h, sheet.cellW, row + 1, col == 1 && row + 1 != 10);
    });
    return true;
}

}  // namespace assetgen
