#include "shell/input.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/game.h"
#include "core/name_text.h"
#include "menus/buttons.h"
#include "playfield/field_rules.h"
#include "shell/net_commands.h"
#include "shell/recorder.h"
#include "shell/screens.h"

namespace {

// Screens whose buttons the menu keys walk: every screen with buttons but the game screens.
bool MenuKeysWalk(int screen) {
    return screen != kScreenNone && screen != kScreenGame && screen != kScreenMatch &&
           screen != kScreenSplash;
}

// Where Return already means something (the name editors), the menu keys do not click.
bool MenuKeysClick(int screen) {
    const ScreenEntry* entry = FindScreen(screen);
    return MenuKeysWalk(screen) && (entry == nullptr || entry->typed == nullptr);
}

}  // namespace

void PollKeyboard(Game& game) {
    InputState& in = game.input;
    in.KeyLeft = 0;
    in.KeyRight = 0;
    in.FireKey = 0;
    in.KeyReturn = 0;
    in.KeyEscape = 0;
    KeysHeld& keys = game.keys;
    keys.Take();
    if (game.recorder != nullptr) game.recorder->Keys(game.shell.FrameCounter, keys.seen);
    if (game.netTick.on) {
        // A network match: the keys of both players arrived as commands; this keyboard's own
        // went into this machine's command.
        if (game.netTick.escape) in.KeyEscape = 1;
        if (game.netTick.pause)
            ++in.PauseKeyFrames;
        else
            in.PauseKeyFrames = 0;
        return;
    }
    if (keys.Down(kButtonLeft)) in.KeyLeft = 1;
    if (keys.Down(kButtonRight)) in.KeyRight = 1;
    if (keys.Down(kButtonSpace)) in.FireKey = 1;
    if (keys.Down(kButtonReturn)) in.KeyReturn = 1;
    if (keys.Down(kButtonEscape)) in.KeyEscape = 1;
    if (keys.Down(kButtonP))
        ++in.PauseKeyFrames;
    else
        in.PauseKeyFrames = 0;
}

namespace {

// Window events between two ticks are seen by the next one.
void Record(Game& game, const std::string& event) {
    if (game.recorder != nullptr) game.recorder->Line(game.shell.FrameCounter + 1, event);
}

}  // namespace

void DXDraw1MouseMove(Game& game, int x, int y) {
    Record(game, "move " + std::to_string(x) + " " + std::to_string(y));
    game.input.MouseX = x;
    game.input.MouseY = y;
    game.input.MouseMoved = 1;
}

namespace {

void PressButton(Game& game) {
    game.input.MouseButtonDown = 1;
    game.input.MouseButtonDown2 = 1;
    game.input.MouseMoved = 0;
    game.input.MouseReleasePending = 0;
}

void ReleaseButton(Game& game) {
    InputState& in = game.input;
    // Every tick that sees a held button counts it, so a count of 0 means no tick has yet.
    if ((in.MouseButtonDown != 0 || in.MouseButtonDown2 != 0) && in.ButtonHeldFrames == 0) {
        in.MouseReleasePending = 1;
        return;
    }
    in.MouseButtonDown = 0;
    in.ButtonHeldFrames = 0;
    in.MouseButtonDown2 = 0;
    in.MouseReleasePending = 0;
}

}  // namespace

void DXDraw1MouseDown(Game& game) {
    Record(game, "down");
    PressButton(game);
}

void DXDraw1MouseUp(Game& game) {
    Record(game, "up");
    ReleaseButton(game);
}

void DXDraw1RightMouse(Game& game, bool down) {
    Record(game, down ? "rdown" : "rup");
    InputState& in = game.input;
    if (down) {
        // The editor's eraser; elsewhere a click, as the right button always was.
        const bool eraser = game.shell.ScreenId == kScreenEditor;
        in.MouseRightDown = eraser ? kRightErases : kRightClicks;
        if (!eraser) PressButton(game);
        return;
    }
    // The release ends what the press began, whatever screen it comes on.
    if (in.MouseRightDown == kRightClicks ||
        (in.MouseRightDown == 0 && game.shell.ScreenId != kScreenEditor))
        ReleaseButton(game);
    in.MouseRightDown = 0;
}

namespace {

// The runner's key names of the edit keys, by EditKey.
constexpr std::array<const char*, kEditKeys + 1> kEditKeyNames = {
    "", "ctrl+z", "ctrl+y", "left", "right", "up", "down", "space", "delete", "tab", "backtab"};

}  // namespace

void DXDraw1EditKey(Game& game, EditKey key) {
    Record(game, std::string("key ") + kEditKeyNames[key]);
    game.input.EditKey = key;
}

bool EditorTakesKeys(const Game& game) {
    return game.shell.ScreenId == kScreenEditor && game.editor.TypingName == 0 &&
           game.editor.TypingIdea == 0;
}

EditKey EditKeyOfButton(int button) {
    switch (button) {
        case kButtonLeft:
            return kEditLeft;
        case kButtonRight:
            return kEditRight;
        case kButtonUp:
            return kEditUp;
        case kButtonDown:
            return kEditDown;
        case kButtonSpace:
        case kButtonReturn:
            return kEditPlace;
        default:
            return kEditNone;
    }
}

EditKey EditKeyOfName(const std::string& name) {
    if (name == "return") return kEditPlace;
    if (name == "backspace") return kEditErase;
    for (int k = kEditLeft; k <= kEditKeys; ++k)
        if (name == kEditKeyNames[k]) return static_cast<EditKey>(k);
    return kEditNone;
}

void ApplyPendingRelease(Game& game) {
    if (game.input.MouseReleasePending == 0) return;
    game.input.MouseReleasePending = 0;
    game.input.MouseButtonDown = 0;
    game.input.ButtonHeldFrames = 0;
    game.input.MouseButtonDown2 = 0;
}

void DXDraw1KeyPress(Game& game, char32_t ch) {
    if (game.recorder != nullptr) game.recorder->Typed(game.shell.FrameCounter + 1, ch);
    // The name editors of the champion and save screens take typed characters.
    const ScreenEntry* screen = FindScreen(game.shell.ScreenId);
    if (screen != nullptr && screen->typed != nullptr) screen->typed(game, ch);
}

void TypeText(Game& game, const std::string& utf8) {
    for (char32_t c : ValidCodePoints(utf8)) DXDraw1KeyPress(game, c);
}

int NextMenuButton(const Game& game, int direction) {
    const ButtonTable& b = game.buttons;
    int current = 0;
    for (int i = 1; i <= kButtonSlots && current == 0; ++i) {
        if (b.ButtonActive[i] == 1 && PointerOverButton(game, i)) current = i;
    }
    int slot = current != 0 ? current : (direction > 0 ? 0 : kButtonSlots + 1);
    for (int step = 0; step < kButtonSlots; ++step) {
        slot += direction > 0 ? 1 : -1;
        if (slot > kButtonSlots) slot = 1;
        if (slot < 1) slot = kButtonSlots;
        if (b.ButtonActive[slot] == 1) return slot;
    }
    return 0;
}

bool MenuKeyDown(Game& game, MenuKey key) {
    const int screen = game.shell.ScreenId;
    if (key == MenuKey::kPress) {
        if (!MenuKeysClick(screen)) return false;
        DXDraw1MouseDown(game);
        game.input.MenuKeyClick = 1;
        return true;
    }
    if (!MenuKeysWalk(screen)) return false;
    const int slot = NextMenuButton(game, key == MenuKey::kNext ? 1 : -1);
    if (slot == 0) return false;
    const ButtonTable& b = game.buttons;
    DXDraw1MouseMove(game, b.ButtonX[slot], b.ButtonY[slot] + b.ButtonHeight[slot] / 2);
    return true;
}

void MenuKeyUp(Game& game, MenuKey key) {
    if (key != MenuKey::kPress || game.input.MenuKeyClick == 0) return;
    game.input.MenuKeyClick = 0;
    DXDraw1MouseUp(game);
}

bool KeyTakenByScreen(Game& game, int button, bool down, bool repeat) {
    const EditKey edit = EditKeyOfButton(button);
    if (down && edit != kEditNone && EditorTakesKeys(game)) {
        if (!repeat || edit != kEditPlace) DXDraw1EditKey(game, edit);
        return true;
    }
    MenuKey key{};
    if (button == kButtonDown)
        key = MenuKey::kNext;
    else if (button == kButtonUp)
        key = MenuKey::kPrevious;
    else if (button == kButtonReturn || button == kButtonSpace)
        key = MenuKey::kPress;
    else
        return false;
    if (!down) {
        MenuKeyUp(game, key);
        return false;
    }
    // A click on a menu is not also a key of the game.
    return (!repeat || key != MenuKey::kPress) && MenuKeyDown(game, key) && key == MenuKey::kPress;
}

void PadPointerStep(Game& game, int axisX, int axisY) {
    // A dead zone for a stick at rest; full deflection moves 10 pixels a tick.
    constexpr int kDeadZone = 8000;
    auto speed = [](int axis) {
        if (axis > -kDeadZone && axis < kDeadZone) return 0;
        return axis * 10 / 32768;
    };
    const int dx = speed(axisX);
    const int dy = speed(axisY);
    if (dx == 0 && dy == 0) return;
    // The second player's pointer stays over the right field, where it aims and fires.
    DXDraw1MouseMove(game, std::clamp(game.input.MouseX + dx, kMatchPointerMinX, kScreenWidth - 1),
                     std::clamp(game.input.MouseY + dy, 0, kScreenHeight - 1));
}

void PadFire(Game& game, bool down) {
    if (!down) {
        DXDraw1MouseUp(game);
        return;
    }
    // A pointer the mouse left between the fields is taken over the right field first.
    if (game.input.MouseX < kMatchPointerMinX)
        DXDraw1MouseMove(game, kMatchPointerMinX, game.input.MouseY);
    DXDraw1MouseDown(game);
}

namespace {

bool InMatch(const Game& game) {
    return game.shell.ScreenId == kScreenMatch;
}

// A key of the game (KeyButton) that went down or up: the screen's meaning first.
void GameKey(Game& game, int button, std::uint8_t source, bool down, bool repeat) {
    if (KeyTakenByScreen(game, button, down, repeat)) return;
    if (!repeat) game.keys.Event(button, source, down);
}

void KeyCommand(Game& game, int key, bool down, std::uint8_t source, bool repeat) {
    // Delete and Backspace erase under the editor's cursor, Tab and Shift+Tab change its tool.
    if (down && EditorTakesKeys(game)) {
        const EditKey edit = key == kKeyDelete || key == kKeyBackspace ? kEditErase
                             : key == kKeyTab                          ? kEditNextTool
                             : key == kKeyBackTab                      ? kEditPreviousTool
                                                                       : kEditNone;
        if (edit != kEditNone) {
            DXDraw1EditKey(game, edit);
            return;
        }
    }
    if (key == kKeyBackspace) {
        if (down) DXDraw1KeyPress(game, 8);
        return;
    }
    if (key == kKeyUndo || key == kKeyRedo) {
        if (down) DXDraw1EditKey(game, key == kKeyUndo ? kEditUndo : kEditRedo);
        return;
    }
    if (key == kKeyTab || key == kKeyBackTab) {
        if (down) MenuKeyDown(game, key == kKeyTab ? MenuKey::kNext : MenuKey::kPrevious);
        return;
    }
    if (key < 0 || key >= 8) return;
    GameKey(game, key, source, down, repeat);
}

void PadCommand(Game& game, int button, bool down, int role) {
    // In the match the second pad is the second player: its A is the mouse button.
    if (role == 1 && InMatch(game)) {
        if (button == kPadA) PadFire(game, down);
        return;
    }
    // On the level editor X erases and the shoulders change the tool.
    if (EditorTakesKeys(game)) {
        const EditKey edit = button == kPadX               ? kEditErase
                             : button == kPadLeftShoulder  ? kEditPreviousTool
                             : button == kPadRightShoulder ? kEditNextTool
                                                           : kEditNone;
        if (edit != kEditNone) {
            if (down) DXDraw1EditKey(game, edit);
            return;
        }
    }
    int key = -1;
    switch (button) {
        case kPadLeft:
            key = kButtonLeft;
            break;
        case kPadRight:
            key = kButtonRight;
            break;
        case kPadUp:
            key = kButtonUp;
            break;
        case kPadDown:
            key = kButtonDown;
            break;
        case kPadA:
            key = kButtonSpace;
            break;
        case kPadB:
            key = kButtonEscape;
            break;
        case kPadStart:
            key = kButtonP;
            break;
        default:
            return;
    }
    GameKey(game, key, kFromPadButton, down, false);
}

}  // namespace

void ApplyCommand(Game& game, const Command& command) {
    for (const CommandEvent& e : command.events) {
        switch (e.kind) {
            case CommandKind::kMove:
                DXDraw1MouseMove(game, e.a, e.b);
                break;
            case CommandKind::kButton:
                if (e.a != 0)
                    DXDraw1MouseDown(game);
                else
                    DXDraw1MouseUp(game);
                break;
            case CommandKind::kRightButton:
                DXDraw1RightMouse(game, e.a != 0);
                break;
            case CommandKind::kKey:
                KeyCommand(game, e.a, e.b != 0, e.source, e.repeat);
                break;
            case CommandKind::kPadButton:
                PadCommand(game, e.a, e.b != 0, e.role);
                break;
            case CommandKind::kPadStick:
                // The second pad's stick aims in the match (kPadStep) and is no key there.
                if (e.role != 1 || !InMatch(game))
                    GameKey(game, e.a, kFromPadStick, e.b != 0, false);
                break;
            case CommandKind::kPadStep:
                if (InMatch(game)) PadPointerStep(game, e.a, e.b);
                break;
            case CommandKind::kText:
                DXDraw1KeyPress(game, static_cast<char32_t>(e.a));
                break;
            case CommandKind::kLetGo:
                game.keys.LetGo(e.source);
                break;
        }
    }
}

void TakeCommand(Game& game) {
    if (game.command.events.empty()) return;
    // Moved out first: what the record does may not add to it.
    const Command command = std::move(game.command);
    game.command.events.clear();
    ApplyCommand(game, command);
}

void AddText(Command& command, const std::string& utf8) {
    for (char32_t c : ValidCodePoints(utf8)) command.Text(c);
}

void FoldIntoControls(Game& game, const Command& command, LocalControls& local) {
    for (const CommandEvent& e : command.events) {
        if (e.kind == CommandKind::kMove) {
            local.mouseX = e.a;
            local.mouseY = e.b;
        } else if (e.kind == CommandKind::kButton) {
            local.mouseHeld = e.a != 0;
        } else if (e.kind == CommandKind::kKey && !e.repeat) {
            game.keys.Event(e.a, e.source, e.b != 0);
        } else if (e.kind == CommandKind::kPadButton && e.role != 1 && e.a >= 0 &&
                   e.a <= kPadDown) {
            // The pad's keys of the match: its cross, A to fire, B to leave, Start to pause.
            static constexpr int kKeyOfPad[] = {
                kButtonSpace, kButtonEscape, -1,           kButtonP,  -1,
                -1,           kButtonLeft,   kButtonRight, kButtonUp, kButtonDown};
            game.keys.Event(kKeyOfPad[e.a], kFromPadButton, e.b != 0);
        } else if (e.kind == CommandKind::kPadStick && e.role != 1) {
            game.keys.Event(e.a, kFromPadStick, e.b != 0);
        } else if (e.kind == CommandKind::kLetGo) {
            game.keys.LetGo(e.source);
        }
    }
    local.keyLeft = game.keys.Down(kButtonLeft);
    local.keyRight = game.keys.Down(kButtonRight);
    local.keySpace = game.keys.Down(kButtonSpace);
    local.keyP = game.keys.Down(kButtonP);
    local.keyEscape = game.keys.Down(kButtonEscape);
}
