// What keeps a listening ENet host's slots for real players: connect datagrams are counted per
// address before ENet gives them a peer (a few at once, then one a second, then a growing wait),
// an address may hold only a few peers that have not said their hello, all of those together
// only so many (the oldest makes room for a newcomer), and a peer that has not said a valid
// hello within the timeout is let go, whether it finished ENet's connect or not.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "net/admission.h"

typedef struct _ENetHost ENetHost;
typedef struct _ENetPeer ENetPeer;
typedef struct _ENetEvent ENetEvent;

namespace net {

struct SlotLimits {
    int pendingPerAddress = 3;
    int pendingInAll = 24;
    std::int64_t helloTimeoutMs = 2500;
    // Connect datagrams per address; a client sends one, and a few more when they are lost.
    GateLimits connects{8, 1000, 1000, 60'000, 600'000, 4096};
};

struct SlotCounters {
    std::uint64_t connects = 0;        // connect datagrams seen
    std::uint64_t refusedRate = 0;     // beyond the address's rate
    std::uint64_t refusedAddress = 0;  // the address holds its share of unwelcomed peers
    std::uint64_t evicted = 0;         // the oldest unwelcomed peer made room
    std::uint64_t timedOut = 0;        // no hello within the timeout
};

class SlotGuard {
  public:
    // `greeted`: whether a connected peer has said its hello (the layer above knows);
    // `letGo`: called for a connected peer just before the guard drops it.
    SlotGuard(ENetHost* host, const SlotLimits& limits,
              std::function<bool(const ENetPeer*)> greeted, std::function<void(ENetPeer*)> letGo);
    ~SlotGuard();
    SlotGuard(const SlotGuard&) = delete;
    SlotGuard& operator=(const SlotGuard&) = delete;

    // Around every enet_host_service of the host: Begin drops the peers past the hello timeout
    // and makes the guard the one that sees this thread's connect datagrams until End.
    void Begin(std::int64_t nowMs);
    void End();

    const SlotCounters& Counters() const { return counters_; }
    // Peers that have not said their hello (as of the last look, at most 0.1 s old).
    int Pending() const { return pending_; }

  private:
    struct Slot {
        bool used = false;
        bool leaving = false;
        std::uint32_t connectId = 0;
        std::int64_t sinceMs = 0;
    };
    static int Intercept(ENetHost* host, ENetEvent* event);
    bool Admit(AddressKey address);
    void Sweep();
    bool Unwelcome(std::size_t i) const;
    void Drop(std::size_t i);

    ENetHost* host_;
    SlotLimits limits_;
    std::function<bool(const ENetPeer*)> greeted_;
    std::function<void(ENetPeer*)> letGo_;
    AddressGate connects_;
    std::vector<Slot> slots_;
    static constexpr std::int64_t kSweepEveryMs = 100;
    // A peer sent away keeps its place this long for the refusal to arrive.
    static constexpr std::int64_t kLeavingMs = 2000;
    std::int64_t nowMs_ = 0;
    std::int64_t lastSweepMs_ = -kSweepEveryMs;
    int pending_ = 0;
    SlotCounters counters_;
};

}  // namespace net
