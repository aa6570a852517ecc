// A player's or spectator's connection through the relay: what the relay forwards arrives
// stamped with its sender; only the packets of the one peer this side plays with get through,
// unwrapped, so the layers above see the same packets as on a direct connection.
#pragma once

#include <memory>

#include "net/protocol.h"
#include "net/transport.h"

namespace net {

class RelayLink final : public Transport {
  public:
    // `self` is this side's role: a host hears the guest, a guest and a spectator the host.
    RelayLink(std::unique_ptr<Transport> toRelay, Role self);
    void Send(Channel channel, std::span<const std::uint8_t> bytes, std::int64_t nowMs) override {
        inner_->Send(channel, bytes, nowMs);
    }
    bool Receive(std::int64_t nowMs, Datagram& out) override;
    LinkStatus Status() const override { return inner_->Status(); }
    void Close() override { inner_->Close(); }
    WireCounters Wire() const override { return inner_->Wire(); }

  private:
    std::unique_ptr<Transport> inner_;
    Role peer_;
};

}  // namespace net
