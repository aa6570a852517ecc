// The ten menu buttons shared by every screen, the game screens' side panels included.
#pragma once

#include <array>
#include <string>

#include "core/button_table.h"
#include "presentation/words.h"

struct Game;

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

// One button of a menu: its label, the texture of its label while idle, what a press does.
struct MenuButton {
    Words label;
    int idleTexture;
    void (*action)(Game& game);  // nullptr: the button does nothing yet
};
// A menu's buttons on slots 1..count: updates them, draws their labels and runs the action of
// the one pressed in this frame.
void RunMenu(Game& game, const MenuButton* buttons, int count);
template <size_t N>
void RunMenu(Game& game, const MenuButton (&buttons)[N]) {
    RunMenu(game, buttons, static_cast<int>(N));
}
