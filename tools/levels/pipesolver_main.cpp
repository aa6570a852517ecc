// pipesolver: proves the pipe levels through the game's rules and writes the campaign replay.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/mode_facts.h"
#include "pipe_solver.h"
#include "playfield/level_text.h"

namespace {

using namespace levels;

int Usage() {
    std::cerr << "usage:\n"
                 "  pipesolver level N [N2] [--res DIR]\n"
                 "      solves pipe levels N..N2 each on its own and shows the pipelines\n"
                 "  pipesolver campaign [--res DIR] [--seed S] [--replay FILE] [--readme FILE]\n"
                 "                      [--sources DIR]\n"
                 "      plays one game from the splash through all 26 levels into lap 2, writes\n"
                 "      the runner's input script and the table of levels/README.md\n";
    return 2;
}

struct Args {
    std::vector<std::string> positional;
    std::string res = "res";
    std::string replay;
    std::string readme;
    std::string sources = "levels/pipe";
    std::uint64_t seed = 1;
};

bool ParseArgs(int argc, char** argv, Args& a) {
    for (int i = 0; i < argc; ++i) {
        const std::string s = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (s == "--res" && v) {
            a.res = v;
        } else if (s == "--replay" && v) {
            a.replay = v;
        } else if (s == "--readme" && v) {
            a.readme = v;
        } else if (s == "--sources" && v) {
            a.sources = v;
        } else if (s == "--seed" && v) {
            a.seed = std::strtoull(v, nullptr, 10);
        } else if (!s.empty() && s[0] != '-') {
            a.positional.push_back(s);
            continue;
        } else {
            return false;
        }
        ++i;
    }
    return true;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

constexpr const char* kKindChars[11] = {"", "\\", "/", "<", "v", ">", "^", "", "o", "", ""};

std::string UsedPieces(const PipePlan& plan) {
    std::string s;
    for (int k = 1; k <= 8; ++k) {
        if (plan.used[k] == 0) continue;
        if (!s.empty()) s += ' ';
        s += std::to_string(plan.used[k]) + kKindChars[k];
    }
    return s;
}

int Total(const PipePlan& plan) {
    int n = 0;
    for (int k = 1; k <= 10; ++k) n += plan.used[k];
    return n;
}

void PrintRun(const PipeLevelRun& r) {
    std::printf(
        "level %2d: %s  pieces %2d (%s)  pipeline %2zu  bonus %d  score %5d  time %4d  ways %s%ld"
        "%s%s\n",
        r.level, r.won ? "won   " : "FAILED", Total(r.plan), UsedPieces(r.plan).c_str(),
        r.plan.pipeline.size(), r.plan.presets, r.scoreGained, r.timeAtWater,
        r.allCounted ? "" : ">=", r.pipelines, r.why.empty() ? "" : "  - ", r.why.c_str());
}

int LevelCmd(const Args& a) {
    if (a.positional.empty()) return Usage();
    const int from = std::atoi(a.positional[0].c_str());
    const int to = a.positional.size() > 1 ? std::atoi(a.positional[1].c_str()) : from;
    int failures = 0;
    for (int level = from; level <= to; ++level) {
        const auto start = std::chrono::steady_clock::now();
        PipeSolveOptions o;
        PipeLevelRun r = SolvePipeLevel(a.res, level, o);
        PrintRun(r);
        std::printf("%s    (%.1f s)\n", r.drawing.c_str(), Seconds(start));
        if (!r.won) ++failures;
    }
    return failures ? 1 : 0;
}

std::string LevelName(const Args& a, int level) {
    char file[16];
    std::snprintf(file, sizeof file, "%02d.txt", level);
    std::ifstream in(std::filesystem::path(a.sources) / file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    ParseResult p = ParseSource(text.str());
    return p.ok ? p.level.name : "?";
}

// The table between the two marker lines of the README.
bool WriteTable(const Args& a, const PipeCampaign& c) {
    std::ostringstream t;
    t << "| Level | Name | Pieces fired (of the stock) | Kinds fired | Pipeline | Golden pieces "
         "passed | Ways | Score | Time left at \"Los!\" |\n";
    t << "|---:|---|---:|---|---:|---:|---:|---:|---:|\n";
    for (const PipeLevelRun& r : c.levels) {
        // What the column offers: kinds 1..6, the fillers and, early on, the obstacles.
        int stock = 0;
        for (int k : {1, 2, 3, 4, 5, 6, 8, 9}) stock += r.stock[k];
        t << "| " << r.level << " | " << LevelName(a, r.level) << " | " << Total(r.plan) << " of "
          << stock << " | `" << UsedPieces(r.plan) << "` | " << r.plan.pipeline.size() << " | "
          << r.plan.presets << " | " << r.pipelines << (r.allCounted ? "" : "+") << " | "
          << r.scoreGained << " | " << r.timeAtWater << " |\n";
    }
    t << "\nOne game, seed " << a.seed << ": " << c.ticks << " ticks from the splash to level 1 "
      << "of lap 2, final score " << c.finalScore << ".\n";
    std::ifstream in(a.readme, std::ios::binary);
    std::ostringstream old;
    old << in.rdbuf();
    std::string doc = old.str();
    const std::string begin = "<!-- pipe table -->\n", end = "<!-- end of the pipe table -->\n";
    const size_t b = doc.find(begin), e = doc.find(end);
    if (b == std::string::npos || e == std::string::npos || e < b) {
        std::cerr << a.readme << ": no lines '" << begin.substr(0, begin.size() - 1) << "' and '"
                  << end.substr(0, end.size() - 1) << "'\n";
        return false;
    }
    doc = doc.substr(0, b + begin.size()) + t.str() + doc.substr(e);
    std::ofstream out(a.readme, std::ios::binary | std::ios::trunc);
    out << doc;
    return static_cast<bool>(out);
}

int CampaignCmd(const Args& a) {
    const auto start = std::chrono::steady_clock::now();
    PipeSolveOptions o;
    PipeCampaign c = PlayPipeCampaign(a.res, a.seed, o);
    for (const PipeLevelRun& r : c.levels) PrintRun(r);
    if (c.lapDone)
        std::printf("campaign: all %d levels won, lap 2 started, %d ticks, score %d (%.1f s)\n",
                    FactsOfMode(kModePipe).lastLevel, c.ticks, c.finalScore, Seconds(start));
    else
        std::printf("campaign: stopped, %d ticks, score %d (%.1f s)\n", c.ticks, c.finalScore,
                    Seconds(start));
    if (!c.lapDone) return 1;
    if (!a.replay.empty()) {
        std::ofstream out(a.replay, std::ios::binary | std::ios::trunc);
        out << "# rhombulus2-headless --seed " << a.seed << " --ticks " << c.ticks << "\n";
        out << "# One Pipe game from the splash: every level won, ending in level 1 of lap 2.\n";
        out << "# Written by pipesolver campaign; the tests replay it with the runner.\n";
        for (const std::string& line : c.script) out << line << "\n";
        if (!out) {
            std::cerr << a.replay << ": cannot write\n";
            return 1;
        }
    }
    if (!a.readme.empty() && !WriteTable(a, c)) return 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc < 2) return Usage();
    Args a;
    if (!ParseArgs(argc - 2, argv + 2, a)) return Usage();
    const std::string cmd = argv[1];
    if (cmd == "level") return LevelCmd(a);
    if (cmd == "campaign") return CampaignCmd(a);
    return Usage();
}
