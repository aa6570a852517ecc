// The table of screens: for every ScreenId its handler, what is drawn beneath its texts, whether
// the game's own mouse pointer is drawn and who takes typed characters. The frame loop, the
// renderer and the input handlers read it; a new screen is a new row.
#pragma once

#include "presentation/render.h"

struct Game;

struct ScreenEntry {
    int id = 0;
    void (*handler)(Game& game) = nullptr;
    Backdrop backdrop = Backdrop::kMenu;
    // Whether the game's pointer is drawn this frame (the game screens show aim markers instead
    // over their fields).
    bool (*pointerShown)(const Game& game) = nullptr;
    // Typed characters (code points, Backspace 8), for the name editors.
    void (*typed)(Game& game, char32_t ch) = nullptr;
};

// The row of a screen; nullptr for a number without a screen.
const ScreenEntry* FindScreen(int id);
// Screens without a row of their own are drawn like the menus from 1 to 35, black otherwise.
Backdrop ScreenBackdrop(int id);
bool ScreenShowsPointer(const Game& game);
// Call the handler of the current ScreenId (none for numbers without a screen).
void RunScreenHandler(Game& game);
// Draws the frame of the current screen (and game mode).
void RenderFrame(Game& game);
// The same frame drawn whole over the back buffer, leaving what RenderFrame keeps as it was.
void DrawFrameWhole(Game& game);
