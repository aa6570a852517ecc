// rhombulus2-bench [--res DIR] [--ticks N]: how long one tick of the game takes on this machine,
// for the main menu, a Puzzle level and an Endless set played by a clicking robot, how many ticks
// a second the game runs with and without drawing, and how much memory the game holds. Prints
// figures; it asserts nothing.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "modes/level_start.h"
#include "platform/headless/headless_platform.h"
#include "shell/frame_loop.h"
#include "core/game.h"
#include "shell/input.h"

namespace {

std::string ResBesideBinary() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "res";
    std::string exe(buf, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/')) + "/res";
}

struct Figures {
    double mean = 0;
    double p50 = 0;
    double p99 = 0;
    double max = 0;
};

// The clicking robot: a new column now and then, and a shot into it.
void Play(Game& game, int i) {
    if (i % 45 == 0) DXDraw1MouseMove(game, 60 + (i * 37) % 540, 300);
    if (i % 45 == 5) DXDraw1MouseDown(game);
    if (i % 45 == 6) DXDraw1MouseUp(game);
}

// Runs ticks, clicking into a new column now and then, and times each FrameTick.
Figures Measure(Game& game, int ticks, bool play) {
    std::vector<double> micros;
    micros.reserve(ticks);
    for (int i = 0; i < ticks; ++i) {
        if (play) Play(game, i);
        const auto t0 = std::chrono::steady_clock::now();
        FrameTick(game);
        const auto t1 = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    Figures f;
    for (double m : micros) f.mean += m;
    f.mean /= micros.size();
    std::sort(micros.begin(), micros.end());
    f.p50 = micros[micros.size() / 2];
    f.p99 = micros[micros.size() * 99 / 100];
    f.max = micros.back();
    return f;
}

void Print(const char* what, const Figures& f) {
    std::printf("%-28s mean %8.1f us   median %8.1f us   p99 %8.1f us   max %8.1f us\n", what,
                f.mean, f.p50, f.p99, f.max);
}

// Ticks a second of a fresh set or level played by the robot, drawn or not.
double TicksPerSecond(Game& game, HeadlessPlatform& platform, int mode, int ticks, bool draw) {
    StartLevel(game, 1, mode, 1, -99);
    platform.keepFrames = draw;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < ticks; ++i) {
        Play(game, i);
        FrameTick(game, draw);
    }
    const auto t1 = std::chrono::steady_clock::now();
    platform.keepFrames = true;
    return ticks / std::chrono::duration<double>(t1 - t0).count();
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
    const auto s0 = std::chrono::steady_clock::now();
    FrameTick(game);
    FrameTick(game);
    const auto s1 = std::chrono::steady_clock::now();
    if (game.shell.WindowClosed) {
        std::fprintf(stderr, "start-up failed (is %s the res folder?)\n", res.c_str());
        return 1;
    }
    std::printf("start-up (pictures, font): %.1f ms\n",
                std::chrono::duration<double, std::milli>(s1 - s0).count());
    while (game.shell.ScreenId != kScreenMainMenu) FrameTick(game);
    Print("main menu", Measure(game, ticks, false));
    StartLevel(game, 1, kModePuzzle, 1, -99);
    Print("Puzzle level 1, playing", Measure(game, ticks, true));
    StartLevel(game, 30, kModePuzzle, 1, -99);
    Print("Puzzle level 30, playing", Measure(game, ticks, true));
    StartLevel(game, 1, kModeEndless, 1, -99);
    Print("Endless set 1, playing", Measure(game, ticks, true));
    std::printf("one tick lasts 15000 us\n");
    const struct {
        const char* name;
        int mode;
    } kRuns[] = {{"Endless set 1", kModeEndless}, {"Puzzle level 1", kModePuzzle}};
    for (const auto& run : kRuns) {
        for (const bool draw : {true, false}) {
            std::printf("%s, %s drawing: %s ticks/s\n", run.name, draw ? "with" : "without",
                        Grouped(TicksPerSecond(game, platform, run.mode, ticks, draw)).c_str());
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("Game object: %.2f MiB; peak resident memory: %.1f MiB\n", sizeof(Game) / 1048576.0,
                usage.ru_maxrss / 1024.0);
    return 0;
}
