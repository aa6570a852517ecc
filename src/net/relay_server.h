// The relay's sockets: an ENet host whose connections feed a RelayCore and carry out what it
// says. `rhombulus2-relay` runs one; the tests run one on 127.0.0.1.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "net/relay_core.h"
#include "net/slot_guard.h"

typedef struct _ENetHost ENetHost;

namespace net {

class RelayServer {
  public:
    static std::unique_ptr<RelayServer> Open(const std::string& bindHost, std::uint16_t port,
                                             const RelayLimits& limits, std::string* error);
    ~RelayServer();
    // Serves what comes within waitMs; nowMs is the relay's clock for its rooms.
    void Service(std::int64_t nowMs, int waitMs);
    std::uint16_t Port() const;
    const RelayCore& Core() const { return core_; }
    const SlotCounters& Slots() const { return guard_->Counters(); }
    // ENet peers that have not said their hello yet (as of the last Service).
    int PendingPeers() const { return guard_->Pending(); }

    // Peers that come by another road (the WebSocket bridge, ws_relay.h) share the rooms, the
    // bounds and the rate limits of ENet's; what the rooms say to them goes to the sink.
    using ExternalSink = std::function<void(const RelayAction&)>;
    void SetExternalSink(ExternalSink sink) { external_ = std::move(sink); }
    // The new peer's id, 0 when the relay is full or its address holds its share of peers
    // without a hello.
    PeerId ConnectExternal(AddressKey address, std::int64_t nowMs);
    void ReceiveExternal(PeerId peer, Channel channel, std::span<const std::uint8_t> bytes,
                         std::int64_t nowMs) {
        core_.Receive(peer, channel, bytes, nowMs);
    }
    void DisconnectExternal(PeerId peer, std::int64_t nowMs) { core_.Disconnect(peer, nowMs); }
    // Carries out at once what the rooms said since the last Service.
    void Flush(std::int64_t nowMs) { Carry(nowMs); }

  private:
    RelayServer(ENetHost* host, const RelayLimits& limits);
    void Carry(std::int64_t nowMs);
    ENetHost* host_;
    RelayCore core_;
    std::unique_ptr<SlotGuard> guard_;
    std::int64_t nowMs_ = 0;
    PeerId nextId_ = 1;
    ExternalSink external_;
};

}  // namespace net
