// What `rhombulus2-relay` does with its peers, apart from the sockets: rooms by code, the host,
// the guest and up to eight spectators in each, and every packet forwarded stamped with the
// sender the relay knows the connection as, so no peer can speak for another. Everything is
// bounded: rooms, peers, packet size, packets per second per peer; idle rooms close; peers
// without a hello go after a moment, and an address guessing room codes waits ever longer.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "net/admission.h"
#include "net/protocol.h"
#include "net/transport.h"

namespace net {

struct RelayLimits {
    int maxRooms = 256;
    int maxPeers = 256 * 4;
    int maxWatchers = kMaxWatchers;
    std::size_t maxPacketBytes = kMaxClientPacketBytes;
    int packetsPerSecond = 240;  // a player sends about 70
    std::int64_t idleRoomMs = 60'000;
    // A peer says its hello within this time, or goes (a real one says it at once).
    std::int64_t helloTimeoutMs = 2'500;
    // Connections from one address (ENet's duplicate-peer limit, kept by the server).
    int peersPerAddress = 32;
    // Peers that have not said their hello: from one address, and in all (the oldest goes when
    // a newcomer finds them all taken).
    int pendingPerAddress = 4;
    int pendingInAll = 256;
    int roomsPerAddress = 8;
    // Wrong room codes: each makes its address wait, from 1 s doubling up to 10 minutes, before
    // its next code is looked at; beyond `wrongCodes` a second in all, at once the longest wait.
    GateLimits wrongCodes{20, 200, 1'000, 600'000, 900'000, 4096};
};

using PeerId = std::uint32_t;

struct RelayAction {
    // Disconnect once what was sent before has gone out; Forget at once (a silent peer, told
    // nothing, keeps no place waiting for its goodbye).
    enum class Kind { Send, Disconnect, Forget };
    Kind kind = Kind::Send;
    PeerId peer = 0;
    Channel channel = Channel::Session;
    std::vector<std::uint8_t> bytes;
};

struct RelayCounters {
    std::uint64_t forwarded = 0;
    std::uint64_t droppedTooBig = 0;
    std::uint64_t droppedRate = 0;
    std::uint64_t droppedBad = 0;  // unreadable, or not to be forwarded
    std::uint64_t refused = 0;
    std::uint64_t roomsClosedIdle = 0;
    std::uint64_t refusedConnects = 0;  // the address held its share of unwelcomed peers
    std::uint64_t silentDropped = 0;    // no hello within the time, or made room for a newcomer
    std::uint64_t wrongCodes = 0;       // codes of no room, looked at
    std::uint64_t codesHeld = 0;        // codes not looked at: their address had to wait
};

class RelayCore {
  public:
    explicit RelayCore(const RelayLimits& limits = RelayLimits{});

    // A new connection from `address`; false when the relay is full or the address holds its
    // share of peers without a hello (the caller drops the connection).
    bool Connect(PeerId peer, AddressKey address, std::int64_t nowMs);
    void Receive(PeerId peer, Channel channel, std::span<const std::uint8_t> bytes,
                 std::int64_t nowMs);
    void Disconnect(PeerId peer, std::int64_t nowMs);
    // Closes idle rooms and drops peers that never said hello.
    void Tick(std::int64_t nowMs);
    // What to send and whom to drop, in order, since the last call.
    std::vector<RelayAction> TakeActions();

    std::size_t Rooms() const { return rooms_.size(); }
    std::size_t Peers() const { return peers_.size(); }
    std::size_t PendingActions() const { return actions_.size(); }
    const RelayCounters& Counters() const { return counters_; }
    const RelayLimits& Limits() const { return limits_; }
    bool Greeted(PeerId peer) const;
    // How long the address still waits before its next room code is looked at.
    std::int64_t CodeWaitMs(AddressKey address, std::int64_t nowMs) const {
        return wrongCodes_.WaitLeftMs(address, nowMs);
    }

  private:
    struct Peer {
        AddressKey address = 0;
        std::int64_t connectedMs = 0;
        bool greeted = false;
        std::string room;
        Role role = Role::Guest;
        std::uint8_t slot = 0;
        std::int64_t windowStartMs = 0;
        int packetsInWindow = 0;
    };
    struct Room {
        PeerId host = 0;
        PeerId guest = 0;
        std::array<PeerId, kMaxWatchers + 1> watchers{};  // by slot, 1..8
        Hello hostHello;
        AddressKey hostAddress = 0;
        std::int64_t lastActiveMs = 0;
    };

    void OnHello(PeerId id, Peer& peer, const Hello& hello, std::span<const std::uint8_t> bytes,
                 std::int64_t nowMs);
    void Forward(const Peer& from, Room& room, Channel channel, const Message& message,
                 std::span<const std::uint8_t> bytes);
    void SendTo(PeerId peer, Channel channel, const Message& message);
    void RefuseAndDrop(PeerId peer, Reason reason);
    void Drop(PeerId peer, RelayAction::Kind kind = RelayAction::Kind::Disconnect);
    void Leave(PeerId id, std::int64_t nowMs);
    void CloseRoom(const std::string& code, Reason reason);
    bool WithinRate(Peer& peer, std::int64_t nowMs);
    void WrongCode(AddressKey address, std::int64_t nowMs);

    RelayLimits limits_;
    std::map<PeerId, Peer> peers_;
    std::map<std::string, Room> rooms_;
    std::vector<RelayAction> actions_;
    RelayCounters counters_;
    AddressGate wrongCodes_;     // per address
    AddressGate wrongCodesAll_;  // the relay's, under one key
};

}  // namespace net
