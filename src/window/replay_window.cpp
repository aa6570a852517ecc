#include "window/replay_window.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "core/catalogue.h"
#include "core/game.h"
#include "core/words.h"
#include "menus/pack_screen.h"
#include "platform/file_bytes.h"
#include "presentation/bitmaps.h"
#include "presentation/render.h"
#include "presentation/text.h"
#include "runner/replay_watch.h"
#include "shell/command_line.h"
#include "window/outline.h"

namespace {

// The recorded game's platform: the window's picture and sound, the replay's keys, and no
// message box or close of its own (a box would stop the watching, the close is the watcher's).
class WatchPlatform : public Platform {
  public:
    explicit WatchPlatform(SdlPlatform& window) : window_(window) {}
    // The watcher flips the last tick of a frame itself, with its bar over it.
    void FlipDisplay(const Surface&) override {}
    void HideSystemPointer() override { window_.HideSystemPointer(); }
    void ShowMessage(const std::string&) override {}
    void CloseWindow() override {}
    void PlayWave(const std::string& name, int pan, int volume) override {
        window_.PlayWave(name, pan, volume);
    }
    bool AudioVersionOk() const override { return window_.AudioVersionOk(); }
    void AudioInit() override { window_.AudioInit(); }
    void SuspendAudio(bool suspend) override { window_.SuspendAudio(suspend); }
    bool MusicOpen(const std::string& path) override { return window_.MusicOpen(path); }
    void MusicPlay() override { window_.MusicPlay(); }
    void MusicPause() override { window_.MusicPause(); }
    void MusicFree() override { window_.MusicFree(); }
    int MusicGetVolume() const override { return window_.MusicGetVolume(); }
    void MusicSetVolume(int volume) override { window_.MusicSetVolume(volume); }
    double MusicPositionSeconds() const override { return window_.MusicPositionSeconds(); }
    double MusicLengthSeconds() const override { return window_.MusicLengthSeconds(); }
    void MusicSetPositionSeconds(double s) override { window_.MusicSetPositionSeconds(s); }

  private:
    SdlPlatform& window_;
};

constexpr int kBarHeight = 4;
// The widest line under a replay's trouble: the picture less a margin.
constexpr int kTroubleWidth = 760;

// The thin bar along the bottom edge: how far the replay is.
void DrawProgressBar(Surface& picture, int permille) {
    if (picture.width <= 0 || picture.height <= kBarHeight) return;
    const int filled = picture.width * permille / 1000;
    for (int y = picture.height - kBarHeight; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x)
            picture.At(x, y) = x < filled ? Rgb(255, 204, 51) : Rgb(40, 40, 60);
    }
}

// The speed and the pause over the recorded game's picture, in its own font.
void DrawWatchState(Game& game, const ReplayWatch& watch, const std::string& note, int language) {
    if (!game.bitmaps.loaded) return;
    // The watcher's words in the watcher's language, the recorded game's in the player's.
    const int played = game.shell.Language;
    game.shell.Language = language;
    BeginTextFrame(game);
    if (!note.empty()) {
        DrawText(game, 20, 8, kAlignLeft, Tr(game, "Not verified:"), 2);
        DrawText(game, 20, 30, kAlignLeft, note, 3);
    }
    if (watch.Speed() > 1) {
        std::string speed = "x";
        speed += std::to_string(watch.Speed());
        DrawText(game, 790, 8, kAlignRight, speed, 1);
    }
    if (watch.Paused()) DrawText(game, 400, 290, kAlignCentre, Tr(game, "Pause"), 1);
    DrawTextQueue(game);
    game.shell.Language = played;
}

bool QuitEvent(const SDL_Event& e) {
    return e.type == SDL_QUIT ||
           (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE);
}

// What the window itself must hear while watching: its size, its exposure, its focus.
void WindowEvent(SdlPlatform& window, WindowSession& session, const SDL_Event& e) {
    if (e.type != SDL_WINDOWEVENT) return;
    switch (e.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            window.WindowSizeChanged();
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            window.Exposed();
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            session.focused = e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
            window.Exposed();
            window.SuspendAudio(!session.focused);
            break;
        default:
            break;
    }
}

// Why the replay cannot be shown, until a key, a click or the close button.
WatchEnd ShowTrouble(SdlPlatform& window, WindowSession& session, Game& game,
                     const std::string& resDir, const std::string& path, ReplayTrouble trouble,
                     const std::string& why) {
    ForgetShownScene(game);
    SetSurfaceSize(game.backBuffer, kScreenWidth, kScreenHeight);
    const bool drawable = LoadBitmaps(game.bitmaps, resDir, nullptr) && LoadGameFont(game);
    if (drawable) {
        BeginTextFrame(game);
        DrawText(game, 400, 250, kAlignCentre, Tr(game, ReplayTroubleWords(trouble)), 1);
        // Below it the file's name, and for another version the versions (in English, for
        // whoever sent the file); the whole reason, which names the game's insides, goes to
        // stderr.
        const std::string name =
            path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
        DrawText(game, 400, 300, kAlignCentre, FitText(game, name, kTroubleWidth), 3);
        if (trouble == ReplayTrouble::kVersion)
            DrawText(game, 400, 330, kAlignCentre, FitText(game, why, kTroubleWidth), 3);
        DrawTextQueue(game);
    }
    std::fprintf(stderr, "rhombulus2: the replay cannot be shown: %s\n", why.c_str());
    SDL_Event e;
    for (;;) {
        window.FlipDisplay(game.backBuffer);
        if (!SDL_WaitEventTimeout(&e, 100)) continue;
        if (QuitEvent(e)) return WatchEnd::kClosed;
        WindowEvent(window, session, e);
        if (e.type == SDL_KEYDOWN || e.type == SDL_MOUSEBUTTONDOWN) return WatchEnd::kLeft;
    }
}

// The two choices at the end: "Watch again" left, "Back" right, each a frame around its word.
constexpr int kEndChoiceY = 320;
constexpr int kEndChoiceX[2] = {265, 510};
constexpr int kEndChoiceHalfWidth = 115;
constexpr int kEndChoiceHeight = 26;

// The choice under the picture point (x, y): 0 "Watch again", 1 "Back", -1 none.
int EndChoiceAt(int x, int y) {
    for (int i = 0; i < 2; ++i) {
        if (std::abs(x - kEndChoiceX[i]) <= kEndChoiceHalfWidth && y >= kEndChoiceY - 4 &&
            y <= kEndChoiceY + kEndChoiceHeight)
            return i;
    }
    return -1;
}

// The replay's last picture, dimmed, with word that it has ended and the two choices.
void DrawEnd(Game& game, const Surface& last, int chosen, int language) {
    ForgetShownScene(game);
    game.backBuffer = last;
    for (std::uint32_t& p : game.backBuffer.pixels) p = (p >> 1) & 0x7F7F7F;
    const int played = game.shell.Language;
    game.shell.Language = language;
    BeginTextFrame(game);
    DrawText(game, 400, 250, kAlignCentre, Tr(game, "The replay has ended."), 1);
    DrawText(game, kEndChoiceX[0], kEndChoiceY, kAlignCentre, Tr(game, "Watch again"),
             chosen == 0 ? 2 : 3);
    DrawText(game, kEndChoiceX[1], kEndChoiceY, kAlignCentre, Tr(game, "Back"),
             chosen == 1 ? 2 : 3);
    DrawTextQueue(game);
    game.shell.Language = played;
    for (int i = 0; i < 2; ++i) {
        DrawOutline(game.backBuffer, kEndChoiceX[i] - kEndChoiceHalfWidth, kEndChoiceY - 4,
                    kEndChoiceX[i] + kEndChoiceHalfWidth, kEndChoiceY + kEndChoiceHeight,
                    i == chosen ? Rgb(255, 204, 51) : Rgb(120, 120, 140));
    }
}

enum class EndChoice { kAgain, kBack, kClosed };

// The end of the replay: it stays on screen until the player chooses to watch it again or to
// go back (Escape, or the close button); it never leaves by itself.
EndChoice ShowEnd(SdlPlatform& window, WindowSession& session, Game& game, const Surface& last,
                  int language) {
    int chosen = 0;
    SDL_Event e;
    bool redraw = true;
    for (;;) {
        if (redraw) {
            DrawEnd(game, last, chosen, language);
            window.FlipDisplay(game.backBuffer);
            redraw = false;
        }
        if (!SDL_WaitEventTimeout(&e, 100)) continue;
        if (QuitEvent(e)) return EndChoice::kClosed;
        WindowEvent(window, session, e);
        if (e.type == SDL_WINDOWEVENT) redraw = true;
        if (e.type == SDL_KEYDOWN && e.key.repeat == 0) {
            switch (e.key.keysym.scancode) {
                case SDL_SCANCODE_LEFT:
                case SDL_SCANCODE_RIGHT:
                case SDL_SCANCODE_TAB:
                    chosen = 1 - chosen;
                    redraw = true;
                    break;
                case SDL_SCANCODE_RETURN:
                case SDL_SCANCODE_KP_ENTER:
                case SDL_SCANCODE_SPACE:
                    return chosen == 0 ? EndChoice::kAgain : EndChoice::kBack;
                case SDL_SCANCODE_ESCAPE:
                case SDL_SCANCODE_BACKSPACE:
                    return EndChoice::kBack;
                default:
                    break;
            }
        }
        if (e.type == SDL_MOUSEMOTION || e.type == SDL_MOUSEBUTTONDOWN) {
            int x = 0, y = 0;
            const bool down = e.type == SDL_MOUSEBUTTONDOWN;
            window.WindowToPicturePoint(down ? e.button.x : e.motion.x,
                                        down ? e.button.y : e.motion.y, x, y);
            const int at = EndChoiceAt(x, y);
            if (at >= 0 && at != chosen) {
                chosen = at;
                redraw = true;
            }
            if (down && e.button.button == SDL_BUTTON_LEFT && at >= 0)
                return at == 0 ? EndChoice::kAgain : EndChoice::kBack;
        }
    }
}

enum class PlayEnd { kLeft, kClosed, kEnded };

// The replay played once, from its start to its end or until the player leaves or closes the
// window. At its end `last` holds its last picture.
PlayEnd PlayOnce(SdlPlatform& window, WindowSession& session, ReplayWatch& watch, Game& game,
                 const std::string& note, int language, Surface& last) {
    using Clock = std::chrono::steady_clock;
    constexpr auto kPeriod = std::chrono::microseconds(15000);
    auto next = Clock::now();
    for (;;) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (QuitEvent(e)) return PlayEnd::kClosed;
            if (e.type == SDL_KEYDOWN && e.key.repeat == 0) {
                switch (e.key.keysym.scancode) {
                    case SDL_SCANCODE_SPACE:
                        watch.TogglePause();
                        break;
                    case SDL_SCANCODE_RIGHT:
                        watch.Faster();
                        break;
                    case SDL_SCANCODE_LEFT:
                        watch.Slower();
                        break;
                    case SDL_SCANCODE_ESCAPE:
                        return PlayEnd::kLeft;
                    default:
                        break;
                }
            } else {
                WindowEvent(window, session, e);
            }
        }
        if (!session.focused) {
            // No ticks without the focus, as in play.
            SDL_WaitEventTimeout(nullptr, 100);
            next = Clock::now();
            continue;
        }
        std::this_thread::sleep_until(next);
        next += kPeriod;
        if (Clock::now() > next) next = Clock::now() + kPeriod;
        const bool more = watch.Frame(game);
        // The recorded game closed its window: its pictures are gone with it, the last one
        // shown stays.
        if (game.session.WindowClosed) return PlayEnd::kEnded;
        // A game left for the menu ends on the menu's first, bare tick: its last picture is the
        // game's own.
        const int screen = game.shell.ScreenId;
        if (more || (screen != kScreenMainMenu && screen != kScreenEditor)) last = game.backBuffer;
        if (!more) return PlayEnd::kEnded;
        DrawWatchState(game, watch, note, language);
        DrawProgressBar(game.backBuffer, watch.Permille());
        // Drawn over the scene: the next frame is drawn whole.
        ForgetShownScene(game);
        window.FlipDisplay(game.backBuffer);
    }
}

}  // namespace

WatchEnd WatchReplayInWindow(SdlPlatform& window, WindowSession& session, const std::string& resDir,
                             const std::string& path, int language, const std::string& note,
                             int speed) {
    const FileBytes file = ReadFileBytes(path, kMaxInputScriptBytes);
    for (;;) {
        WatchPlatform platform(window);
        auto game = std::make_unique<Game>();
        ReplayWatch watch;
        std::string why;
        bool ok = file.Ok();
        if (!ok)
            why = path + " " + DescribeFileProblem(file.problem);
        else
            ok = watch.Load(std::string(file.bytes.begin(), file.bytes.end()), GameVersion(),
                            LevelFilesHash(resDir + "/Levelz"), why);
        InitGame(*game, platform, resDir, watch.Header().seed);
        ScratchFolder scratch;
        if (ok) ok = watch.Prepare(*game, scratch.Path(), why);
        if (!ok) {
            game->shell.Language = language;
            return ShowTrouble(window, session, *game, resDir, path,
                               file.Ok() ? watch.Trouble() : ReplayTrouble::kUnreadable, why);
        }
        watch.SetSpeed(speed);
        Surface last = game->backBuffer;
        const PlayEnd played = PlayOnce(window, session, watch, *game, note, language, last);
        window.MusicFree();
        if (played == PlayEnd::kClosed) return WatchEnd::kClosed;
        if (played == PlayEnd::kLeft) return WatchEnd::kLeft;
        // A recorded game that closed its window took its font along: the end needs one.
        if (!game->bitmaps.loaded &&
            !(LoadBitmaps(game->bitmaps, resDir, nullptr) && LoadGameFont(*game)))
            return WatchEnd::kLeft;
        const EndChoice choice = ShowEnd(window, session, *game, last, language);
        if (choice == EndChoice::kClosed) return WatchEnd::kClosed;
        if (choice == EndChoice::kBack) return WatchEnd::kLeft;
        speed = watch.Speed();
    }
}
