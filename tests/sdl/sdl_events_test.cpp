// The real window's event layer without a real display: SDL's offscreen video driver, SDL's
// virtual game controller in place of a physical pad, and key and window events pushed into
// SDL's queue, all handled by the same code as in the game.
#include "window/sdl_events.h"

#include <gtest/gtest.h>

#include "core/level_format.h"
#include "core/state_io.h"
#include "menus/buttons.h"
#include "menus/transitions.h"
#include "sdl_game.h"
#include "shell/frame_loop.h"

namespace {

class SdlWindow : public SdlGame<::testing::Test> {
  protected:
    void SetUp() override {
        // The offscreen window never gets the focus, and SDL keeps pad events from windows
        // in the background.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        // Frames go straight into the window's pixels, as on a machine without a GPU.
        ASSERT_TRUE(OpenWindow("offscreen", "surface"));
        StartGame(1);
        Pump();
        Tick(2);
        KeyTap(SDL_SCANCODE_ESCAPE);  // past the splash
        Tick(25);
        ASSERT_EQ(game_->shell.ScreenId, kScreenMainMenu);
    }
    void TearDown() override {
        if (pad_ >= 0) SDL_JoystickDetachVirtual(pad_);
        SdlGame::TearDown();
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n && !game_->session.WindowClosed; ++i) {
            Pump();
            BeforeTick(*game_, *platform_);
            FrameTick(*game_);
        }
    }
    void Push(Uint32 type, SDL_Scancode code, Uint16 mod = KMOD_NONE) {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.scancode = code;
        e.key.keysym.sym = SDL_GetKeyFromScancode(code);
        e.key.keysym.mod = mod;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&e);
    }
    // Pressed and let go before the next tick.
    void KeyTap(SDL_Scancode code, Uint16 mod = KMOD_NONE) {
        Push(SDL_KEYDOWN, code, mod);
        Push(SDL_KEYUP, code, mod);
    }
    SDL_Joystick* AttachPad() {
        SDL_VirtualJoystickDesc d;
        SDL_zero(d);
        d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        d.naxes = SDL_CONTROLLER_AXIS_MAX;
        d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        pad_ = SDL_JoystickAttachVirtualEx(&d);
        EXPECT_GE(pad_, 0) << SDL_GetError();
        Pump();
        EXPECT_EQ(platform_->PadCount(), 1);
        return SDL_JoystickOpen(pad_);
    }
    // A pad button pressed and let go between two ticks.
    void PadTap(SDL_Joystick* j, SDL_GameControllerButton b) {
        SDL_JoystickSetVirtualButton(j, b, 1);
        SDL_JoystickUpdate();
        Pump();
        SDL_JoystickSetVirtualButton(j, b, 0);
        SDL_JoystickUpdate();
    }
    bool Over(int slot) const { return PointerOverButton(*game_, slot); }

    int pad_ = -1;
};

TEST_F(SdlWindow, KeyboardWalksTheMenusAndATapIsSeen) {
    KeyTap(SDL_SCANCODE_DOWN);
    Tick();
    EXPECT_TRUE(Over(1));
    KeyTap(SDL_SCANCODE_TAB, KMOD_LSHIFT);
    Tick();
    EXPECT_TRUE(Over(5));
    KeyTap(SDL_SCANCODE_TAB);
    KeyTap(SDL_SCANCODE_TAB);
    Tick();
    EXPECT_TRUE(Over(2));
    KeyTap(SDL_SCANCODE_UP);
    Tick();
    EXPECT_TRUE(Over(1));
    // Return clicks "Start Game"; the tap lasts no tick at all.
    KeyTap(SDL_SCANCODE_RETURN);
    Tick();
    EXPECT_EQ(game_->shell.ScreenId, kScreenGameChoice);
    // A P tap on a screen without buttons for it still counts one tick of the key.
    KeyTap(SDL_SCANCODE_P);
    Tick();
    EXPECT_EQ(game_->input.PauseKeyFrames, 1);
    Tick();
    EXPECT_EQ(game_->input.PauseKeyFrames, 0);
}

TEST_F(SdlWindow, PadWalksPressesAndLeavesLikeTheKeyboard) {
    SDL_Joystick* j = AttachPad();
    ASSERT_NE(j, nullptr);
    PadTap(j, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    Tick();
    EXPECT_TRUE(Over(1));
    // The stick down walks one button per push.
    SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_LEFTY, 30000);
    SDL_JoystickUpdate();
    Tick(3);
    SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_LEFTY, 0);
    SDL_JoystickUpdate();
    Tick();
    EXPECT_TRUE(Over(2));
    PadTap(j, SDL_CONTROLLER_BUTTON_DPAD_UP);
    Tick();
    EXPECT_TRUE(Over(1));
    PadTap(j, SDL_CONTROLLER_BUTTON_A);  // A is Space: a click on a menu
    Tick();
    EXPECT_EQ(game_->shell.ScreenId, kScreenGameChoice);
    PadTap(j, SDL_CONTROLLER_BUTTON_B);  // B is Escape
    Tick();
    EXPECT_EQ(game_->shell.ScreenId, kScreenMainMenu);
    PadTap(j, SDL_CONTROLLER_BUTTON_START);  // Start is P
    Tick();
    EXPECT_EQ(game_->input.PauseKeyFrames, 1);
    // The stick left holds the Left key as long as it is pushed.
    SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_LEFTX, -30000);
    SDL_JoystickUpdate();
    Tick(3);
    EXPECT_EQ(game_->input.KeyLeft, 1);
    // Pulled out while held: the key is let go and the pad is gone.
    SDL_JoystickClose(j);
    SDL_JoystickDetachVirtual(pad_);
    pad_ = -1;
    Tick(2);
    EXPECT_EQ(platform_->PadCount(), 0);
    EXPECT_EQ(game_->input.KeyLeft, 0);
    // And plugged in again, it works again: from "Start Game" to the next button.
    j = AttachPad();
    ASSERT_TRUE(Over(1));
    PadTap(j, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    Tick();
    EXPECT_TRUE(Over(2));
    SDL_JoystickClose(j);
}

// On the level editor the controller's pad and buttons, through the mapping every screen uses,
// and the keyboard work its cursor: step, place, change the tool, erase.
TEST_F(SdlWindow, OnTheEditorThePadAndTheKeysWorkTheCursor) {
    ShowEditor(*game_);
    Tick(3);
    SDL_Joystick* j = AttachPad();
    ASSERT_NE(j, nullptr);
    const EditorState& e = game_->editor;
    PadTap(j, SDL_CONTROLLER_BUTTON_DPAD_DOWN);  // the first step shows the cursor at the top
    Tick();
    ASSERT_EQ(e.KeyCursor, LatticeCell(1, 4));
    PadTap(j, SDL_CONTROLLER_BUTTON_A);
    Tick();
    EXPECT_EQ(e.Cell[LatticeCell(1, 4)], 0) << "the first colour placed";
    PadTap(j, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    Tick();
    PadTap(j, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    Tick();
    KeyTap(SDL_SCANCODE_SPACE);
    Tick();
    EXPECT_EQ(e.Cell[LatticeCell(1, 5)], 1) << "the next colour, one place right";
    PadTap(j, SDL_CONTROLLER_BUTTON_X);
    Tick();
    EXPECT_EQ(e.Cell[LatticeCell(1, 5)], -1) << "erased";
    KeyTap(SDL_SCANCODE_LEFT);
    Tick();
    KeyTap(SDL_SCANCODE_DELETE);
    Tick();
    EXPECT_EQ(e.Cell[LatticeCell(1, 4)], -1);
    KeyTap(SDL_SCANCODE_TAB, KMOD_LSHIFT);
    Tick();
    EXPECT_EQ(e.Tool, 1) << "Shift+Tab takes the tool before";
    PadTap(j, SDL_CONTROLLER_BUTTON_B);  // B is Escape, as everywhere
    Tick();
    EXPECT_EQ(game_->shell.ScreenId, kScreenGameChoice);
    SDL_JoystickClose(j);
}

TEST_F(SdlWindow, FocusLossStopsTheTicksUntilItComesBack) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    e.window.windowID = SDL_GetWindowID(platform_->Window());
    SDL_PushEvent(&e);
    Pump();
    EXPECT_FALSE(session_.focused);
    e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    SDL_PushEvent(&e);
    Pump();
    EXPECT_TRUE(session_.focused);
}

// In a network match the window's events reach only this machine's command: a focus loss draws
// no "Pause" into the game, whose state both machines hash alike; a pointer move waits in the
// record.
TEST_F(SdlWindow, InANetworkMatchTheWindowLeavesTheGameAsBothMachinesHaveIt) {
    session_.netMatch = true;
    const std::uint64_t before = StateHash(*game_);
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    e.window.windowID = SDL_GetWindowID(platform_->Window());
    SDL_PushEvent(&e);
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.x = 123;
    move.motion.y = 321;
    SDL_PushEvent(&move);
    Pump();
    EXPECT_EQ(StateHash(*game_), before);
    EXPECT_FALSE(game_->command.events.empty());
    // The same loss off a match dims the picture with "Pause", a text of this tick.
    session_.netMatch = false;
    e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    SDL_PushEvent(&e);
    Pump();
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&e);
    Pump();
    EXPECT_NE(StateHash(*game_), before);
}

}  // namespace
