// rhombulus2 in a browser tab: the game on the web platform. The page's requestAnimationFrame
// drives the ticks of 15 ms through a fixed-step accumulator; the mouse and the keys reach the
// game as the window's SDL events do (src/window/sdl_events.cpp). A test page steps the ticks
// itself (rhombulus_step) and reads the picture the canvas shows.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/game.h"
#include "core/state_io.h"
#include "menus/transitions.h"
#include "net/net_texts.h"
#include "platform/file_bytes.h"
#include "platform/web/web_platform.h"
#include "presentation/render.h"
#include "runner/game_replays.h"
#include "runner/replay_watch.h"
#include "shell/frame_loop.h"
#include "shell/input.h"
#include "shell/net_session.h"
#include "shell/user_files.h"
#include "web/ws_transport.h"

extern "C" const char* rhombulus_state_hash();

namespace {

constexpr double kTickMs = 15.0;
// After a stall (a busy page, a slow machine) at most this many ticks are caught up; the rest
// of the time is dropped, as the window drops it.
constexpr int kMaxCatchUp = 4;
constexpr const char* kCanvas = "#canvas";

// The buttons of the browser's standard pad layout, by index; -1 for one the game leaves alone.
constexpr int kPadButtons = 16;
constexpr int kPadButtonOfIndex[kPadButtons] = {
    kPadA, kPadB,     kPadX, -1, kPadLeftShoulder, kPadRightShoulder, -1,       -1,
    -1,    kPadStart, -1,    -1, kPadUp,           kPadDown,          kPadLeft, kPadRight};

// A kept game (.r2replay) dropped on the page, watched in a game of its own over the page's.
struct Watching {
    ScratchFolder scratch;
    ReplayWatch watch;
    std::unique_ptr<Game> game;
    bool over = false;
};

struct WebSession {
    std::unique_ptr<Game> game;
    std::unique_ptr<WebPlatform> platform;
    bool focused = true;
    // The test page steps the ticks itself; the animation frames then only draw nothing.
    bool stepped = false;
    double lastFrameMs = -1.0;
    double owedMs = 0.0;
    long long ticks = 0;
    // What the renderer drew again over the page's own ticks, in pixels (the test's figures).
    double drawnPixels = 0;
    bool mainMenuSeen = false;
    // A lifted finger clicked: the button goes up again after the next tick, as a click does.
    bool releaseAfterTick = false;
    int finger = -1;  // the touch that aims; other fingers are ignored
    // The pads' buttons and stick directions as last seen (pad role 0 and 1).
    bool padButtons[2][kPadButtons] = {};
    int stickX[2] = {0, 0};
    int stickY[2] = {0, 0};
    // The network match, through the relay's WebSocket door (HOST:PORT, the page's choice).
    std::string relay;
    std::unique_ptr<NetSession> net;
    // In a match the page's mouse and keys reach only this side's command, never the game.
    LocalControls local;
    bool waitingShown = false;
    // After a match its last picture stays a moment before the main menu's ticks go on.
    double holdUntilMs = -1.0;
    std::unique_ptr<Watching> replay;
};

WebSession web;

bool Running() {
    return web.game != nullptr && !web.game->session.WindowClosed;
}

void PollPads(Game& game);

// A tick of the replay watched: Speed() ticks of the kept game. At its end its last picture
// stays until a key or a click (EndWatching).
void ReplayTick() {
    Watching& w = *web.replay;
    ++web.ticks;
    if (w.over) return;
    if (w.watch.Frame(*w.game)) return;
    w.over = true;
    // clang-format off
    EM_ASM({ if (Module.rhombulusReplayEnded) Module.rhombulusReplayEnded($0, UTF8ToString($1)); },
           static_cast<double>(w.watch.Tick()), rhombulus_state_hash());
    // clang-format on
}

// Back to the page's own game, its picture sent whole again.
void EndWatching() {
    web.replay.reset();
    // What was held when the watching began is let go.
    web.game->keys = KeysHeld{};
    web.game->command = Command{};
    ForgetShownScene(*web.game);
    web.platform->Exposed();
}

void RunTick() {
    if (web.replay != nullptr) return ReplayTick();
    Game& game = *web.game;
    // The pads are read just before the tick, as the window takes its events.
    PollPads(game);
    FrameTick(game);
    ++web.ticks;
    web.drawnPixels += static_cast<double>(game.scene.drawnArea);
    // What the network match screen asked for in this tick, and what the network says.
    if (web.net != nullptr) web.net->Poll(game, static_cast<std::int64_t>(emscripten_get_now()));
    if (web.releaseAfterTick) {
        web.releaseAfterTick = false;
        game.command.Button(false);
    }
    if (!web.mainMenuSeen && game.shell.ScreenId == kScreenMainMenu) {
        web.mainMenuSeen = true;
        // clang-format off
        EM_ASM({ if (Module.rhombulusMainMenu) Module.rhombulusMainMenu($0); },
               static_cast<double>(web.ticks));
        // clang-format on
    }
    // What the tick wrote to the saves goes on to the browser's storage soon after.
    // clang-format off
    EM_ASM({ if (Module.rhombulusAfterTick) Module.rhombulusAfterTick(); });
    // clang-format on
}

// Ticks run while the page is shown and has the focus, no message box waits and the game's timer
// runs, as the window's loop runs them.
bool MayTick() {
    return Running() && web.focused && !web.platform->messageOpen && web.game->session.TimerEnabled;
}

bool NetMatch() {
    return web.net != nullptr && web.net->InMatch();
}

// A network match's tick, once both players' commands are there; false while the other's are
// late. A match that ends shows why, then this side's own game is back at the main menu.
bool NetTick(double nowMs) {
    Game& game = *web.game;
    // The page's record becomes this side's command; the game sees only both players' commands.
    FoldIntoControls(game, game.command, web.local);
    game.command.events.clear();
    const NetSession::Tick tick =
        web.net->MatchTick(game, web.local, static_cast<std::int64_t>(nowMs));
    if (tick == NetSession::Tick::kWaiting) {
        if (web.net->ShowWaiting() && !web.waitingShown)
            ShowNotice(game, Tr(game, net::kWaitingWords));
        web.waitingShown = web.waitingShown || web.net->ShowWaiting();
        return false;
    }
    web.waitingShown = false;
    ++web.ticks;
    if (tick == NetSession::Tick::kRan) {
        if (web.net->LastTick() % 60 == 0) {
            // For the test and the curious: both ends' hashes of every 60th match tick.
            // clang-format off
            EM_ASM({ if (Module.rhombulusNetHash) Module.rhombulusNetHash($0, UTF8ToString($1)); },
                   static_cast<double>(web.net->LastTick()), rhombulus_state_hash());
            // clang-format on
        }
        return true;
    }
    const Words why = web.net->EndWords();
    if (why.id != nullptr) {
        std::fprintf(stderr, "rhombulus2: %s\n", Tr(game, why));
        ShowNotice(game, Tr(game, why));
    }
    web.net->BackToMenu(game);
    web.holdUntilMs = nowMs + 3000.0;
    // clang-format off
    EM_ASM({ if (Module.rhombulusNetEnded) Module.rhombulusNetEnded($0); },
           static_cast<double>(web.net->LastTick()));
    // clang-format on
    return true;
}

EM_BOOL AnimationFrame(double nowMs, void*) {
    if (!Running()) return EM_FALSE;
    if (web.holdUntilMs >= 0.0) {
        if (nowMs < web.holdUntilMs) return EM_TRUE;
        web.holdUntilMs = -1.0;
        web.lastFrameMs = -1.0;
    }
    // A network match and its screen go on without the focus: the other player is there.
    const bool netGoesOn = web.net != nullptr && !web.platform->messageOpen &&
                           (NetMatch() || web.game->shell.ScreenId == kScreenNetMatch);
    if (web.stepped || !(MayTick() || netGoesOn)) {
        web.lastFrameMs = -1.0;
        return EM_TRUE;
    }
    if (web.lastFrameMs < 0.0) {
        // The first frame after a pause: one tick now, the clock starts again from here.
        web.lastFrameMs = nowMs;
        web.owedMs = kTickMs;
    }
    web.owedMs += nowMs - web.lastFrameMs;
    web.lastFrameMs = nowMs;
    web.owedMs = std::min(web.owedMs, kMaxCatchUp * kTickMs);
    while (web.owedMs >= kTickMs && Running() && web.holdUntilMs < 0.0) {
        if (NetMatch()) {
            // The other's commands are late: the next frame tries again.
            if (!NetTick(nowMs)) break;
        } else if (MayTick() || netGoesOn) {
            RunTick();
        } else {
            break;
        }
        web.owedMs -= kTickMs;
    }
    return Running() ? EM_TRUE : EM_FALSE;
}

// ---------------------------------------------------------------- input

// The picture pixel under a point of the canvas, whatever size the page gives it.
void CanvasToPicture(double targetX, double targetY, int& x, int& y) {
    double w = 0, h = 0;
    emscripten_get_element_css_size(kCanvas, &w, &h);
    if (w < 1 || h < 1) w = kScreenWidth, h = kScreenHeight;
    x = std::clamp(static_cast<int>(targetX * kScreenWidth / w), 0, kScreenWidth - 1);
    y = std::clamp(static_cast<int>(targetY * kScreenHeight / h), 0, kScreenHeight - 1);
}

void CanvasToPicture(const EmscriptenMouseEvent& e, int& x, int& y) {
    CanvasToPicture(e.targetX, e.targetY, x, y);
}

bool TakesInput() {
    return Running() && !web.platform->messageOpen && web.replay == nullptr;
}

// The viewer's keys: Space or P pauses, the arrows right and up watch faster, left and down
// slower; Escape, and any key or click once the replay is over, go back to the game.
bool ViewerKey(const std::string& code) {
    Watching& w = *web.replay;
    if (w.over || code == "Escape") {
        EndWatching();
    } else if (code == "Space" || code == "KeyP") {
        w.watch.TogglePause();
    } else if (code == "ArrowRight" || code == "ArrowUp") {
        w.watch.Faster();
    } else if (code == "ArrowLeft" || code == "ArrowDown") {
        w.watch.Slower();
    }
    return true;
}

EM_BOOL MouseMove(int, const EmscriptenMouseEvent* e, void*) {
    if (!TakesInput()) return EM_FALSE;
    int x = 0, y = 0;
    CanvasToPicture(*e, x, y);
    web.game->command.Move(x, y);
    return EM_TRUE;
}

EM_BOOL MouseButton(int type, const EmscriptenMouseEvent* e, void*) {
    if (Running() && web.replay != nullptr && web.replay->over &&
        type == EMSCRIPTEN_EVENT_MOUSEDOWN) {
        EndWatching();
        return EM_TRUE;
    }
    if (!TakesInput()) return EM_FALSE;
    Game& game = *web.game;
    const bool down = type == EMSCRIPTEN_EVENT_MOUSEDOWN;
    // The right button is the level editor's eraser; every other button clicks.
    if (e->button == 2)
        game.command.RightButton(down);
    else
        game.command.Button(down);
    return EM_TRUE;
}

// A finger aims where it touches and moves; lifting it clicks there (in a game it fires, on a
// menu it presses the button tapped).
EM_BOOL Touch(int type, const EmscriptenTouchEvent* e, void*) {
    if (!TakesInput()) return EM_TRUE;
    Game& game = *web.game;
    for (int i = 0; i < e->numTouches; ++i) {
        const EmscriptenTouchPoint& t = e->touches[i];
        if (!t.isChanged) continue;
        if (type == EMSCRIPTEN_EVENT_TOUCHSTART && web.finger < 0) web.finger = t.identifier;
        if (t.identifier != web.finger) continue;
        int x = 0, y = 0;
        CanvasToPicture(t.targetX, t.targetY, x, y);
        if (type != EMSCRIPTEN_EVENT_TOUCHCANCEL) game.command.Move(x, y);
        if (type == EMSCRIPTEN_EVENT_TOUCHEND || type == EMSCRIPTEN_EVENT_TOUCHCANCEL) {
            web.finger = -1;
            if (type == EMSCRIPTEN_EVENT_TOUCHEND && !web.releaseAfterTick) {
                game.command.Button(true);
                web.releaseAfterTick = true;
            }
        }
    }
    // The page neither scrolls nor makes mouse events of the touch.
    return EM_TRUE;
}

// Keyboard button of a key (KeyboardButton numbering), -1 for keys the game does not poll.
int ButtonOfKey(const char* code) {
    static const char* kCodes[][2] = {{"ArrowLeft", "0"},   {"ArrowRight", "1"}, {"ArrowUp", "2"},
                                      {"ArrowDown", "3"},   {"Space", "4"},      {"Enter", "5"},
                                      {"NumpadEnter", "5"}, {"Escape", "6"},     {"KeyP", "7"}};
    for (const auto& [name, button] : kCodes) {
        if (std::strcmp(code, name) == 0) return button[0] - '0';
    }
    return -1;
}

// The left stick as the cursor keys: pressed past two thirds, let go below a third.
void PadStick(Game& game, int role, bool horizontal, double value) {
    int& state = horizontal ? web.stickX[role] : web.stickY[role];
    int now = state;
    if (value > 0.64) now = 1;
    if (value < -0.64) now = -1;
    if (value > -0.34 && value < 0.34) now = 0;
    if (now == state) return;
    const int negative = horizontal ? kButtonLeft : kButtonUp;
    const int positive = horizontal ? kButtonRight : kButtonDown;
    if (state != 0) game.command.Stick(state < 0 ? negative : positive, false, role);
    state = now;
    if (now != 0) game.command.Stick(now < 0 ? negative : positive, true, role);
}

int AxisValue(double value) {
    return std::clamp(static_cast<int>(value * 32767.0), -32768, 32767);
}

// The first two pads of the browser's standard layout: the first plays and walks the menus, the
// second is the match's second player.
void PollPads(Game& game) {
    if (web.platform->messageOpen || emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS)
        return;
    const int pads = std::min(emscripten_get_num_gamepads(), 2);
    int role = 0;
    for (int i = 0; i < pads && role < 2; ++i) {
        EmscriptenGamepadEvent pad{};
        if (emscripten_get_gamepad_status(i, &pad) != EMSCRIPTEN_RESULT_SUCCESS || !pad.connected ||
            std::strcmp(pad.mapping, "standard") != 0)
            continue;
        for (int b = 0; b < kPadButtons; ++b) {
            const bool down = b < pad.numButtons && pad.digitalButton[b] != 0;
            if (down == web.padButtons[role][b]) continue;
            web.padButtons[role][b] = down;
            if (kPadButtonOfIndex[b] >= 0)
                game.command.Pad(static_cast<PadButton>(kPadButtonOfIndex[b]), down, role);
        }
        if (pad.numAxes >= 2) {
            PadStick(game, role, true, pad.axis[0]);
            PadStick(game, role, false, pad.axis[1]);
            if (role == 1) game.command.PadStep(AxisValue(pad.axis[0]), AxisValue(pad.axis[1]));
        }
        ++role;
    }
}

// The typed character of a key, as the window's text input gives it; none with Ctrl, Alt or Meta.
void TypedText(Game& game, const EmscriptenKeyboardEvent& k) {
    if (k.ctrlKey || k.altKey || k.metaKey) return;
    const std::string key = k.key;
    // A key's name ("Enter", "Shift") is longer than the one character a key types.
    const size_t chars = std::count_if(key.begin(), key.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    if (chars != 1) return;
    AddText(game.command, key);
}

EM_BOOL Key(int type, const EmscriptenKeyboardEvent* k, void*) {
    if (Running() && web.replay != nullptr && !web.platform->messageOpen)
        return type == EMSCRIPTEN_EVENT_KEYDOWN && !k->repeat ? ViewerKey(k->code) : EM_TRUE;
    if (!TakesInput()) return EM_FALSE;
    Game& game = *web.game;
    const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    const std::string code = k->code;
    const bool ctrl = k->ctrlKey != 0, shift = k->shiftKey != 0;
    // The browser's own keys (reload, developer tools, fullscreen) stay the browser's.
    if (code.size() >= 2 && code[0] == 'F' && code[1] >= '1' && code[1] <= '9') return EM_FALSE;
    int key = ButtonOfKey(k->code);
    if (code == "Delete") key = kKeyDelete;
    if (code == "Backspace") key = kKeyBackspace;
    if (code == "Tab") key = shift ? kKeyBackTab : kKeyTab;
    if (ctrl && code == "KeyZ") key = kKeyUndo;
    if (ctrl && code == "KeyY") key = kKeyRedo;
    if (key >= 0) game.command.Key(key, down, kFromKeyboard, k->repeat != 0);
    if (down) TypedText(game, *k);
    // Ctrl and Meta chords other than the editor's stay the browser's (copy, reload, ...).
    return key >= 0 || (!ctrl && !k->metaKey);
}

// A hidden tab or a page without the focus pauses as the window without the focus does.
void Focus(bool focused) {
    if (web.focused == focused || !Running()) return;
    web.focused = focused;
    web.game->command.LetGo(kFromKeyboard | kFromPadButton | kFromPadStick);
    web.platform->Exposed();
    // "Pause" on a lost focus would make this side's game differ from the other's.
    if (!NetMatch()) FocusChanged(*web.game, focused);
}

EM_BOOL FocusEvent(int type, const EmscriptenFocusEvent*, void*) {
    Focus(type == EMSCRIPTEN_EVENT_FOCUS);
    return EM_FALSE;
}

EM_BOOL Visibility(int, const EmscriptenVisibilityChangeEvent* e, void*) {
    Focus(!e->hidden);
    return EM_FALSE;
}

void ListenToThePage() {
    emscripten_set_mousemove_callback(kCanvas, nullptr, true, MouseMove);
    emscripten_set_mousedown_callback(kCanvas, nullptr, true, MouseButton);
    // A button let go outside the canvas still ends the click, as the window's captured mouse.
    emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, true, MouseButton);
    emscripten_set_touchstart_callback(kCanvas, nullptr, true, Touch);
    emscripten_set_touchmove_callback(kCanvas, nullptr, true, Touch);
    emscripten_set_touchend_callback(kCanvas, nullptr, true, Touch);
    emscripten_set_touchcancel_callback(kCanvas, nullptr, true, Touch);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, true, Key);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, true, Key);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, true, FocusEvent);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, true, FocusEvent);
    emscripten_set_visibilitychange_callback(nullptr, true, Visibility);
}

}  // namespace

extern "C" {

// Called by the page once the saves are read from the browser's storage. seed 0: the clock's.
EMSCRIPTEN_KEEPALIVE void rhombulus_start(double seed, int firstStartLanguage, int stepped) {
    web.platform = std::make_unique<WebPlatform>();
    web.platform->waveDir = "/res/waves";
    web.game = std::make_unique<Game>();
    Game& game = *web.game;
    const auto clockSeed =
        seed > 0
            ? static_cast<std::uint64_t>(seed)
            : static_cast<std::uint64_t>(emscripten_get_now() * 1000.0 + emscripten_random() * 1e9);
    InitGame(game, *web.platform, "/res", clockSeed);
    game.savesDir = "/data/saves";
    game.env.levelsDir = "/data/levels";
    game.shell.FirstStartLanguage = firstStartLanguage;
    web.stepped = stepped != 0;
    NetSessionConfig netConfig;
    netConfig.resDir = "/res";
    netConfig.relay = web.relay;
    netConfig.seed = clockSeed;
    netConfig.name = "browser";
    netConfig.connect = [](const std::string& host, std::uint16_t port, std::string* error) {
        return std::unique_ptr<net::Transport>(WsTransport::Connect(host, port, error));
    };
    web.net = std::make_unique<NetSession>(netConfig);
    game.netMenu.noLan = true;
    ListenToThePage();
    emscripten_request_animation_frame_loop(AnimationFrame, nullptr);
}

// The relay's WebSocket door, HOST:PORT, before rhombulus_start.
EMSCRIPTEN_KEEPALIVE void rhombulus_set_relay(const char* relay) {
    web.relay = relay;
}

// The page's address asked for the network match (#join=CODE, #watch=CODE, #host): its screen,
// the code typed in, and the ask as if its button were pressed. ask: 1 host, 2 join, 3 watch.
EMSCRIPTEN_KEEPALIVE void rhombulus_net_open(int ask, const char* address) {
    if (!Running() || NetMatch()) return;
    Game& game = *web.game;
    ShowNetMatch(game);
    game.netMenu.address = address;
    game.netMenu.ask = ask == 1   ? NetMenu::Ask::kHost
                       : ask == 2 ? NetMenu::Ask::kJoin
                       : ask == 3 ? NetMenu::Ask::kWatch
                                  : NetMenu::Ask::kNone;
}

// The test page's clock: n ticks now, whatever the focus; returns the ticks run so far.
EMSCRIPTEN_KEEPALIVE double rhombulus_step(int n) {
    for (int i = 0; i < n && Running() && !NetMatch(); ++i) RunTick();
    return static_cast<double>(web.ticks);
}

// A kept game the page was given (dropped on it, or #replay=URL) at `path` in the page's files:
// watched from its start in a game of its own. False, with the reason on the page, when it
// cannot be shown (damaged, another version, other levels).
EMSCRIPTEN_KEEPALIVE int rhombulus_watch_replay(const char* path) {
    if (!Running() || NetMatch() || web.platform->messageOpen) return 0;
    auto w = std::make_unique<Watching>();
    const ReplayHeader here = ThisGamesReplayHeader("/res", 0, 0);
    const FileBytes file = ReadFileBytes(path, kMaxInputScriptBytes);
    std::string why = "it cannot be read";
    bool ok = file.Ok() && w->watch.Load(std::string(file.bytes.begin(), file.bytes.end()),
                                         here.version, here.levels, why);
    if (ok) {
        w->game = std::make_unique<Game>();
        InitGame(*w->game, *web.platform, "/res", w->watch.Header().seed);
        ok = w->watch.Prepare(*w->game, w->scratch.Path(), why);
    }
    if (!ok) {
        web.platform->ShowMessage("The replay cannot be shown: " + why);
        return 0;
    }
    web.game->keys = KeysHeld{};
    web.game->command = Command{};
    web.platform->Exposed();
    web.replay = std::move(w);
    return 1;
}

// What the network screen says (the room code while hosting, why a join failed), a line each.
EMSCRIPTEN_KEEPALIVE const char* rhombulus_net_status() {
    static std::string text;
    text.clear();
    if (web.game != nullptr) {
        for (const std::string& line : web.game->netMenu.status) text += line + "\n";
    }
    return text.c_str();
}

// The test page hands the clock back to the animation frames.
EMSCRIPTEN_KEEPALIVE void rhombulus_run_free() {
    web.stepped = false;
}

EMSCRIPTEN_KEEPALIVE double rhombulus_ticks() {
    return static_cast<double>(web.ticks);
}

// The pixels the renderer drew again, summed over the page's ticks so far.
EMSCRIPTEN_KEEPALIVE double rhombulus_drawn_pixels() {
    return web.drawnPixels;
}

// The screen shown: the watched replay's while one plays.
EMSCRIPTEN_KEEPALIVE int rhombulus_screen() {
    if (web.replay != nullptr) return web.replay->game->shell.ScreenId;
    return web.game != nullptr ? web.game->shell.ScreenId : -1;
}

// The simulation's state hash as 16 hex digits, to compare with the runner's --hash-every.
EMSCRIPTEN_KEEPALIVE const char* rhombulus_state_hash() {
    static char text[17];
    std::snprintf(text, sizeof text, "%016llx",
                  web.replay != nullptr
                      ? static_cast<unsigned long long>(StateHash(*web.replay->game))
                  : web.game != nullptr ? static_cast<unsigned long long>(StateHash(*web.game))
                                        : 0ull);
    return text;
}

// The picture the canvas shows, 800 x 600 RGBA.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* rhombulus_picture() {
    return web.platform != nullptr ? web.platform->Rgba() : nullptr;
}

// The tab is closed or reloaded: what the window's close button keeps (the settings, the game
// on screen for the next start) is written before the page goes.
EMSCRIPTEN_KEEPALIVE void rhombulus_page_closing() {
    // In a network match the other player is told, and this side's own game is back before
    // its files are written.
    if (Running() && NetMatch()) {
        web.game->command.events.clear();
        web.net->Leave(*web.game);
    }
    if (Running()) WindowCloseRequested(*web.game);
}

// The message box's OK: the game goes on.
EMSCRIPTEN_KEEPALIVE void rhombulus_message_closed() {
    if (web.platform != nullptr) web.platform->messageOpen = false;
}

// The page's language ("de-CH") as a first start's language of the game.
EMSCRIPTEN_KEEPALIVE int rhombulus_language_of(const char* browserLanguage) {
    std::string locale = browserLanguage;
    std::replace(locale.begin(), locale.end(), '-', '_');
    return LanguageFromLocale(nullptr, nullptr, nullptr, locale.c_str());
}

}  // extern "C"

int main() {
    // The page starts the game (rhombulus_start) when the saves are there.
    // clang-format off
    EM_ASM({ if (Module.rhombulusReady) Module.rhombulusReady(); });
    // clang-format on
    return 0;
}
