// The input flags: six keys polled once per tick, the mouse state stored by the window's events.
#pragma once

#include <cstdint>

#include "core/fields.h"

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

// What a held right button does (InputState::MouseRightDown).
enum RightButton : std::uint8_t { kRightUp = 0, kRightErases = 1, kRightClicks = 2 };
// The level editor's keys (InputState::EditKey): undo and redo, and its cursor's keys, which
// step over the lattice, place and erase there and change the tool.
enum EditKey : std::uint8_t {
    kEditNone = 0,
    kEditUndo = 1,
    kEditRedo = 2,
    kEditLeft = 3,
    kEditRight = 4,
    kEditUp = 5,
    kEditDown = 6,
    kEditPlace = 7,
    kEditErase = 8,
    kEditNextTool = 9,
    kEditPreviousTool = 10,
};
constexpr int kEditKeys = 10;

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
    // The right button, held (a RightButton), and a key of the editor pressed since the last
    // tick (an EditKey).
    std::uint8_t MouseRightDown = 0;
    std::uint8_t EditKey = 0;
};

template <typename V>
void VisitFields(InputState& in, V& v) {
    v("KeyLeft", in.KeyLeft, kAnyInt);
    v("KeyRight", in.KeyRight, kAnyInt);
    v("FireKey", in.FireKey, kByte);
    v("KeyReturn", in.KeyReturn, kAnyInt);
    v("KeyEscape", in.KeyEscape, kAnyInt);
    v("PauseKeyFrames", in.PauseKeyFrames, kAnyInt);
    v("MouseX", in.MouseX, kAnyInt, DumpAt{40});
    v("MouseY", in.MouseY, kAnyInt, DumpAt{41});
    v("MouseMoved", in.MouseMoved, kByte);
    v("MouseButtonDown", in.MouseButtonDown, kByte, DumpAt{42});
    v("MouseButtonDown2", in.MouseButtonDown2, kByte);
    v("ButtonHeldFrames", in.ButtonHeldFrames, kAnyInt);
    v("MouseReleasePending", in.MouseReleasePending, kByte);
    v("MenuKeyClick", in.MenuKeyClick, kByte);
    v("MouseRightDown", in.MouseRightDown, Bounds{0, 2});
    v("EditKey", in.EditKey, Bounds{0, kEditKeys});
}
