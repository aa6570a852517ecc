#include "net/enet_transport.h"

#include <enet/enet.h>

#include <cstdlib>

#include "net/protocol.h"

namespace net {
namespace {

// A slow peer may keep this much unread on our side before ENet drops it.
constexpr std::size_t kMaxWaitingBytes = 256 * 1024;

bool Resolve(const std::string& host, std::uint16_t port, ENetAddress& address) {
    address.port = port;
    if (host.empty()) {
        address.host = ENET_HOST_ANY;
        return true;
    }
    return enet_address_set_host(&address, host.c_str()) == 0;
}

ENetHost* MakeHost(const ENetAddress* address, std::size_t peers) {
    ENetHost* host = enet_host_create(address, peers, kChannelCount, 0, 0);
    if (host) {
        host->maximumPacketSize = kMaxPacketBytes;
        host->maximumWaitingData = kMaxWaitingBytes;
    }
    return host;
}

// ENet thins out unreliable packets when it thinks the link is slow; ours are few, small and
// each one lost is a stall, so the throttle stays fully open.
void KeepThrottleOpen(ENetPeer* peer) {
    enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL,
                                 ENET_PEER_PACKET_THROTTLE_SCALE, 0);
}

}  // namespace

bool StartEnet() {
    static const bool started = [] {
        if (enet_initialize() != 0) return false;
        std::atexit(enet_deinitialize);
        return true;
    }();
    return started;
}

EnetTransport::EnetTransport(ENetHost* host, ENetPeer* peer, bool listening)
    : host_(host), peer_(peer), listening_(listening) {}

EnetTransport::~EnetTransport() {
    Close();
    enet_host_destroy(host_);
}

std::unique_ptr<EnetTransport> EnetTransport::Listen(const std::string& bindHost,
                                                     std::uint16_t port, std::string* error) {
    ENetAddress address;
    if (!StartEnet() || !Resolve(bindHost, port, address)) {
        if (error) *error = "cannot use address " + bindHost;
        return nullptr;
    }
    // A second slot so that a peer who comes too late can be told so instead of timing out.
    ENetHost* host = MakeHost(&address, 2);
    if (!host) {
        if (error) *error = "cannot listen on port " + std::to_string(port);
        return nullptr;
    }
    return std::unique_ptr<EnetTransport>(new EnetTransport(host, nullptr, true));
}

std::unique_ptr<EnetTransport> EnetTransport::Connect(const std::string& hostName,
                                                      std::uint16_t port, std::string* error) {
    ENetAddress address;
    if (!StartEnet() || !Resolve(hostName, port, address) || hostName.empty()) {
        if (error) *error = "unknown host " + hostName;
        return nullptr;
    }
    ENetHost* host = MakeHost(nullptr, 1);
    if (!host) {
        if (error) *error = "cannot open a UDP socket";
        return nullptr;
    }
    ENetPeer* peer = enet_host_connect(host, &address, kChannelCount, 0);
    if (!peer) {
        enet_host_destroy(host);
        if (error) *error = "cannot connect to " + hostName;
        return nullptr;
    }
    return std::unique_ptr<EnetTransport>(new EnetTransport(host, peer, false));
}

void EnetTransport::Send(Channel channel, std::span<const std::uint8_t> bytes, std::int64_t) {
    if (status_ != LinkStatus::Connected || bytes.empty() || bytes.size() > kMaxPacketBytes) return;
    const enet_uint32 flags = channel == Channel::Session ? ENET_PACKET_FLAG_RELIABLE : 0;
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), flags);
    if (!packet) return;
    if (enet_peer_send(peer_, static_cast<enet_uint8>(channel), packet) != 0)
        enet_packet_destroy(packet);
    enet_host_flush(host_);
}

bool EnetTransport::Receive(std::int64_t, Datagram& out) {
    ENetEvent event;
    while (host_ && enet_host_service(host_, &event, 0) > 0) {
        switch (event.type) {
            case ENET_EVENT_TYPE_CONNECT:
                if (status_ == LinkStatus::Closed || (peer_ && event.peer != peer_)) {
                    // The match has its peer, or is over: nobody else comes in.
                    enet_peer_disconnect_now(event.peer, 0);
                } else {
                    peer_ = event.peer;
                    status_ = LinkStatus::Connected;
                    KeepThrottleOpen(peer_);
                }
                break;
            case ENET_EVENT_TYPE_DISCONNECT:
                if (event.peer == peer_) {
                    status_ = LinkStatus::Closed;
                    peer_ = nullptr;
                }
                break;
            case ENET_EVENT_TYPE_RECEIVE: {
                const bool ours = event.peer == peer_ && event.channelID < kChannelCount &&
                                  event.packet->dataLength <= kMaxPacketBytes;
                if (ours) {
                    out.channel = static_cast<Channel>(event.channelID);
                    out.bytes.assign(event.packet->data,
                                     event.packet->data + event.packet->dataLength);
                }
                enet_packet_destroy(event.packet);
                if (ours) return true;
                break;
            }
            case ENET_EVENT_TYPE_NONE:
                break;
        }
    }
    return false;
}

void EnetTransport::Close() {
    if (peer_ && status_ == LinkStatus::Connected) {
        enet_peer_disconnect(peer_, 0);
        enet_host_flush(host_);
    } else if (peer_) {
        enet_peer_reset(peer_);
    }
    peer_ = nullptr;
    status_ = LinkStatus::Closed;
}

std::uint16_t EnetTransport::LocalPort() const {
    return host_ ? host_->address.port : 0;
}

bool SplitHostPort(const std::string& text, std::string& host, std::uint16_t& port) {
    const auto colon = text.rfind(':');
    host = colon == std::string::npos ? text : text.substr(0, colon);
    port = kDefaultPort;
    if (host.empty()) return false;
    if (colon == std::string::npos) return true;
    const std::string digits = text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return false;
    unsigned long v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<unsigned long>(c - '0');
    }
    if (v == 0 || v > 65535) return false;
    port = static_cast<std::uint16_t>(v);
    return true;
}

}  // namespace net
