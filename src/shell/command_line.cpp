#include "shell/command_line.h"

#include <cstring>

#include "shell/replay_store.h"
#include "shell/user_files.h"

#ifndef RHOMBULUS_VERSION
#define RHOMBULUS_VERSION "unknown"
#endif

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine cl;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] != nullptr ? argv[i] : "";
        if (arg == "--help" || arg == "-h") {
            cl.action = CommandLine::Action::kHelp;
            return cl;
        }
        if (arg == "--version") {
            cl.action = CommandLine::Action::kVersion;
            return cl;
        }
        if (arg == "--fullscreen") {
            cl.fullscreen = 1;
        } else if (arg == "--windowed") {
            cl.fullscreen = 0;
        } else if (arg == "--record" && i + 1 < argc && argv[i + 1] != nullptr) {
            cl.recordPath = argv[++i];
        } else if (arg == "--replay" && i + 1 < argc && argv[i + 1] != nullptr) {
            cl.replayPath = argv[++i];
        } else if (arg.size() > std::strlen(kReplaySuffix) && arg[0] != '-' &&
                   arg.compare(arg.size() - std::strlen(kReplaySuffix), std::string::npos,
                               kReplaySuffix) == 0 &&
                   cl.replayPath.empty()) {
            // A file handed over by the desktop (the replays' file type opens the game).
            cl.replayPath = arg;
        } else if (arg == "--relay" && i + 1 < argc && argv[i + 1] != nullptr) {
            cl.relay = argv[++i];
            if (!ValidRelayAddress(cl.relay)) {
                cl.action = CommandLine::Action::kUsageError;
                cl.error = "--relay needs HOST:PORT";
                return cl;
            }
        } else if (arg == "--server" && i + 1 < argc && argv[i + 1] != nullptr) {
            cl.server = argv[++i];
            if (cl.server.rfind("http://", 0) != 0) {
                cl.action = CommandLine::Action::kUsageError;
                cl.error = "--server needs http://HOST:PORT";
                return cl;
            }
        } else {
            cl.action = CommandLine::Action::kUsageError;
            cl.error = "unknown option " + arg;
            return cl;
        }
    }
    return cl;
}

std::string UsageText() {
    return "usage: rhombulus2 [--fullscreen | --windowed] [--record FILE] [--replay FILE]\n"
           "                 [--relay HOST:PORT] [--server URL] [--help] [--version]\n"
           "\n"
           "  --fullscreen  start in fullscreen (F11 or Alt+Enter switch while playing)\n"
           "  --windowed    start in a window\n"
           "  --record FILE write what you do to FILE, to replay it with rhombulus2-headless\n"
           "                --input FILE (for bug reports)\n"
           "  --replay FILE watch a kept game (FILE.r2replay); Space pauses, Right and Left\n"
           "                change the speed (up to x8), Escape leaves\n"
           "  --relay HOST:PORT  the relay a network match goes through (rhombulus2-relay);\n"
           "                also the line relay=HOST:PORT of the options file\n"
           "  --server URL  the online server for online games and leaderboards\n"
           "                (http://HOST:PORT); also the line server=URL of the options file\n"
           "  --help        show this text\n"
           "  --version     show the version\n"
           "\n"
           "Saves and settings live in $XDG_DATA_HOME/rhombulus2/saves\n"
           "(~/.local/share/rhombulus2/saves), the window options in\n"
           "$XDG_CONFIG_HOME/rhombulus2 (~/.config/rhombulus2). Every game is kept as a\n"
           "replay in $XDG_DATA_HOME/rhombulus2/replays (the last 30 and those of highscores).\n";
}

std::string GameVersion() {
    return RHOMBULUS_VERSION;
}

std::string VersionText() {
    return "rhombulus2 " + GameVersion() + "\n";
}
