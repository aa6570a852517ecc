// A spectator's side of a match: it takes the host's state once, then runs every tick from the
// host's stream of both players' commands, a few ticks behind the players. It sends nothing that
// could change the match.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "net/lockstep.h"

namespace net {

struct SpectatorHooks {
    std::function<bool(std::span<const std::uint8_t>)> restoreSnapshot;
    std::function<void(const std::string&)> log;
};

class Spectator {
  public:
    Spectator(Transport& link, SpectatorHooks hooks, std::int64_t nowMs,
              std::int64_t lostMs = 10000);
    // The next tick to run, when its commands are here; Waiting before the host's state came.
    StepResult Step(std::int64_t nowMs);
    bool Synced() const { return synced_; }
    std::uint32_t NextTick() const { return nextTick_; }
    // Ticks here and not yet run: how far behind the players this side is.
    std::size_t Held() const { return ticks_.size(); }

  private:
    void Handle(const Datagram& packet, std::int64_t nowMs);

    Transport& link_;
    SpectatorHooks hooks_;
    std::int64_t lostMs_;
    std::int64_t lastHeardMs_;
    bool synced_ = false;
    std::uint32_t nextTick_ = 0;
    std::map<std::uint32_t, TickPair> ticks_;
    std::vector<std::uint8_t> incoming_;
    std::uint32_t incomingTick_ = 0, incomingTotal_ = 0;
    StepStatus over_ = StepStatus::Run;
    Reason reason_ = Reason::None;
};

}  // namespace net
