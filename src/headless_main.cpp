// rhombulus2-headless [--res DIR] [--seed N] [--ticks N] [--input FILE]
//                     [--shot T:FILE.png|.bmp]... [--dump T:FILE.json]... [--trace FILE.jsonl]
//                     [--no-draw] [--hash-every N] [--check-redraw] [--full-redraw]
//                     [--net-host PORT [--match-level L] | --net-join HOST:PORT |
//                      --net-relay HOST:PORT --room CODE [--match-level L] |
//                      --net-watch HOST:PORT | --net-relay HOST:PORT --net-watch CODE]
//                     [--net-drop PCT] [--net-delay MS] [--net-jitter MS] [--net-paced]
//                     [--record FILE]
//                     [--make-replay FILE] [--keep-replays DIR] [--drop-pack T:FILE]...
//                     | --watch FILE [--speed N] [--dump T:FILE]... | --verify FILE
//                     | --server URL [--name NAME] (--online MODE --input FILE
//                       [--keep-replays DIR] [--before-submit CMD] | --submit REPLAY)
//                     | --server URL --watch-entry ID
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "core/game.h"
#include "core/paths.h"
#include "menus/record_file.h"
#include "net/enet_transport.h"
#include "net/room_code.h"
#include "online/online_client.h"
#include "online/online_runner.h"
#include "online/online_session.h"
#include "platform/file_bytes.h"
#include "runner/game_replays.h"
#include "runner/net_runner.h"
#include "runner/replay_verify.h"
#include "runner/replay_watch.h"
#include "runner/runner.h"
#include "shell/command_line.h"
#include "shell/user_files.h"

namespace {

constexpr const char* kUsage =
    "usage: rhombulus2-headless [--res DIR] [--seed N] [--ticks N] [--input FILE]\n"
    "       [--shot T:FILE.png|.bmp]... [--dump T:FILE.json]... [--trace FILE.jsonl]\n"
    "       [--no-draw] [--hash-every N] [--check-redraw] [--full-redraw]\n"
    "       [--net-host PORT [--match-level L] | --net-join HOST:PORT |\n"
    "        --net-relay HOST:PORT --room CODE [--match-level L] |\n"
    "        --net-watch HOST:PORT | --net-relay HOST:PORT --net-watch CODE]\n"
    "       [--net-drop PCT] [--net-delay MS] [--net-jitter MS] [--net-paced] [--record FILE]\n"
    "       [--make-replay FILE] [--keep-replays DIR] [--drop-pack T:FILE]...\n"
    "       | --watch FILE [--speed 1|2|4|8] [--dump T:FILE]... | --verify FILE\n"
    "       | --server URL [--name NAME] (--online endless|puzzle|pipe|daily --input FILE\n"
    "         [--keep-replays DIR] [--before-submit CMD] | --submit REPLAY)\n"
    "       | --server URL --watch-entry ID\n"
    "       | --version | --help\n";

int Usage(const char* why) {
    std::fprintf(stderr, "rhombulus2-headless: %s\n%s", why, kUsage);
    return 2;
}

// res/ beside the program, or the installed data folder.
std::string ResBesideBinary() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "res";
    std::string exe(buf, static_cast<size_t>(n));
    const size_t slash = exe.rfind('/');
    return FindResDir(slash == std::string::npos ? std::string(".") : exe.substr(0, slash));
}

// A whole number low..high written in plain decimal digits.
bool ParseNumber(const std::string& s, long long low, long long high, long long& value) {
    if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos) return false;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return error == std::errc() && end == s.data() + s.size() && value >= low && value <= high;
}

bool ParseTimed(const std::string& s, std::pair<int, std::string>& out) {
    const size_t colon = s.find(':');
    long long t = 0;
    if (colon == std::string::npos || !ParseNumber(s.substr(0, colon), 1, kMaxTick, t) ||
        colon + 1 >= s.size())
        return false;
    out = {static_cast<int>(t), s.substr(colon + 1)};
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    RunnerOptions options;
    options.resDir = ResBesideBinary();
    options.seed =
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    // A recording names the seed of the game it was made in; --seed still overrides it.
    bool seedGiven = false;
    std::uint64_t scriptSeed = 0;
    bool scriptHasSeed = false;
    bool network = false;
    NetRunnerOptions netOpts;
    bool relayHost = false;  // through the relay, --match-level makes this side the host
    std::string watchTarget;
    std::string inputText, makeReplayPath, watchText, verifyPath;
    bool watching = false;
    OnlineRunnerOptions online;
    int speed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("rhombulus2-headless %s\n", GameVersion().c_str());
            return 0;
        }
        if (arg == "--no-draw") {
            options.noDraw = true;
            continue;
        }
        if (arg == "--check-redraw") {
            options.checkRedraw = true;
            continue;
        }
        if (arg == "--full-redraw") {
            options.fullRedraw = true;
            continue;
        }
        if (arg == "--net-paced") {
            netOpts.paced = true;
            continue;
        }
        if (i + 1 >= argc) return Usage(("missing value after " + arg).c_str());
        const std::string value = argv[++i];
        long long n = 0;
        std::pair<int, std::string> timed;
        if (arg == "--res") {
            options.resDir = value;
        } else if (arg == "--seed") {
            if (!ParseNumber(value, 0, UINT32_MAX, n))
                return Usage("--seed needs N in 0..4294967295");
            options.seed = static_cast<std::uint64_t>(n);
            seedGiven = true;
        } else if (arg == "--ticks") {
            if (!ParseNumber(value, 1, kMaxTick, n))
                return Usage("--ticks needs N in 1..2147483647");
            options.ticks = static_cast<int>(n);
        } else if (arg == "--input") {
            const FileBytes file = ReadFileBytes(value, kMaxInputScriptBytes);
            if (!file.Ok())
                return Usage(
                    ("--input " + value + " " + DescribeFileProblem(file.problem)).c_str());
            const std::string text(file.bytes.begin(), file.bytes.end());
            inputText = text;
            std::string error;
            if (!ParseInputScript(text, options.events, error))
                return Usage((value + ": " + error).c_str());
            scriptHasSeed = ScriptSeed(text, scriptSeed);
            ScriptLanguage(text, options.firstStartLanguage);
            ScriptMatchLevel(text, options.netMatchLevel);
        } else if (arg == "--watch") {
            const FileBytes file = ReadFileBytes(value, kMaxInputScriptBytes);
            if (!file.Ok())
                return Usage(
                    ("--watch " + value + " " + DescribeFileProblem(file.problem)).c_str());
            watchText.assign(file.bytes.begin(), file.bytes.end());
            watching = true;
        } else if (arg == "--speed") {
            if (value != "1" && value != "2" && value != "4" && value != "8")
                return Usage("--speed needs 1, 2, 4 or 8");
            speed = static_cast<int>(value[0] - '0');
        } else if (arg == "--keep-replays") {
            options.keepReplaysDir = value;
        } else if (arg == "--verify") {
            verifyPath = value;
        } else if (arg == "--make-replay") {
            makeReplayPath = value;
        } else if (arg == "--shot" && ParseTimed(value, timed)) {
            options.shots.push_back(timed);
        } else if (arg == "--drop-pack" && ParseTimed(value, timed)) {
            options.dropPacks.push_back(timed);
        } else if (arg == "--dump" && ParseTimed(value, timed)) {
            options.dumps.push_back(timed);
        } else if (arg == "--trace") {
            options.tracePath = value;
        } else if (arg == "--hash-every") {
            if (!ParseNumber(value, 1, kMaxTick, n))
                return Usage("--hash-every needs N in 1..2147483647");
            options.hashEvery = static_cast<int>(n);
        } else if (arg == "--net-host") {
            if (!ParseNumber(value, 1, 65535, n)) return Usage("--net-host needs PORT in 1..65535");
            network = true;
            netOpts.mode = NetRunnerOptions::Mode::kHost;
            netOpts.port = static_cast<std::uint16_t>(n);
        } else if (arg == "--net-join") {
            if (!net::SplitHostPort(value, netOpts.address, netOpts.port))
                return Usage("--net-join needs HOST:PORT");
            network = true;
            netOpts.mode = NetRunnerOptions::Mode::kJoin;
        } else if (arg == "--net-watch") {
            // HOST:PORT of the host, or with --net-relay the room code to watch there.
            network = true;
            watchTarget = value;
        } else if (arg == "--net-relay") {
            if (!net::SplitHostPort(value, netOpts.address, netOpts.port))
                return Usage("--net-relay needs HOST:PORT");
            network = true;
            netOpts.viaRelay = true;
        } else if (arg == "--room") {
            const auto code = net::NormaliseRoomCode(value);
            if (!code) return Usage("--room needs a six-letter room code");
            netOpts.room = *code;
        } else if (arg == "--match-level") {
            relayHost = true;
            if (!ParseNumber(value, 1, 50, n)) return Usage("--match-level needs L in 1..50");
            netOpts.matchLevel = static_cast<int>(n);
        } else if (arg == "--net-drop") {
            if (!ParseNumber(value, 0, 100, n)) return Usage("--net-drop needs PCT in 0..100");
            netOpts.faults.dropPercent = static_cast<int>(n);
        } else if (arg == "--net-delay") {
            if (!ParseNumber(value, 0, 5000, n)) return Usage("--net-delay needs MS in 0..5000");
            netOpts.faults.delayMs = static_cast<int>(n);
        } else if (arg == "--net-jitter") {
            if (!ParseNumber(value, 0, 5000, n)) return Usage("--net-jitter needs MS in 0..5000");
            netOpts.faults.jitterMs = static_cast<int>(n);
        } else if (arg == "--record") {
            netOpts.recordPath = value;
        } else if (arg == "--net-test-desync") {
            // For tests: the guest changes one value after this tick.
            if (!ParseNumber(value, 1, kMaxTick, n)) return Usage("--net-test-desync needs T");
            netOpts.desyncAtTick = static_cast<int>(n);
        } else if (arg == "--server") {
            if (!ValidServerUrl(value)) return Usage("--server needs http://HOST:PORT");
            online.server = value;
        } else if (arg == "--name") {
            online.name = value;
        } else if (arg == "--online") {
            if (!IsOnlineModeWord(value))
                return Usage("--online needs endless, puzzle, pipe or daily");
            online.mode = value;
        } else if (arg == "--submit") {
            online.submitPath = value;
        } else if (arg == "--watch-entry") {
            if (!ParseNumber(value, 1, 1LL << 53, n))
                return Usage("--watch-entry needs an entry's id");
            online.watchEntry = n;
        } else if (arg == "--before-submit") {
            online.beforeSubmit = value;
        } else if (arg == "--net-test-version") {
            netOpts.gameVersion = value;
        } else {
            return Usage(("bad option " + arg + " " + value).c_str());
        }
    }
    if (!seedGiven && scriptHasSeed) options.seed = scriptSeed;
    // A folder that is not the game's res/ must not get a saves/ folder before start-up fails.
    std::string missing;
    if (!GameFilesPresent(options.resDir, missing))
        return Usage(
            ("--res " + options.resDir + ": \"" + missing + "\" is missing or damaged").c_str());
    if (!online.mode.empty() || !online.submitPath.empty() || online.watchEntry > 0) {
        if (online.server.empty())
            return Usage("--online, --submit and --watch-entry need --server URL");
        online.configDir = UserConfigDir(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
        return RunOnlineHeadless(options, online);
    }
    if (watching) return WatchHeadless(options, watchText, speed);
    if (!verifyPath.empty()) return VerifyHeadless(options.resDir, verifyPath);
    // The input script as a replay of this build, as the window keeps its games.
    if (!makeReplayPath.empty()) {
        std::string body;
        for (std::size_t at = 0; at < inputText.size();) {
            std::size_t end = inputText.find('\n', at);
            end = end == std::string::npos ? inputText.size() : end + 1;
            if (inputText[at] != '#') body += inputText.substr(at, end - at);
            at = end;
        }
        const std::string text = ReplayHeaderText(ThisGamesReplayHeader(
                                     options.resDir, options.seed, options.firstStartLanguage)) +
                                 body;
        if (!WriteFileAtomically(makeReplayPath,
                                 std::vector<std::uint8_t>(text.begin(), text.end())))
            return Usage(("cannot write " + makeReplayPath).c_str());
    }
    if (!watchTarget.empty()) {
        netOpts.mode = NetRunnerOptions::Mode::kWatch;
        if (netOpts.viaRelay) {
            const auto code = net::NormaliseRoomCode(watchTarget);
            if (!code)
                return Usage("--net-relay HOST:PORT --net-watch needs a six-letter room code");
            netOpts.room = *code;
        } else if (!net::SplitHostPort(watchTarget, netOpts.address, netOpts.port)) {
            return Usage("--net-watch needs HOST:PORT");
        }
    } else if (network && netOpts.viaRelay) {
        if (netOpts.room.empty()) return Usage("--net-relay needs --room CODE");
        netOpts.mode = relayHost ? NetRunnerOptions::Mode::kHost : NetRunnerOptions::Mode::kJoin;
    }
    // With a server, the online screens talk to it as the window's do, each tick waiting for
    // the answers; what they say is printed as it changes.
    std::unique_ptr<OnlineSession> session;
    std::unique_ptr<ScratchFolder> keptGames;
    if (!online.server.empty()) {
        OnlineSessionConfig config;
        config.server = online.server;
        config.configDir = UserConfigDir(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
        config.resDir = options.resDir;
        config.stepped = true;
        session = std::make_unique<OnlineSession>(config);
        if (options.keepReplaysDir.empty()) {
            keptGames = std::make_unique<ScratchFolder>();
            options.keepReplaysDir = keptGames->Path();
        }
        options.afterTick = [&session, said = std::vector<std::string>()](
                                Game& game, GameReplays& replays) mutable {
            session->Poll(game, replays);
            // A board's game fetched and checked: the window would play it in its viewer now.
            if (!game.online.watchFile.empty()) {
                game.online.watchFile.clear();
                std::printf("online: watching entry %lld, %lld points\n", game.online.watch.id,
                            game.online.watch.score);
            }
            if (game.online.status == said) return;
            said = game.online.status;
            for (const std::string& line : said) std::printf("online: %s\n", line.c_str());
            std::fflush(stdout);
        };
    }
    if (network) {
        // The local player's script drives this side only; a recording's match is not replayed.
        options.netMatchLevel = 0;
        return RunNetHeadless(options, netOpts);
    }
    return RunHeadless(options);
}
