#include "net/relay_core.h"

#include <algorithm>

#include "net/handshake.h"
#include "net/room_code.h"

namespace net {

RelayCore::RelayCore(const RelayLimits& limits)
    : limits_(limits), wrongCodes_(limits.wrongCodes), wrongCodesAll_(limits.wrongCodes) {
    limits_.maxWatchers = std::clamp(limits_.maxWatchers, 0, kMaxWatchers);
    limits_.maxPacketBytes = std::min(limits_.maxPacketBytes, kMaxClientPacketBytes);
}

bool RelayCore::Greeted(PeerId id) const {
    auto it = peers_.find(id);
    return it != peers_.end() && it->second.greeted;
}

bool RelayCore::Connect(PeerId id, AddressKey address, std::int64_t nowMs) {
    if (peers_.count(id) || static_cast<int>(peers_.size()) >= limits_.maxPeers) return false;
    std::map<AddressKey, int> byAddress;
    int pending = 0;
    for (const auto& [other, peer] : peers_) {
        if (peer.greeted) continue;
        ++pending;
        ++byAddress[peer.address];
    }
    if (byAddress[address] >= limits_.pendingPerAddress) {
        ++counters_.refusedConnects;
        return false;
    }
    if (pending >= limits_.pendingInAll) {
        // Room for the newcomer: the oldest silent peer of the address that holds the most, so
        // a flood from a few addresses makes room from itself, not from a real player.
        PeerId victim = 0;
        int most = 0;
        std::int64_t oldestMs = 0;
        for (const auto& [other, peer] : peers_) {
            if (peer.greeted) continue;
            const int n = byAddress[peer.address];
            if (n > most || (n == most && peer.connectedMs < oldestMs)) {
                victim = other;
                most = n;
                oldestMs = peer.connectedMs;
            }
        }
        ++counters_.silentDropped;
        Drop(victim, RelayAction::Kind::Forget);
        peers_.erase(victim);
    }
    Peer& peer = peers_[id];
    peer.address = address;
    peer.connectedMs = nowMs;
    peer.windowStartMs = nowMs;
    return true;
}

std::vector<RelayAction> RelayCore::TakeActions() {
    return std::exchange(actions_, {});
}

void RelayCore::SendTo(PeerId peer, Channel channel, const Message& message) {
    auto bytes = Encode(message);
    if (bytes.empty()) return;
    actions_.push_back(RelayAction{RelayAction::Kind::Send, peer, channel, std::move(bytes)});
}

void RelayCore::Drop(PeerId peer, RelayAction::Kind kind) {
    actions_.push_back(RelayAction{kind, peer, Channel::Session, {}});
}

void RelayCore::RefuseAndDrop(PeerId peer, Reason reason) {
    ++counters_.refused;
    SendTo(peer, Channel::Session, Refuse{reason});
    Drop(peer);
    peers_.erase(peer);
}

bool RelayCore::WithinRate(Peer& peer, std::int64_t nowMs) {
    if (nowMs - peer.windowStartMs >= 1000 || nowMs < peer.windowStartMs) {
        peer.windowStartMs = nowMs;
        peer.packetsInWindow = 0;
    }
    return ++peer.packetsInWindow <= limits_.packetsPerSecond;
}

void RelayCore::WrongCode(AddressKey address, std::int64_t nowMs) {
    ++counters_.wrongCodes;
    // Beyond the relay's own rate, many addresses guessing at once: each waits the longest.
    const bool surge = !wrongCodesAll_.Take(0, nowMs);
    wrongCodes_.Punish(address, nowMs, surge);
}

void RelayCore::OnHello(PeerId id, Peer& peer, const Hello& hello,
                        std::span<const std::uint8_t> bytes, std::int64_t nowMs) {
    if (hello.protocol != kProtocolVersion) return RefuseAndDrop(id, Reason::VersionMismatch);
    if (!ValidRoomCode(hello.room)) return RefuseAndDrop(id, Reason::BadCode);
    auto it = rooms_.find(hello.room);
    // An address that guessed wrong waits before any code of it is looked at again, so that
    // waiting is not just a word: the answer does not say whether the code was right.
    const Reason held = hello.role == Role::Host ? Reason::RoomFull : Reason::BadCode;
    if (wrongCodes_.WaitLeftMs(peer.address, nowMs) > 0) {
        ++counters_.codesHeld;
        return RefuseAndDrop(id, held);
    }
    if (hello.role == Role::Host) {
        // A code in use: a host draws its code from 47 million, so this is someone asking
        // which codes are taken, and it costs what a wrong code costs.
        if (it != rooms_.end()) {
            WrongCode(peer.address, nowMs);
            return RefuseAndDrop(id, Reason::RoomFull);
        }
        if (static_cast<int>(rooms_.size()) >= limits_.maxRooms)
            return RefuseAndDrop(id, Reason::RoomFull);
        int hosted = 0;
        for (const auto& [code, room] : rooms_) hosted += room.hostAddress == peer.address;
        if (hosted >= limits_.roomsPerAddress) return RefuseAndDrop(id, Reason::RoomFull);
        Room& room = rooms_[hello.room];
        room.host = id;
        room.hostHello = hello;
        room.hostAddress = peer.address;
        room.lastActiveMs = nowMs;
        peer.greeted = true;
        peer.room = hello.room;
        peer.role = Role::Host;
        SendTo(id, Channel::Session, Welcome{Role::Host, ""});
        return;
    }
    if (it == rooms_.end()) {
        WrongCode(peer.address, nowMs);
        return RefuseAndDrop(id, Reason::BadCode);
    }
    Room& room = it->second;
    // Checked here, as for a spectator: a guest that cannot play never reaches the host, whose
    // wait goes on.
    const Reason reason = CheckHello(hello, room.hostHello.gameVersion, room.hostHello.levelHash);
    if (reason != Reason::None) return RefuseAndDrop(id, reason);
    if (hello.role == Role::Guest) {
        if (room.guest != 0) return RefuseAndDrop(id, Reason::RoomFull);
        room.guest = id;
        peer.greeted = true;
        peer.room = hello.room;
        peer.role = Role::Guest;
        room.lastActiveMs = nowMs;
        // The host answers the guest itself, as on a direct connection.
        Forward(peer, room, Channel::Session, Message{hello}, bytes);
        return;
    }
    std::uint8_t slot = 0;
    for (int s = 1; s <= limits_.maxWatchers && slot == 0; ++s) {
        if (room.watchers[s] == 0) slot = static_cast<std::uint8_t>(s);
    }
    if (slot == 0) return RefuseAndDrop(id, Reason::RoomFull);
    room.watchers[slot] = id;
    peer.greeted = true;
    peer.room = hello.room;
    peer.role = Role::Watcher;
    peer.slot = slot;
    room.lastActiveMs = nowMs;
    SendTo(id, Channel::Session, Welcome{Role::Watcher, room.hostHello.name});
    SendTo(room.host, Channel::Session, PeerJoined{Role::Watcher, slot});
}

void RelayCore::Forward(const Peer& from, Room& room, Channel channel, const Message& message,
                        std::span<const std::uint8_t> bytes) {
    const Relayed stamped{from.role, from.slot, {bytes.begin(), bytes.end()}};
    bool toHost = false, toGuest = false, toWatchers = false;
    const auto type = static_cast<Type>(message.index() + 1);
    if (from.role == Role::Guest) {
        toHost = type != Type::Ticks && type != Type::SnapshotChunk;
    } else if (from.role == Role::Host) {
        toGuest = type != Type::Ticks;
        toWatchers = type == Type::Ticks || type == Type::SnapshotChunk || type == Type::Bye;
    }
    // Nothing a spectator sends reaches the players.
    const auto bytesOut = Encode(stamped);
    if (bytesOut.empty()) return;
    auto send = [&](PeerId to) {
        if (to == 0) return;
        actions_.push_back(RelayAction{RelayAction::Kind::Send, to, channel, bytesOut});
        ++counters_.forwarded;
    };
    if (toHost) send(room.host);
    if (toGuest) send(room.guest);
    if (toWatchers) {
        for (int s = 1; s <= limits_.maxWatchers; ++s) send(room.watchers[s]);
    }
}

void RelayCore::Receive(PeerId id, Channel channel, std::span<const std::uint8_t> bytes,
                        std::int64_t nowMs) {
    auto pit = peers_.find(id);
    if (pit == peers_.end()) return;
    Peer& peer = pit->second;
    if (!WithinRate(peer, nowMs)) {
        ++counters_.droppedRate;
        // A lost command is sent again; a lost session packet would break the ordered stream
        // for good, so a peer that floods that channel is let go.
        if (channel == Channel::Session) {
            SendTo(id, Channel::Session, Bye{Reason::ProtocolError});
            Drop(id);
            Leave(id, nowMs);
        }
        return;
    }
    if (bytes.size() > limits_.maxPacketBytes) {
        ++counters_.droppedTooBig;
        return;
    }
    Message message;
    if (Decode(bytes, message) != DecodeError::None) {
        ++counters_.droppedBad;
        return;
    }
    if (!peer.greeted) {
        if (auto* hello = std::get_if<Hello>(&message))
            return OnHello(id, peer, *hello, bytes, nowMs);
        // A peer that does not start with its hello is no player of ours.
        ++counters_.droppedBad;
        return RefuseAndDrop(id, Reason::ProtocolError);
    }
    auto rit = rooms_.find(peer.room);
    if (rit == rooms_.end()) return;
    const auto type = static_cast<Type>(message.index() + 1);
    // What only the relay may say, and what has been said already.
    if (type == Type::Hello || type == Type::Relayed || type == Type::PeerJoined ||
        type == Type::PeerLeft || type == Type::Probe || type == Type::Offer) {
        ++counters_.droppedBad;
        return;
    }
    rit->second.lastActiveMs = nowMs;
    if (type == Type::Bye && peer.role == Role::Watcher) {
        Drop(id);
        return Leave(id, nowMs);
    }
    Forward(peer, rit->second, channel, message, bytes);
}

void RelayCore::CloseRoom(const std::string& code, Reason reason) {
    auto it = rooms_.find(code);
    if (it == rooms_.end()) return;
    const Room room = it->second;
    rooms_.erase(it);
    auto close = [&](PeerId id) {
        if (id == 0) return;
        SendTo(id, Channel::Session, Bye{reason});
        Drop(id);
        peers_.erase(id);
    };
    close(room.host);
    close(room.guest);
    for (PeerId w : room.watchers) close(w);
}

void RelayCore::Leave(PeerId id, std::int64_t) {
    auto pit = peers_.find(id);
    if (pit == peers_.end()) return;
    const Peer peer = pit->second;
    peers_.erase(pit);
    auto rit = rooms_.find(peer.room);
    if (!peer.greeted || rit == rooms_.end()) return;
    Room& room = rit->second;
    if (peer.role == Role::Host) {
        // Without its host a room has no match left.
        room.host = 0;
        if (room.guest) SendTo(room.guest, Channel::Session, PeerLeft{Role::Host, 0});
        for (PeerId w : room.watchers) {
            if (w) SendTo(w, Channel::Session, PeerLeft{Role::Host, 0});
        }
        CloseRoom(peer.room, Reason::Quit);
    } else if (peer.role == Role::Guest) {
        room.guest = 0;
        SendTo(room.host, Channel::Session, PeerLeft{Role::Guest, 0});
    } else {
        room.watchers[peer.slot] = 0;
        SendTo(room.host, Channel::Session, PeerLeft{Role::Watcher, peer.slot});
    }
}

void RelayCore::Disconnect(PeerId id, std::int64_t nowMs) {
    Leave(id, nowMs);
}

void RelayCore::Tick(std::int64_t nowMs) {
    std::vector<std::string> idle;
    for (const auto& [code, room] : rooms_) {
        if (nowMs - room.lastActiveMs >= limits_.idleRoomMs) idle.push_back(code);
    }
    for (const auto& code : idle) {
        ++counters_.roomsClosedIdle;
        CloseRoom(code, Reason::Timeout);
    }
    std::vector<PeerId> silent;
    for (const auto& [id, peer] : peers_) {
        if (!peer.greeted && nowMs - peer.connectedMs >= limits_.helloTimeoutMs)
            silent.push_back(id);
    }
    for (PeerId id : silent) {
        ++counters_.silentDropped;
        Drop(id, RelayAction::Kind::Forget);
        peers_.erase(id);
    }
}

}  // namespace net
