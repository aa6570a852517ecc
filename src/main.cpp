// rhombulus2: the game in a real window. One tick every 15 ms while the window has the focus;
// after a stall the next tick simply follows, there is no burst to catch up.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "core/game.h"
#include "core/paths.h"
#include "core/state_io.h"
#include "core/words.h"
#include "menus/highscore_replays.h"
#include "menus/settings.h"
#include "net/net_texts.h"
#include "online/online_session.h"
#include "platform/instance_lock.h"
#include "platform/sdl/sdl_platform.h"
#include "presentation/music.h"
#include "runner/game_replays.h"
#include "runner/net_replay.h"
#include "shell/command_line.h"
#include "shell/frame_loop.h"
#include "shell/input.h"
#include "shell/net_session.h"
#include "shell/recorder.h"
#include "shell/replay_store.h"
#include "shell/user_files.h"
#include "window/highscore_watch.h"
#include "window/replay_window.h"
#include "window/sdl_events.h"
#include "window/tick_log.h"

namespace {

std::string ProgramDir() {
    char* base = SDL_GetBasePath();
    std::string dir = base != nullptr ? base : "./";
    SDL_free(base);
    if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

// The name the LAN list shows for this player: the login name, letters and digits only.
std::string PlayerName(const char* user) {
    std::string name;
    for (const char* c = user; c != nullptr && *c != '\0' && name.size() < 16; ++c) {
        if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9'))
            name += *c;
    }
    return name.empty() ? "rhombulus2" : name;
}

std::uint16_t PortFromEnv(const char* variable) {
    const char* text = std::getenv(variable);
    if (text == nullptr) return 0;
    const long port = std::strtol(text, nullptr, 10);
    return port > 0 && port <= 65535 ? static_cast<std::uint16_t>(port) : 0;
}

// For tests of a bad link: "DROP,DELAY,JITTER" (per cent, ms, ms) on this machine's end of the
// network match, both directions, as the runner's --net-drop, --net-delay and --net-jitter.
net::LinkFaults FaultsFromEnv(const char* variable, std::uint64_t seed) {
    net::LinkFaults faults;
    faults.seed = seed;
    const char* text = std::getenv(variable);
    int drop = 0, delay = 0, jitter = 0;
    if (text != nullptr && std::sscanf(text, "%d,%d,%d", &drop, &delay, &jitter) == 3) {
        faults.dropPercent = std::clamp(drop, 0, 100);
        faults.delayMs = std::clamp(delay, 0, 5000);
        faults.jitterMs = std::clamp(jitter, 0, 5000);
    }
    return faults;
}

// A chosen game (a highscore entry's, a leaderboard row's) watched, and back to its screen.
void WatchFromScreen(Game& game, SdlPlatform& platform, WindowSession& session,
                     const std::string& file, const std::string& note) {
    const int volume = platform.MusicGetVolume();
    const WatchEnd end =
        WatchReplayInWindow(platform, session, game.env.resDir, file, game.shell.Language, note);
    // The table's tune again, where the watched game's stopped.
    if (!game.music.lastFile.empty()) MusicPlayFile(game, game.music.lastFile);
    platform.MusicSetVolume(volume);
    platform.Exposed();
    // The click on "Watch" went down in the game; its release came while watching.
    if (game.input.MouseButtonDown == 1) DXDraw1MouseUp(game);
    if (end == WatchEnd::kClosed) WindowCloseRequested(game);
}

// The replay of the network match on screen, written when it ends and begun anew.
struct NetMatchKeeper {
    ReplayHeader header;
    std::string dir;
    NetMatchReplay replay;
    void Keep(const Game& game) {
        const std::string name = replay.Keep(game, dir);
        if (!name.empty())
            std::fprintf(stderr, "rhombulus2: the match is kept as %s\n", name.c_str());
        replay = NetMatchReplay(header);
    }
};

// A network match's tick: runs when both players' commands are there. While the other's are
// late the loop tries again every millisecond and, after a while, says so over the frozen
// picture; a match that ends early shows why, then both are back at the main menu.
bool NetTick(Game& game, SdlPlatform& platform, WindowSession& session, NetSession& net,
             NetMatchKeeper& kept, std::int64_t nowMs, bool& waitingShown) {
    // The window's record becomes this machine's command; the game itself sees only the two
    // players' commands, as the other machine does.
    FoldIntoControls(game, game.command, session.local);
    game.command.events.clear();
    const NetSession::Tick tick = net.MatchTick(game, session.local, nowMs);
    if (tick == NetSession::Tick::kRan && session.netTrace != nullptr && net.LastTick() % 60 == 0) {
        std::fprintf(session.netTrace, "%u %016llx level %d\n", net.LastTick(),
                     static_cast<unsigned long long>(StateHash(game)), game.play.LevelNumber);
        // At once: a test reads it while the match runs.
        std::fflush(session.netTrace);
    }
    if (tick == NetSession::Tick::kWaiting) {
        if (net.ShowWaiting() && !waitingShown) ShowNotice(game, Tr(game, net::kWaitingWords));
        waitingShown = waitingShown || net.ShowWaiting();
        return false;
    }
    waitingShown = false;
    if (tick != NetSession::Tick::kEnded) return true;
    kept.Keep(game);
    const Words why = net.EndWords();
    if (why.id != nullptr) {
        std::fprintf(stderr, "rhombulus2: %s\n", Tr(game, why));
        ShowNotice(game, Tr(game, why));
    }
    // This machine's own game again; the last picture (the match's result, or why it ended)
    // stays a moment before the main menu shows.
    net.BackToMenu(game);
    // A spectator's Escape goes straight to the menu.
    for (int n = 0; n < 150 && !game.session.WindowClosed && !net.LeftWatching(); ++n) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) HandleSdlEvent(game, platform, session, e);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// One tick every 15 ms. Between ticks the loop sleeps to the deadline in one precise sleep; the
// events that came meanwhile are taken all at once just before the tick, which sees them exactly
// as it would have seen them one by one, and the loop wakes once a tick instead of for every
// event.
void RunTicks(Game& game, SdlPlatform& platform, WindowSession& session, HighscoreWatch& table,
              GameReplays& replays, NetSession& net, NetMatchKeeper& netKept,
              OnlineSession& online) {
    using Clock = std::chrono::steady_clock;
    constexpr auto kPeriod = std::chrono::microseconds(15000);
    TickLog log;
    log.Note("frames through the " + platform.PresentPath());
    const auto start = Clock::now();
    auto sinceStartMs = [&start] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    bool waitingShown = false;
    auto next = Clock::now() + kPeriod;
    SDL_Event e;
    while (!game.session.WindowClosed) {
        // One pump a tick, right after the sleep: each pump costs a dozen system calls.
        if (Clock::now() < next) std::this_thread::sleep_until(next);
        platform.PumpEvents();
        session.netMatch = net.InMatch();
        bool watch = false;
        while (!game.session.WindowClosed &&
               SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
            // Closed in a network match: its own game back before the close writes its files.
            const bool closing = e.type == SDL_QUIT || (e.type == SDL_WINDOWEVENT &&
                                                        e.window.event == SDL_WINDOWEVENT_CLOSE);
            if (closing && net.InMatch()) {
                game.command.events.clear();
                netKept.Keep(game);
                net.Leave(game);
            }
            if (!net.InMatch()) watch = table.Event(game, platform, e) || watch;
            HandleSdlEvent(game, platform, session, e);
        }
        if (watch && !game.session.WindowClosed) {
            WatchFromScreen(game, platform, session, table.ChosenFile(), table.ChosenWhy());
            next = Clock::now() + kPeriod;
        }
        if (game.session.WindowClosed) break;
        // A network match and its screen go on without the focus: the other player is there.
        const bool netGoesOn = net.InMatch() || game.shell.ScreenId == kScreenNetMatch;
        if ((!session.focused || !game.session.TimerEnabled) && !netGoesOn) {
            // No ticks without the focus: wait for the event that brings it back.
            log.Pause();
            if (SDL_WaitEvent(&e)) HandleSdlEvent(game, platform, session, e);
            // Without ticks the record is carried out at once: the game is as the events left it
            // whenever the window closes or shows a highscore's replay.
            TakeCommand(game);
            next = Clock::now() + kPeriod;
            continue;
        }
        const auto now = Clock::now();
        if (now < next) continue;
        if (net.InMatch()) {
            if (NetTick(game, platform, session, net, netKept, sinceStartMs(), waitingShown)) {
                log.Tick(now);
                log.Screen(game.shell.ScreenId);
                next += kPeriod;
                if (Clock::now() > next) next = Clock::now() + kPeriod;
            } else {
                // The other player's command is late: try again in a millisecond.
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            continue;
        }
        next += kPeriod;
        // Lag is ignored: after a stall the next tick is one period away, not a burst.
        if (now > next) next = now + kPeriod;
        log.Tick(now);
        BeforeTick(game, platform);
        table.BeforeTick(game, platform);
        FrameTick(game);
        replays.AfterTick(game);
        // What the network match screen asked for in this tick, and what the network says.
        net.Poll(game, sinceStartMs());
        // What the online screens asked for, the server's answers, an online game's end.
        online.Poll(game, replays);
        // A leaderboard row's game, fetched and checked: the viewer, then the board again.
        if (!game.online.watchFile.empty()) {
            const std::string file = std::exchange(game.online.watchFile, std::string());
            if (game.shell.ScreenId == kScreenLeaderboards) {
                WatchFromScreen(game, platform, session, file, "");
                next = Clock::now() + kPeriod;
            }
        }
        log.Screen(game.shell.ScreenId);
    }
}

// Opens the window, fullscreen or not as the command line or the options file say.
bool OpenWindow(SdlPlatform& platform, const CommandLine& cl, const std::string& configDir) {
    const bool fullscreen =
        cl.fullscreen >= 0 ? cl.fullscreen == 1 : ReadFullscreenOption(configDir);
    if (platform.Open(fullscreen)) return true;
    SDL_Quit();
    return false;
}

// rhombulus2 --replay FILE: the kept game in the window, in the player's language; then quit.
int WatchReplayFile(const CommandLine& cl, const std::string& resDir, const std::string& savesDir,
                    const std::string& configDir) {
    auto reader = std::make_unique<Game>();
    reader->savesDir = savesDir;
    int language = LanguageFromLocale(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                                      std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    if (ReadSettings(*reader, kSettingsFile)) language = reader->shell.Language;
    SdlPlatform platform(resDir);
    if (!OpenWindow(platform, cl, configDir)) return 1;
    WindowSession session;
    session.configDir = configDir;
    WatchReplayInWindow(platform, session, resDir, cl.replayPath, language);
    platform.AudioShutdown();
    platform.CloseWindow();
    SDL_Quit();
    return 0;
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
    // Watching writes nothing of the player's, so it may run beside a game.
    if (!cl.replayPath.empty()) return WatchReplayFile(cl, resDir, savesDir, configDir);
    PrepareSavesDir(savesDir, resDir + "/saves");
    // Two copies of the game would overwrite each other's settings and saves.
    InstanceLock lock;
    if (!lock.Acquire(savesDir + "/.lock")) {
        const char* text = "Rhombulus2 is already running. / Rhombulus2 läuft schon.";
        std::fprintf(stderr, "rhombulus2: %s\n", text);
        // Nothing to save here: SIGTERM and SIGINT keep ending the program at once, also while
        // the box waits (SDL's own handlers would only note them for an event loop).
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_Init(SDL_INIT_VIDEO) == 0) {
            SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "Rhombulus2", text, nullptr);
            SDL_Quit();
        }
        return 1;
    }
    const auto seed =
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    // Without a settings file the game starts in the desktop's language.
    const int firstStartLanguage =
        LanguageFromLocale(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                           std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    InputRecorder recorder;
    // Every game is kept as a replay (GameReplays); --record writes the whole run to a file of its
    // own.
    ReplayHeader header;
    header.seed = seed;
    header.language = firstStartLanguage;
    header.version = GameVersion();
    header.levels = LevelFilesHash(resDir + "/Levelz");
    if (!cl.recordPath.empty() && !recorder.Open(cl.recordPath, seed, firstStartLanguage)) {
        std::fprintf(stderr, "rhombulus2: cannot write %s\n", cl.recordPath.c_str());
        return 2;
    }
    SdlPlatform platform(resDir);
    if (!OpenWindow(platform, cl, configDir)) return 1;
    Surface icon;
    if (LoadSurface(icon, resDir + "/icon.bmp")) platform.SetIcon(icon);
    Game game;
    InitGame(game, platform, resDir, seed);
    game.recorder = &recorder;
    game.savesDir = savesDir;
    game.env.levelsDir = UserLevelsDir(std::getenv("XDG_DATA_HOME"), home);
    game.shell.FirstStartLanguage = firstStartLanguage;
    WindowSession session;
    session.configDir = configDir;
    const std::string replaysDir = UserReplaysDir(std::getenv("XDG_DATA_HOME"), home);
    HighscoreWatch table(replaysDir);
    game.drawOver = [&table](Game& g) { return table.Draw(g); };
    GameReplays replays{recorder, header, replaysDir};
    NetSessionConfig netConfig;
    netConfig.resDir = resDir;
    netConfig.relay = !cl.relay.empty() ? cl.relay : ReadRelayOption(configDir);
    netConfig.seed = seed;
    netConfig.name = PlayerName(std::getenv("USER"));
    // For tests on one machine: other ports, and the LAN probe to 127.0.0.1 only.
    netConfig.port = PortFromEnv("RHOMBULUS2_NET_PORT");
    netConfig.discoveryPort = PortFromEnv("RHOMBULUS2_LAN_PORT");
    if (const char* probe = std::getenv("RHOMBULUS2_LAN_PROBE")) netConfig.probeTarget = probe;
    netConfig.faults = FaultsFromEnv("RHOMBULUS2_NET_FAULTS", seed);
    // Each network match this machine plays is kept as a replay beside its other games.
    NetMatchKeeper kept{header, replaysDir, NetMatchReplay(header)};
    netConfig.beforeTick = [&kept](const Game& g, std::uint32_t tick, const net::WireCommand& h,
                                   const net::WireCommand& gu) {
        kept.replay.BeforeTick(g, tick, h, gu);
    };
    NetSession net(netConfig);
    // For tests: the state hash of every 60th tick of a network match, to compare both ends.
    if (const char* trace = std::getenv("RHOMBULUS2_NET_TRACE"))
        session.netTrace = std::fopen(trace, "w");
    OnlineSessionConfig onlineConfig;
    onlineConfig.server = !cl.server.empty() ? cl.server : ReadServerOption(configDir);
    if (!onlineConfig.server.empty() && !ValidServerUrl(onlineConfig.server)) {
        std::fprintf(stderr, "rhombulus2: the server %s is no http://HOST:PORT; no online games\n",
                     onlineConfig.server.c_str());
        onlineConfig.server.clear();
    }
    onlineConfig.configDir = configDir;
    onlineConfig.resDir = resDir;
    OnlineSession online(onlineConfig);
    RunTicks(game, platform, session, table, replays, net, kept, online);
    if (session.netTrace != nullptr) std::fclose(session.netTrace);
    replays.Keep(game);
    platform.CloseWindow();
    SDL_Quit();
    return game.session.ExitStatus;
}
