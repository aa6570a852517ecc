// Two lockstep sides playing a stand-in match on a shared clock, for the network tests and
// netsoak: the stand-in folds every command into its state, so any difference in the commands
// two sides ran shows in their states and hashes.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/random.h"
#include "net/handshake.h"
#include "net/lockstep.h"
#include "net/transport.h"

namespace net {

// The stand-in simulation: a state that every tick's two commands change.
struct ToyMatch {
    std::uint64_t state = 0x1234'5678'9ABC'DEF0ull;
    std::uint32_t ticks = 0;          // ticks run
    std::size_t snapshotPadding = 0;  // extra snapshot bytes, to weigh like a real state

    void Run(std::uint32_t tick, const WireCommand& host, const WireCommand& guest) {
        std::uint64_t s = state ^ (static_cast<std::uint64_t>(tick) << 32);
        for (auto b : host.bytes) s = (s ^ b) * 0x100000001B3ull;
        for (auto b : guest.bytes) s = (s ^ (b + 0x5Bu)) * 0x100000001B3ull;
        state = s;
        ticks = tick + 1;
    }
    std::vector<std::uint8_t> Snapshot() const {
        std::vector<std::uint8_t> out(12 + snapshotPadding, 0xA5);
        for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(state >> (8 * i));
        for (int i = 0; i < 4; ++i) out[8 + i] = static_cast<std::uint8_t>(ticks >> (8 * i));
        return out;
    }
    bool Restore(std::span<const std::uint8_t> bytes) {
        if (bytes.size() != 12 + snapshotPadding) return false;
        state = 0;
        ticks = 0;
        for (int i = 0; i < 8; ++i) state |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
        for (int i = 0; i < 4; ++i) ticks |= static_cast<std::uint32_t>(bytes[8 + i]) << (8 * i);
        return true;
    }
};

struct HarnessOptions {
    LinkFaults faults;             // of the link between the two, each way
    std::uint32_t ticks = 2000;    // the match's length
    std::int64_t maxMs = 600'000;  // virtual time after which the run gives up
    std::uint64_t seed = 1;
    int corruptGuestAtTick = -1;       // the guest changes one value of its state once, here
    int corruptTimes = 1;              // ... this many times in all,
    std::uint32_t corruptEvery = 600;  // ... so many ticks apart
    std::function<void(std::uint32_t hostTick, Lockstep& host)> onHostTick;  // e.g. level starts
    std::size_t snapshotPadding = 0;
    bool logToStderr = false;
    // The handshake first, as the game does, so the match starts with the delay it measured.
    bool handshakeFirst = false;
    // Real links (e.g. ENet on loopback) instead of the in-memory pair, on the real clock.
    std::unique_ptr<Transport> hostEnd, guestEnd;
};

struct SideOutcome {
    ToyMatch sim;
    std::map<std::uint32_t, TickPair> ran;  // the commands each tick ran with, the last time
    StepResult last;
    LockstepCounters counters;
    int finalDelay = 0;
    std::int64_t rttMs = -1;
    std::vector<std::string> log;
};

struct HarnessResult {
    SideOutcome host, guest;
    std::int64_t elapsedMs = 0;
    bool finished = false;          // both ran every tick
    std::int64_t firstHealMs = -1;  // from the first corruption to the guest's restore
};

inline HarnessResult RunLockstepMatch(HarnessOptions& o) {
    const bool realTime = o.hostEnd != nullptr;
    auto [a, b] =
        realTime ? std::pair{std::move(o.hostEnd), std::move(o.guestEnd)} : MakeMemoryPair();
    const auto clockStart = std::chrono::steady_clock::now();
    auto realNow = [&clockStart] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - clockStart)
            .count();
    };
    // The faults sit on the host's end, both directions: one bad link between the two.
    LinkFaults fa = o.faults, fb;
    fa.seed = o.seed * 2 + 1;
    FaultyTransport hostLink(std::move(a), fa), guestLink(std::move(b), fb);
    HarnessResult res;
    res.host.sim.snapshotPadding = res.guest.sim.snapshotPadding = o.snapshotPadding;
    std::int64_t corruptedAt = -1;
    std::int64_t now = 0;

    auto hooksFor = [&](SideOutcome& side, const char* name) {
        LockstepHooks h;
        h.stateHash = [&side] { return side.sim.state ^ side.sim.ticks; };
        h.takeSnapshot = [&side] { return side.sim.Snapshot(); };
        h.restoreSnapshot = [&side, &res, &corruptedAt, &now](std::span<const std::uint8_t> b) {
            if (!side.sim.Restore(b)) return false;
            if (res.firstHealMs < 0 && corruptedAt >= 0) res.firstHealMs = now - corruptedAt;
            return true;
        };
        h.log = [&side, name, &o](const std::string& line) {
            side.log.push_back(line);
            if (o.logToStderr) std::fprintf(stderr, "%s %s\n", name, line.c_str());
        };
        return h;
    };
    LockstepConfig hc, gc;
    hc.role = Role::Host;
    gc.role = Role::Guest;
    std::int64_t startMs = 0;
    if (o.handshakeFirst) {
        Handshake hs(hostLink, HandshakeConfig{Role::Host, "soak", 1, "h", "", false, 10000}, 0);
        Handshake gs(guestLink, HandshakeConfig{Role::Guest, "soak", 1, "g", "", false, 10000}, 0);
        hs.SetStart(Start{1, 1, 3});
        for (; startMs < 10'000; startMs = realTime ? realNow() : startMs + 1) {
            const auto g = gs.Poll(startMs);
            hs.Poll(startMs);
            hostLink.Flush(startMs);
            if (g != HandshakeStatus::Working) break;
            if (realTime) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (gs.Poll(startMs) == HandshakeStatus::Done)
            hc.delay = gc.delay = gs.StartMessage().delay;
    }
    Lockstep host(hostLink, hc, hooksFor(res.host, "host"), startMs);
    Lockstep guest(guestLink, gc, hooksFor(res.guest, "guest"), startMs);
    Random hostInput, guestInput;
    hostInput.Seed(o.seed * 7 + 3);
    guestInput.Seed(o.seed * 7 + 4);
    int corruptionsLeft = o.corruptGuestAtTick >= 0 ? o.corruptTimes : 0;
    std::uint32_t nextCorruption =
        o.corruptGuestAtTick >= 0 ? static_cast<std::uint32_t>(o.corruptGuestAtTick) : 0;

    auto randomCommand = [](Random& r) {
        WireCommand c;
        for (auto& byte : c.bytes) byte = static_cast<std::uint8_t>(r.Next(256));
        return c;
    };
    auto frame = [&](Lockstep& engine, SideOutcome& side, Random& input, bool isGuest) {
        side.last = engine.Step(now, randomCommand(input));
        if (side.last.status != StepStatus::Run || side.last.tick >= o.ticks) return;
        if (side.last.tick != side.sim.ticks) return;  // a tick the stand-in is not at (cannot be)
        side.sim.Run(side.last.tick, side.last.host, side.last.guest);
        side.ran[side.last.tick] = TickPair{side.last.host, side.last.guest};
        if (isGuest && corruptionsLeft > 0 && side.sim.ticks == nextCorruption) {
            side.sim.state ^= 1;
            if (corruptedAt < 0) corruptedAt = now;
            --corruptionsLeft;
            nextCorruption += o.corruptEvery;
        }
        if (!isGuest && o.onHostTick) o.onHostTick(side.last.tick, engine);
    };
    // One frame every 15 ms on each side, the guest's 7 ms after the host's.
    std::int64_t hostFrame = startMs, guestFrame = startMs + 7;
    for (now = startMs; now < startMs + o.maxMs; now = realTime ? realNow() : now + 1) {
        if (now >= hostFrame) {
            frame(host, res.host, hostInput, false);
            hostFrame += 15;
        }
        if (now >= guestFrame) {
            frame(guest, res.guest, guestInput, true);
            guestFrame += 15;
        }
        if (realTime) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (host.Over() || guest.Over()) break;
        if (res.host.sim.ticks >= o.ticks && res.guest.sim.ticks >= o.ticks) {
            res.finished = true;
            break;
        }
    }
    res.elapsedMs = now - startMs;
    for (auto* pair : {&res.host, &res.guest}) {
        Lockstep& e = pair == &res.host ? host : guest;
        pair->counters = e.Counters();
        pair->finalDelay = e.Delay();
        pair->rttMs = e.RttMs();
    }
    return res;
}

}  // namespace net
