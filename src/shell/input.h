// Input: six keys polled once per tick into flags, and the mouse state stored by the window's
// events between ticks. A press shorter than a tick still reaches one tick: its release waits
// until a tick has seen it.
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
    // A release that came before any tick saw its press; applied after the next tick.
    std::uint8_t MouseReleasePending = 0;
    // The mouse button is held by a menu key (Return, Space, a pad's A) rather than the mouse.
    std::uint8_t MenuKeyClick = 0;
};

// What a key or pad button means on the menu screens.
enum class MenuKey { kNext, kPrevious, kPress };

void PollKeyboard(Game& game);
void DXDraw1MouseMove(Game& game, int x, int y);
void DXDraw1MouseDown(Game& game);
void DXDraw1MouseUp(Game& game);
// End of a tick: the release of a press that this tick was the first to see.
void ApplyPendingRelease(Game& game);
// A typed character (Windows-1252; Backspace arrives as 8) for the name editors.
void DXDraw1KeyPress(Game& game, unsigned char ch);

// Menu keys. Next / previous move the game's pointer to the next or previous button of the
// screen, as a mouse move there would; press clicks where the pointer is (released by MenuKeyUp).
// Returns true when the key was taken for the menu, so it is not also read as a game key.
bool MenuKeyDown(Game& game, MenuKey key);
void MenuKeyUp(Game& game, MenuKey key);
// The slot of the next (direction 1) or previous (-1) active button from the one under the
// pointer; from none, the first or the last. 0 when the screen has no buttons.
int NextMenuButton(const Game& game, int direction);
// A pad's stick moving the pointer (second player of the match): axis values -32768..32767.
void PadPointerStep(Game& game, int axisX, int axisY);
