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

void ToggleFullscreen(SdlPlatform& platform, const WindowSession& session) {
    const bool fullscreen = !platform.IsFullscreen();
    platform.SetFullscreen(fullscreen);
    if (!session.configDir.empty()) WriteFullscreenOption(session.configDir, fullscreen);
}

constexpr std::uint8_t kFromPads = kFromPadButton | kFromPadStick;

void Focus(Game& game, SdlPlatform& platform, WindowSession& session, bool focused) {
    if (session.focused == focused) return;
    session.focused = focused;
    // Pads send nothing while the window is in the background: let go of what they held.
    game.command.LetGo(kFromPads);
    // The window manager may have drawn over the window meanwhile: the whole picture goes again.
    platform.Exposed();
    // A network match goes on without the focus; "Pause" drawn on this side alone would make
    // its game differ from the other's.
    if (session.netMatch)
        platform.SuspendAudio(!focused);
    else
        FocusChanged(game, focused);
}

void PadButtonEvent(Game& game, SdlPlatform& platform, const SDL_ControllerButtonEvent& b,
                    bool down) {
    const int role = platform.PadRole(b.which);
    if (role < 0) return;
    PadButton button{};
    switch (b.button) {
        case SDL_CONTROLLER_BUTTON_A:
            button = kPadA;
            break;
        case SDL_CONTROLLER_BUTTON_B:
            button = kPadB;
            break;
        case SDL_CONTROLLER_BUTTON_X:
            button = kPadX;
            break;
        case SDL_CONTROLLER_BUTTON_START:
            button = kPadStart;
            break;
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
            button = kPadLeftShoulder;
            break;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
            button = kPadRightShoulder;
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            button = kPadLeft;
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            button = kPadRight;
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            button = kPadUp;
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            button = kPadDown;
            break;
        default:
            return;
    }
    game.command.Pad(button, down, role);
}

// The left stick as the cursor keys: pressed past two thirds, let go below a third.
void PadStick(Game& game, SdlPlatform& platform, WindowSession& session,
              const SDL_ControllerAxisEvent& a) {
    const int role = platform.PadRole(a.which);
    if (role < 0 || role > 1) return;
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
    if (state != 0) game.command.Stick(state < 0 ? negative : positive, false, role);
    state = now;
    if (now != 0) game.command.Stick(now < 0 ? negative : positive, true, role);
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
    const bool shift = (k.keysym.mod & KMOD_SHIFT) != 0;
    const bool ctrl = (k.keysym.mod & KMOD_CTRL) != 0;
    int key = ButtonOfKey(code);
    if (code == SDL_SCANCODE_DELETE) key = kKeyDelete;
    if (code == SDL_SCANCODE_BACKSPACE) key = kKeyBackspace;
    if (code == SDL_SCANCODE_TAB) key = shift ? kKeyBackTab : kKeyTab;
    if (ctrl && code == SDL_SCANCODE_Z) key = kKeyUndo;
    if (ctrl && code == SDL_SCANCODE_Y) key = kKeyRedo;
    if (key >= 0) game.command.Key(key, down, kFromKeyboard, k.repeat != 0);
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
            game.command.Move(x, y);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            // The right button is the level editor's eraser; every other button clicks.
            if (e.button.button == SDL_BUTTON_RIGHT)
                game.command.RightButton(e.type == SDL_MOUSEBUTTONDOWN);
            else
                game.command.Button(e.type == SDL_MOUSEBUTTONDOWN);
            break;
        case SDL_TEXTINPUT:
            // What the keyboard or the platform's input method gives, UTF-8 character by
            // character; the name editors take what the font can draw.
            AddText(game.command, e.text.text);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            Key(game, platform, session, e.key, e.type == SDL_KEYDOWN);
            break;
        case SDL_CONTROLLERDEVICEADDED:
            platform.PadAdded(e.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            // What the pad held is let go.
            if (platform.PadRemoved(e.cdevice.which)) game.command.LetGo(kFromPads);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            PadButtonEvent(game, platform, e.cbutton, e.type == SDL_CONTROLLERBUTTONDOWN);
            break;
        case SDL_CONTROLLERAXISMOTION:
            PadStick(game, platform, session, e.caxis);
            break;
        default:
            break;
    }
}

void BeforeTick(Game& game, SdlPlatform& platform) {
    if (platform.PadCount() < 2) return;
    game.command.PadStep(platform.PadAxis(1, SDL_CONTROLLER_AXIS_LEFTX),
                         platform.PadAxis(1, SDL_CONTROLLER_AXIS_LEFTY));
}
