// rhombulus2-headless: the game on the headless platform, ticking as fast as it can, driven by an
// input script, writing screenshots, state dumps and a per-tick trace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Ticks of a run, of its events, screenshots and dumps: 1..kMaxTick.
constexpr long long kMaxTick = 2147483647;
// The largest input script read.
constexpr std::size_t kMaxInputScriptBytes = 256u << 20;

struct ScriptEvent {
    long long tick = 0;  // a release at kMaxTick + 1 never runs
    int order = 0;       // position in the script, for a stable order within a tick
    std::string kind;    // move down up keydown keyup text close resize focus
    int x = 0;
    int y = 0;
    std::string arg;  // key name or text
};

struct RunnerOptions {
    std::string resDir;
    std::uint64_t seed = 0;
    int ticks = 0;  // 0: until the game quits
    std::vector<ScriptEvent> events;
    std::vector<std::pair<int, std::string>> shots;
    std::vector<std::pair<int, std::string>> dumps;
    std::string tracePath;
};

// Parses an input script; on error returns false with "line N: reason" in error.
bool ParseInputScript(const std::string& text, std::vector<ScriptEvent>& events,
                      std::string& error);
// Whether resDir holds the game's pictures and font; otherwise names the first file missing or
// damaged.
bool GameFilesPresent(const std::string& resDir, std::string& missing);
// Runs the game; returns the exit status.
int RunHeadless(const RunnerOptions& options);
