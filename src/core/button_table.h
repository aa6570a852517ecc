// The ten menu buttons shared by every screen: where they are and how they stand.
#pragma once

#include <array>

#include "core/fields.h"

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

template <typename V>
void VisitFields(ButtonTable& b, V& v) {
    v("ButtonActive", b.ButtonActive, kFlag);
    v("ButtonX", b.ButtonX, kPosition);
    v("ButtonY", b.ButtonY, kPosition);
    v("ButtonHalfWidth", b.ButtonHalfWidth, kPosition);
    v("ButtonHeight", b.ButtonHeight, kPosition);
    v("ButtonState", b.ButtonState, kAnyInt);
    v("ButtonHoverFrames", b.ButtonHoverFrames, kAnyInt);
    v("ButtonDelay", b.ButtonDelay, kAnyInt);
    v("MenuSelection", b.MenuSelection, Bounds{0, kButtonSlots}, DumpAt{35});
    v("PageTop", b.PageTop, kPosition);
    v("PageNumber", b.PageNumber, Bounds{0, 1000}, DumpAt{34});
}

// Whether (x, y) lies on the hit box of button `slot`.
inline bool PointInButton(const ButtonTable& b, int slot, int x, int y) {
    return b.ButtonX[slot] - b.ButtonHalfWidth[slot] < x &&
           x < b.ButtonX[slot] + b.ButtonHalfWidth[slot] && b.ButtonY[slot] - 3 < y &&
           y < b.ButtonY[slot] + b.ButtonHeight[slot];
}
