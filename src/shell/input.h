// Input: six keys polled once per tick into flags, and the mouse state stored by the window's
// events between ticks.
#pragma once

#include <cstdint>

struct Game;

// Keyboard buttons as the platform numbers them (KeyboardButton(n) is button n+1).
enum KeyButton {
    kButtonLeft = 0,
    kButtonRight = 1,
    kButtonUp = 2,
    kButtonDown = 3,
    kButtonSpace = 4,
    kButtonReturn = 5,
    kButtonEscape = 6,
    kButtonP = 7,
};

struct InputState {
    int KeyLeft = 0;
    int KeyRight = 0;
    std::uint8_t FireKey = 0;
    int KeyReturn = 0;
    int KeyEscape = 0;
    int PauseKeyFrames = 0;
    int MouseX = 0;
    int MouseY = 0;
    std::uint8_t MouseMoved = 0;
    std::uint8_t MouseButtonDown = 0;
    std::uint8_t MouseButtonDown2 = 0;
    int ButtonHeldFrames = 0;
};

void PollKeyboard(Game& game);
void DXDraw1MouseMove(Game& game, int x, int y);
void DXDraw1MouseDown(Game& game);
void DXDraw1MouseUp(Game& game);
// A typed character (Windows-1252; Backspace arrives as 8) for the name editors.
void DXDraw1KeyPress(Game& game, unsigned char ch);
