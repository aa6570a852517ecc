// The server's own play of a submitted game: the replay played headless from the fresh start of
// its ticket's mode and seed to its game over. Only the score this play reaches ever counts.
#pragma once

#include <cstdint>
#include <string>

// What a ticket promises about the game it was given for.
struct OnlineGameFacts {
    int mode = 0;  // kModeEndless, kModePuzzle or kModePipe
    std::uint64_t seed = 0;
    std::string version;
    std::uint64_t levels = 0;
    long long maxTicks = 0;  // the longest game the ticket's time allows
};

struct OnlinePlay {
    bool verified = false;
    int score = 0;
    long long ticks = 0;  // ticks from the game's start to its game over
    std::string why;      // why refused, in a line
};

// Plays `replay` (a game's replay as the game keeps it) against `facts` with the game in
// `resDir`, its saves in `scratchDir` (an empty folder of the caller's).
OnlinePlay PlayOnlineReplay(const std::string& replay, const OnlineGameFacts& facts,
                            const std::string& resDir, const std::string& scratchDir);

// The whole state of a game of `mode` started afresh with `seed`: the game's start-up, then a
// new game of the mode at level 1, as the game choice starts one. The state line of a replay
// that starts so (its game in progress the same) is the fresh state.
std::string FreshGameState(int mode, std::uint64_t seed, const std::string& resDir,
                           const std::string& scratchDir);
