// The menus' buttons: their labels and a menu as a row of buttons (the buttons themselves are
// core/buttons.h).
#pragma once

#include <array>
#include <string>

#include "core/button_table.h"
#include "core/buttons.h"
#include "core/words.h"

struct Game;

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
