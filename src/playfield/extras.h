// Extras that fall out of destroyed stones: clock, bomb, colourer, arrow, rainbow, X2, flash.
#pragma once

#include <array>

struct Game;

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

void AddExtra(Game& game, int x, int y, int type);
void RemoveExtra(Game& game, int slot);
// The stone's extra (1..7) falls out at its centre.
void ReleaseExtra(Game& game, int stoneSlot);
int ColourerColour(int code);
// A random colour among those present in the field (the reload's set); 0 when none is present.
int RandomPresentColour(Game& game);
void ExtrasStep(Game& game);
