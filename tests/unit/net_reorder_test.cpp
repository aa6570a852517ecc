// Commands over real ENet through a forwarder on 127.0.0.1 that holds every datagram for a
// different time, so they arrive out of order but none is lost: every command packet must reach
// the other side, however late it comes behind a newer one.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

#include "core/random.h"
#include "net/enet_transport.h"
#include "net/protocol.h"

namespace net {
namespace {

std::int64_t NowMs() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

// A UDP forwarder between one client and one server, both on 127.0.0.1: each datagram is held
// for 5 + 0..60 ms, drawn anew for each, and then sent on.
class ShufflingForwarder {
  public:
    explicit ShufflingForwarder(std::uint16_t serverPort) {
        fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        server_.sin_family = AF_INET;
        server_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        server_.sin_port = htons(serverPort);
        rng_.Seed(17);
    }
    ~ShufflingForwarder() { close(fd_); }
    std::uint16_t Port() const { return port_; }
    int Reordered() const { return reordered_; }
    bool Idle() const { return held_.empty(); }

    void Pump(std::int64_t nowMs) {
        std::uint8_t buf[2048];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        for (int n = 0; n < 256; ++n) {
            const ssize_t got =
                recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (got <= 0) break;
            const bool fromServer = from.sin_port == server_.sin_port;
            if (!fromServer) client_ = from;
            held_.push_back(
                Held{nowMs + 5 + rng_.Next(61), sequence_++, fromServer, {buf, buf + got}});
        }
        std::stable_sort(held_.begin(), held_.end(),
                         [](const Held& a, const Held& b) { return a.dueMs < b.dueMs; });
        while (!held_.empty() && held_.front().dueMs <= nowMs) {
            const Held& h = held_.front();
            std::uint64_t& last = h.fromServer ? lastToClient_ : lastToServer_;
            if (h.sequence < last) ++reordered_;
            last = std::max(last, h.sequence);
            const sockaddr_in& to = h.fromServer ? client_ : server_;
            sendto(fd_, h.bytes.data(), h.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                   sizeof to);
            held_.erase(held_.begin());
        }
    }

  private:
    struct Held {
        std::int64_t dueMs;
        std::uint64_t sequence;
        bool fromServer;
        std::vector<std::uint8_t> bytes;
    };
    int fd_ = -1;
    std::uint16_t port_ = 0;
    sockaddr_in server_{}, client_{};
    Random rng_;
    std::vector<Held> held_;
    std::uint64_t sequence_ = 0, lastToClient_ = 0, lastToServer_ = 0;
    int reordered_ = 0;
};

// Pumps everything until `done` or `ms` pass; true when done.
// What a test needs it waits for up to 30 s: a busy machine only makes it slower.
template <typename Pump, typename Done>
bool Within(std::int64_t ms, Pump pump, Done done) {
    for (const std::int64_t until = NowMs() + ms; NowMs() < until;) {
        pump();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

TEST(Reorder, EveryCommandPacketArrivesHoweverLateItComes) {
    std::string error;
    auto host = EnetTransport::Listen("127.0.0.1", 0, &error);
    ASSERT_TRUE(host) << error;
    ShufflingForwarder wire(host->LocalPort());
    auto guest = EnetTransport::Connect("127.0.0.1", wire.Port(), &error);
    ASSERT_TRUE(guest) << error;

    std::set<std::uint32_t> atHost, atGuest;
    auto pump = [&] {
        const std::int64_t now = NowMs();
        wire.Pump(now);
        Datagram d;
        Message m;
        for (auto [side, seen] :
             {std::pair{host.get(), &atHost}, std::pair{guest.get(), &atGuest}}) {
            while (side->Receive(now, d)) {
                if (d.channel != Channel::Commands || Decode(d.bytes, m) != DecodeError::None)
                    continue;
                if (auto* c = std::get_if<Commands>(&m)) seen->insert(c->firstTick);
            }
        }
    };
    ASSERT_TRUE(Within(30'000, pump, [&] { return guest->Status() == LinkStatus::Connected; }));
    // The host takes the guest for the other player at its hello.
    guest->Send(Channel::Session,
                Encode(Hello{kProtocolVersion, "1.0.0", 1, Role::Guest, "Gast", ""}), NowMs());
    ASSERT_TRUE(Within(30'000, pump, [&] { return host->Status() == LinkStatus::Connected; }));
    ASSERT_TRUE(Within(30'000, pump, [&] {
        host->Send(Channel::Commands, Encode(Commands{0, {}, 0}), NowMs());
        return !atGuest.empty();
    }));

    // One packet each way a millisecond or so, each naming its number in firstTick.
    constexpr std::uint32_t kPackets = 400;
    WireCommand c;
    for (std::uint32_t i = 1; i <= kPackets; ++i) {
        c.bytes[0] = static_cast<std::uint8_t>(i);
        host->Send(Channel::Commands, Encode(Commands{i, {c}, i}), NowMs());
        guest->Send(Channel::Commands, Encode(Commands{i, {c, c}, i}), NowMs());
        pump();
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    // The priming packets (number 0) may still come in late; they are not counted.
    auto numbered = [](const std::set<std::uint32_t>& s) { return s.size() - s.count(0); };
    Within(5000, pump, [&] {
        return wire.Idle() && numbered(atGuest) >= kPackets && numbered(atHost) >= kPackets;
    });
    EXPECT_GT(wire.Reordered(), 50) << "the forwarder did not shuffle the datagrams";
    EXPECT_EQ(numbered(atGuest), kPackets) << "the guest lost packets that came late";
    EXPECT_EQ(numbered(atHost), kPackets) << "the host lost packets that came late";
}

}  // namespace
}  // namespace net
