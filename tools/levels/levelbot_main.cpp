// levelbot: plays the puzzle levels through the game's rules and reports how it went.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bot.h"
#include "level.h"

namespace {

using namespace levels;

int Usage() {
    std::cerr
        << "usage:\n"
           "  levelbot level N [N2] [--seeds K] [--time T] [--res DIR]\n"
           "      plays levels N..N2 on their own, each from T time units (500), K seeds (1)\n"
           "  levelbot campaign [--seed S] [--last N] [--res DIR]\n"
           "      plays a new game from level 1 to level N (50), time and score carried over\n"
           "  levelbot table [--seeds K] [--jobs J] [--sources DIR] [--out FILE] [--res DIR]\n"
           "      plays every level K times (5) and one campaign on J threads (2), and writes "
           "the table\n";
    return 2;
}

struct Args {
    std::vector<std::string> positional;
    std::string res = "res";
    std::string sources = "levels/puzzle";
    std::string out;
    int seeds = 0;
    int time = 500;
    int jobs = 2;
    int last = 50;
    std::uint64_t seed = 1;
    bool show = false;
    int ticks = 0;
};

bool ParseArgs(int argc, char** argv, Args& a) {
    for (int i = 0; i < argc; ++i) {
        std::string s = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (s == "--show")
            a.show = true;
        else if (s == "--ticks" && (v = value()))
            a.ticks = std::atoi(v);
        else if (s == "--res" && (v = value()))
            a.res = v;
        else if (s == "--sources" && (v = value()))
            a.sources = v;
        else if (s == "--out" && (v = value()))
            a.out = v;
        else if (s == "--seeds" && (v = value()))
            a.seeds = std::atoi(v);
        else if (s == "--jobs" && (v = value()))
            a.jobs = std::atoi(v);
        else if (s == "--time" && (v = value()))
            a.time = std::atoi(v);
        else if (s == "--last" && (v = value()))
            a.last = std::atoi(v);
        else if (s == "--seed" && (v = value()))
            a.seed = std::strtoull(v, nullptr, 10);
        else if (!s.empty() && s[0] != '-')
            a.positional.push_back(s);
        else
            return false;
    }
    return true;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void PrintRun(const LevelRun& r, std::uint64_t seed) {
    std::printf("level %2d seed %llu: %s  shots %3d  tip hits %2d  ticks %5d  time %4d -> %4d\n",
                r.level, static_cast<unsigned long long>(seed), r.cleared ? "cleared" : "FAILED ",
                r.shots, r.tipHits, r.ticks, r.timeStart, r.timeLeft);
}

int LevelCmd(const Args& a) {
    if (a.positional.empty()) return Usage();
    const int from = std::atoi(a.positional[0].c_str());
    const int to = a.positional.size() > 1 ? std::atoi(a.positional[1].c_str()) : from;
    const int seeds = a.seeds > 0 ? a.seeds : 1;
    int failures = 0;
    for (int level = from; level <= to; ++level) {
        for (int s = 1; s <= seeds; ++s) {
            BotOptions o;
            o.seed = static_cast<std::uint64_t>(s);
            o.show = a.show;
            if (a.ticks > 0) o.maxTicksPerLevel = a.ticks;
            const auto start = std::chrono::steady_clock::now();
            LevelRun r = PlayPuzzleLevel(a.res, level, a.time, o);
            PrintRun(r, o.seed);
            std::printf("    (%.1f s)\n", Seconds(start));
            if (!r.cleared) ++failures;
        }
    }
    return failures ? 1 : 0;
}

int CampaignCmd(const Args& a) {
    BotOptions o;
    o.seed = a.seed;
    const auto start = std::chrono::steady_clock::now();
    CampaignRun c = PlayPuzzleCampaign(a.res, a.last, o);
    for (const LevelRun& r : c.levels) PrintRun(r, o.seed);
    std::printf("campaign: %s, final time %d, score %d (%.1f s)\n",
                c.reachedLast ? "cleared every level" : "stopped", c.finalTime, c.finalScore,
                Seconds(start));
    return c.reachedLast ? 0 : 1;
}

struct LevelInfo {
    std::string name;
    int colours = 0;
    int stones = 0;
    int anchors = 0;
    std::string extras;
};

LevelInfo Describe(const Args& a, int level) {
    LevelInfo info;
    char file[16];
    std::snprintf(file, sizeof file, "%02d.txt", level);
    std::ifstream in(std::filesystem::path(a.sources) / file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    ParseResult p = ParseSource(text.str());
    if (!p.ok) return info;
    info.name = p.level.name;
    std::set<int> colours;
    const char* extraNames[] = {"", "clock", "bomb", "colourer", "arrow", "rainbow", "X2", "flash"};
    int extraCount[8] = {};
    for (int k = kFirstFieldCell; k <= kLastBuiltCell; ++k) {
        const LevelRecord& r = p.level.records[k];
        if (IsColour(r.cell)) {
            colours.insert(r.cell);
            ++info.stones;
        } else if (IsAnchor(r.cell)) {
            ++info.anchors;
        }
        if (r.extra >= 1 && r.extra <= 7) ++extraCount[r.extra];
    }
    info.colours = static_cast<int>(colours.size());
    for (int e = 1; e <= 7; ++e) {
        if (!extraCount[e]) continue;
        if (!info.extras.empty()) info.extras += ", ";
        if (extraCount[e] > 1) {
            info.extras += std::to_string(extraCount[e]);
            info.extras += ' ';
        }
        info.extras += extraNames[e];
    }
    if (info.extras.empty()) info.extras.assign(1, '-');
    return info;
}

int TableCmd(const Args& a) {
    const int seeds = a.seeds > 0 ? a.seeds : 5;
    const int last = a.last;
    const auto start = std::chrono::steady_clock::now();
    // Job 0 is the campaign, the longest; the others are one level on one seed each.
    CampaignRun campaign;
    std::vector<LevelRun> runs(static_cast<size_t>(last * seeds));
    std::atomic<int> nextJob{0};
    std::mutex progress;
    auto worker = [&]() {
        for (int job = nextJob++; job <= last * seeds; job = nextJob++) {
            if (job == 0) {
                BotOptions o;
                o.seed = a.seed;
                campaign = PlayPuzzleCampaign(a.res, last, o);
            } else {
                BotOptions o;
                o.seed = static_cast<std::uint64_t>((job - 1) % seeds + 1);
                runs[job - 1] = PlayPuzzleLevel(a.res, (job - 1) / seeds + 1, 500, o);
            }
            std::lock_guard<std::mutex> lock(progress);
            std::fprintf(stderr, "job %d of %d done (%.0f s)\n", job, last * seeds, Seconds(start));
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < std::max(1, a.jobs); ++i) threads.emplace_back(worker);
    for (std::thread& th : threads) th.join();

    std::ostringstream t;
    t << "| Level | Name | Colours | Stones | Anchors | Extras | Cleared (of " << seeds
      << " seeds) | Shots (median) | Tip hits (median) | Time used (median) | Campaign: shots, "
         "time before -> after |\n";
    t << "|---:|---|---:|---:|---:|---|---:|---:|---:|---:|---|\n";
    int allCleared = 0, mostCleared = 0;
    double firstTenShots = 0, lastTenShots = 0, firstTenTime = 0, lastTenTime = 0;
    for (int level = 1; level <= last; ++level) {
        LevelInfo info = Describe(a, level);
        std::vector<int> shots, tips, used;
        int cleared = 0;
        for (int s = 1; s <= seeds; ++s) {
            const LevelRun& r = runs[static_cast<size_t>((level - 1) * seeds + s - 1)];
            if (r.cleared) ++cleared;
            shots.push_back(r.shots);
            tips.push_back(r.tipHits);
            // Time used: the ticks the level took, in time units at the first lap's drain.
            used.push_back(r.ticks / 4);
        }
        auto median = [](std::vector<int> v) {
            std::sort(v.begin(), v.end());
            return v[v.size() / 2];
        };
        if (cleared == seeds) ++allCleared;
        if (cleared >= seeds - 1) ++mostCleared;
        if (level <= 10) firstTenShots += median(shots), firstTenTime += median(used);
        if (level > last - 10) lastTenShots += median(shots), lastTenTime += median(used);
        std::string camp = "not reached";
        for (const LevelRun& r : campaign.levels)
            if (r.level == level)
                camp = (r.cleared ? "cleared, " : "FAILED, ") + std::to_string(r.shots) + ", " +
                       std::to_string(r.timeStart) + " -> " + std::to_string(r.timeLeft);
        t << "| " << level << " | " << info.name << " | " << info.colours << " | " << info.stones
          << " | " << info.anchors << " | " << info.extras << " | " << cleared << " | "
          << median(shots) << " | " << median(tips) << " | " << median(used) << " | " << camp
          << " |\n";
    }

    std::ostringstream doc;
    doc << "# Puzzle levels\n\n"
           "The fifty puzzle levels are written as text in `puzzle/NN.txt` and compiled at build "
           "time into `res/Levelz/lvl00N.lvl` by `levelc` (see `tools/levels/`).\n\n"
           "## Source format\n\n"
           "```\n"
           "; name: Icicles\n"
           "; idea: Stones hanging tip to tip: land beside a tip, never under it.\n"
           "field\n"
           "|# # # # # # # # # #|   row 0, the ceiling of anchors (always ten '#')\n"
           "| 1 1 1 1 2 2 2 2 2 |   rows of 9 sit half a cell to the right\n"
           "|1 1 1 1 1 2 2 2 2 2|   rows of 10\n"
           "...                     rows 0 to 14 at least; deeper rows only down to the last "
           "stone\n"
           "extras                  optional: the same grid again, one letter per stone\n"
           "```\n\n"
           "Cells: `.` empty, `1`-`8` colours, `#` anchor (`=` an anchor written with the "
           "other anchor code). Extras: `.` none, `c` clock, `b` bomb, `p` colourer, `a` arrow, "
           "`r` rainbow, `x` X2, `f` flash. Lines starting with `;` are comments; `; name:` and "
           "`; idea:` name the level.\n\n"
           "- `levelc compile SRC.txt OUT.lvl`, `levelc compile -d DIR SRC.txt...`\n"
           "- `levelc decompile IN.lvl [OUT.txt]` gives the source back; the round trip is "
           "exact.\n"
           "- `levelc check FILE...` checks sources or level files: every stone hangs from the "
           "ceiling or an anchor, nothing lies below the bottom line (y 440), only codes the "
           "game builds, extras only on coloured stones, no stone walled in by anchors, no place "
           "where a stone can come to rest but never be joined, no two levels alike. The build "
           "runs it on all fifty.\n\n"
           "## How the bot plays them\n\n"
           "`levelbot` plays through the game's own rules, headless. Before each shot it copies "
           "the game, fires into each of the 17 columns the cannon reaches and runs each copy "
           "until the field is still and the cannon loaded again; for the four most promising "
           "columns it then tries all 17 columns for the next stone too, and fires into the "
           "column with the best outcome two shots on (stones cleared, time won, pairs of one "
           "colour made, stones without a partner left). It catches falling extras other than the "
           "flash, which it avoids. Shots and ticks are counted from the level start to the "
           "cleared field.\n\n"
           "Generated by `levelbot table --seeds "
        << seeds << " --res build/res` (campaign seed " << a.seed
        << "). Each level is played on its own from the 500 time units a new game starts with; "
           "the campaign column is one new game from level 1, time and score carried over.\n\n"
        << t.str() << "\n"
        << "Levels cleared on every seed: " << allCleared << " of " << last
        << "; on all seeds but at most one: " << mostCleared << ". "
        << "Median shots, first ten levels: " << firstTenShots / 10
        << " per level; last ten: " << lastTenShots / 10
        << ". Median time used, first ten: " << firstTenTime / 10
        << "; last ten: " << lastTenTime / 10 << ".\n\nCampaign: "
        << (campaign.reachedLast
                ? "cleared all " + std::to_string(last) + " levels"
                : "stopped at level " +
                      std::to_string(campaign.levels.empty() ? 0 : campaign.levels.back().level))
        << ", final time " << campaign.finalTime << ", score " << campaign.finalScore << ".\n";
    if (a.out.empty()) {
        std::cout << doc.str();
    } else {
        std::ofstream out(a.out, std::ios::binary | std::ios::trunc);
        out << doc.str();
        if (!out) {
            std::cerr << a.out << ": cannot write\n";
            return 1;
        }
    }
    std::fprintf(stderr, "table done (%.0f s)\n", Seconds(start));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // progress shows as it happens
    if (argc < 2) return Usage();
    Args a;
    if (!ParseArgs(argc - 2, argv + 2, a)) return Usage();
    const std::string cmd = argv[1];
    if (cmd == "level") return LevelCmd(a);
    if (cmd == "campaign") return CampaignCmd(a);
    if (cmd == "table") return TableCmd(a);
    return Usage();
}
