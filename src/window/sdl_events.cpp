#include "window/sdl_events.h"

#include "core/game.h"
#include "shell/frame_loop.h"
#include "shell/input.h"
#include "shell/user_files.h"

namespace {

// Keyboard button of a key (KeyboardButton numbering), -1 for keys the game does not poll.
int ButtonOfKey(SDL_Scancode code) {
    switch (code) {
        case SDL_SCANCODE_LEFT:
            return kButtonLeft;
        case SDL_SCANCODE_RIGHT:
            return kButtonRight;
        case SDL_SCANCODE_UP:
            return kButtonUp;
        case SDL_SCANCODE_DOWN:
            return kButtonDown;
        case SDL_SCANCODE_SPACE:
            return kButtonSpace;
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_KP_ENTER:
            return kButtonReturn;
        case SDL_SCANCODE_ESCAPE:
            return kButtonEscape;
        case SDL_SCANCODE_P:
            return kButtonP;
        default:
            return -1;
    }
}

// A key or pad button that went down or up: the menu meaning first, then the game's key.
void Press(Game& game, SdlPlatform& platform, int button, KeySource source, bool down,
           bool repeat) {
    if (KeyTakenByScreen(game, button, down, repeat)) return;
    if (!repeat) platform.KeyEvent(button, source, down);
}

void ToggleFullscreen(SdlPlatform& platform, const WindowSession& session) {
    const bool fullscreen = !platform.IsFullscreen();
    platform.SetFullscreen(fullscreen);
    if (!session.configDir.empty()) WriteFullscreenOption(session.configDir, fullscreen);
}

void Focus(Game& game, SdlPlatform& platform, WindowSession& session, bool focused) {
    if (session.focused == focused) return;
    session.focused = focused;
    // Pads send nothing while the window is in the background: let go of what they held.
    platform.ReleaseKeys(static_cast<KeySource>(kFromPadButton | kFromPadStick));
    // The window manager may have drawn over the window meanwhile: the whole picture goes again.
    platform.Exposed();
    FocusChanged(game, focused);
}

bool InMatch(const Game& game) {
    return game.shell.ScreenId == kScreenMatch;
}

void PadButton(Game& game, SdlPlatform& platform, const SDL_ControllerButtonEvent& b, bool down) {
    const int role = platform.PadRole(b.which);
    if (role < 0) return;
    // In the match the second pad is the second player: its A is the mouse button.
    if (role == 1 && InMatch(game)) {
        if (b.button == SDL_CONTROLLER_BUTTON_A) PadFire(game, down);
        return;
    }
    // On the level editor X erases and the shoulders change the tool.
    if (EditorTakesKeys(game)) {
        const EditKey edit = b.button == SDL_CONTROLLER_BUTTON_X               ? kEditErase
                             : b.button == SDL_CONTROLLER_BUTTON_LEFTSHOULDER  ? kEditPreviousTool
                             : b.button == SDL_CONTROLLER_BUTTON_RIGHTSHOULDER ? kEditNextTool
                                                                               : kEditNone;
        if (edit != kEditNone) {
            if (down) DXDraw1EditKey(game, edit);
            return;
        }
    }
    int button = -1;
    switch (b.button) {
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            button = kButtonLeft;
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            button = kButtonRight;
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            button = kButtonUp;
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            button = kButtonDown;
            break;
        case SDL_CONTROLLER_BUTTON_A:
            button = kButtonSpace;
            break;
        case SDL_CONTROLLER_BUTTON_B:
            button = kButtonEscape;
            break;
        case SDL_CONTROLLER_BUTTON_START:
            button = kButtonP;
            break;
        default:
            return;
    }
    Press(game, platform, button, kFromPadButton, down, false);
}

// The left stick as the cursor keys: pressed past two thirds, let go below a third.
void PadStick(Game& game, SdlPlatform& platform, WindowSession& session,
              const SDL_ControllerAxisEvent& a) {
    const int role = platform.PadRole(a.which);
    if (role < 0 || role > 1 || (role == 1 && InMatch(game))) return;
    const bool horizontal = a.axis == SDL_CONTROLLER_AXIS_LEFTX;
    if (!horizontal && a.axis != SDL_CONTROLLER_AXIS_LEFTY) return;
    int& state = horizontal ? session.stickX[role] : session.stickY[role];
    int now = state;
    if (a.value > 21000) now = 1;
    if (a.value < -21000) now = -1;
    if (a.value > -11000 && a.value < 11000) now = 0;
    if (now == state) return;
    const int negative = horizontal ? kButtonLeft : kButtonUp;
    const int positive = horizontal ? kButtonRight : kButtonDown;
    if (state != 0)
        Press(game, platform, state < 0 ? negative : positive, kFromPadStick, false, false);
    state = now;
    if (now != 0) Press(game, platform, now < 0 ? negative : positive, kFromPadStick, true, false);
}

void Key(Game& game, SdlPlatform& platform, WindowSession& session, const SDL_KeyboardEvent& k,
         bool down) {
    const SDL_Scancode code = k.keysym.scancode;
    if (down && k.repeat == 0 &&
        (code == SDL_SCANCODE_F11 ||
         (code == SDL_SCANCODE_RETURN && (k.keysym.mod & KMOD_ALT) != 0))) {
        ToggleFullscreen(platform, session);
        return;
    }
    // Delete and Backspace erase under the editor's cursor, Tab and Shift+Tab change its tool.
    if (down && EditorTakesKeys(game)) {
        EditKey edit = kEditNone;
        if (code == SDL_SCANCODE_DELETE || code == SDL_SCANCODE_BACKSPACE) edit = kEditErase;
        if (code == SDL_SCANCODE_TAB)
            edit = (k.keysym.mod & KMOD_SHIFT) != 0 ? kEditPreviousTool : kEditNextTool;
        if (edit != kEditNone) {
            DXDraw1EditKey(game, edit);
            return;
        }
    }
    if (down && code == SDL_SCANCODE_BACKSPACE) DXDraw1KeyPress(game, 8);
    if (down && (k.keysym.mod & KMOD_CTRL) != 0 &&
        (code == SDL_SCANCODE_Z || code == SDL_SCANCODE_Y)) {
        DXDraw1EditKey(game, code == SDL_SCANCODE_Z ? kEditUndo : kEditRedo);
        return;
    }
    if (down && code == SDL_SCANCODE_TAB) {
        MenuKeyDown(game, (k.keysym.mod & KMOD_SHIFT) != 0 ? MenuKey::kPrevious : MenuKey::kNext);
        return;
    }
    const int button = ButtonOfKey(code);
    if (button >= 0) Press(game, platform, button, kFromKeyboard, down, k.repeat != 0);
}

}  // namespace

void HandleSdlEvent(Game& game, SdlPlatform& platform, WindowSession& session, const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT:
            // Also SIGTERM and SIGINT, which SDL's handlers turn into this event: they save and
            // quit as the close button does.
            WindowCloseRequested(game);
            break;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    WindowCloseRequested(game);
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    // A new size, from the player, a tiling window manager or fullscreen: the
                    // picture is fitted to it and the game goes on.
                    platform.WindowSizeChanged();
                    platform.FlipDisplay(game.backBuffer);
                    break;
                case SDL_WINDOWEVENT_EXPOSED:
                    platform.Exposed();
                    platform.FlipDisplay(game.backBuffer);
                    break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    Focus(game, platform, session, true);
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    Focus(game, platform, session, false);
                    break;
                default:
                    break;
            }
            break;
        case SDL_MOUSEMOTION: {
            int x = 0, y = 0;
            platform.WindowToPicturePoint(e.motion.x, e.motion.y, x, y);
            session.local.mouseX = x;
            session.local.mouseY = y;
            DXDraw1MouseMove(game, x, y);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            // The right button is the level editor's eraser; every other button clicks.
            if (e.button.button == SDL_BUTTON_RIGHT) {
                DXDraw1RightMouse(game, e.type == SDL_MOUSEBUTTONDOWN);
            } else if (e.type == SDL_MOUSEBUTTONDOWN) {
                session.local.mouseHeld = true;
                DXDraw1MouseDown(game);
            } else {
                session.local.mouseHeld = false;
                DXDraw1MouseUp(game);
            }
            break;
        case SDL_TEXTINPUT:
            // What the keyboard or the platform's input method gives, UTF-8 character by
            // character; the name editors take what the font can draw.
            TypeText(game, e.text.text);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            Key(game, platform, session, e.key, e.type == SDL_KEYDOWN);
            break;
        case SDL_CONTROLLERDEVICEADDED:
            platform.PadAdded(e.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            platform.PadRemoved(e.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            PadButton(game, platform, e.cbutton, e.type == SDL_CONTROLLERBUTTONDOWN);
            break;
        case SDL_CONTROLLERAXISMOTION:
            PadStick(game, platform, session, e.caxis);
            break;
        default:
            break;
    }
}

void BeforeTick(Game& game, SdlPlatform& platform) {
    if (!InMatch(game) || platform.PadCount() < 2) return;
    PadPointerStep(game, platform.PadAxis(1, SDL_CONTROLLER_AXIS_LEFTX),
                   platform.PadAxis(1, SDL_CONTROLLER_AXIS_LEFTY));
}
