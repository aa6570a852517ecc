// rhombulus2-headless in a network match: the match at a chosen level as soon as the other
// player is there, played by the same NetMatchDriver as the window's; the runner brings its
// script as the local player's controls, its clock and pacing, and writes both players' commands
// down for an offline replay, with its dumps, shots and figures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/transport.h"
#include "runner/runner.h"

struct NetRunnerOptions {
    enum class Mode { kHost, kJoin, kWatch };
    Mode mode = Mode::kHost;
    std::string address = "127.0.0.1";  // join and watch: the host's (or the relay's) address
    std::uint16_t port = 0;
    int matchLevel = 1;  // host: the match's first level
    // Through the relay at address:port: the room the host opens or the guest joins.
    bool viaRelay = false;
    std::string room;
    net::LinkFaults faults;
    std::string recordPath;  // both players' commands, as an input script
    // For tests: the guest changes one value of its state after this match tick, once.
    int desyncAtTick = 0;
    // For tests: the game version this side says it runs ("" for the real one).
    std::string gameVersion;
    std::int64_t waitMs = 20000;  // how long to wait for the other player before giving up
    // A tick every 15 ms as in the window, rather than as fast as the commands come (for
    // figures of the network's load that hold for a real match).
    bool paced = false;
};

// Plays a network match (or watches one: the match from the host's state and stream, sending
// nothing that changes it); returns the exit status (0 played to its end or to --ticks, 3 the
// connection was lost or refused).
int RunNetHeadless(const RunnerOptions& options, const NetRunnerOptions& net);
