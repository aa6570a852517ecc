// The extras table: the extras falling out of destroyed stones and the one the cannon holds.
#pragma once

#include <array>

constexpr int kMaxExtras = 50;

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
