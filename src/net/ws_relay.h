// The relay's door for browsers, which cannot speak UDP: a WebSocket listener whose clients
// join the relay's rooms as if they were ENet peers. Each binary message is one packet, its
// channel in the first byte; the rooms' bounds and rate limits hold for them as for ENet's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace net {

class RelayServer;

class WsRelay {
  public:
    // Listens on bindHost:port ("" for every IPv4 address; port 0 for any free one).
    static std::unique_ptr<WsRelay> Open(RelayServer& relay, const std::string& bindHost,
                                         std::uint16_t port, std::string* error);
    ~WsRelay();
    // Serves what has come on the WebSocket connections, without waiting, and sends what the
    // rooms said.
    void Poll(std::int64_t nowMs);
    std::uint16_t Port() const;
    // Open WebSocket connections, handshake done or not.
    std::size_t Connections() const;

    struct Impl;

  private:
    explicit WsRelay(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace net
