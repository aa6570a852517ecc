// The ten menu buttons shared by every screen: where they are and how they stand.
#pragma once

#include <array>

constexpr int kButtonSlots = 10;

struct ButtonTable {
    std::array<int, kButtonSlots + 1> ButtonActive{};
    std::array<int, kButtonSlots + 1> ButtonX{};
    std::array<int, kButtonSlots + 1> ButtonY{};
    std::array<int, kButtonSlots + 1> ButtonHalfWidth{};
    std::array<int, kButtonSlots + 1> ButtonHeight{};
    std::array<int, kButtonSlots + 1> ButtonState{};
    std::array<int, kButtonSlots + 1> ButtonHoverFrames{};
    std::array<int, kButtonSlots + 1> ButtonDelay{};
    int MenuSelection = 0;
    int PageTop = 300;
    int PageNumber = 1;
};

// Whether (x, y) lies on the hit box of button `slot`.
inline bool PointInButton(const ButtonTable& b, int slot, int x, int y) {
    return b.ButtonX[slot] - b.ButtonHalfWidth[slot] < x &&
           x < b.ButtonX[slot] + b.ButtonHalfWidth[slot] && b.ButtonY[slot] - 3 < y &&
           y < b.ButtonY[slot] + b.ButtonHeight[slot];
}
