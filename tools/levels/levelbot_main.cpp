// levelbot: plays the puzzle and match levels through the game's rules and reports how it went.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "bot.h"
#include "computer_match.h"
#include "core/mode_facts.h"
#include "match_bot.h"
#include "modes/computer_player.h"
#include "modes/match.h"
#include "parallel.h"
#include "playfield/level_text.h"

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
           "the table\n"
           "  levelbot match N [N2] [--player P] [--seeds K] [--res DIR]\n"
           "      plays match levels N..N2 as player P (1 keys, 2 mouse; 0 both) against an "
           "idle player\n"
           "  levelbot match-table [--seeds K] [--jobs J] [--sources DIR] [--out FILE] "
           "[--replay FILE] [--res DIR]\n"
           "      plays every match level K times (3) as each player and one whole match on J "
           "threads (2), writes the match table and the match's input script\n"
           "  levelbot match-replay [--seed S] [--out FILE] [--res DIR]\n"
           "      records a whole match from the splash to level 1 of lap 2 as an input "
           "script\n"
           "  levelbot computer N LEFT RIGHT [--seeds K] [--res DIR]\n"
           "      plays match level N with the computer at strength LEFT and RIGHT (0 idle); "
           "LEFT may be a model of a person: beginner, average, strong\n"
           "  levelbot strength-table [--seeds K] [--jobs J] [--levels N] [--out FILE] "
           "[--res DIR]\n"
           "      plays the computer opponent's strengths against the models of people over "
           "every match level and writes the table\n";
    return 2;
}

struct Args {
    std::vector<std::string> positional;
    std::string res = "res";
    std::string sources = "levels/puzzle";
    std::string out;
    std::string replay;
    int seeds = 0;
    int time = 500;
    int jobs = 2;
    int last = FactsOfMode(kModePuzzle).lastLevel;
    std::uint64_t seed = 1;
    bool show = false;
    int ticks = 0;
    int player = 0;
    int levels = 0;
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
        else if (s == "--replay" && (v = value()))
            a.replay = v;
        else if (s == "--seeds" && (v = value()))
            a.seeds = std::atoi(v);
        else if (s == "--jobs" && (v = value()))
            a.jobs = std::atoi(v);
        else if (s == "--time" && (v = value()))
            a.time = std::atoi(v);
        else if (s == "--last" && (v = value()))
            a.last = std::atoi(v);
        else if (s == "--levels" && (v = value()))
            a.levels = std::atoi(v);
        else if (s == "--player" && (v = value()))
            a.player = std::atoi(v);
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

// The levels' README holds parts that each start with a heading of their own at the start of a
// line ("# Puzzle levels", "# Match levels", "# The computer opponent"); each table command
// rewrites its own part, found by the first line of `text`, and keeps the others in their order.
constexpr const char* kMatchHeading = "# Match levels";

bool WriteSection(const std::string& path, const std::string& text) {
    if (path.empty()) {
        std::cout << text;
        return true;
    }
    std::string old;
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        old = all.str();
    }
    std::vector<std::string> parts;
    for (size_t at = 0; at < old.size();) {
        size_t next = old.find("\n# ", at);
        next = next == std::string::npos ? old.size() : next + 1;
        parts.push_back(old.substr(at, next - at));
        at = next;
    }
    const std::string heading = text.substr(0, text.find('\n'));
    bool replaced = false;
    for (std::string& part : parts) {
        if (part.substr(0, part.find('\n')) != heading) continue;
        part = text;
        replaced = true;
    }
    if (!replaced) parts.push_back(text);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (size_t k = 0; k < parts.size(); ++k) {
        std::string part = parts[k];
        while (!part.empty() && part.back() == '\n') part.pop_back();
        out << part << (k + 1 < parts.size() ? "\n\n" : "\n");
    }
    if (!out) {
        std::cerr << path << ": cannot write\n";
        return false;
    }
    return true;
}

struct LevelInfo {
    std::string name;
    int colours = 0;
    int stones = 0;
    int anchors = 0;
    std::string extras;
};

LevelInfo Describe(const std::string& sources, int level, const Lattice& lattice) {
    LevelInfo info;
    char file[16];
    std::snprintf(file, sizeof file, "%02d.txt", level);
    std::ifstream in(std::filesystem::path(sources) / file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    ParseResult p = ParseSource(text.str(), lattice);
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
    const std::vector<std::variant<CampaignRun, LevelRun>> played =
        RunParallel(a.jobs, 1 + last * seeds, [&](int job) -> std::variant<CampaignRun, LevelRun> {
            BotOptions o;
            if (job == 0) {
                o.seed = a.seed;
                return PlayPuzzleCampaign(a.res, last, o);
            }
            o.seed = static_cast<std::uint64_t>((job - 1) % seeds + 1);
            return PlayPuzzleLevel(a.res, (job - 1) / seeds + 1, 500, o);
        });
    const CampaignRun& campaign = std::get<CampaignRun>(played[0]);
    auto runOf = [&](int level, int seed) -> const LevelRun& {
        return std::get<LevelRun>(played[static_cast<size_t>(1 + (level - 1) * seeds + seed - 1)]);
    };

    std::ostringstream t;
    t << "| Level | Name | Colours | Stones | Anchors | Extras | Cleared (of " << seeds
      << " seeds) | Shots (median) | Tip hits (median) | Time used (median) | Campaign: shots, "
         "time before -> after |\n";
    t << "|---:|---|---:|---:|---:|---|---:|---:|---:|---:|---|\n";
    int allCleared = 0, mostCleared = 0;
    double firstTenShots = 0, lastTenShots = 0, firstTenTime = 0, lastTenTime = 0;
    for (int level = 1; level <= last; ++level) {
        LevelInfo info = Describe(a.sources, level, kPuzzleLattice);
        std::vector<int> shots, tips, used;
        int cleared = 0;
        for (int s = 1; s <= seeds; ++s) {
            const LevelRun& r = runOf(level, s);
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
    if (!WriteSection(a.out, doc.str())) return 1;
    std::fprintf(stderr, "table done (%.0f s)\n", Seconds(start));
    return 0;
}

void PrintMatchRun(const MatchLevelRun& r, std::uint64_t seed) {
    std::printf("match level %2d player %d seed %llu: %s  shots %3d  ticks %5d  time left %4d\n",
                r.level, r.player, static_cast<unsigned long long>(seed),
                r.cleared ? "cleared" : "FAILED ", r.shots, r.ticks, r.timeLeft);
}

int MatchCmd(const Args& a) {
    if (a.positional.empty()) return Usage();
    const int from = std::atoi(a.positional[0].c_str());
    const int to = a.positional.size() > 1 ? std::atoi(a.positional[1].c_str()) : from;
    const int seeds = a.seeds > 0 ? a.seeds : 1;
    int failures = 0;
    for (int level = from; level <= to; ++level) {
        for (int player = 1; player <= 2; ++player) {
            if (a.player != 0 && a.player != player) continue;
            for (int s = 1; s <= seeds; ++s) {
                MatchBotOptions o;
                o.seed = static_cast<std::uint64_t>(s);
                const auto start = std::chrono::steady_clock::now();
                const MatchLevelRun r = PlayMatchLevel(a.res, level, player, o);
                PrintMatchRun(r, o.seed);
                std::printf("    (%.1f s)\n", Seconds(start));
                if (!r.cleared) ++failures;
            }
        }
    }
    return failures ? 1 : 0;
}

int Median(std::vector<int> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) std::cerr << path << ": cannot write\n";
    return static_cast<bool>(out);
}

int MatchReplayCmd(const Args& a) {
    const auto start = std::chrono::steady_clock::now();
    const MatchCampaign c = RecordMatchCampaign(a.res, a.seed);
    for (const MatchLevelRun& r : c.levels) PrintMatchRun(r, a.seed);
    std::printf("match: %s after %d ticks, levels won %d : %d (%.1f s)\n",
                c.reachedNextLap ? "level 1 of lap 2 reached" : "STOPPED", c.ticks, c.levelsWon[1],
                c.levelsWon[2], Seconds(start));
    if (!a.out.empty() && !WriteFile(a.out, c.script)) return 1;
    return c.reachedNextLap ? 0 : 1;
}

// Every match level on its own as each player against an idle one, K seeds, and one whole match
// from the splash (job 0); the table goes into the levels' README after the Puzzle's.
int MatchTableCmd(const Args& a) {
    const int seeds = a.seeds > 0 ? a.seeds : 3;
    const int kLevels = FactsOfMode(kModeMatch).lastLevel;
    const std::string sources = a.sources == "levels/puzzle" ? "levels/match" : a.sources;
    const auto start = std::chrono::steady_clock::now();
    // Job 0 is the whole match; then per level each player's seeds.
    const std::vector<std::variant<MatchCampaign, MatchLevelRun>> played =
        RunParallel(a.jobs, 1 + kLevels * 2 * seeds,
                    [&](int job) -> std::variant<MatchCampaign, MatchLevelRun> {
                        if (job == 0) return RecordMatchCampaign(a.res, a.seed);
                        const int k = job - 1;
                        MatchBotOptions o;
                        o.seed = static_cast<std::uint64_t>(k % seeds + 1);
                        return PlayMatchLevel(a.res, k / (2 * seeds) + 1, (k / seeds) % 2 + 1, o);
                    });
    const MatchCampaign& campaign = std::get<MatchCampaign>(played[0]);
    auto runOf = [&](int level, int player, int seed) -> const MatchLevelRun& {
        return std::get<MatchLevelRun>(
            played[static_cast<size_t>(1 + ((level - 1) * 2 + player - 1) * seeds + seed - 1)]);
    };

    std::ostringstream t;
    t << "| Level | Name | Colours | Stones | Anchors | Extras | Keys: cleared (of " << seeds
      << ") | Keys: shots | Keys: time used | Mouse: cleared (of " << seeds
      << ") | Mouse: shots | Mouse: time used | Whole match: winner, shots, time used |\n";
    t << "|---:|---|---:|---:|---:|---|---:|---:|---:|---:|---:|---:|---|\n";
    int allCleared = 0;
    int worstUsed = 0, worstLevel = 0;
    double firstTen = 0, lastTen = 0;
    for (int level = 1; level <= kLevels; ++level) {
        const LevelInfo info = Describe(sources, level, kMatchLattice);
        t << "| " << level << " | " << info.name << " | " << info.colours << " | " << info.stones
          << " | " << info.anchors << " | " << info.extras;
        bool every = true;
        for (int player = 1; player <= 2; ++player) {
            std::vector<int> shots, used;
            int cleared = 0;
            for (int s = 1; s <= seeds; ++s) {
                const MatchLevelRun& r = runOf(level, player, s);
                cleared += r.cleared ? 1 : 0;
                shots.push_back(r.shots);
                // Time used: the ticks the level took, in time units of the first lap's drain.
                used.push_back(r.ticks / MatchDrainDivisor(1));
            }
            every = every && cleared == seeds;
            const int u = Median(used);
            if (u > worstUsed) worstUsed = u, worstLevel = level;
            if (player == 1 && level <= 10) firstTen += u;
            if (player == 1 && level > kLevels - 10) lastTen += u;
            t << " | " << cleared << " | " << Median(shots) << " | " << u;
        }
        allCleared += every ? 1 : 0;
        std::string whole = "not reached";
        for (const MatchLevelRun& r : campaign.levels)
            if (r.level == level)
                whole = (r.cleared ? "player " + std::to_string(r.player) + " cleared, "
                                   : "player " + std::to_string(r.player) + " NOT cleared, ") +
                        std::to_string(r.shots) + ", " +
                        std::to_string(r.ticks / MatchDrainDivisor(1));
        t << " | " << whole << " |\n";
    }

    std::ostringstream doc;
    doc << kMatchHeading
        << "\n\n"
           "The fifty levels of the two-player match are written as text in `match/NN.txt` and "
           "compiled at build time into `res/Levelz/lvl000Ntwo.lvl` by `levelc --match`. Both "
           "players get the same field, the right one mirrored about the middle of the screen.\n\n"
           "## Source format\n\n"
           "As for the Puzzle, on the match's smaller lattice (cells 40 px apart, rows 20 px "
           "apart, from the ceiling at y 110):\n\n"
           "```\n"
           "; name: Two Halves\n"
           "; idea: Two colours side by side: one stone of the right colour takes a whole half.\n"
           "field\n"
           "|. # # # # # # # # .|   row 0, the ceiling: eight anchors between two empty cells\n"
           "| 1 1 1 1 2 2 2 2 2 |   rows of 9 sit half a cell to the right\n"
           "|. 1 1 1 1 2 2 2 2 .|   rows of 10; their first and last cells lie beyond the cannon\n"
           "...                     rows 0 to 17 at least (row 17, y 450, is the last above the "
           "line)\n"
           "extras                  optional, as for the Puzzle\n"
           "```\n\n"
           "`levelc check --match` checks them like the Puzzle's, on the match lattice: every "
           "stone hangs from the ceiling or an anchor, nothing lies below the bottom line (y 460), "
           "no stone lies beyond the cannon's reach (x 40 .. 320), no stone walled in by anchors, "
           "no place where a stone can come to rest but never be joined, no two levels alike. "
           "The build runs it on all fifty.\n\n"
           "## How the bot plays them\n\n"
           "`levelbot` plays the match through the game's own rules as one player while the other "
           "does nothing: player 1 with the cursor keys and Space (its cannon walks a column every "
           "four ticks), player 2 with the pointer and the mouse button. It looks two shots ahead "
           "like the Puzzle bot, on its own half of the field. A level counts as cleared when the "
           "bot empties its field before the idle player's bar runs out, that is within the 500 "
           "time units a level starts with (2500 ticks in the first lap): the level's own time.\n\n"
           "Generated by `levelbot match-table --seeds "
        << seeds << " --res build/res --out levels/README.md --replay levels/match/campaign.replay`"
        << " (seeds 1 to " << seeds
        << "; medians of shots and of time used, in time units). The last column is the whole "
           "match of `match/campaign.replay` (seed "
        << a.seed
        << "): from the splash through the start-level screen into level 1, player 1 wins the "
           "odd levels and player 2 the even ones while the other waits, so the lead never "
           "reaches three, through all fifty levels to level 1 of lap 2. CI replays it with "
           "`rhombulus2-headless --no-draw` (test `e2e.match_campaign`); any change to the rules "
           "that changes a tick of it needs a new recording with this command.\n\n"
        << t.str() << "\n"
        << "Levels cleared by both players on every seed: " << allCleared << " of " << kLevels
        << ". Longest median time used: " << worstUsed << " of 500 (level " << worstLevel
        << "). Median time used by player 1, first ten levels: " << firstTen / 10
        << " per level; last ten: " << lastTen / 10 << ".\n\nWhole match: "
        << (campaign.reachedNextLap ? "level 1 of lap 2 reached" : "STOPPED") << " after "
        << campaign.ticks << " ticks, levels won " << campaign.levelsWon[1] << " : "
        << campaign.levelsWon[2] << ".\n";
    if (!WriteSection(a.out, doc.str())) return 1;
    if (!a.replay.empty() && !WriteFile(a.replay, campaign.script)) return 1;
    std::fprintf(stderr, "match table done (%.0f s)\n", Seconds(start));
    return 0;
}

// A side of `levelbot computer`: a strength, or a model of a person by its name.
int ModelNamed(const std::string& name) {
    for (int m = 1; m <= kPlayerModels; ++m) {
        std::string lower = PlayerModelOf(m).name;
        for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (name == lower) return m;
    }
    return 0;
}

// One match level, the computer at the given strengths on each side (0: a player who does
// nothing), or a model of a person on the left.
int ComputerCmd(const Args& a) {
    if (a.positional.size() < 3) return Usage();
    const int level = std::atoi(a.positional[0].c_str());
    const int model = ModelNamed(a.positional[1]);
    const int left = std::atoi(a.positional[1].c_str());
    const int right = std::atoi(a.positional[2].c_str());
    const int seeds = a.seeds > 0 ? a.seeds : 1;
    for (int seed = 1; seed <= seeds; ++seed) {
        const ComputerLevelRun r = model != 0 ? PlayModelLevel(a.res, level, model, right, seed)
                                              : PlayComputerLevel(a.res, level, left, right, seed);
        std::printf(
            "level %2d seed %d: %s (left) against %d (right): winner %d %s after %d ticks;"
            " shots %d : %d, missed %d : %d\n",
            level, seed, a.positional[1].c_str(), right, r.winner,
            r.cleared ? "cleared" : "outlasted", r.ticks, r.shots[1], r.shots[2], r.missed[1],
            r.missed[2]);
    }
    return 0;
}

// Seconds per shot and the share of shots that missed their column, summed over runs.
struct Pace {
    long long shots = 0, intervals = 0, ticks = 0, missed = 0;
    void Add(const ComputerLevelRun& r, int p) {
        shots += r.shots[p];
        missed += r.missed[p];
        if (r.shots[p] > 1) intervals += r.shots[p] - 1, ticks += r.shotTicks[p];
    }
    std::string Text() const {
        char b[64];
        std::snprintf(b, sizeof b, "%.1f s | %.0f %%",
                      intervals > 0 ? 0.015 * static_cast<double>(ticks) / intervals : 0.0,
                      shots > 0 ? 100.0 * static_cast<double>(missed) / shots : 0.0);
        return b;
    }
};

std::string Percent(int part, int whole) {
    return std::to_string(whole > 0 ? (200 * part + whole) / (2 * whole) : 0) + " %";
}

// The computer opponent's three strengths against the three models of people over the match
// levels: the share of levels each strength wins against each model, the person on the left
// with the mouse as against the real computer. The table goes into the levels' README as a part
// of its own.
int StrengthTableCmd(const Args& a) {
    const int seeds = a.seeds > 0 ? a.seeds : 1;
    // --levels N: the first N only, while tuning.
    const int kLevels = a.levels > 0 ? std::min(a.levels, FactsOfMode(kModeMatch).lastLevel)
                                     : FactsOfMode(kModeMatch).lastLevel;
    constexpr int kStrengths = 3;
    const char* const kNames[kStrengths + 1] = {"", "Leicht", "Mittel", "Schwer"};
    const auto start = std::chrono::steady_clock::now();
    // Per level and seed: each strength against each model.
    constexpr int kPerSeed = kStrengths * kPlayerModels;
    const std::vector<ComputerLevelRun> runs =
        RunParallel(a.jobs, kLevels * seeds * kPerSeed, [&](int job) {
            const int level = job / (seeds * kPerSeed) + 1;
            const int seed = job / kPerSeed % seeds + 1;
            const int k = job % kPerSeed;
            return PlayModelLevel(a.res, level, k % kPlayerModels + 1, k / kPlayerModels + 1,
                                  static_cast<std::uint64_t>(seed));
        });
    auto at = [&](int level, int seed, int strength, int model) -> const ComputerLevelRun& {
        return runs[static_cast<size_t>(((level - 1) * seeds + seed - 1) * kPerSeed +
                                        (strength - 1) * kPlayerModels + model - 1)];
    };

    int won[kStrengths + 1][kPlayerModels + 1] = {};
    int lost[kStrengths + 1][kPlayerModels + 1] = {};
    Pace computerPace[kStrengths + 1];
    Pace personPace[kPlayerModels + 1];
    std::ostringstream t;
    t << "| Level |";
    for (int strength = 1; strength <= kStrengths; ++strength)
        for (int model = 1; model <= kPlayerModels; ++model)
            t << " " << kNames[strength] << " : " << PlayerModelOf(model).name << " |";
    t << "\n|---:|";
    for (int k = 0; k < kPerSeed; ++k) t << "---:|";
    t << "\n";
    for (int level = 1; level <= kLevels; ++level) {
        t << "| " << level << " |";
        for (int strength = 1; strength <= kStrengths; ++strength) {
            for (int model = 1; model <= kPlayerModels; ++model) {
                int w = 0, l = 0;
                for (int seed = 1; seed <= seeds; ++seed) {
                    const ComputerLevelRun& r = at(level, seed, strength, model);
                    w += r.winner == 2 ? 1 : 0;
                    l += r.winner == 1 ? 1 : 0;
                    computerPace[strength].Add(r, 2);
                    personPace[model].Add(r, 1);
                }
                won[strength][model] += w;
                lost[strength][model] += l;
                t << " " << w << " : " << l << " |";
            }
        }
        t << "\n";
    }

    const int games = kLevels * seeds;
    std::ostringstream doc;
    doc << "# The computer opponent\n\n"
           "With \"Computer: Leicht\", \"Computer: Mittel\" or \"Computer: Schwer\" chosen on the "
           "start-level screen, the computer plays the right field of the match. It plays "
           "through the same command as a person with a mouse (its pointer moves at most "
        << kPointerStepLimit
        << " px a tick, a click is one tick down) and sees what a person sees: the field, the "
           "stone on its cannon and the falling extras. Like a person it takes a reaction time "
           "to notice a loaded cannon or a falling extra and a pause to decide each shot, moves "
           "its pointer at a hand's pace, holds still before the click, and its hand lands near "
           "the middle of the column it chose, sometimes half a column off and so in the next "
           "one. It weighs the columns on a model of its field, the shot in hand or that and "
           "the next, with a judgement that wanders and now and then takes a worse column.\n\n"
           "`levelbot` measures the strengths against three models of people, who play the "
           "left field with the mouse through the same machinery with a person's traits: a "
           "beginner ten minutes into the game (a shot every 2-3 s, the column missed now and "
           "then), an average player (a shot every 1.5 s) and a strong one (every 0.8 s, rare "
           "misses). A tick is 15 ms. The last two columns are measured over the table's games:"
           "\n\n"
           "| Player | Reacts after (ticks) | Thinks (ticks) | Pointer (px a tick) | Holds "
           "still before the click (ticks) | Aim off by up to (px) | Looks ahead (shots) | "
           "Misjudges | Shoots every | Misses the column |\n"
           "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    auto traitRow = [&](const std::string& name, const ComputerTraits& tr, const Pace& pace) {
        doc << "| " << name << " | " << tr.reactMin << " .. " << tr.reactMax << " | " << tr.thinkMin
            << " .. " << tr.thinkMax << " | " << tr.pointerStep << " | " << tr.settleTicks << " | "
            << tr.aimError << " | " << tr.lookAhead << " | " << tr.misjudgePercent << " % | "
            << pace.Text() << " |\n";
    };
    for (int strength = 1; strength <= kStrengths; ++strength)
        traitRow(std::string("Computer: ") + kNames[strength], TraitsOf(strength),
                 computerPace[strength]);
    for (int model = 1; model <= kPlayerModels; ++model)
        traitRow(std::string("Model: ") + PlayerModelOf(model).name, PlayerModelOf(model).traits,
                 personPace[model]);
    doc << "\nGenerated by `levelbot strength-table --seeds " << seeds
        << " --res build/res --out levels/README.md`: every match level from a new match in "
           "lap 1, each strength against each model on "
        << seeds << (seeds == 1 ? " seed" : " seeds")
        << ", the model on the left. The share of the " << games
        << " levels each strength wins against each model (a level nobody wins counts as not "
           "won); the goals are Leicht 30-50 % against the beginner, Mittel 40-60 % against the "
           "average player and Schwer at least 60 % against the strong one.\n\n"
           "| Computer | against Beginner | against Average | against Strong |\n"
           "|---|---:|---:|---:|\n";
    for (int strength = 1; strength <= kStrengths; ++strength) {
        doc << "| " << kNames[strength];
        for (int model = 1; model <= kPlayerModels; ++model)
            doc << " | " << Percent(won[strength][model], games) << " (" << won[strength][model]
                << " : " << lost[strength][model] << ")";
        doc << " |\n";
    }
    doc << "\nLevel by level: the levels the computer won : the person won, of " << seeds << ".\n\n"
        << t.str();
    if (!WriteSection(a.out, doc.str())) return 1;
    std::fprintf(stderr, "strength table done (%.0f s)\n", Seconds(start));
    for (int strength = 1; strength <= kStrengths; ++strength) {
        std::fprintf(stderr, "%s:", kNames[strength]);
        for (int model = 1; model <= kPlayerModels; ++model)
            std::fprintf(stderr, " %s %s", PlayerModelOf(model).name,
                         Percent(won[strength][model], games).c_str());
        std::fprintf(stderr, "\n");
    }
    // The strengths must come out in order against every model.
    for (int model = 1; model <= kPlayerModels; ++model)
        if (won[1][model] > won[2][model] || won[2][model] > won[3][model]) return 1;
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
    if (cmd == "match") return MatchCmd(a);
    if (cmd == "match-table") return MatchTableCmd(a);
    if (cmd == "match-replay") return MatchReplayCmd(a);
    if (cmd == "strength-table") return StrengthTableCmd(a);
    if (cmd == "computer") return ComputerCmd(a);
    return Usage();
}
