#include "net/slot_guard.h"

#include <enet/enet.h>

#include <unordered_map>

namespace net {
namespace {

// The guard of the host being serviced on this thread.
thread_local SlotGuard* tActive = nullptr;
thread_local ENetHost* tActiveHost = nullptr;

// True when the datagram asks ENet for a new peer: the peer id is ENet's "none" and the first
// command is a connect (ENet takes no other command without a peer).
bool IsConnect(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return false;
    const unsigned header = static_cast<unsigned>(data[0]) << 8 | data[1];
    if ((header & ENET_PROTOCOL_MAXIMUM_PEER_ID) != ENET_PROTOCOL_MAXIMUM_PEER_ID) return false;
    const std::size_t at = header & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME ? 4 : 2;
    // A compressed datagram is dropped by ENet itself: our hosts have no compressor.
    if (header & ENET_PROTOCOL_HEADER_FLAG_COMPRESSED || size <= at) return false;
    return (data[at] & ENET_PROTOCOL_COMMAND_MASK) == ENET_PROTOCOL_COMMAND_CONNECT;
}

}  // namespace

SlotGuard::SlotGuard(ENetHost* host, const SlotLimits& limits,
                     std::function<bool(const ENetPeer*)> greeted,
                     std::function<void(ENetPeer*)> letGo)
    : host_(host),
      limits_(limits),
      greeted_(std::move(greeted)),
      letGo_(std::move(letGo)),
      connects_(limits.connects),
      slots_(host->peerCount) {
    host_->intercept = &SlotGuard::Intercept;
}

SlotGuard::~SlotGuard() {
    End();
    host_->intercept = nullptr;
}

void SlotGuard::Begin(std::int64_t nowMs) {
    nowMs_ = nowMs;
    tActive = this;
    tActiveHost = host_;
    // A tenth of a second is exact enough for the timeout; a busy relay serves far more often.
    if (nowMs - lastSweepMs_ >= kSweepEveryMs || nowMs < lastSweepMs_) Sweep();
}

void SlotGuard::End() {
    if (tActive == this) {
        tActive = nullptr;
        tActiveHost = nullptr;
    }
}

int SlotGuard::Intercept(ENetHost* host, ENetEvent*) {
    if (tActive == nullptr || tActiveHost != host) return 0;
    if (!IsConnect(host->receivedData, host->receivedDataLength)) return 0;
    return tActive->Admit(host->receivedAddress.host) ? 0 : 1;
}

bool SlotGuard::Unwelcome(std::size_t i) const {
    const ENetPeer* p = &host_->peers[i];
    return slots_[i].used &&
           (slots_[i].leaving || p->state != ENET_PEER_STATE_CONNECTED || !greeted_(p));
}

void SlotGuard::Drop(std::size_t i) {
    ENetPeer* p = &host_->peers[i];
    if (p->state == ENET_PEER_STATE_CONNECTED || p->state == ENET_PEER_STATE_DISCONNECT_LATER)
        letGo_(p);
    // Says so once (a real client learns at once); a fake one is simply forgotten.
    enet_peer_disconnect_now(p, 0);
    slots_[i] = Slot{};
}

void SlotGuard::Sweep() {
    lastSweepMs_ = nowMs_;
    pending_ = 0;
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        const ENetPeer* p = &host_->peers[i];
        Slot& s = slots_[i];
        if (p->state == ENET_PEER_STATE_DISCONNECTED || p->state == ENET_PEER_STATE_ZOMBIE) {
            s = Slot{};
            continue;
        }
        const bool leaving = p->state == ENET_PEER_STATE_DISCONNECT_LATER ||
                             p->state == ENET_PEER_STATE_DISCONNECTING ||
                             p->state == ENET_PEER_STATE_ACKNOWLEDGING_DISCONNECT;
        // A new peer in the slot, or one that began to leave: its time starts now, so that a
        // refusal still has the time to arrive.
        if (!s.used || s.connectId != p->connectID || (leaving && !s.leaving)) {
            s = Slot{true, leaving, p->connectID, nowMs_};
        }
        if (!Unwelcome(i)) continue;
        if (nowMs_ - s.sinceMs >= (s.leaving ? kLeavingMs : limits_.helloTimeoutMs)) {
            ++counters_.timedOut;
            Drop(i);
            continue;
        }
        ++pending_;
    }
}

bool SlotGuard::Admit(AddressKey address) {
    ++counters_.connects;
    if (!connects_.Take(address, nowMs_)) {
        ++counters_.refusedRate;
        return false;
    }
    Sweep();
    int free = 0;
    std::unordered_map<AddressKey, int> byAddress;
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        if (host_->peers[i].state == ENET_PEER_STATE_DISCONNECTED) ++free;
        if (Unwelcome(i)) ++byAddress[host_->peers[i].address.host];
    }
    if (byAddress[address] >= limits_.pendingPerAddress) {
        ++counters_.refusedAddress;
        return false;
    }
    if (free == 0 || pending_ >= limits_.pendingInAll) {
        // Room for the newcomer: the oldest peer of the address that holds the most of them,
        // so a flood from a few addresses makes room from itself, not from a real player.
        std::size_t victim = host_->peerCount;
        int most = 0;
        for (std::size_t i = 0; i < host_->peerCount; ++i) {
            if (!Unwelcome(i)) continue;
            const int n = byAddress[host_->peers[i].address.host];
            if (n > most || (n == most && slots_[i].sinceMs < slots_[victim].sinceMs)) {
                victim = i;
                most = n;
            }
        }
        if (victim == host_->peerCount) return false;
        ++counters_.evicted;
        Drop(victim);
        --pending_;
    }
    // ENet gives it a peer right after this; counted as one more from now on.
    ++pending_;
    return true;
}

}  // namespace net
