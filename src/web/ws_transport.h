// The browser's Transport: one WebSocket to the relay's WebSocket door (rhombulus2-relay --ws),
// each packet one binary message, its channel in the first byte. A WebSocket is reliable and
// ordered, so both channels arrive whole and in order.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "net/transport.h"

class WsTransport final : public net::Transport {
  public:
    // Opens ws://host:port/; the link is Connecting until the socket is open.
    static std::unique_ptr<WsTransport> Connect(const std::string& host, std::uint16_t port,
                                                std::string* error);
    ~WsTransport() override;
    void Send(net::Channel channel, std::span<const std::uint8_t> bytes,
              std::int64_t nowMs) override;
    bool Receive(std::int64_t nowMs, net::Datagram& out) override;
    net::LinkStatus Status() const override { return status_; }
    void Close() override;
    net::WireCounters Wire() const override { return wire_; }

    // The socket's events, from the page's event loop.
    void Opened() { status_ = net::LinkStatus::Connected; }
    void Message(const std::uint8_t* data, std::size_t size);
    void Lost() { status_ = net::LinkStatus::Closed; }

  private:
    explicit WsTransport(int socket) : socket_(socket) {}
    int socket_;
    net::LinkStatus status_ = net::LinkStatus::Connecting;
    std::deque<net::Datagram> in_;
    net::WireCounters wire_;
};
