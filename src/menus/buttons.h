// The ten menu buttons shared by every screen, the game screens' side panels included.
#pragma once

#include <array>
#include <string>

struct Game;

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

void SetButton(Game& game, int slot, int x, int y, int halfWidth, int height);
// ButtonActive = 0 for all ten slots.
void ClearButtons(Game& game);
// Whether the game's pointer lies on the button's hit box.
bool PointerOverButton(const Game& game, int slot);
// Once per frame on every screen with buttons: hover, hover sound, press and the delays.
// Sets MenuSelection to the slot pressed in this frame (0 if none).
void UpdateButtons(Game& game);
// The label of a button, centred on it: texture 2 while hovered or pressed, else idleTexture.
void DrawButtonLabel(Game& game, int slot, const std::string& text, int idleTexture);
