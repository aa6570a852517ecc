// Every game kept as a replay of its own, and the whole simulation as a replay's state line.
#pragma once

#include <cstdint>
#include <string>

#include "shell/replay_store.h"

class InputRecorder;
struct Game;
struct PlayerOwn;
struct Simulation;

// The whole simulation as a replay's state line, and back (false, with the reason, when the
// line is no state of this game). A line written while the state still held the highscore tables
// and the slot list is read too: with `oldOwn` given, it gets what the line held of them and
// `*oldForm` says whether the line was of that form.
std::string PackReplayState(const Simulation& sim);
bool UnpackReplayState(const std::string& hex, Simulation& into, std::string& why,
                       PlayerOwn* oldOwn = nullptr, bool* oldForm = nullptr);

// The header this build writes for a game of `seed` from resDir's level files.
ReplayHeader ThisGamesReplayHeader(const std::string& resDir, std::uint64_t seed, int language);

// "20261208-024401-3f2a-00000050.r2replay": the UTC time of the game's start sorts the folder by
// age; the seed and the tick tell apart two games begun in one second.
std::string ReplayFileName(std::uint64_t seed, int tick);

// Each game is a replay of its own, from the tick it began in (a new game, a resumed or a loaded
// one) to the tick it ended in (game over after its name entry, left for the main menu) or the
// close of the window, kept in `dir` (the window's replays folder, or rhombulus2-headless
// --keep-replays DIR) as soon as it ends, so that its highscore entry can be watched at once.
struct GameReplays {
    InputRecorder& recorder;
    ReplayHeader header;  // the run's: seed, language, version, levels
    std::string dir;
    bool recording = false;  // a game is on and its replay not yet written

    // The current game's replay written, if one is being recorded.
    void Keep(const Game& game);
    // After each tick: a game that ended in it is kept; when a game began in it, the replay
    // before is kept and the new one holds the whole game as it stands.
    void AfterTick(Game& game);
};
