#include "net/relay_server.h"

#include <enet/enet.h>

#include <algorithm>
#include <unordered_map>

#include "net/enet_transport.h"

namespace net {
namespace {

constexpr std::size_t kMaxWaitingBytes = 256 * 1024;
// ENet's most peers a host may hold.
constexpr int kEnetPeerLimit = 4095;

PeerId IdOf(const ENetPeer* peer) {
    return static_cast<PeerId>(reinterpret_cast<std::uintptr_t>(peer->data));
}

}  // namespace

std::unique_ptr<RelayServer> RelayServer::Open(const std::string& bindHost, std::uint16_t port,
                                               const RelayLimits& limits, std::string* error) {
    ENetAddress address;
    address.host = ENET_HOST_ANY;
    address.port = port;
    if (!StartEnet() ||
        (!bindHost.empty() && enet_address_set_host(&address, bindHost.c_str()) != 0)) {
        if (error) *error = "cannot use address " + bindHost;
        return nullptr;
    }
    // Room beyond the relay's peers for connects on their way in, so that those the guard
    // lets in always find an ENet peer.
    const int peers = std::clamp(limits.maxPeers + limits.pendingInAll + 1, 2, kEnetPeerLimit);
    ENetHost* host =
        enet_host_create(&address, static_cast<std::size_t>(peers), kChannelCount, 0, 0);
    if (!host) {
        if (error) *error = "cannot listen on UDP port " + std::to_string(port);
        return nullptr;
    }
    host->maximumPacketSize = kMaxPacketBytes;
    host->maximumWaitingData = kMaxWaitingBytes;
    host->duplicatePeers = static_cast<std::size_t>(std::max(1, limits.peersPerAddress));
    return std::unique_ptr<RelayServer>(new RelayServer(host, limits));
}

RelayServer::RelayServer(ENetHost* host, const RelayLimits& limits) : host_(host), core_(limits) {
    SlotLimits slots;
    slots.pendingPerAddress = limits.pendingPerAddress;
    slots.pendingInAll = limits.pendingInAll;
    slots.helloTimeoutMs = limits.helloTimeoutMs;
    guard_ = std::make_unique<SlotGuard>(
        host, slots, [this](const ENetPeer* p) { return p->data && core_.Greeted(IdOf(p)); },
        [this](ENetPeer* p) {
            if (p->data) core_.Disconnect(IdOf(p), nowMs_);
            p->data = nullptr;
        });
}

RelayServer::~RelayServer() {
    guard_.reset();
    enet_host_destroy(host_);
}

std::uint16_t RelayServer::Port() const {
    return host_->address.port;
}

void RelayServer::Carry(std::int64_t) {
    std::unordered_map<PeerId, ENetPeer*> byId;
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        ENetPeer* p = &host_->peers[i];
        if (p->state == ENET_PEER_STATE_CONNECTED && p->data) byId[IdOf(p)] = p;
    }
    for (RelayAction& a : core_.TakeActions()) {
        auto it = byId.find(a.peer);
        if (it == byId.end()) {
            // Not an ENet peer: the bridge's, or one gone meanwhile (the bridge ignores those).
            if (external_) external_(a);
            continue;
        }
        if (a.kind == RelayAction::Kind::Forget) {
            it->second->data = nullptr;
            enet_peer_disconnect_now(it->second, 0);
            byId.erase(it);
            continue;
        }
        if (a.kind == RelayAction::Kind::Disconnect) {
            // Later, so that the refusal queued before it still goes out.
            enet_peer_disconnect_later(it->second, 0);
            continue;
        }
        // Forwarded commands stay unsequenced, as the players sent them.
        const enet_uint32 flags = a.channel == Channel::Session ? ENET_PACKET_FLAG_RELIABLE
                                                                : ENET_PACKET_FLAG_UNSEQUENCED;
        ENetPacket* packet = enet_packet_create(a.bytes.data(), a.bytes.size(), flags);
        if (packet && enet_peer_send(it->second, static_cast<enet_uint8>(a.channel), packet) != 0)
            enet_packet_destroy(packet);
    }
    enet_host_flush(host_);
}

PeerId RelayServer::ConnectExternal(AddressKey address, std::int64_t nowMs) {
    const PeerId id = nextId_++;
    if (nextId_ == 0) nextId_ = 1;
    return core_.Connect(id, address, nowMs) ? id : 0;
}

void RelayServer::Service(std::int64_t nowMs, int waitMs) {
    nowMs_ = nowMs;
    guard_->Begin(nowMs);
    ENetEvent event;
    int handled = 0;
    // Bounded, so that the rooms' clock and the sends keep up under a flood.
    while (handled < 4096 && enet_host_service(host_, &event, handled == 0 ? waitMs : 0) > 0) {
        ++handled;
        switch (event.type) {
            case ENET_EVENT_TYPE_CONNECT: {
                const PeerId id = nextId_++;
                if (nextId_ == 0) nextId_ = 1;
                event.peer->data = reinterpret_cast<void*>(static_cast<std::uintptr_t>(id));
                if (!core_.Connect(id, event.peer->address.host, nowMs)) {
                    event.peer->data = nullptr;
                    enet_peer_disconnect_now(event.peer, 0);
                }
                break;
            }
            case ENET_EVENT_TYPE_RECEIVE:
                if (event.peer->data && event.channelID < kChannelCount) {
                    core_.Receive(IdOf(event.peer), static_cast<Channel>(event.channelID),
                                  {event.packet->data, event.packet->dataLength}, nowMs);
                }
                enet_packet_destroy(event.packet);
                break;
            case ENET_EVENT_TYPE_DISCONNECT:
                if (event.peer->data) core_.Disconnect(IdOf(event.peer), nowMs);
                event.peer->data = nullptr;
                break;
            case ENET_EVENT_TYPE_NONE:
                break;
        }
        if (core_.PendingActions() > 256) Carry(nowMs);
    }
    guard_->End();
    core_.Tick(nowMs);
    Carry(nowMs);
}

}  // namespace net
