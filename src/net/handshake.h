// The start of a network match: the guest (or spectator) says who it is, the host checks that
// both run the same protocol, game version and level files, welcomes it and sends the start.
// A mismatch ends the newcomer's side with the reason; the host refuses it and waits on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "net/lockstep.h"
#include "net/protocol.h"
#include "net/transport.h"

namespace net {

struct HandshakeConfig {
    Role role = Role::Guest;
    std::string gameVersion;
    std::uint64_t levelHash = 0;
    std::string name;
    std::string room;  // through the relay: the room to open (host) or join
    bool viaRelay = false;
    // The guest gives up when the match has not started this long after it set out.
    std::int64_t timeoutMs = 10000;
    // Host: the start's input delay from one round trip measured after the welcome (waited for
    // at most rttWaitMs), rather than the one SetStart gave.
    bool delayFromRtt = true;
    std::int64_t rttWaitMs = 1000;
    int tickMs = 15;
};

enum class HandshakeStatus { Working, Done, Refused };

class Handshake {
  public:
    Handshake(Transport& link, const HandshakeConfig& config, std::int64_t nowMs);
    // Host: the match to start as soon as a guest is welcome (may come later than the guest).
    void SetStart(const Start& start) { start_ = start; }
    HandshakeStatus Poll(std::int64_t nowMs);

    Reason FailReason() const { return reason_; }
    // Host: guests turned away while it waited, and the last one's reason.
    int Refused() const { return refused_; }
    Reason LastRefusal() const { return lastRefusal_; }
    // Guest: the host's start; host: what it sent.
    const Start& StartMessage() const { return *start_; }
    const std::string& PeerName() const { return peerName_; }
    // Host: the round trip measured after the welcome; -1 before.
    std::int64_t RttMs() const { return rttMs_; }

  private:
    // Host: turns this guest away and waits for the next.
    void Refuse(Reason reason, std::int64_t nowMs);
    void OnHello(const Hello& hello, std::int64_t nowMs);
    // Host: the welcomed guest went before the start; the next may come.
    void GuestLeft();

    Transport& link_;
    HandshakeConfig config_;
    std::int64_t sinceMs_;
    std::optional<Start> start_;
    bool welcomed_ = false;
    bool helloSent_ = false;
    std::int64_t welcomedMs_ = 0;
    std::int64_t rttMs_ = -1;
    HandshakeStatus status_ = HandshakeStatus::Working;
    Reason reason_ = Reason::None;
    int refused_ = 0;
    Reason lastRefusal_ = Reason::None;
    std::string peerName_;
};

// Why a hello is refused; None when host and peer can play together.
Reason CheckHello(const Hello& hello, const std::string& gameVersion, std::uint64_t levelHash);

}  // namespace net
