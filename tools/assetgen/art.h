// Shared drawing helpers and the painters of the game's pictures. Every painter draws one
// whole sheet into a cairo context of the sheet's size whose background is transparent.
#pragma once

#include <cairo.h>

#include <functional>
#include <string_view>

#include "picture_table.h"

namespace assetgen {

struct Colour {
    double r, g, b;
};

constexpr Colour Mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
constexpr Colour Lighter(Colour c, double t) {
    return Mix(c, {1, 1, 1}, t);
}
constexpr Colour Darker(Colour c, double t) {
    return Mix(c, {0, 0, 0}, t);
}

inline void SetColour(cairo_t* cr, Colour c, double alpha = 1.0) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

// Stone colours 1..9 (index 0 unused) and the anchor (10).
Colour StoneColour(int colour);

// Paths.
void DiamondPath(cairo_t* cr, double cx, double cy, double rx, double ry);
void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double r);
void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points,
              double rotation);

// A jewel-cut diamond stone of the given colour (1..9, 10 anchor) centred in a cell of
// size x size; withMount draws the bracket of a stone hanging from an anchor.
void PaintStone(cairo_t* cr, double cx, double cy, double size, int colour, bool withMount);
// Half diagonal of a stone in a cell of the given size: the cell keeps its first and last
// pixel rows free for the key colour.
double StoneRadius(double size);
// The bracket of a stone (or pipe piece) of half diagonal R hanging from an anchor up left.
void PaintMount(cairo_t* cr, double cx, double cy, double R);
// The path of the symbol that tells a stone colour apart without colour vision (not filled).
void PaintColourSymbol(cairo_t* cr, int colour, double cx, double cy, double size);

// Half diagonal of the flat table in the middle of a stone of the given cell size.
double StoneTableRadius(double size);
// Where a stone of the given cell size carries its symbol: offset from the stone's centre, the
// size passed to PaintColourSymbol, and the width of the outline outside the shape.
struct SymbolPlace {
    double dx, dy, size, outline;
};
SymbolPlace StoneSymbolPlace(double size);
// Smaller stones (the panel's jewel) are plain decoration without a symbol.
inline constexpr double kSmallestSymbolStone = 30;
// The symbol's fill and outline on a stone colour: whichever of a light or a dark fill stands
// out more from the face, outlined in the other tone.
struct SymbolTone {
    Colour fill, outline;
};
SymbolTone StoneSymbolTone(int colour);

// Luminance and contrast ratio as the web accessibility guidelines define them.
double RelativeLuminance(Colour c);
double ContrastRatio(Colour a, Colour b);

// Calls paint(cr, column, row, cellW, cellH) with the context translated to each cell and
// clipped to it.
void ForEachCell(cairo_t* cr, const SheetLayout& sheet,
                 const std::function<void(cairo_t*, int, int)>& paint);

// Painters by file name; false when the name has no painter.
bool PaintPicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet);

// Groups of painters, each in its own file.
bool PaintStonePicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet);
bool PaintBackgroundPicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet);
bool PaintSpritePicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet);
bool PaintExtraPicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet);
bool PaintPipePicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet);
bool PaintEffectPicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet);

}  // namespace assetgen
