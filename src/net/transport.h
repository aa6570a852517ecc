// One connection to the other machine, as the lockstep session sees it: packets on two channels,
// sent and received with the time passed in. Implementations: ENet over UDP (enet_transport.h),
// an in-memory pair for tests, and a wrapper that drops, delays and jitters packets.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "core/random.h"

namespace net {

enum class Channel : std::uint8_t {
    Session = 0,   // reliable and ordered: handshake, start, hashes, snapshots, delay, bye
    Commands = 1,  // unreliable, in any order: the commands, which repeat themselves
};
inline constexpr int kChannelCount = 2;

struct Datagram {
    Channel channel = Channel::Session;
    std::vector<std::uint8_t> bytes;
};

enum class LinkStatus { Connecting, Connected, Closed };

// What went over the wire, headers of the transport and of UDP/IPv4 included (28 bytes a
// datagram), for the figures a player or a test reads; zero where there is no wire.
struct WireCounters {
    std::uint64_t bytesSent = 0, bytesReceived = 0;
    std::uint64_t datagramsSent = 0, datagramsReceived = 0;
};

class Transport {
  public:
    virtual ~Transport() = default;
    virtual void Send(Channel channel, std::span<const std::uint8_t> bytes, std::int64_t nowMs) = 0;
    // The next packet that has arrived by nowMs; false when there is none.
    virtual bool Receive(std::int64_t nowMs, Datagram& out) = 0;
    virtual LinkStatus Status() const = 0;
    // Ends the connection; the other side sees Closed.
    virtual void Close() = 0;
    virtual WireCounters Wire() const { return {}; }
};

// Two ends that hand each other their packets at once, in order, nothing lost.
std::pair<std::unique_ptr<Transport>, std::unique_ptr<Transport>> MakeMemoryPair();

// A bad link, on both directions of the connection it wraps: commands are dropped with the given
// chance, every packet is held for delay + a jitter of 0..jitter ms. The session channel is never
// dropped and keeps its order, as ENet's reliable channel would.
struct LinkFaults {
    int dropPercent = 0;
    int delayMs = 0;
    int jitterMs = 0;
    std::uint64_t seed = 1;
    bool Any() const { return dropPercent > 0 || delayMs > 0 || jitterMs > 0; }
};

class FaultyTransport final : public Transport {
  public:
    FaultyTransport(std::unique_ptr<Transport> inner, const LinkFaults& faults);
    void Send(Channel channel, std::span<const std::uint8_t> bytes, std::int64_t nowMs) override;
    bool Receive(std::int64_t nowMs, Datagram& out) override;
    LinkStatus Status() const override { return inner_->Status(); }
    void Close() override { inner_->Close(); }
    WireCounters Wire() const override { return inner_->Wire(); }
    // Sends what is due by nowMs; Send and Receive do so too, so a side that calls neither for a
    // while calls this.
    void Flush(std::int64_t nowMs) { FlushOut(nowMs); }

  private:
    struct Held {
        std::int64_t dueMs;
        Datagram packet;
    };
    // Queues a packet under the faults; false when it is dropped.
    void Hold(std::deque<Held>& queue, std::int64_t& lastSessionDue, Datagram packet,
              std::int64_t nowMs);
    void FlushOut(std::int64_t nowMs);

    std::unique_ptr<Transport> inner_;
    LinkFaults faults_;
    Random rng_;
    std::deque<Held> out_, in_;
    std::int64_t lastOutSessionDue_ = 0, lastInSessionDue_ = 0;
};

}  // namespace net
