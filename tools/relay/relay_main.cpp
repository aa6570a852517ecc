// rhombulus2-relay: pairs the two players of a network match by room code and forwards their
// packets, for players who cannot reach each other directly. See rhombulus2-relay(6).
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "net/enet_transport.h"
#include "net/relay_server.h"
#include "net/ws_relay.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) {
    stopRequested = 1;
}

void Usage(std::FILE* out) {
    std::fputs(
        "usage: rhombulus2-relay [--port N] [--ws PORT] [--bind ADDRESS] [--max-rooms N]\n"
        "                        [--packets-per-second N] [--idle-seconds N] [--quiet]\n"
        "Pairs the players of a Rhombulus 2 network match by room code and forwards\n"
        "their packets. Defaults: port 27431, every address, 256 rooms, 240 packets\n"
        "a second per peer, rooms closed after 60 idle seconds. --ws also listens for\n"
        "browsers' WebSocket connections on that TCP port, in the same rooms.\n",
        out);
}

bool Number(const char* text, long lo, long hi, long& out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!text[0] || *end || v < lo || v > hi) return false;
    out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    net::RelayLimits limits;
    long port = net::kDefaultPort;
    long wsPort = -1;
    std::string bind;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        long v = 0;
        auto value = [&](long lo, long hi) {
            if (i + 1 >= argc || !Number(argv[i + 1], lo, hi, v)) {
                std::fprintf(stderr, "rhombulus2-relay: %s needs a number %ld..%ld\n", a.c_str(),
                             lo, hi);
                std::exit(2);
            }
            ++i;
            return v;
        };
        if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("rhombulus2-relay %s\n", RHOMBULUS_VERSION);
            return 0;
        } else if (a == "--port") {
            port = value(0, 65535);  // 0: any free port, printed at the start
        } else if (a == "--ws") {
            wsPort = value(0, 65535);  // 0: any free port, printed at the start
        } else if (a == "--bind" && i + 1 < argc) {
            bind = argv[++i];
        } else if (a == "--max-rooms") {
            limits.maxRooms = static_cast<int>(value(1, 1000));
            limits.maxPeers = limits.maxRooms * 4;
        } else if (a == "--packets-per-second") {
            limits.packetsPerSecond = static_cast<int>(value(10, 10000));
        } else if (a == "--idle-seconds") {
            limits.idleRoomMs = value(1, 3600) * 1000;
        } else if (a == "--quiet") {
            quiet = true;
        } else {
            std::fprintf(stderr, "rhombulus2-relay: unknown argument %s\n", a.c_str());
            Usage(stderr);
            return 2;
        }
    }
    if (bind.empty() && (port == 0 || wsPort == 0)) {
        std::fputs("rhombulus2-relay: port 0 needs --bind\n", stderr);
        return 2;
    }
    std::string error;
    auto server = net::RelayServer::Open(bind, static_cast<std::uint16_t>(port), limits, &error);
    if (!server) {
        std::fprintf(stderr, "rhombulus2-relay: %s\n", error.c_str());
        return 1;
    }
    std::unique_ptr<net::WsRelay> ws;
    if (wsPort >= 0) {
        ws = net::WsRelay::Open(*server, bind, static_cast<std::uint16_t>(wsPort), &error);
        if (!ws) {
            std::fprintf(stderr, "rhombulus2-relay: %s\n", error.c_str());
            return 1;
        }
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    // Said even with --quiet: whoever started the relay on port 0 needs to know the port.
    std::fprintf(stderr, "rhombulus2-relay: listening on UDP port %u\n", server->Port());
    if (ws) std::fprintf(stderr, "rhombulus2-relay: WebSocket on TCP port %u\n", ws->Port());
    const auto start = std::chrono::steady_clock::now();
    std::size_t rooms = 0;
    while (!stopRequested) {
        const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
        // With browsers too, ENet's wait is short so that their messages are not held long.
        server->Service(now, ws ? 2 : 50);
        if (ws) ws->Poll(now);
        if (!quiet && server->Core().Rooms() != rooms) {
            rooms = server->Core().Rooms();
            std::fprintf(stderr, "rhombulus2-relay: %zu rooms, %zu peers\n", rooms,
                         server->Core().Peers());
        }
    }
    return 0;
}
