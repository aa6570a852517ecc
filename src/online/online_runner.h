// rhombulus2-headless speaking to the online server, for tests and anyone's scripts:
//   --server URL --name NAME --online MODE --input FILE   plays an online game and prints the
//                                                         server's verdict
//   --server URL --name NAME --submit REPLAY              sends a replay file as it is
//   --server URL --watch-entry ID                         fetches a board's entry's replay and
//                                                         plays it to its game over
#pragma once

#include <string>

#include "runner/runner.h"

struct OnlineRunnerOptions {
    std::string server;      // http://HOST:PORT
    std::string name;        // claimed when the key has none yet
    std::string mode;        // endless, puzzle, pipe, daily
    std::string submitPath;  // a replay to send as it is (its ticket beside it, FILE.ticket)
    std::string configDir;   // the key and the games not yet sent
    // Run in the shell once the game is over, before it is sent (scripts use it to take the
    // server away at that moment).
    std::string beforeSubmit;
    long long watchEntry = 0;  // an entry of a board whose replay is played again
};

// The exit status: 0 verified (or kept to send later), 1 refused or no answer, 2 a local fault.
int RunOnlineHeadless(const RunnerOptions& options, const OnlineRunnerOptions& online);
