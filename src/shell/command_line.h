// The real game's command line: --help, --version, --fullscreen, --windowed, --record FILE,
// --replay FILE.
#pragma once

#include <string>

struct CommandLine {
    enum class Action { kRun, kHelp, kVersion, kUsageError };
    Action action = Action::kRun;
    int fullscreen = -1;  // -1 as remembered, 0 windowed, 1 fullscreen
    std::string error;    // what was wrong, for kUsageError
    // Where what the player does is written down, for rhombulus2-headless --input (empty: not).
    std::string recordPath;
    // A replay to watch instead of playing (--replay FILE, or a file given alone).
    std::string replayPath;
    // The relay for network matches (HOST:PORT), in place of the options file's.
    std::string relay;
    // The online server (http://HOST:PORT), in place of the options file's server=URL.
    std::string server;
};

CommandLine ParseCommandLine(int argc, const char* const* argv);
std::string UsageText();
std::string VersionText();
// The version alone ("1.2.0"), as replays name it.
std::string GameVersion();
