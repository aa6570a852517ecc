// rhombulus2: the game in a real window. One tick every 15 ms while the window has the focus;
// after a stall the next tick simply follows, there is no burst to catch up.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/instance_lock.h"
#include "platform/sdl/sdl_events.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/command_line.h"
#include "shell/frame_loop.h"
#include "shell/game.h"
#include "shell/paths.h"
#include "shell/user_files.h"

namespace {

std::string ProgramDir() {
    char* base = SDL_GetBasePath();
    std::string dir = base != nullptr ? base : "./";
    SDL_free(base);
    if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

void RunTicks(Game& game, SdlPlatform& platform, WindowSession& session) {
    const double period = 15.0;
    const double frequency = static_cast<double>(SDL_GetPerformanceFrequency());
    auto nowMs = [&] { return SDL_GetPerformanceCounter() * 1000.0 / frequency; };
    double next = nowMs() + period;
    while (!game.shell.WindowClosed) {
        SDL_Event e;
        while (!game.shell.WindowClosed && SDL_PollEvent(&e))
            HandleSdlEvent(game, platform, session, e);
        if (game.shell.WindowClosed) break;
        const double now = nowMs();
        if (now < next) {
            const int wait = static_cast<int>(next - now);
            if (wait >= 2) {
                if (SDL_WaitEventTimeout(&e, wait - 1)) HandleSdlEvent(game, platform, session, e);
            } else {
                SDL_Delay(0);
            }
            continue;
        }
        next += period;
        // Lag is ignored: after a stall the next tick is one period away, not a burst.
        if (now > next) next = now + period;
        if (session.focused && game.shell.TimerEnabled) {
            BeforeTick(game, platform);
            FrameTick(game);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const CommandLine cl = ParseCommandLine(argc, argv);
    switch (cl.action) {
        case CommandLine::Action::kHelp:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case CommandLine::Action::kVersion:
            std::fputs(VersionText().c_str(), stdout);
            return 0;
        case CommandLine::Action::kUsageError:
            std::fprintf(stderr, "rhombulus2: %s\n%s", cl.error.c_str(), UsageText().c_str());
            return 2;
        case CommandLine::Action::kRun:
            break;
    }
    const std::string resDir = FindResDir(ProgramDir());
    const char* home = std::getenv("HOME");
    const std::string savesDir = UserSavesDir(std::getenv("XDG_DATA_HOME"), home);
    const std::string configDir = UserConfigDir(std::getenv("XDG_CONFIG_HOME"), home);
    PrepareSavesDir(savesDir, resDir + "/saves");
    // Two copies of the game would overwrite each other's settings and saves.
    InstanceLock lock;
    if (!lock.Acquire(savesDir + "/.lock")) {
        const char* text = "Rhombulus2 is already running. / Rhombulus2 läuft schon.";
        std::fprintf(stderr, "rhombulus2: %s\n", text);
        if (SDL_Init(SDL_INIT_VIDEO) == 0) {
            SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "Rhombulus2", text, nullptr);
            SDL_Quit();
        }
        return 1;
    }
    const bool fullscreen =
        cl.fullscreen >= 0 ? cl.fullscreen == 1 : ReadFullscreenOption(configDir);
    SdlPlatform platform(resDir);
    if (!platform.Open(fullscreen)) {
        SDL_Quit();
        return 1;
    }
    Surface icon;
    if (LoadSurface(icon, resDir + "/icon.bmp")) platform.SetIcon(icon);
    Game game;
    const auto seed =
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    InitGame(game, platform, resDir, seed);
    game.savesDir = savesDir;
    game.shell.FirstStartLanguage =
        LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    WindowSession session;
    session.configDir = configDir;
    RunTicks(game, platform, session);
    platform.CloseWindow();
    SDL_Quit();
    return game.shell.ExitStatus;
}
