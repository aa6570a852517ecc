// netsoak: plays N stand-in matches through the lockstep engine over a faulty link (in memory, or
// ENet on 127.0.0.1) and prints what a player would feel: bytes a second, the delay chosen, stalls,
// desyncs healed.
//   netsoak [--matches N] [--minutes M] [--drop PCT] [--delay MS] [--jitter MS] [--seed S]
//           [--random-faults] [--desync] [--enet] [--verbose]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "lockstep_harness.h"
#include "net/enet_transport.h"

int main(int argc, char** argv) {
    int matches = 4, drop = 5, delay = 0, jitter = 0;
    double minutes = 1.0;
    std::uint64_t seed = 1;
    bool randomFaults = false, desync = false, verbose = false, enet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&] { return i + 1 < argc ? std::atof(argv[++i]) : 0.0; };
        if (a == "--matches")
            matches = static_cast<int>(next());
        else if (a == "--minutes")
            minutes = next();
        else if (a == "--drop")
            drop = static_cast<int>(next());
        else if (a == "--delay")
            delay = static_cast<int>(next());
        else if (a == "--jitter")
            jitter = static_cast<int>(next());
        else if (a == "--seed")
            seed = static_cast<std::uint64_t>(next());
        else if (a == "--random-faults")
            randomFaults = true;
        else if (a == "--desync")
            desync = true;
        else if (a == "--verbose")
            verbose = true;
        else if (a == "--enet")
            enet = true;
        else {
            std::fprintf(stderr, "netsoak: unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    Random faultRng;
    faultRng.Seed(seed);
    int failures = 0;
    std::printf("%-5s %5s %5s %6s %7s %9s %7s %10s %8s %6s %s\n", "match", "drop", "delay",
                "jitter", "rtt_ms", "B/s/plr", "D", "stall_s/m", "stalls", "healed", "result");
    for (int m = 0; m < matches; ++m) {
        net::HarnessOptions o;
        o.seed = seed + static_cast<std::uint64_t>(m);
        o.faults.dropPercent = randomFaults ? faultRng.Range(0, 10) : drop;
        o.faults.delayMs = randomFaults ? faultRng.Range(0, 120) : delay;
        o.faults.jitterMs = randomFaults ? faultRng.Range(0, 60) : jitter;
        o.ticks = static_cast<std::uint32_t>(minutes * 60'000 / 15);
        o.maxMs = static_cast<std::int64_t>(minutes * 60'000 * 4);
        o.snapshotPadding = 60'000;
        o.logToStderr = verbose;
        o.handshakeFirst = true;
        if (enet) {
            // ENet on 127.0.0.1, in real time: the match takes as long as it lasts.
            std::string error;
            auto listen = net::EnetTransport::Listen("127.0.0.1", 0, &error);
            auto join = listen
                            ? net::EnetTransport::Connect("127.0.0.1", listen->LocalPort(), &error)
                            : nullptr;
            if (!join) {
                std::fprintf(stderr, "netsoak: %s\n", error.c_str());
                return 1;
            }
            for (int i = 0; i < 500 && (listen->Status() != net::LinkStatus::Connected ||
                                        join->Status() != net::LinkStatus::Connected);
                 ++i) {
                net::Datagram d;
                listen->Receive(0, d);
                join->Receive(0, d);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            o.hostEnd = std::move(listen);
            o.guestEnd = std::move(join);
            o.maxMs = static_cast<std::int64_t>(minutes * 60'000 * 2);
        }
        if (desync) {
            // Twice a minute: healed every time, never the three that end a match.
            o.corruptGuestAtTick = 100;
            o.corruptTimes = 1000;
            o.corruptEvery = 2000;
        }
        // A level start every 20 seconds, where the host may change the delay.
        o.onHostTick = [](std::uint32_t tick, net::Lockstep& host) {
            if (tick % 1333 == 0) host.LevelStarted(tick + 1, tick * 15);
        };
        const net::HarnessResult r = net::RunLockstepMatch(o);
        const bool same =
            r.finished && r.host.ran == r.guest.ran && r.host.sim.state == r.guest.sim.state;
        if (!same) ++failures;
        const double seconds = r.elapsedMs / 1000.0;
        const double bps = (r.host.counters.bytesSent + r.guest.counters.bytesSent) / 2.0 / seconds;
        const double stallPerMinute =
            (r.host.counters.stallMs + r.guest.counters.stallMs) / 2.0 / 1000.0 / (seconds / 60);
        std::printf("%-5d %4d%% %5d %6d %7lld %9.0f %7d %10.2f %8d %6d %s\n", m,
                    o.faults.dropPercent, o.faults.delayMs, o.faults.jitterMs,
                    static_cast<long long>(r.host.rttMs), bps, r.host.finalDelay, stallPerMinute,
                    r.host.counters.stalls + r.guest.counters.stalls, r.guest.counters.healed,
                    same         ? "identical"
                    : r.finished ? "DIFFERENT"
                                 : "unfinished");
    }
    return failures == 0 ? 0 : 1;
}
