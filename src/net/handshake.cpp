#include "net/handshake.h"

namespace net {
namespace {

void SendTo(Transport& link, const Message& m, std::int64_t nowMs) {
    const auto bytes = Encode(m);
    if (!bytes.empty()) link.Send(Channel::Session, bytes, nowMs);
}

}  // namespace

Reason CheckHello(const Hello& hello, const std::string& gameVersion, std::uint64_t levelHash) {
    if (hello.protocol != kProtocolVersion || hello.gameVersion != gameVersion)
        return Reason::VersionMismatch;
    if (hello.levelHash != levelHash) return Reason::LevelFilesDiffer;
    return Reason::None;
}

Handshake::Handshake(Transport& link, const HandshakeConfig& config, std::int64_t nowMs)
    : link_(link), config_(config), sinceMs_(nowMs) {}

void Handshake::Refuse(Reason reason, std::int64_t nowMs) {
    // The link lets the refused peer go (the relay never forwards a guest that cannot play).
    SendTo(link_, net::Refuse{reason}, nowMs);
    ++refused_;
    lastRefusal_ = reason;
}

void Handshake::OnHello(const Hello& hello, std::int64_t nowMs) {
    if (config_.role != Role::Host || welcomed_) return;
    Reason reason = CheckHello(hello, config_.gameVersion, config_.levelHash);
    if (reason == Reason::None && hello.role != Role::Guest) reason = Reason::RoomFull;
    if (reason == Reason::None && !config_.room.empty() && hello.room != config_.room)
        reason = Reason::BadCode;
    if (reason != Reason::None) {
        Refuse(reason, nowMs);
        return;
    }
    peerName_ = hello.name;
    SendTo(link_, Welcome{Role::Guest, config_.name}, nowMs);
    SendTo(link_, Ping{static_cast<std::uint32_t>(nowMs)}, nowMs);
    welcomed_ = true;
    welcomedMs_ = nowMs;
}

void Handshake::GuestLeft() {
    welcomed_ = false;
    rttMs_ = -1;
    peerName_.clear();
}

HandshakeStatus Handshake::Poll(std::int64_t nowMs) {
    if (status_ != HandshakeStatus::Working) return status_;
    const bool sayHello = config_.role != Role::Host || config_.viaRelay;
    if (sayHello && !helloSent_ && link_.Status() == LinkStatus::Connected) {
        SendTo(link_,
               Hello{kProtocolVersion, config_.gameVersion, config_.levelHash, config_.role,
                     config_.name, config_.room},
               nowMs);
        helloSent_ = true;
    }
    Datagram packet;
    Message m;
    while (status_ == HandshakeStatus::Working && link_.Receive(nowMs, packet)) {
        if (Decode(packet.bytes, m) != DecodeError::None) continue;
        if (auto* hello = std::get_if<Hello>(&m)) {
            OnHello(*hello, nowMs);
        } else if (auto* welcome = std::get_if<Welcome>(&m)) {
            if (config_.role != Role::Host) peerName_ = welcome->name;
            welcomed_ = config_.role != Role::Host || welcomed_;
        } else if (auto* refuse = std::get_if<net::Refuse>(&m)) {
            status_ = HandshakeStatus::Refused;
            reason_ = refuse->reason;
        } else if (auto* bye = std::get_if<Bye>(&m)) {
            // A direct host's guest that says goodbye before the start only leaves its place;
            // through the relay a bye may be the relay's own word.
            if (config_.role == Role::Host && !config_.viaRelay) {
                GuestLeft();
            } else {
                status_ = HandshakeStatus::Refused;
                reason_ = bye->reason;
            }
        } else if (auto* left = std::get_if<PeerLeft>(&m)) {
            if (config_.role == Role::Host && left->role == Role::Guest) GuestLeft();
        } else if (auto* ping = std::get_if<Ping>(&m)) {
            if (config_.role != Role::Host) SendTo(link_, Pong{ping->stamp}, nowMs);
        } else if (auto* pong = std::get_if<Pong>(&m)) {
            if (config_.role == Role::Host && welcomed_)
                rttMs_ = static_cast<std::uint32_t>(nowMs) - pong->stamp;
        } else if (auto* start = std::get_if<Start>(&m)) {
            if (config_.role != Role::Host && welcomed_) {
                start_ = *start;
                status_ = HandshakeStatus::Done;
            }
        }
        // Anything else belongs to the match; none of it comes before the start.
    }
    if (status_ != HandshakeStatus::Working) return status_;
    const bool measured =
        !config_.delayFromRtt || rttMs_ >= 0 || nowMs - welcomedMs_ >= config_.rttWaitMs;
    if (config_.role == Role::Host && welcomed_ && start_ && measured) {
        if (config_.delayFromRtt && rttMs_ >= 0)
            start_->delay = static_cast<std::uint8_t>(DelayForRtt(rttMs_, config_.tickMs));
        SendTo(link_, *start_, nowMs);
        status_ = HandshakeStatus::Done;
    } else if (config_.role != Role::Host && nowMs - sinceMs_ >= config_.timeoutMs) {
        status_ = HandshakeStatus::Refused;
        reason_ = Reason::Timeout;
    } else if (link_.Status() == LinkStatus::Closed) {
        status_ = HandshakeStatus::Refused;
        reason_ = Reason::Timeout;
    }
    return status_;
}

}  // namespace net
