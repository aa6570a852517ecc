#include "net/transport.h"

#include <algorithm>

#include "net/protocol.h"

namespace net {
namespace {

constexpr std::size_t kMaxHeldPackets = 8192;

struct MemoryWire {
    std::deque<Datagram> toSide[2];
    bool closed = false;
};

class MemoryEnd final : public Transport {
  public:
    MemoryEnd(std::shared_ptr<MemoryWire> wire, int side) : wire_(std::move(wire)), side_(side) {}
    ~MemoryEnd() override { Close(); }
    void Send(Channel channel, std::span<const std::uint8_t> bytes, std::int64_t) override {
        if (wire_->closed || bytes.size() > kMaxPacketBytes) return;
        if (wire_->toSide[1 - side_].size() >= kMaxHeldPackets) return;
        wire_->toSide[1 - side_].push_back(Datagram{channel, {bytes.begin(), bytes.end()}});
    }
    bool Receive(std::int64_t, Datagram& out) override {
        auto& q = wire_->toSide[side_];
        if (q.empty()) return false;
        out = std::move(q.front());
        q.pop_front();
        return true;
    }
    LinkStatus Status() const override {
        return wire_->closed ? LinkStatus::Closed : LinkStatus::Connected;
    }
    void Close() override { wire_->closed = true; }

  private:
    std::shared_ptr<MemoryWire> wire_;
    int side_;
};

}  // namespace

std::pair<std::unique_ptr<Transport>, std::unique_ptr<Transport>> MakeMemoryPair() {
    auto wire = std::make_shared<MemoryWire>();
    return {std::make_unique<MemoryEnd>(wire, 0), std::make_unique<MemoryEnd>(wire, 1)};
}

FaultyTransport::FaultyTransport(std::unique_ptr<Transport> inner, const LinkFaults& faults)
    : inner_(std::move(inner)), faults_(faults) {
    rng_.Seed(faults.seed);
}

void FaultyTransport::Hold(std::deque<Held>& queue, std::int64_t& lastSessionDue, Datagram packet,
                           std::int64_t nowMs) {
    // Both numbers are drawn for every packet, so one fault setting does not shift the other's.
    const bool drop = rng_.Next(100) < faults_.dropPercent;
    const int jitter = faults_.jitterMs > 0 ? rng_.Next(faults_.jitterMs + 1) : 0;
    if (drop && packet.channel == Channel::Commands) return;
    // A long delay under a flood holds no more than this; the rest is lost as on a full link.
    if (queue.size() >= kMaxHeldPackets) return;
    std::int64_t due = nowMs + faults_.delayMs + jitter;
    if (packet.channel == Channel::Session) {
        due = std::max(due, lastSessionDue);
        lastSessionDue = due;
    }
    // Kept sorted by due time; equal times keep their order.
    auto at = std::upper_bound(queue.begin(), queue.end(), due,
                               [](std::int64_t d, const Held& h) { return d < h.dueMs; });
    queue.insert(at, Held{due, std::move(packet)});
}

void FaultyTransport::FlushOut(std::int64_t nowMs) {
    while (!out_.empty() && out_.front().dueMs <= nowMs) {
        inner_->Send(out_.front().packet.channel, out_.front().packet.bytes, nowMs);
        out_.pop_front();
    }
}

void FaultyTransport::Send(Channel channel, std::span<const std::uint8_t> bytes,
                           std::int64_t nowMs) {
    Hold(out_, lastOutSessionDue_, Datagram{channel, {bytes.begin(), bytes.end()}}, nowMs);
    FlushOut(nowMs);
}

bool FaultyTransport::Receive(std::int64_t nowMs, Datagram& out) {
    FlushOut(nowMs);
    Datagram packet;
    while (inner_->Receive(nowMs, packet)) Hold(in_, lastInSessionDue_, std::move(packet), nowMs);
    if (in_.empty() || in_.front().dueMs > nowMs) return false;
    out = std::move(in_.front().packet);
    in_.pop_front();
    return true;
}

}  // namespace net
