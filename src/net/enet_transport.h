// The Transport over ENet: a host that waits for the one peer of its match, or a side that
// connects out (to a host or to the relay). ENet keeps its own clock for retries; the time passed
// in is only for the layers above.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "net/protocol.h"
#include "net/slot_guard.h"
#include "net/transport.h"

typedef struct _ENetHost ENetHost;
typedef struct _ENetPeer ENetPeer;

namespace net {

// enet_initialize once for the process; false when the library cannot start.
bool StartEnet();

class EnetTransport final : public Transport {
  public:
    // Waits on bindHost:port ("" for every address) for the guest: the first peer whose hello
    // says guest. Spectators are turned away unless AcceptWatchers was called; peers that do not
    // start with a hello, or say none within the slot limits' timeout, are dropped.
    static std::unique_ptr<EnetTransport> Listen(const std::string& bindHost, std::uint16_t port,
                                                 std::string* error,
                                                 const SlotLimits& slots = SlotLimits{});
    // Connects out; from the local address `from` when given (tests speak from 127.0.0.x).
    static std::unique_ptr<EnetTransport> Connect(const std::string& host, std::uint16_t port,
                                                  std::string* error, const std::string& from = "");
    ~EnetTransport() override;

    // Host: lets up to kMaxWatchers spectators of this game version and these level files in.
    // Each is welcomed here and reported to the layer above as a PeerJoined (and a PeerLeft),
    // as the relay would; spectators get the ticks, snapshots and bye the host sends, and
    // nothing they send gets through. A guest of another version or other level files is then
    // refused here too, and the host waits on for the next.
    void AcceptWatchers(const std::string& gameVersion, std::uint64_t levelHash);
    // Host: what its slot guard has seen (connects refused, peers let go).
    const SlotCounters* Slots() const { return guard_ ? &guard_->Counters() : nullptr; }
    // Host: peers that have not said their hello yet (as of the last Receive).
    int PendingPeers() const { return guard_ ? guard_->Pending() : 0; }

    void Send(Channel channel, std::span<const std::uint8_t> bytes, std::int64_t nowMs) override;
    bool Receive(std::int64_t nowMs, Datagram& out) override;
    LinkStatus Status() const override { return status_; }
    void Close() override;
    WireCounters Wire() const override;
    // The port this side listens on or connects from (0 before it exists).
    std::uint16_t LocalPort() const;

  private:
    EnetTransport(ENetHost* host, ENetPeer* peer, bool listening);
    // A listening host's first packet from a peer that has not said who it is; true when the
    // packet is the guest's hello, to be handed up.
    bool Greet(ENetPeer* peer, std::span<const std::uint8_t> bytes, Datagram& notice,
               bool& haveNotice);
    void SendTo(ENetPeer* peer, Channel channel, std::span<const std::uint8_t> bytes);
    int WatcherSlot(const ENetPeer* peer) const;

    ENetHost* host_;
    ENetPeer* peer_;  // the other player
    bool listening_;
    LinkStatus status_ = LinkStatus::Connecting;
    bool acceptWatchers_ = false;
    bool checkGuests_ = false;
    bool started_ = false;  // the host sent its start: from then on the guest's going ends it
    std::string watchVersion_;
    std::uint64_t watchLevels_ = 0;
    std::array<ENetPeer*, kMaxWatchers + 1> watchers_{};  // by slot, 1..8
    std::unique_ptr<SlotGuard> guard_;
};

// "host:port" or "host" (the default port) into its parts; false when it is neither.
bool SplitHostPort(const std::string& text, std::string& host, std::uint16_t& port);

}  // namespace net
