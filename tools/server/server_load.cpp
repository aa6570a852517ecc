// rhombulus2-server-load --port N [--clients C] [--requests R]: C clients on loopback, each with
// a key and name of its own, send R requests each (board reads and signed ticket requests in
// turn) to a running server and the tool prints requests a second and the p50/p99 latency of
// each kind. The server should run with --address-rate high enough for C clients of one address.
#include <httplib.h>
#include <sodium.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "server/auth.h"

namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

httplib::Headers Signed(const KeyPair& keys, const std::string& path, const std::string& body) {
    unsigned char nonce[kNonceBytes];
    randombytes_buf(nonce, sizeof nonce);
    const SignedRequest r =
        SignRequest(keys, "POST", path, body, static_cast<long long>(std::time(nullptr)),
                    ToHex(nonce, sizeof nonce));
    return {{kKeyHeader, r.key},
            {kNonceHeader, r.nonce},
            {kTimeHeader, r.time},
            {kSignatureHeader, r.signature}};
}

bool Number(const char* s, int low, int high, int& out) {
    const char* end = s + std::char_traits<char>::length(s);
    const auto [at, error] = std::from_chars(s, end, out);
    return error == std::errc() && at == end && out >= low && out <= high;
}

}  // namespace

int main(int argc, char** argv) {
    int port = 0, clients = 20, requests = 50;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        bool ok = false;
        if (arg == "--port") ok = Number(argv[i + 1], 1, 65535, port);
        if (arg == "--clients") ok = Number(argv[i + 1], 1, 1000, clients);
        if (arg == "--requests") ok = Number(argv[i + 1], 1, 100000, requests);
        if (!ok) {
            std::fprintf(stderr,
                         "usage: rhombulus2-server-load --port N [--clients C] [--requests R]\n");
            return 2;
        }
    }
    if (port == 0 || !CryptoReady()) {
        std::fprintf(stderr, "rhombulus2-server-load: --port N of a server on 127.0.0.1\n");
        return 2;
    }
    std::vector<std::vector<double>> boardMs(clients), ticketMs(clients);
    std::atomic<int> failures{0};
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", port);
            client.set_read_timeout(30, 0);
            const KeyPair keys = NewKeyPair();
            unsigned char tag[4];
            randombytes_buf(tag, sizeof tag);
            const std::string name = "load" + ToHex(tag, sizeof tag);
            const std::string claim = "{\"name\":\"" + name + "\"}";
            auto r = client.Post("/api/claim", Signed(keys, "/api/claim", claim), claim,
                                 "application/json");
            if (!r || r->status != 200) {
                ++failures;
                if (failures < 4)
                    std::fprintf(stderr, "claim failed: %s %s\n",
                                 r ? std::to_string(r->status).c_str()
                                   : httplib::to_string(r.error()).c_str(),
                                 r ? r->body.c_str() : "");
            }
            const std::string ticket = "{\"mode\":\"endless\"}";
            for (int i = 0; i < requests; ++i) {
                const auto t0 = Clock::now();
                const bool board = i % 2 == 0;
                r = board ? client.Get(("/api/board/endless?name=" + name).c_str())
                          : client.Post("/api/ticket", Signed(keys, "/api/ticket", ticket), ticket,
                                        "application/json");
                const double ms =
                    std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
                if (!r || r->status != 200) {
                    ++failures;
                    if (failures < 4)
                        std::fprintf(stderr, "failed: %s\n",
                                     r ? std::to_string(r->status).c_str()
                                       : httplib::to_string(r.error()).c_str());
                }
                (board ? boardMs : ticketMs)[c].push_back(ms);
            }
        });
    }
    for (std::thread& t : threads) t.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<double> boards, tickets;
    for (int c = 0; c < clients; ++c) {
        boards.insert(boards.end(), boardMs[c].begin(), boardMs[c].end());
        tickets.insert(tickets.end(), ticketMs[c].begin(), ticketMs[c].end());
    }
    std::printf("clients %d, requests %zu in %.2f s: %.0f a second, failed %d\n", clients,
                boards.size() + tickets.size(), seconds,
                static_cast<double>(boards.size() + tickets.size()) / seconds, failures.load());
    std::printf("board read    p50 %.2f ms  p99 %.2f ms\n", Percentile(boards, 0.5),
                Percentile(boards, 0.99));
    std::printf("signed ticket p50 %.2f ms  p99 %.2f ms\n", Percentile(tickets, 0.5),
                Percentile(tickets, 0.99));
    return failures == 0 ? 0 : 1;
}
