// rhombulus2-server [--config FILE] --data DIR | --db postgresql://... [--http HOST:PORT]
// [--verifier] ...: the online boards. Every submitted game is played again here before its score
// counts.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>
#include <thread>

#include "core/paths.h"
#include "server/config_file.h"
#include "server/server.h"
#include "shell/command_line.h"

namespace {

const char kUsage[] =
    "usage: rhombulus2-server [--config FILE] --data DIR | --db postgresql://...\n"
    "                         [--http HOST:PORT] [--udp PORT] [--verifier] [--res DIR]\n"
    "                         [--workers N] [--lease SECONDS] [--poll SECONDS]\n"
    "                         [--http-threads N] [--ticket-slack SECONDS] [--address-rate N]\n"
    "       rhombulus2-server --version | --help\n"
    "  --config FILE    \"key = value\" lines for the options below (data = DIR, ...);\n"
    "                   the command line wins\n"
    "  --data DIR       the SQLite database and the server's key (made when missing)\n"
    "  --db URL         PostgreSQL instead (postgresql://USER@HOST/DB?host=/run/postgresql);\n"
    "                   any number of servers and verifiers may share it\n"
    "  --udp PORT       also the relay's rooms for network matches, on this UDP port of\n"
    "                   the --http host (rhombulus2-relay's default is 27431)\n"
    "  --ws PORT        browsers' WebSocket connections into the same rooms (with --udp)\n"
    "  --verifier       no HTTP: only verify submissions (needs --db)\n"
    "  --lease S        seconds a verifier may hold a job before another takes it (600)\n"
    "  --poll S         seconds between an idle verifier's own looks for jobs (30); new\n"
    "                   submissions wake it at once\n"
    "  --http HOST:PORT where to serve the API (127.0.0.1:8642; port 0: any free one)\n"
    "  --res DIR        the game whose replays are played (res/ beside the program)\n"
    "  --workers N      verifier threads (1; 0 takes submissions but verifies none)\n"
    "  --http-threads N threads answering HTTP, each holds a kept-alive connection (64)\n"
    "  --ticket-slack S seconds a game may run beyond the time since its ticket (60)\n"
    "  --address-rate N requests a second one address may send (20, bursts of 5 times that)\n";

// The config file's name and line of the option being read, "" for the command line's own.
std::string gWhere;

int Usage(const std::string& why) {
    const std::string where = gWhere.empty() ? "" : gWhere + ": ";
    std::fprintf(stderr, "rhombulus2-server: %s%s\n%s", where.c_str(), why.c_str(), kUsage);
    return 2;
}

bool ParseInt(const std::string& s, long long low, long long high, long long& value) {
    if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos) return false;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return error == std::errc() && end == s.data() + s.size() && value >= low && value <= high;
}

std::string ResBesideBinary() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "res";
    const std::string exe(buf, static_cast<size_t>(n));
    const size_t slash = exe.rfind('/');
    return FindResDir(slash == std::string::npos ? std::string(".") : exe.substr(0, slash));
}

}  // namespace

int main(int argc, char** argv) {
    ServerOptions options;
    options.resDir = ResBesideBinary();
    ServerArgs args;
    std::string why;
    if (!ArgsWithConfig(std::vector<std::string>(argv + 1, argv + argc), args, why))
        return Usage(why);
    const int count = static_cast<int>(args.args.size());
    for (int i = 0; i < count; ++i) {
        const std::string arg = args.args[i];
        gWhere = args.where[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("rhombulus2-server %s\n", GameVersion().c_str());
            return 0;
        }
        if (arg == "--verifier") {
            options.verifierOnly = true;
            continue;
        }
        if (i + 1 >= count) return Usage(arg + " needs a value");
        const std::string value = args.args[++i];
        long long n = 0;
        if (arg == "--data") {
            options.dataDir = value;
        } else if (arg == "--db") {
            if (!IsPostgresUrl(value)) return Usage("--db needs postgresql://...");
            options.db = value;
        } else if (arg == "--poll") {
            if (!ParseInt(value, 1, 3600, n)) return Usage("--poll needs 1..3600");
            options.pollSeconds = static_cast<int>(n);
        } else if (arg == "--lease") {
            if (!ParseInt(value, 1, 86400, n)) return Usage("--lease needs 1..86400");
            options.leaseSeconds = n;
        } else if (arg == "--res") {
            options.resDir = value;
        } else if (arg == "--http") {
            const size_t colon = value.rfind(':');
            if (colon == std::string::npos || colon == 0 ||
                !ParseInt(value.substr(colon + 1), 0, 65535, n))
                return Usage("--http needs HOST:PORT");
            options.host = value.substr(0, colon);
            options.port = static_cast<int>(n);
        } else if (arg == "--workers") {
            if (!ParseInt(value, 0, 64, n)) return Usage("--workers needs N in 0..64");
            options.workers = static_cast<int>(n);
        } else if (arg == "--udp") {
            if (!ParseInt(value, 0, 65535, n)) return Usage("--udp needs a port 0..65535");
            options.udpPort = static_cast<int>(n);
        } else if (arg == "--ws") {
            if (!ParseInt(value, 0, 65535, n)) return Usage("--ws needs a port 0..65535");
            options.wsPort = static_cast<int>(n);
        } else if (arg == "--http-threads") {
            if (!ParseInt(value, 1, 1024, n)) return Usage("--http-threads needs 1..1024");
            options.httpThreads = static_cast<int>(n);
            options.dbConnections = std::min(64, static_cast<int>(n));
        } else if (arg == "--ticket-slack") {
            if (!ParseInt(value, 0, 86400, n)) return Usage("--ticket-slack needs 0..86400");
            options.ticketSlackSeconds = n;
        } else if (arg == "--address-rate") {
            if (!ParseInt(value, 1, 1000000, n)) return Usage("--address-rate needs 1..1000000");
            options.addressPerSecond = static_cast<double>(n);
            options.addressBurst = 5.0 * static_cast<double>(n);
        } else {
            return Usage("unknown option " + arg);
        }
    }
    gWhere.clear();
    if (options.dataDir.empty() && options.db.empty())
        return Usage("--data DIR or --db postgresql://... is needed");
    if (options.wsPort >= 0 && options.udpPort < 0)
        return Usage("--ws opens the relay's rooms to browsers: --udp PORT is needed");
    if (options.verifierOnly && options.db.empty())
        return Usage("--verifier shares a database: --db postgresql://... is needed");
    if (!options.dataDir.empty()) mkdir(options.dataDir.c_str(), 0700);

    // SIGTERM and SIGINT stop the server from a thread of their own, never inside a handler.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    OnlineServer server(options);
    if (!server.Open(why)) {
        std::fprintf(stderr, "rhombulus2-server: %s\n", why.c_str());
        return 1;
    }
    std::thread stopper([&] {
        int sig = 0;
        sigwait(&stopSignals, &sig);
        server.Stop();
    });
    stopper.detach();
    if (!server.Run(why)) {
        std::fprintf(stderr, "rhombulus2-server: %s\n", why.c_str());
        return 1;
    }
    return 0;
}
