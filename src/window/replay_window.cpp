#include "window/replay_window.h"

#include <array>
#include <chrono>
#include <memory>
#include <thread>

#include "core/catalogue.h"
#include "core/game.h"
#include "core/words.h"
#include "platform/file_bytes.h"
#include "presentation/bitmaps.h"
#include "presentation/text.h"
#include "runner/replay_watch.h"
#include "shell/command_line.h"

namespace {

// The recorded game's platform: the window's picture and sound, the replay's keys, and no
// message box or close of its own (a box would stop the watching, the close is the watcher's).
class WatchPlatform : public Platform {
  public:
    explicit WatchPlatform(SdlPlatform& window) : window_(window) {}
    std::array<bool, 8> keysDown{};
    std::array<bool, 8> keysTapped{};

    // The watcher flips the last tick of a frame itself, with its bar over it.
    void FlipDisplay(const Surface&) override {}
    void HideSystemPointer() override { window_.HideSystemPointer(); }
    void UpdateKeyboard() override {
        for (int i = 0; i < 8; ++i) snapshot_[i] = keysDown[i] || keysTapped[i];
        keysTapped.fill(false);
    }
    bool KeyboardButton(int n) const override { return n >= 0 && n < 8 && snapshot_[n]; }
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
    std::array<bool, 8> snapshot_{};
};

constexpr int kBarHeight = 4;

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

Words TroubleText(ReplayTrouble trouble) {
    switch (trouble) {
        case ReplayTrouble::kVersion:
            return N_("This replay comes from another version of the game.");
        case ReplayTrouble::kLevels:
            return N_("This replay was played with other levels.");
        case ReplayTrouble::kUnreadable:
            return N_("This replay cannot be read.");
        case ReplayTrouble::kUnwritable:
            return N_("This replay cannot be played here.");
        default:
            return N_("This replay is damaged.");
    }
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
                     const std::string& resDir, ReplayTrouble trouble, const std::string& why) {
    SetSurfaceSize(game.backBuffer, kScreenWidth, kScreenHeight);
    const bool drawable = LoadBitmaps(game.bitmaps, resDir, nullptr) && LoadGameFont(game);
    if (drawable) {
        BeginTextFrame(game);
        DrawText(game, 400, 250, kAlignCentre, Tr(game, TroubleText(trouble)), 1);
        // The detail stays in English: it names versions and lines for whoever sent the file.
        DrawText(game, 400, 300, kAlignCentre, why, 1);
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

}  // namespace

WatchEnd WatchReplayInWindow(SdlPlatform& window, WindowSession& session, const std::string& resDir,
                             const std::string& path, int language, const std::string& note,
                             int speed) {
    WatchPlatform platform(window);
    auto game = std::make_unique<Game>();
    ReplayWatch watch;
    std::string why;
    const FileBytes file = ReadFileBytes(path, kMaxInputScriptBytes);
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
        return ShowTrouble(window, session, *game, resDir,
                           file.Ok() ? watch.Trouble() : ReplayTrouble::kUnreadable, why);
    }
    watch.SetSpeed(speed);
    const ScriptKeys keys{platform.keysDown, platform.keysTapped};
    using Clock = std::chrono::steady_clock;
    constexpr auto kPeriod = std::chrono::microseconds(15000);
    auto next = Clock::now();
    WatchEnd end = WatchEnd::kLeft;
    bool running = true;
    while (running) {
        SDL_Event e;
        while (running && SDL_PollEvent(&e)) {
            if (QuitEvent(e)) {
                end = WatchEnd::kClosed;
                running = false;
            } else if (e.type == SDL_KEYDOWN && e.key.repeat == 0) {
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
                        running = false;
                        break;
                    default:
                        break;
                }
            } else {
                WindowEvent(window, session, e);
            }
        }
        if (!running) break;
        if (!session.focused) {
            // No ticks without the focus, as in play.
            SDL_WaitEventTimeout(nullptr, 100);
            next = Clock::now();
            continue;
        }
        std::this_thread::sleep_until(next);
        next += kPeriod;
        if (Clock::now() > next) next = Clock::now() + kPeriod;
        running = watch.Frame(*game, keys);
        // The recorded game closed its window: its pictures are gone with it.
        if (game->session.WindowClosed) break;
        DrawWatchState(*game, watch, note, language);
        DrawProgressBar(game->backBuffer, watch.Permille());
        window.FlipDisplay(game->backBuffer);
    }
    window.MusicFree();
    return end;
}
