// The Transport over ENet: a host that waits for the one peer of its match, or a side that
// connects out (to a host or to the relay). ENet keeps its own clock for retries; the time passed
// in is only for the layers above.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/transport.h"

typedef struct _ENetHost ENetHost;
typedef struct _ENetPeer ENetPeer;

namespace net {

// Our default port, one fixed number for host and relay.
inline constexpr std::uint16_t kDefaultPort = 27431;

// enet_initialize once for the process; false when the library cannot start.
bool StartEnet();

class EnetTransport final : public Transport {
  public:
    // Waits on bindHost:port ("" for every address) for one peer; later peers are turned away.
    static std::unique_ptr<EnetTransport> Listen(const std::string& bindHost, std::uint16_t port,
                                                 std::string* error);
    static std::unique_ptr<EnetTransport> Connect(const std::string& host, std::uint16_t port,
                                                  std::string* error);
    ~EnetTransport() override;

    void Send(Channel channel, std::span<const std::uint8_t> bytes, std::int64_t nowMs) override;
    bool Receive(std::int64_t nowMs, Datagram& out) override;
    LinkStatus Status() const override { return status_; }
    void Close() override;
    // The port this side listens on or connects from (0 before it exists).
    std::uint16_t LocalPort() const;

  private:
    EnetTransport(ENetHost* host, ENetPeer* peer, bool listening);
    ENetHost* host_;
    ENetPeer* peer_;
    bool listening_;
    LinkStatus status_ = LinkStatus::Connecting;
};

// "host:port" or "host" (the default port) into its parts; false when it is neither.
bool SplitHostPort(const std::string& text, std::string& host, std::uint16_t& port);

}  // namespace net
