#include "net/lockstep.h"

#include <algorithm>

namespace net {
namespace {

// Commands are kept this long behind the running tick, so the guest can run again from a
// snapshot of the host that is older than its own tick.
constexpr std::uint32_t kHistoryTicks = 600;
// Commands further ahead than this are no honest peer's and are not stored.
constexpr std::uint32_t kAheadLimit = 4 * kMaxDelay + kMaxCommandsPerPacket;
// Packets read per call, so that a flood cannot hold the game in one call.
constexpr int kMaxPacketsPerPump = 512;
constexpr std::size_t kMaxHashesKept = 32;
constexpr std::size_t kRttSamples = 8;
constexpr std::size_t kWatchBatch = 8;
constexpr std::int64_t kWatchFlushMs = 100;
// A command goes out in the packets of the ticks it is among this many newest; one that is not
// acknowledged a round trip after that goes again with all the others still unacknowledged.
constexpr std::uint32_t kFreshCommands = 4;

template <typename Map>
void KeepNewest(Map& map, std::size_t n) {
    while (map.size() > n) map.erase(map.begin());
}

}  // namespace

int DelayForRtt(std::int64_t rttMs, int tickMs) {
    if (tickMs <= 0) return kMaxDelay;
    const std::int64_t oneWay = std::max<std::int64_t>(0, rttMs) / 2;
    // One tick more than the crossing takes, for the tick in which the command is sent.
    const std::int64_t ticks = (oneWay + tickMs - 1) / tickMs + 1;
    return static_cast<int>(std::clamp<std::int64_t>(ticks, kMinDelay, kMaxDelay));
}

Lockstep::Lockstep(Transport& link, const LockstepConfig& config, LockstepHooks hooks,
                   std::int64_t nowMs)
    : link_(link),
      config_(config),
      hooks_(std::move(hooks)),
      delay_(std::clamp(config.delay, kMinDelay, kMaxDelay)),
      lastHeardMs_(nowMs) {
    // The first ticks of the match have no typed command on either side.
    for (int t = 0; t < delay_; ++t) local_[static_cast<std::uint32_t>(t)] = WireCommand{};
    scheduledTo_ = static_cast<std::uint32_t>(delay_);
}

void Lockstep::Log(const std::string& line) const {
    if (hooks_.log) hooks_.log(line);
}

std::int64_t Lockstep::RttMs() const {
    if (rttSamples_.empty()) return -1;
    // The worst of the last few, so that the delay covers the jitter too.
    return *std::max_element(rttSamples_.begin(), rttSamples_.end());
}

void Lockstep::SendOn(Channel channel, const Message& m, std::int64_t nowMs) {
    const auto bytes = Encode(m);
    if (bytes.empty()) return;
    link_.Send(channel, bytes, nowMs);
    counters_.bytesSent += bytes.size();
    ++counters_.packetsSent;
}

void Lockstep::SendSession(const Message& m, std::int64_t nowMs) {
    SendOn(Channel::Session, m, nowMs);
}

void Lockstep::End(StepStatus status, Reason reason, std::int64_t nowMs, bool tell) {
    if (over_ != StepStatus::Run) return;
    if (tell) SendSession(Bye{reason}, nowMs);
    over_ = status;
    overReason_ = reason;
}

void Lockstep::Quit(std::int64_t nowMs, Reason reason) {
    End(StepStatus::Ended, reason, nowMs, true);
}

void Lockstep::Schedule(const WireCommand& local) {
    const std::uint32_t target = nextTick_ + static_cast<std::uint32_t>(delay_);
    if (scheduledTo_ > target) return;  // the delay fell: these ticks were sent already
    while (scheduledTo_ < target) {
        const WireCommand& before = local_[scheduledTo_ - 1];
        local_[scheduledTo_] = hooks_.held ? hooks_.held(before) : before;
        ++scheduledTo_;
    }
    local_[target] = local;
    scheduledTo_ = target + 1;
}

void Lockstep::SendCommands(std::int64_t nowMs, bool force) {
    if (!force && remoteNext_ == lastAckSent_ && nowMs - lastSendMs_ < config_.resendMs) return;
    std::uint32_t from = otherAck_;
    const std::uint32_t fresh = scheduledTo_ > kFreshCommands ? scheduledTo_ - kFreshCommands : 0;
    if (from < fresh) {
        // Older ones were sent in several packets already, and their acknowledgement may be on
        // its way: they go again only once a round trip (and a little) has passed.
        const std::int64_t rtt = RttMs();
        const std::int64_t again = (rtt < 0 ? 100 : rtt) + 2 * config_.tickMs;
        if (nowMs - lastOldSendMs_ < again)
            from = fresh;
        else
            lastOldSendMs_ = nowMs;
    }
    Commands m;
    m.firstTick = from;
    m.ackNext = remoteNext_;
    for (std::uint32_t t = from; t < scheduledTo_ && m.commands.size() < kMaxCommandsPerPacket;
         ++t) {
        m.commands.push_back(local_[t]);
    }
    SendOn(Channel::Commands, m, nowMs);
    lastAckSent_ = remoteNext_;
    lastSendMs_ = nowMs;
}

void Lockstep::OnCommands(const Commands& m) {
    if (m.ackNext > otherAck_ && m.ackNext <= scheduledTo_) otherAck_ = m.ackNext;
    ++counters_.commandPackets;
    for (std::size_t i = 0; i < m.commands.size(); ++i) {
        const std::uint32_t t = m.firstTick + static_cast<std::uint32_t>(i);
        if (t < remoteNext_ || t >= nextTick_ + kAheadLimit) continue;
        if (remote_.emplace(t, m.commands[i]).second) ++counters_.commandsTaken;
    }
    while (remote_.count(remoteNext_)) ++remoteNext_;
}

void Lockstep::OnHash(const StateHash& m, std::int64_t nowMs) {
    if (m.epoch != epoch_) return;  // taken before (or, at the guest, after) the last healing
    remoteHashes_[m.tick] = Hash{m.epoch, m.hash};
    KeepNewest(remoteHashes_, kMaxHashesKept);
    Compare(m.tick, nowMs);
}

void Lockstep::Compare(std::uint32_t tick, std::int64_t nowMs) {
    const auto l = localHashes_.find(tick);
    const auto r = remoteHashes_.find(tick);
    if (l == localHashes_.end() || r == remoteHashes_.end()) return;
    const bool same = l->second.value == r->second.value && l->second.epoch == r->second.epoch;
    localHashes_.erase(l);
    remoteHashes_.erase(r);
    if (!same) Desync(tick, nowMs);
}

void Lockstep::Desync(std::uint32_t tick, std::int64_t nowMs) {
    ++counters_.desyncs;
    // The guest says its one line when it takes the host's state.
    if (!IsHost()) return;
    desyncTimes_.push_back(nowMs);
    while (nowMs - desyncTimes_.front() >= config_.desyncWindowMs) desyncTimes_.pop_front();
    if (static_cast<int>(desyncTimes_.size()) >= config_.desyncLimit) {
        Log("net: the match differs at tick " + std::to_string(tick) + " for the " +
            std::to_string(desyncTimes_.size()) + ". time within a minute; match ended");
        End(StepStatus::Ended, Reason::TooManyDesyncs, nowMs, true);
        return;
    }
    ++epoch_;
    localHashes_.clear();
    remoteHashes_.clear();
    Log("net: the match differs at tick " + std::to_string(tick) + "; sending the state of tick " +
        std::to_string(nextTick_) + " to the guest");
    FlushWatchers(nowMs, true);
    SendSnapshot(nextTick_, epoch_, nowMs);
    ++counters_.healed;
}

void Lockstep::ShareState(std::int64_t nowMs) {
    if (!IsHost() || over_ != StepStatus::Run) return;
    ++epoch_;
    localHashes_.clear();
    remoteHashes_.clear();
    SendSnapshot(nextTick_, epoch_, nowMs);
}

void Lockstep::SendSnapshot(std::uint32_t tick, std::uint16_t epoch, std::int64_t nowMs) {
    if (!hooks_.takeSnapshot) return;
    const std::vector<std::uint8_t> bytes = hooks_.takeSnapshot();
    if (bytes.empty() || bytes.size() > kMaxSnapshotBytes) {
        Log("net: the match state (" + std::to_string(bytes.size()) + " bytes) cannot be sent");
        return;
    }
    SnapshotChunk chunk;
    chunk.tick = tick;
    chunk.epoch = epoch;
    chunk.totalSize = static_cast<std::uint32_t>(bytes.size());
    for (std::size_t at = 0; at < bytes.size(); at += kSnapshotChunkBytes) {
        const std::size_t n = std::min(kSnapshotChunkBytes, bytes.size() - at);
        chunk.offset = static_cast<std::uint32_t>(at);
        chunk.bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                           bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
        SendSession(chunk, nowMs);
    }
}

void Lockstep::OnSnapshot(const SnapshotChunk& m, std::int64_t nowMs) {
    if (IsHost() || m.epoch <= epoch_) return;  // spectators' copies of a state we share
    if (m.offset == 0) {
        incoming_.clear();
        incomingTick_ = m.tick;
        incomingEpoch_ = m.epoch;
        incomingTotal_ = m.totalSize;
    } else if (m.tick != incomingTick_ || m.epoch != incomingEpoch_ ||
               m.totalSize != incomingTotal_ || m.offset != incoming_.size()) {
        ++counters_.badPackets;
        incoming_.clear();
        incomingTotal_ = 0;
        return;
    }
    incoming_.insert(incoming_.end(), m.bytes.begin(), m.bytes.end());
    if (incoming_.size() < incomingTotal_) return;

    const std::uint32_t tick = incomingTick_;
    bool haveCommands = true;
    for (std::uint32_t t = tick; t < nextTick_ && haveCommands; ++t)
        haveCommands = local_.count(t) && remote_.count(t);
    const bool restored =
        haveCommands && hooks_.restoreSnapshot && hooks_.restoreSnapshot(incoming_);
    incoming_.clear();
    incoming_.shrink_to_fit();
    incomingTotal_ = 0;
    if (!restored) {
        Log("net: the host's state of tick " + std::to_string(tick) + " cannot be taken");
        End(StepStatus::Ended, Reason::ProtocolError, nowMs, true);
        return;
    }
    Log("net: took the host's state of tick " + std::to_string(tick) + " (was at tick " +
        std::to_string(nextTick_) + ")");
    epoch_ = incomingEpoch_;
    nextTick_ = tick;
    localHashes_.clear();
    remoteHashes_.clear();
    ++counters_.healed;
}

void Lockstep::FlushWatchers(std::int64_t nowMs, bool force) {
    if (watchBatch_.empty()) return;
    if (!force && watchBatch_.size() < kWatchBatch && nowMs - watchSinceMs_ < kWatchFlushMs) return;
    SendSession(Ticks{watchFirst_, watchBatch_}, nowMs);
    watchBatch_.clear();
}

void Lockstep::OnPeerJoined(const PeerJoined& m, std::int64_t nowMs) {
    if (!IsHost() || !config_.feedWatchers || m.role != Role::Watcher) return;
    ++watchers_;
    // The spectator starts from the state before the next tick and the ticks from there.
    FlushWatchers(nowMs, true);
    SendSnapshot(nextTick_, epoch_, nowMs);
}

void Lockstep::Handle(const Datagram& packet, std::int64_t nowMs) {
    Message message;
    if (Decode(packet.bytes, message) != DecodeError::None) {
        ++counters_.badPackets;
        return;
    }
    lastHeardMs_ = nowMs;
    counters_.bytesReceived += packet.bytes.size();
    ++counters_.packetsReceived;
    if (auto* m = std::get_if<Commands>(&message)) {
        OnCommands(*m);
    } else if (auto* m = std::get_if<StateHash>(&message)) {
        OnHash(*m, nowMs);
    } else if (auto* m = std::get_if<SnapshotChunk>(&message)) {
        OnSnapshot(*m, nowMs);
    } else if (auto* m = std::get_if<DelayChange>(&message)) {
        if (!IsHost()) {
            pendingDelay_ = m->delay;
            delayFrom_ = m->fromTick;
        }
    } else if (auto* m = std::get_if<Ping>(&message)) {
        SendOn(Channel::Commands, Pong{m->stamp}, nowMs);
    } else if (auto* m = std::get_if<Pong>(&message)) {
        const std::uint32_t rtt = static_cast<std::uint32_t>(nowMs) - m->stamp;
        if (rtt < 60'000) {
            rttSamples_.push_back(rtt);
            if (rttSamples_.size() > kRttSamples) rttSamples_.pop_front();
        }
    } else if (auto* m = std::get_if<Bye>(&message)) {
        End(StepStatus::Ended, m->reason == Reason::None ? Reason::Quit : m->reason, nowMs, false);
    } else if (auto* m = std::get_if<PeerJoined>(&message)) {
        OnPeerJoined(*m, nowMs);
    } else if (auto* m = std::get_if<PeerLeft>(&message)) {
        // The relay saw the other player's connection end.
        if (m->role == (IsHost() ? Role::Guest : Role::Host))
            End(StepStatus::Ended, Reason::Quit, nowMs, false);
        // Nobody left to watch: the host stops sending the ticks on.
        if (m->role == Role::Watcher && IsHost() && watchers_ > 0 && --watchers_ == 0)
            watchBatch_.clear();
    }
}

void Lockstep::Pump(std::int64_t nowMs) {
    Datagram packet;
    for (int n = 0; n < kMaxPacketsPerPump && over_ == StepStatus::Run; ++n) {
        if (!link_.Receive(nowMs, packet)) break;
        Handle(packet, nowMs);
    }
    if (over_ != StepStatus::Run) return;
    if (link_.Status() == LinkStatus::Closed || nowMs - lastHeardMs_ >= config_.lostMs) {
        End(StepStatus::Lost, Reason::Timeout, nowMs, true);
        return;
    }
    if (nowMs - lastPingMs_ >= config_.pingEveryMs) {
        SendOn(Channel::Commands, Ping{static_cast<std::uint32_t>(nowMs)}, nowMs);
        lastPingMs_ = nowMs;
    }
}

void Lockstep::Trim() {
    const std::uint32_t floor = nextTick_ > kHistoryTicks ? nextTick_ - kHistoryTicks : 0;
    remote_.erase(remote_.begin(), remote_.lower_bound(std::min(floor, remoteNext_)));
    local_.erase(local_.begin(), local_.lower_bound(std::min(floor, otherAck_)));
}

void Lockstep::LevelStarted(std::uint32_t tick, std::int64_t nowMs) {
    if (!IsHost() || over_ != StepStatus::Run || rttSamples_.empty()) return;
    const int delay = DelayForRtt(RttMs(), config_.tickMs);
    if (delay == (pendingDelay_ ? pendingDelay_ : delay_)) return;
    pendingDelay_ = delay;
    delayFrom_ = tick;
    SendSession(DelayChange{tick, static_cast<std::uint8_t>(delay)}, nowMs);
}

StepResult Lockstep::Step(std::int64_t nowMs, const WireCommand& localCommand) {
    Pump(nowMs);
    StepResult r;
    r.silentMs = nowMs - lastHeardMs_;
    if (over_ == StepStatus::Run) {
        if (pendingDelay_ && nextTick_ >= delayFrom_) {
            delay_ = pendingDelay_;
            pendingDelay_ = 0;
        }
        FlushWatchers(nowMs, false);
        const auto mine = local_.find(nextTick_);
        const auto theirs = remote_.find(nextTick_);
        if (mine != local_.end() && theirs != remote_.end()) {
            // What the player does while tick t runs is their command for t + D; during a
            // stall nothing is taken, so both sides always run ahead of the other's need.
            const std::uint32_t before = scheduledTo_;
            Schedule(localCommand);
            SendCommands(nowMs, scheduledTo_ != before);
            if (waitSinceMs_ >= 0) counters_.stallMs += nowMs - waitSinceMs_;
            waitSinceMs_ = -1;
            r.status = StepStatus::Run;
            r.tick = nextTick_;
            r.host = IsHost() ? mine->second : theirs->second;
            r.guest = IsHost() ? theirs->second : mine->second;
            if (config_.hashEvery > 0 && r.tick > 0 && r.tick % config_.hashEvery == 0 &&
                hooks_.stateHash) {
                const std::uint64_t hash = hooks_.stateHash();
                localHashes_[r.tick] = Hash{epoch_, hash};
                KeepNewest(localHashes_, kMaxHashesKept);
                SendSession(StateHash{r.tick, epoch_, hash}, nowMs);
                Compare(r.tick, nowMs);
            }
            if (over_ == StepStatus::Run) {
                if (config_.feedWatchers && IsHost() && watchers_ > 0) {
                    if (watchBatch_.empty()) {
                        watchFirst_ = r.tick;
                        watchSinceMs_ = nowMs;
                    }
                    watchBatch_.push_back(TickPair{r.host, r.guest});
                }
                ++nextTick_;
                Trim();
                return r;
            }
        } else {
            SendCommands(nowMs, false);
            if (waitSinceMs_ < 0) {
                waitSinceMs_ = nowMs;
                ++counters_.stalls;
            }
            r.status = StepStatus::Waiting;
            r.waitingMs = nowMs - waitSinceMs_;
            r.showWaiting = r.waitingMs >= config_.waitNoticeMs;
            return r;
        }
    }
    r = StepResult{};
    r.status = over_;
    r.reason = overReason_;
    r.silentMs = nowMs - lastHeardMs_;
    return r;
}

}  // namespace net
