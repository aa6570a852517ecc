// rhombulus2: the game in a real window. One tick every 15 ms while the window has the focus;
// after a stall the next tick simply follows, there is no burst to catch up.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/sdl/sdl_platform.h"
#include "core/encoding.h"
#include "shell/frame_loop.h"
#include "core/game.h"
#include "shell/input.h"
#include "shell/recorder.h"

namespace {

std::string ResBesideBinary() {
    char* base = SDL_GetBasePath();
    std::string dir = base != nullptr ? base : "./";
    SDL_free(base);
    return dir + "res";
}

void HandleEvent(Game& game, const SdlPlatform& platform, const SDL_Event& e, bool& focused) {
    switch (e.type) {
        case SDL_QUIT:
            WindowCloseRequested(game);
            break;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    WindowCloseRequested(game);
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    // Window managers also report the size the window already has; moving the
                    // window to another monitor is no reason to quit.
                    if (!platform.IsOpenedSize(e.window.data1, e.window.data2)) DXDraw1Resize(game);
                    break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    focused = true;
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    focused = false;
                    break;
                default:
                    break;
            }
            break;
        case SDL_MOUSEMOTION:
            DXDraw1MouseMove(game, std::clamp(e.motion.x, 0, 799), std::clamp(e.motion.y, 0, 599));
            break;
        case SDL_MOUSEBUTTONDOWN:
            DXDraw1MouseDown(game);
            break;
        case SDL_MOUSEBUTTONUP:
            DXDraw1MouseUp(game);
            break;
        case SDL_TEXTINPUT:
            for (char c : Utf8ToCp1252(e.text.text)) {
                DXDraw1KeyPress(game, static_cast<unsigned char>(c));
            }
            break;
        case SDL_KEYDOWN:
            if (e.key.keysym.sym == SDLK_BACKSPACE) DXDraw1KeyPress(game, 8);
            break;
        default:
            break;
    }
}

}  // namespace

int main(int argc, char** argv) {
    // rhombulus2 [--record FILE]: FILE gets what the player does, for rhombulus2-headless --input.
    std::string recordPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--record" && i + 1 < argc) {
            recordPath = argv[++i];
        } else {
            std::fprintf(stderr, "usage: rhombulus2 [--record FILE]\n");
            return 2;
        }
    }
    const std::string resDir = ResBesideBinary();
    const auto seed =
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    InputRecorder recorder;
    if (!recordPath.empty() && !recorder.Open(recordPath, seed)) {
        std::fprintf(stderr, "rhombulus2: cannot write %s\n", recordPath.c_str());
        return 2;
    }
    SdlPlatform platform(resDir);
    if (!platform.Open()) return 1;
    Game game;
    InitGame(game, platform, resDir, seed);
    if (!recordPath.empty()) game.recorder = &recorder;

    const double period = 15.0;
    const double frequency = static_cast<double>(SDL_GetPerformanceFrequency());
    auto nowMs = [&] { return SDL_GetPerformanceCounter() * 1000.0 / frequency; };
    double next = nowMs() + period;
    bool focused = true;
    while (!game.shell.WindowClosed) {
        SDL_Event e;
        while (!game.shell.WindowClosed && SDL_PollEvent(&e))
            HandleEvent(game, platform, e, focused);
        if (game.shell.WindowClosed) break;
        const double now = nowMs();
        if (now < next) {
            const int wait = static_cast<int>(next - now);
            if (wait >= 2) {
                if (SDL_WaitEventTimeout(&e, wait - 1)) HandleEvent(game, platform, e, focused);
            } else {
                SDL_Delay(0);
            }
            continue;
        }
        next += period;
        // Lag is ignored: after a stall the next tick is one period away, not a burst.
        if (now > next) next = now + period;
        if (focused && game.shell.TimerEnabled) FrameTick(game);
    }
    SDL_Quit();
    return game.shell.ExitStatus;
}
