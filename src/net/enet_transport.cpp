#include "net/enet_transport.h"

#include <enet/enet.h>

#include <algorithm>
#include <cstdlib>

#include "net/handshake.h"
#include "net/protocol.h"

namespace net {
namespace {

// A slow peer may keep this much unread on our side before ENet drops it.
constexpr std::size_t kMaxWaitingBytes = 256 * 1024;
// Peers from one address: a guest and spectators behind one router, and a few on their way in.
constexpr std::size_t kPeersPerAddress = 1 + kMaxWatchers + 3;

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
    guard_.reset();
    enet_host_destroy(host_);
}

std::unique_ptr<EnetTransport> EnetTransport::Listen(const std::string& bindHost,
                                                     std::uint16_t port, std::string* error,
                                                     const SlotLimits& slots) {
    ENetAddress address;
    if (!StartEnet() || !Resolve(bindHost, port, address)) {
        if (error) *error = "cannot use address " + bindHost;
        return nullptr;
    }
    // The guest and the spectators, and more for peers that have not greeted yet than the slot
    // guard lets wait at once, so a flood of fake ones never takes the players' places.
    const int peers = 1 + kMaxWatchers + std::max(slots.pendingInAll, 1) + 4;
    ENetHost* host = MakeHost(&address, static_cast<std::size_t>(peers));
    if (!host) {
        if (error) *error = "cannot listen on port " + std::to_string(port);
        return nullptr;
    }
    host->duplicatePeers = kPeersPerAddress;
    std::unique_ptr<EnetTransport> t(new EnetTransport(host, nullptr, true));
    EnetTransport* self = t.get();
    t->guard_ = std::make_unique<SlotGuard>(
        host, slots,
        [self](const ENetPeer* p) { return p == self->peer_ || self->WatcherSlot(p) != 0; },
        [](ENetPeer*) {});
    return t;
}

std::unique_ptr<EnetTransport> EnetTransport::Connect(const std::string& hostName,
                                                      std::uint16_t port, std::string* error,
                                                      const std::string& from) {
    ENetAddress address, local;
    if (!StartEnet() || !Resolve(hostName, port, address) || hostName.empty() ||
        !Resolve(from, 0, local)) {
        if (error) *error = "unknown host " + hostName;
        return nullptr;
    }
    ENetHost* host = MakeHost(from.empty() ? nullptr : &local, 1);
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

void EnetTransport::AcceptWatchers(const std::string& gameVersion, std::uint64_t levelHash) {
    acceptWatchers_ = listening_;
    checkGuests_ = listening_;
    watchVersion_ = gameVersion;
    watchLevels_ = levelHash;
}

void EnetTransport::SendTo(ENetPeer* peer, Channel channel, std::span<const std::uint8_t> bytes) {
    // Commands carry their ticks and repeat themselves, so one that comes late is still taken:
    // unsequenced, or ENet would drop it for arriving after a newer one.
    const enet_uint32 flags =
        channel == Channel::Session ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED;
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), flags);
    if (!packet) return;
    if (enet_peer_send(peer, static_cast<enet_uint8>(channel), packet) != 0)
        enet_packet_destroy(packet);
}

int EnetTransport::WatcherSlot(const ENetPeer* peer) const {
    for (int s = 1; s <= kMaxWatchers; ++s) {
        if (watchers_[s] == peer) return s;
    }
    return 0;
}

void EnetTransport::Send(Channel channel, std::span<const std::uint8_t> bytes, std::int64_t) {
    if (status_ != LinkStatus::Connected || bytes.empty() || bytes.size() > kMaxPacketBytes) return;
    // A host routes as the relay does: ticks only to spectators, snapshots and the bye to all.
    // Towards the relay everything goes to the one peer.
    const auto type = static_cast<Type>(TypeOf(bytes));
    if (peer_ && (type != Type::Ticks || !listening_)) SendTo(peer_, channel, bytes);
    if (listening_ && type == Type::Start) started_ = true;
    if (peer_ && listening_ && type == Type::Refuse) {
        // The host turned its guest away: that peer goes, and its place waits for the next.
        enet_peer_disconnect_later(peer_, 0);
        peer_ = nullptr;
    }
    if (type == Type::Ticks || type == Type::SnapshotChunk || type == Type::Bye) {
        for (ENetPeer* w : watchers_) {
            if (w) SendTo(w, Channel::Session, bytes);
        }
    }
    enet_host_flush(host_);
}

bool EnetTransport::Greet(ENetPeer* peer, std::span<const std::uint8_t> bytes, Datagram& notice,
                          bool& haveNotice) {
    Message m;
    const Hello* hello = Decode(bytes, m) == DecodeError::None ? std::get_if<Hello>(&m) : nullptr;
    auto refuse = [&](Reason reason) {
        const auto answer = Encode(Refuse{reason});
        SendTo(peer, Channel::Session, answer);
        enet_peer_disconnect_later(peer, 0);
    };
    if (!hello) {
        enet_peer_disconnect_now(peer, 0);
        return false;
    }
    if (hello->role == Role::Guest && !peer_ && status_ != LinkStatus::Closed) {
        // A guest that cannot play with us is refused here, so the host's wait goes on.
        const Reason reason =
            checkGuests_ ? CheckHello(*hello, watchVersion_, watchLevels_) : Reason::None;
        if (reason != Reason::None) {
            refuse(reason);
            return false;
        }
        peer_ = peer;
        KeepThrottleOpen(peer_);
        return true;
    }
    if (hello->role != Role::Watcher || !acceptWatchers_) {
        refuse(Reason::RoomFull);
        return false;
    }
    const Reason reason = CheckHello(*hello, watchVersion_, watchLevels_);
    const int slot = WatcherSlot(nullptr);
    if (reason != Reason::None || slot == 0) {
        refuse(reason != Reason::None ? reason : Reason::RoomFull);
        return false;
    }
    watchers_[slot] = peer;
    const auto welcome = Encode(Welcome{Role::Watcher, ""});
    SendTo(peer, Channel::Session, welcome);
    notice.channel = Channel::Session;
    notice.bytes = Encode(PeerJoined{Role::Watcher, static_cast<std::uint8_t>(slot)});
    haveNotice = true;
    return false;
}

bool EnetTransport::Receive(std::int64_t nowMs, Datagram& out) {
    struct Guarded {
        SlotGuard* guard;
        ~Guarded() {
            if (guard) guard->End();
        }
    } guarded{guard_.get()};
    if (guard_) guard_->Begin(nowMs);
    ENetEvent event;
    while (host_ && enet_host_service(host_, &event, 0) > 0) {
        switch (event.type) {
            case ENET_EVENT_TYPE_CONNECT:
                if (status_ == LinkStatus::Closed) {
                    enet_peer_disconnect_now(event.peer, 0);
                } else if (!listening_) {
                    peer_ = event.peer;
                    status_ = LinkStatus::Connected;
                    KeepThrottleOpen(peer_);
                } else {
                    // Who it is comes with its first packet.
                    status_ = LinkStatus::Connected;
                }
                break;
            case ENET_EVENT_TYPE_DISCONNECT:
                if (event.peer == peer_ && listening_ && !started_) {
                    // A guest gone before the start: the host waits on for another.
                    peer_ = nullptr;
                    out.channel = Channel::Session;
                    out.bytes = Encode(PeerLeft{Role::Guest, 0});
                    return true;
                } else if (event.peer == peer_) {
                    status_ = LinkStatus::Closed;
                    peer_ = nullptr;
                } else if (const int slot = WatcherSlot(event.peer); slot != 0) {
                    watchers_[slot] = nullptr;
                    out.channel = Channel::Session;
                    out.bytes = Encode(PeerLeft{Role::Watcher, static_cast<std::uint8_t>(slot)});
                    return true;
                }
                break;
            case ENET_EVENT_TYPE_RECEIVE: {
                const std::span<const std::uint8_t> bytes(event.packet->data,
                                                          event.packet->dataLength);
                bool ours = event.channelID < kChannelCount && bytes.size() <= kMaxPacketBytes;
                bool haveNotice = false;
                if (ours && listening_ && event.peer != peer_) {
                    ours = !WatcherSlot(event.peer) && Greet(event.peer, bytes, out, haveNotice);
                } else if (ours && listening_ && !started_ &&
                           static_cast<Type>(TypeOf(bytes)) == Type::Bye) {
                    // The guest said goodbye before the start: its place is free for the next.
                    enet_peer_disconnect(peer_, 0);
                    peer_ = nullptr;
                    ours = false;
                    out.channel = Channel::Session;
                    out.bytes = Encode(PeerLeft{Role::Guest, 0});
                    haveNotice = true;
                }
                if (ours) {
                    out.channel = static_cast<Channel>(event.channelID);
                    out.bytes.assign(bytes.begin(), bytes.end());
                }
                enet_packet_destroy(event.packet);
                if (ours || haveNotice) return true;
                break;
            }
            case ENET_EVENT_TYPE_NONE:
                break;
        }
    }
    return false;
}

void EnetTransport::Close() {
    for (ENetPeer*& w : watchers_) {
        if (w) enet_peer_disconnect(w, 0);
        w = nullptr;
    }
    if (peer_ && status_ == LinkStatus::Connected) {
        enet_peer_disconnect(peer_, 0);
    } else if (peer_) {
        enet_peer_reset(peer_);
    }
    if (host_) enet_host_flush(host_);
    peer_ = nullptr;
    status_ = LinkStatus::Closed;
}

WireCounters EnetTransport::Wire() const {
    // ENet counts its datagrams' payload, its own header included; UDP and IPv4 add 28 bytes.
    constexpr std::uint64_t kUdpIpBytes = 28;
    WireCounters w;
    if (!host_) return w;
    w.datagramsSent = host_->totalSentPackets;
    w.datagramsReceived = host_->totalReceivedPackets;
    w.bytesSent = host_->totalSentData + kUdpIpBytes * w.datagramsSent;
    w.bytesReceived = host_->totalReceivedData + kUdpIpBytes * w.datagramsReceived;
    return w;
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
