// rhombulus2-bench [--res DIR] [--ticks N]: how long one tick of the game takes on this machine,
// drawing included, on the menus, the help pages, Puzzle and Endless played by a clicking robot
// and a game-over screen over a full field, with the share of the picture drawn again and the
// share the window is sent per tick (the changed tiles), and what finding them by comparing
// pictures costs, for the game's tile size and the others; what the computer opponent's thinking
// costs a tick at each strength; how many ticks a second the game runs with and without drawing;
// the start-up time and the game's memory. Each figure is printed beside its goal. Prints figures
// and asserts nothing about them; it fails only when a phase finds the game off the screen it
// measures, as its figures would then be another screen's.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/game.h"
#include "core/mode_facts.h"
#include "core/paths.h"
#include "menus/transitions.h"
#include "modes/computer_player.h"
#include "modes/level_start.h"
#include "modes/match.h"
#include "modes/mode_table.h"
#include "platform/changed_tiles.h"
#include "platform/headless/headless_platform.h"
#include "shell/frame_loop.h"
#include "shell/input.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ResBesideBinary() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "res";
    std::string exe(buf, static_cast<size_t>(n));
    return FindResDir(exe.substr(0, exe.rfind('/')));
}

struct Figures {
    double mean = 0;
    double p50 = 0;
    double p99 = 0;
    double max = 0;
    // What the window is sent: mean share of the picture's area, mean rectangles, and the mean
    // time the comparison took, per tick.
    double sent = 0;
    double rects = 0;
    double compare = 0;
    // What the renderer drew again: mean share of the picture's area per tick.
    double drawn = 0;
};

Figures Summarise(std::vector<double> micros) {
    Figures f;
    if (micros.empty()) return f;
    for (double m : micros) f.mean += m;
    f.mean /= micros.size();
    std::sort(micros.begin(), micros.end());
    f.p50 = micros[micros.size() / 2];
    f.p99 = micros[micros.size() * 99 / 100];
    f.max = micros.back();
    return f;
}

// The clicking robot: a new column now and then, and a shot into it. Its game never runs out of
// time, so its field stays busy to the end.
void Play(Game& game, int i) {
    if (i % 45 == 0) DXDraw1MouseMove(game, 60 + (i * 37) % 540, 300);
    if (i % 45 == 5) DXDraw1MouseDown(game);
    if (i % 45 == 6) DXDraw1MouseUp(game);
    if (game.shell.ScreenId == kScreenGame && game.players[kSoloPlayer].TimeLeft < 300)
        game.players[kSoloPlayer].TimeLeft = 300;
}

// Set when a phase found the game off the screen it measures: its figures would be those of
// another screen, so the bench fails.
bool gLeftItsScreen = false;

// Whether the game still shows `screen`; says so loudly when it does not.
bool StillOn(const Game& game, int screen, const char* phase, int tick) {
    if (game.shell.ScreenId == screen) return true;
    std::printf("FAILED: %s left its screen at tick %d (screen %d, not %d): figures not valid\n",
                phase, tick, game.shell.ScreenId, screen);
    gLeftItsScreen = true;
    return false;
}

// Runs ticks, playing with the robot when asked, and times each FrameTick; after each the
// picture is compared with the last one as the window does (not timed with the tick). A phase
// that must stay on one screen names it (`screen`, 0 for none) and stops when the game leaves it.
Figures Measure(Game& game, int ticks, bool play, const char* phase = "", int screen = 0,
                int tileSize = kChangedTileSize) {
    std::vector<double> micros;
    micros.reserve(ticks);
    ChangedTiles tiles(tileSize);
    tiles.Update(game.backBuffer, true);
    double area = 0, rects = 0, compare = 0, drawn = 0;
    for (int i = 0; i < ticks; ++i) {
        if (screen != 0 && !StillOn(game, screen, phase, i)) break;
        if (play) Play(game, i);
        const auto t0 = Clock::now();
        FrameTick(game);
        const auto t1 = Clock::now();
        tiles.Update(game.backBuffer, false);
        const auto t2 = Clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        compare += std::chrono::duration<double, std::micro>(t2 - t1).count();
        drawn += static_cast<double>(game.scene.drawnArea);
        if (tileSize == kChangedTileSize) {
            // What the window is sent: the renderer's own changed tiles.
            for (const Rect& r : game.scene.changed)
                area += static_cast<double>(r.right - r.left) * (r.bottom - r.top);
            rects += static_cast<double>(game.scene.changed.size());
        } else {
            area += static_cast<double>(tiles.ChangedArea());
            rects += static_cast<double>(tiles.Rects().size());
        }
    }
    Figures f = Summarise(micros);
    f.sent = 100.0 * area / ticks / (static_cast<double>(kScreenWidth) * kScreenHeight);
    f.rects = rects / ticks;
    f.compare = compare / ticks;
    f.drawn = 100.0 * drawn / ticks / (static_cast<double>(kScreenWidth) * kScreenHeight);
    return f;
}

void Print(const char* what, const Figures& f, const char* goal) {
    std::printf("%-30s median %7.1f  mean %7.1f  p99 %7.1f  max %8.1f us   ", what, f.p50, f.mean,
                f.p99, f.max);
    // Only the measured ticks drew a picture to send.
    if (f.compare > 0)
        std::printf("drawn %5.1f %%, sent %5.1f %% in %4.1f rects, compared in %5.1f us   ",
                    f.drawn, f.sent, f.rects, f.compare);
    std::printf("%s\n", goal);
}

void ToMainMenu(Game& game) {
    while (game.shell.ScreenId != kScreenMainMenu && !game.session.WindowClosed) FrameTick(game);
    // The buttons come alive after 20 ticks.
    for (int i = 0; i < 25; ++i) FrameTick(game);
}

void StartEndlessGameOver(Game& game) {
    StartLevel(game, game.env, 1, kModeEndless, 1, true);
    for (int i = 0; i < 80; ++i) FrameTick(game);
    game.players[kSoloPlayer].TimeLeft = 0;
}

// A level of any mode, the match through its own level start.
void Start(Game& game, int mode, int level) {
    if (mode == kModeMatch) {
        StartMatchLevel(game, game.env, level, 1, true, true);
    } else {
        StartLevel(game, game.env, level, mode, 1, true);
    }
}

// Ticks a second of a fresh set or level played by the robot, drawn or not.
double TicksPerSecond(Game& game, int mode, int ticks, bool draw) {
    Start(game, mode, 1);
    const auto t0 = Clock::now();
    const int screen = mode == kModeMatch ? kScreenMatch : kScreenGame;
    for (int i = 0; i < ticks && StillOn(game, screen, "ticks a second", i); ++i) {
        Play(game, i);
        FrameTick(game, draw);
    }
    const auto t1 = Clock::now();
    return ticks / std::chrono::duration<double>(t1 - t0).count();
}

// The computer's thinking alone, tick by tick, while it plays the right field of match levels
// against an idle person: each tick its command is worked out once more on a copy of its mind,
// timed, and the tick then runs as usual. A cleared level is followed at once by the one seven
// further on, round the match's levels (1, 8, ... 50, 7, 14, ...), so every level comes in turn.
Figures ComputerCost(Game& game, int strength, int ticks, const char* phase) {
    const int lastLevel = FactsOfMode(kModeMatch).lastLevel;
    std::vector<double> micros;
    micros.reserve(ticks);
    int level = 1;
    game.computer.Strength = {0, 0, strength};
    bool started = StartMatchLevel(game, game.env, level, 1, false, true);
    for (int i = 0; i < ticks && started; ++i) {
        if (game.play.LevelCleared != 0) {
            level = (level - 1 + 7) % lastLevel + 1;
            started = StartMatchLevel(game, game.env, level, 1, false, true);
        }
        if (!started || !StillOn(game, kScreenMatch, phase, i)) break;
        const ComputerMind mind = game.computer.Mind[2];
        const auto t0 = Clock::now();
        ComputerCommand(game, 2);
        const auto t1 = Clock::now();
        game.computer.Mind[2] = mind;
        micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        SimulateTick(game);
    }
    if (!started) {
        std::printf("FAILED: %s could not start match level %d: figures not valid\n", phase, level);
        gLeftItsScreen = true;
    }
    game.computer.Strength = {0, 0, 0};
    return Summarise(micros);
}

// 41000 as "41,000".
std::string Grouped(double v) {
    const std::string digits = std::to_string(static_cast<long long>(v + 0.5));
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::string res = ResBesideBinary();
    int ticks = 4000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--res")
            res = argv[i + 1];
        else if (arg == "--ticks")
            ticks = std::max(100, std::atoi(argv[i + 1]));
    }
    HeadlessPlatform platform;
    auto owned = std::make_unique<Game>();
    Game& game = *owned;
    InitGame(game, platform, res, 12345);
    const auto s0 = Clock::now();
    FrameTick(game);
    FrameTick(game);
    const auto s1 = Clock::now();
    if (game.session.WindowClosed) {
        std::fprintf(stderr, "start-up failed (is %s the res folder?)\n", res.c_str());
        return 1;
    }
    std::printf("start-up to the splash (pictures, font): %.1f ms   goal <= 100 ms\n\n",
                std::chrono::duration<double, std::milli>(s1 - s0).count());
    std::printf("one tick, drawing included (%d ticks each):\n", ticks);
    ToMainMenu(game);
    Print("main menu", Measure(game, ticks, false), "goal: median <= 150, sent < 10 %");
    ShowOptions(game);
    Print("options", Measure(game, ticks, false), "goal: median <= 150");
    for (int page = 1; page <= 3; ++page) {
        ShowHelp(game);
        game.buttons.PageNumber = page;
        const std::string name = "help page " + std::to_string(page);
        Print(name.c_str(), Measure(game, ticks, false), "goal: <= 300");
    }
    ShowInfo(game);
    Print("info page", Measure(game, ticks, false), "goal: median <= 150");
    // The playing phases must stay in their game: a level that fails to start is a menu.
    const struct {
        const char* name;
        int mode, level, screen;
        const char* goal;
    } kPlaying[] = {
        {"Puzzle level 1, playing", kModePuzzle, 1, kScreenGame, ""},
        {"Puzzle level 30, playing", kModePuzzle, 30, kScreenGame, ""},
        {"Endless set 1, playing", kModeEndless, 1, kScreenGame, "goal: median <= 250, p99 <= 600"},
        {"Pipe level 26, playing", kModePipe, 26, kScreenGame, ""},
        {"match level 43, playing", kModeMatch, 43, kScreenMatch, ""},
    };
    for (const auto& phase : kPlaying) {
        Start(game, phase.mode, phase.level);
        Print(phase.name, Measure(game, ticks, true, phase.name, phase.screen), phase.goal);
    }
    StartEndlessGameOver(game);
    Print("game over over a full field",
          Measure(game, ticks, false, "game over over a full field", kScreenGame), "");
    StartLevel(game, game.env, 1, kModePuzzle, 1, true);
    for (int i = 0; i < 50; ++i) FrameTick(game);
    game.play.PauseState = 1;
    Print("Puzzle level 1, paused",
          Measure(game, ticks, false, "Puzzle level 1, paused", kScreenGame),
          "only the wandering word \"Pause\" changes");
    std::printf("\none tick lasts 15000 us\n\n");

    // The tile size: smaller tiles send less but compare and merge more.
    std::printf("the changed tiles by tile size (%d ticks each; the game uses %d):\n", ticks,
                kChangedTileSize);
    for (const int size : {8, 16, 32, 64}) {
        const auto row = [&](const char* what, const Figures& f) {
            std::printf("  %2d px  %-26s sent %5.1f %% in %5.1f rects, compared in %5.1f us\n",
                        size, what, f.sent, f.rects, f.compare);
        };
        ShowMainMenu(game, true);
        for (int i = 0; i < 25; ++i) FrameTick(game);
        row("main menu", Measure(game, ticks / 2, false, "", 0, size));
        StartLevel(game, game.env, 1, kModePuzzle, 1, true);
        row("Puzzle level 1, playing", Measure(game, ticks / 2, true, "", 0, size));
        StartLevel(game, game.env, 1, kModeEndless, 1, true);
        row("Endless set 1, playing", Measure(game, ticks / 2, true, "", 0, size));
    }
    std::printf("\n");

    std::printf("the computer opponent's thinking per tick (%d ticks of match levels each):\n",
                4 * ticks);
    const char* const kStrengths[] = {"", "Leicht", "Mittel", "Schwer"};
    for (int strength = kComputerEasy; strength <= kComputerHard; ++strength) {
        const std::string name = std::string("computer ") + kStrengths[strength];
        Print(name.c_str(), ComputerCost(game, strength, 4 * ticks, name.c_str()),
              "goal: mean <= 1000, max < 15000");
    }
    std::printf("\n");

    // The simulation alone, as the soak tests and the level tools run it.
    const struct {
        const char* name;
        int mode;
    } kRuns[] = {{"Endless set 1", kModeEndless},
                 {"Puzzle level 1", kModePuzzle},
                 {"Pipe level 1", kModePipe},
                 {"match level 1", kModeMatch}};
    for (const auto& run : kRuns) {
        for (const bool draw : {true, false}) {
            std::printf("%s, %s drawing: %s ticks/s%s\n", run.name, draw ? "with" : "without",
                        Grouped(TicksPerSecond(game, run.mode, ticks, draw)).c_str(),
                        draw ? "" : "   goal >= 20,000");
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("Game object: %.2f MiB; peak resident memory: %.1f MiB   goal <= 28.7 MiB\n",
                sizeof(Game) / 1048576.0, usage.ru_maxrss / 1024.0);
    return gLeftItsScreen ? 1 : 0;
}
