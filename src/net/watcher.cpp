#include "net/watcher.h"

namespace net {
namespace {

// Ticks held ahead of the one shown: a spectator far behind drops the match rather than memory.
constexpr std::size_t kMaxTicksHeld = 8192;
constexpr int kMaxPacketsPerStep = 512;

}  // namespace

Spectator::Spectator(Transport& link, SpectatorHooks hooks, std::int64_t nowMs, std::int64_t lostMs)
    : link_(link), hooks_(std::move(hooks)), lostMs_(lostMs), lastHeardMs_(nowMs) {}

void Spectator::Handle(const Datagram& packet, std::int64_t nowMs) {
    Message m;
    if (Decode(packet.bytes, m) != DecodeError::None) return;
    lastHeardMs_ = nowMs;
    if (auto* t = std::get_if<Ticks>(&m)) {
        for (std::size_t i = 0; i < t->ticks.size(); ++i) {
            const std::uint32_t tick = t->firstTick + static_cast<std::uint32_t>(i);
            if (synced_ && tick < nextTick_) continue;
            ticks_.emplace(tick, t->ticks[i]);
        }
        if (ticks_.size() > kMaxTicksHeld) {
            if (hooks_.log) hooks_.log("net: the spectator fell too far behind the match");
            over_ = StepStatus::Ended;
            reason_ = Reason::Timeout;
        }
    } else if (auto* c = std::get_if<SnapshotChunk>(&m)) {
        if (synced_) return;
        if (c->offset == 0) {
            incoming_.clear();
            incomingTick_ = c->tick;
            incomingTotal_ = c->totalSize;
        } else if (c->tick != incomingTick_ || c->totalSize != incomingTotal_ ||
                   c->offset != incoming_.size()) {
            incoming_.clear();
            incomingTotal_ = 0;
            return;
        }
        incoming_.insert(incoming_.end(), c->bytes.begin(), c->bytes.end());
        if (incoming_.size() < incomingTotal_) return;
        if (!hooks_.restoreSnapshot || !hooks_.restoreSnapshot(incoming_)) {
            over_ = StepStatus::Ended;
            reason_ = Reason::ProtocolError;
            return;
        }
        synced_ = true;
        nextTick_ = incomingTick_;
        ticks_.erase(ticks_.begin(), ticks_.lower_bound(nextTick_));
        incoming_ = {};
        if (hooks_.log) hooks_.log("net: watching from tick " + std::to_string(nextTick_));
    } else if (auto* b = std::get_if<Bye>(&m)) {
        over_ = StepStatus::Ended;
        reason_ = b->reason;
    } else if (auto* left = std::get_if<PeerLeft>(&m)) {
        if (left->role == Role::Host) {
            over_ = StepStatus::Ended;
            reason_ = Reason::Quit;
        }
    } else if (auto* r = std::get_if<Refuse>(&m)) {
        over_ = StepStatus::Ended;
        reason_ = r->reason;
    }
}

StepResult Spectator::Step(std::int64_t nowMs) {
    Datagram packet;
    for (int n = 0; n < kMaxPacketsPerStep && over_ == StepStatus::Run; ++n) {
        if (!link_.Receive(nowMs, packet)) break;
        Handle(packet, nowMs);
    }
    if (over_ == StepStatus::Run &&
        (link_.Status() == LinkStatus::Closed || nowMs - lastHeardMs_ >= lostMs_)) {
        over_ = StepStatus::Lost;
        reason_ = Reason::Timeout;
    }
    StepResult r;
    r.silentMs = nowMs - lastHeardMs_;
    auto it = synced_ ? ticks_.find(nextTick_) : ticks_.end();
    // The host says goodbye right after the match's last tick: the ticks still held here, a few
    // behind, are played before the end is told.
    if (over_ != StepStatus::Run && it == ticks_.end()) {
        r.status = over_;
        r.reason = reason_;
        return r;
    }
    if (it == ticks_.end()) {
        r.status = StepStatus::Waiting;
        return r;
    }
    r.status = StepStatus::Run;
    r.tick = nextTick_;
    r.host = it->second.host;
    r.guest = it->second.guest;
    ticks_.erase(it);
    ++nextTick_;
    return r;
}

}  // namespace net
