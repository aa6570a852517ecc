// A network match kept as a game's replay: the whole simulation before its first tick, both
// players' commands tick by tick, and the state hash the match ended with, so that `--watch` and
// the window's `--replay` play it again and `--verify` proves that it reaches the same end. Both
// players' machines (and the runner) keep one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/protocol.h"
#include "shell/replay_store.h"

struct Game;

class NetMatchReplay {
  public:
    // `header`: this run's seed, language, version and level files.
    explicit NetMatchReplay(const ReplayHeader& header) : header_(header) {}
    // Before match tick `tick` (0 the first) runs with these commands. The state is taken before
    // tick 0; a tick at or before one already written (the host's state taken after a healing,
    // or shared before the first tick) writes the ticks again from there.
    void BeforeTick(const Game& game, std::uint32_t tick, const net::WireCommand& host,
                    const net::WireCommand& guest);
    bool Started() const { return !header_.state.empty(); }
    // The replay as it stands, ending where `game` is now.
    std::string Text(const Game& game) const;
    // Written into `dir` as the window keeps its games; returns the file name ("" when it is
    // not kept: nothing was played, or the folder cannot be written, said once on stderr).
    std::string Keep(const Game& game, const std::string& dir) const;

  private:
    ReplayHeader header_;
    long long firstFrame_ = 0;  // the frame counter before tick 0
    std::vector<std::string> lines_;
};

// rhombulus2-headless --verify of a match's replay: played to its end, it must end in the
// recorded state; empty when it does, else why not.
std::string VerifyMatchReplay(const std::string& text, const std::string& resDir,
                              const std::string& scratchDir, const std::string& version,
                              std::uint64_t levels);
