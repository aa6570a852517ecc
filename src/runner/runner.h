// rhombulus2-headless: the game on the headless platform, ticking as fast as it can, driven by an
// input script, writing screenshots, state dumps and a per-tick trace.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Ticks of a run, of its events, screenshots and dumps: 1..kMaxTick.
constexpr long long kMaxTick = 2147483647;
// The largest input script read.
constexpr std::size_t kMaxInputScriptBytes = 256u << 20;

struct Game;
struct GameReplays;

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
    // Print "tick T hash H" (the simulation's state hash) after every N-th tick; 0: never.
    int hashEvery = 0;
    // Draw only the ticks named by a shot; the game itself runs exactly the same.
    bool noDraw = false;
    // Every drawn tick also drawn whole and compared with the picture drawn from the changed
    // tiles; a difference is reported and makes the exit status 3.
    bool checkRedraw = false;
    // Every frame drawn whole (DrawRoutines::fullRedraw).
    bool fullRedraw = false;
    // The language of a first start, without a settings file (a recording names the one the
    // window's desktop gave).
    int firstStartLanguage = 1;
    // A network match's recording: the match at this level from the first tick, every tick
    // with both players' commands ("T net HOST GUEST"); 0 for an ordinary script.
    int netMatchLevel = 0;
    // Where each game is kept as a replay, as the window keeps them (empty: none kept).
    std::string keepReplaysDir;
    // For tests of what the game sees of its folders while it runs: before tick T the file is
    // copied into the levels folder, as a player drops a pack there.
    std::vector<std::pair<int, std::string>> dropPacks;
    // Called after each tick, once its game's replay is kept or begun (the online session of
    // rhombulus2-headless --server); the games are then recorded even without keepReplaysDir.
    std::function<void(Game&, GameReplays&)> afterTick;
};

// Parses an input script; on error returns false with "line N: reason" in error.
bool ParseInputScript(const std::string& text, std::vector<ScriptEvent>& events,
                      std::string& error);
// The seed a recording names on its first line ("# seed N"); false when it names none.
bool ScriptSeed(const std::string& text, std::uint64_t& seed);
// The first-start language a recording names in its heading comments ("# language N", 1 or 2);
// false when it names none.
bool ScriptLanguage(const std::string& text, int& language);
// The match level a network match's recording starts at ("# match-level L"); false for none.
bool ScriptMatchLevel(const std::string& text, int& level);
// "T net HOST GUEST": one tick's two command records as 16 hex digits each.
std::string NetTickLine(long long tick, const std::uint8_t* host, const std::uint8_t* guest);
bool ParseNetRecords(const std::string& arg, std::uint8_t* host, std::uint8_t* guest);
// Whether resDir holds the game's pictures and font; otherwise names the first file missing or
// damaged.
bool GameFilesPresent(const std::string& resDir, std::string& missing);
struct Game;
// What one event of a script does, just before the tick it names: the player's doings go into
// the game's command record as the window's events do; `focused` is the window's focus as the
// script left it.
void ApplyScriptEvent(Game& game, const ScriptEvent& e, bool& focused);
// Runs the game; returns the exit status.
int RunHeadless(const RunnerOptions& options);
