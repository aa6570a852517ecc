// Measurements the picture checks make on the built bitmaps: how a colour symbol stands out
// from its stone, how far apart the stone colours stay for players with a colour vision
// deficiency, and whether texts and pictures keep inside the bands and panels drawn for them.
// Each takes the pixels it judges, so a test can feed it a deliberately broken picture.
#pragma once

#include <string>
#include <vector>

#include "decorations.h"
#include "platform/surface.h"

namespace piccheck {

// What the checks ask for. A symbol must stand out from its stone at least as much as large
// text needs to; stone colours must stay clearly apart, about two steps of a colour chart,
// under each kind of vision; a text's outline must set it off like small body text.
inline constexpr double kSymbolContrast = 3.0;
inline constexpr double kColourDistance = 12.0;
inline constexpr double kOutlineContrast = 4.5;

// A colour with channels 0..255 as the bitmaps store them (sRGB).
struct Colour {
    double r = 0, g = 0, b = 0;
};

Colour FromPixel(std::uint32_t p);
// Relative luminance and contrast ratio of the web accessibility guidelines.
double Luminance(const Colour& c);
double ContrastRatio(const Colour& a, const Colour& b);

enum class Vision { kNormal, kProtanopia, kDeuteranopia, kTritanopia };
const char* VisionName(Vision v);
// Machado, Oliveira and Fernandes' simulation at full severity, applied in linear light.
Colour Simulate(const Colour& c, Vision v);
// CIEDE2000 colour difference of two sRGB colours.
double DeltaE2000(const Colour& a, const Colour& b);

// The symbol of a stone centred at (cx, cy) in the picture: the mean colour of the symbol's
// inside and of the stone's face around it (table and bevels), outside the symbol's outline. The
// regions come from the generator's own geometry for a stone of that size and colour.
struct SymbolReading {
    Colour symbol, face;
    int symbolPixels = 0, facePixels = 0;
    double Contrast() const { return ContrastRatio(symbol, face); }
};
SymbolReading ReadSymbol(const Surface& picture, double cx, double cy, double size, int colour);

// The symbol stands out from the face around it, and both regions were found.
bool SymbolStandsOut(const SymbolReading& r);

// The closest pair of colours under one kind of vision.
struct ClosestPair {
    double distance = 0;
    int first = 0, second = 0;  // indexes into the list, from 1
};
ClosestPair ClosestColours(const std::vector<Colour>& colours, Vision v);

// Every pair of the colours stays kColourDistance apart under every kind of vision.
bool ColoursStayApart(const std::vector<Colour>& colours);

// The box a queued text covers on screen: its glyphs, the outline one pixel around them and the
// shadow three pixels down and right.
assetgen::PixelRect TextBox(int left, int top, int width);
bool Inside(const assetgen::PixelRect& inner, const assetgen::PixelRect& outer);
// Whether a box lies inside one of the panels.
bool InsideOneOf(const assetgen::PixelRect& box, const std::vector<assetgen::PixelRect>& panels);
// The smallest box around every pixel that differs from `blank`; empty (all zero) if none does.
assetgen::PixelRect ChangedBox(const Surface& picture, std::uint32_t blank);

// A text drawn over a plain fill: how close its body (the bright glyph pixels) comes to the
// fill, in pixels; 0 when a body pixel touches the fill even diagonally. Pixels no brighter
// than `outlineLuminance` count as outline.
int OutlineWidth(const Surface& screen, std::uint32_t fill, double outlineLuminance);

std::string Describe(const assetgen::PixelRect& r);

}  // namespace piccheck
