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
