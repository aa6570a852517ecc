// The extras table: the extras falling out of destroyed stones and the one the cannon holds.
#pragma once

#include <array>

#include "core/fields.h"

constexpr int kMaxExtras = 50;

// Sprite cell of an extra: width, height and the half width the catch test uses.
struct ExtraSprite {
    int w = 0;
    int h = 0;
    int halfW = 0;
};
using ExtraSprites = std::array<ExtraSprite, 8>;  // indexed by extra type 1..7

inline constexpr ExtraSprites kSingleExtraSprites = {{
    {0, 0, 0},
    {52, 51, 26},  // clock
    {59, 55, 30},  // bomb
    {57, 57, 28},  // colourer
    {43, 75, 21},  // arrow
    {57, 57, 28},  // rainbow
    {50, 50, 25},  // X2
    {50, 50, 25},  // flash
}};
// Two thirds of the single-player cells.
inline constexpr ExtraSprites kMatchExtraSprites = {{
    {0, 0, 0},
    {35, 34, 17},  // clock
    {40, 37, 20},  // bomb
    {38, 38, 19},  // colourer
    {29, 51, 15},  // arrow
    {38, 38, 19},  // rainbow
    {33, 33, 16},  // X2
    {33, 33, 16},  // flash
}};

enum ExtraTypeId {
    kExtraClock = 1,
    kExtraBomb = 2,
    kExtraColourer = 3,
    kExtraArrow = 4,
    kExtraRainbow = 5,
    kExtraX2 = 6,
    kExtraFlash = 7,
};

struct ExtrasTable {
    std::array<int, kMaxExtras + 1> ExtraType{};
    std::array<int, kMaxExtras + 1> ExtraX{};
    std::array<int, kMaxExtras + 1> ExtraY{};
    std::array<double, kMaxExtras + 1> ExtraYf{};
    std::array<double, kMaxExtras + 1> ExtraVy{};
    std::array<int, kMaxExtras + 1> ExtraPhase{};
    std::array<int, kMaxExtras + 1> ExtraFrame{};
    std::array<int, kMaxExtras + 1> ExtraAnimDir{};
    std::array<int, kMaxExtras + 1> ExtraColour{};
    std::array<int, kMaxExtras + 1> ExtraW{};
    std::array<int, kMaxExtras + 1> ExtraH{};
    std::array<int, kMaxExtras + 1> ExtraHalfW{};
    int ExtraCursor = 0;
};

template <typename V>
void VisitFields(ExtrasTable& x, V& v) {
    v("ExtraType", x.ExtraType, Bounds{0, kExtraFlash});
    v("ExtraX", x.ExtraX, kPosition);
    v("ExtraY", x.ExtraY, kPosition);
    v("ExtraYf", x.ExtraYf, kPosition);
    v("ExtraVy", x.ExtraVy, Bounds{0, 100});
    v("ExtraPhase", x.ExtraPhase, Bounds{0, 4});
    v("ExtraFrame", x.ExtraFrame, Bounds{0, 16});
    v("ExtraAnimDir", x.ExtraAnimDir, Bounds{0, 2});
    v("ExtraColour", x.ExtraColour, Bounds{0, 5});
    v("ExtraW", x.ExtraW, Bounds{0, 100});
    v("ExtraH", x.ExtraH, Bounds{0, 100});
    v("ExtraHalfW", x.ExtraHalfW, Bounds{0, 50});
    v("ExtraCursor", x.ExtraCursor, Bounds{0, kMaxExtras});
}
