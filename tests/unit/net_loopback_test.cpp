// The network layer on real sockets, on 127.0.0.1 only, every loop bounded in count and time:
// a match through the relay with a late spectator, a spectator of a direct match, LAN discovery,
// and a flood that the relay survives within its bounds. (A direct match and a refused handshake
// over ENet are played by the end-to-end network test through the runner.)
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "lockstep_harness.h"
#include "net/discovery.h"
#include "net/enet_transport.h"
#include "net/handshake.h"
#include "net/relay_link.h"
#include "net/relay_server.h"
#include "net/room_code.h"
#include "net/watcher.h"

namespace net {
namespace {

constexpr const char* kLoopback = "127.0.0.1";

std::int64_t NowMs() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

void Nap() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Polls `done` with `pump` between, for at most `ms`; true when done.
template <typename Pump, typename Done>
bool Within(std::int64_t ms, Pump pump, Done done) {
    const std::int64_t until = NowMs() + ms;
    while (NowMs() < until) {
        pump();
        if (done()) return true;
        Nap();
    }
    return false;
}

HandshakeConfig Config(Role role, const std::string& version = "1.0.0",
                       const std::string& room = "", bool relay = false) {
    return HandshakeConfig{role, version, 0xAB, role == Role::Host ? "Host" : "Gast",
                           room, relay,   5000};
}

// Plays `ticks` ticks of the stand-in match on two lockstep sides, a spectator optionally
// joining at `watchFrom`; false when the time runs out.
struct LiveMatch {
    LiveMatch(Transport& h, Transport& g) : hostLink(h), guestLink(g) {}
    Transport& hostLink;
    Transport& guestLink;
    ToyMatch host, guest, watcher;
    std::uint32_t ticks = 150;

    bool Play(
        bool feedWatchers, Transport* watchLink = nullptr, std::uint32_t watchFrom = 0,
        std::function<void()> pump = [] {}) {
        LockstepConfig hc, gc;
        hc.feedWatchers = feedWatchers;
        gc.role = Role::Guest;
        LockstepHooks hh, gh;
        hh.stateHash = [this] { return host.state; };
        hh.takeSnapshot = [this] { return host.Snapshot(); };
        gh.stateHash = [this] { return guest.state; };
        const std::int64_t t0 = NowMs();
        Lockstep h(hostLink, hc, hh, t0), g(guestLink, gc, gh, t0);
        std::unique_ptr<Spectator> s;
        Random input;
        input.Seed(5);
        std::int64_t nextFrame = 0;
        auto cmd = [&input] {
            PlayerCommand c;
            for (auto& b : c.bytes) b = static_cast<std::uint8_t>(input.Next(256));
            return c;
        };
        return Within(
            20'000,
            [&] {
                pump();
                const std::int64_t now = NowMs();
                // Frames of 8 ms: quicker than the game's 15, within the relay's rate.
                if (now < nextFrame) return;
                nextFrame = now + 8;
                for (auto [engine, sim] : {std::pair{&h, &host}, std::pair{&g, &guest}}) {
                    const StepResult r = engine->Step(now, cmd());
                    if (r.status == StepStatus::Run && r.tick < ticks)
                        sim->Run(r.tick, r.host, r.guest);
                }
                if (watchLink && !s && host.ticks >= watchFrom) {
                    s = std::make_unique<Spectator>(
                        *watchLink,
                        SpectatorHooks{[this](auto b) { return watcher.Restore(b); }, {}}, now);
                    // The relay tells the host a spectator came; the test stands in for it here.
                }
                if (s) {
                    for (int n = 0; n < 8; ++n) {
                        const StepResult r = s->Step(now);
                        if (r.status != StepStatus::Run) break;
                        if (r.tick < ticks) watcher.Run(r.tick, r.host, r.guest);
                    }
                }
            },
            [&] {
                return host.ticks >= ticks && guest.ticks >= ticks &&
                       (!watchLink || watcher.ticks >= ticks);
            });
    }
};

TEST(Loopback, TheRelayPairsByRoomCodeAndALateSpectatorWatchesTheSameMatch) {
    std::string error;
    auto relay = RelayServer::Open(kLoopback, 0, RelayLimits{}, &error);
    ASSERT_TRUE(relay) << error;
    const auto port = relay->Port();
    auto pump = [&] { relay->Service(NowMs(), 0); };
    RelayLink hostLink(EnetTransport::Connect(kLoopback, port, &error), Role::Host);
    RelayLink guestLink(EnetTransport::Connect(kLoopback, port, &error), Role::Guest);
    Handshake hs(hostLink, Config(Role::Host, "1.0.0", "KXPW", true), NowMs());
    hs.SetStart(Start{7, 1, 3});
    ASSERT_TRUE(Within(3000, pump, [&] {
        hs.Poll(NowMs());
        return relay->Core().Rooms() == 1;
    }));
    Handshake gs(guestLink, Config(Role::Guest, "1.0.0", "KXPW", true), NowMs());
    ASSERT_TRUE(Within(5000, pump, [&] {
        const auto a = hs.Poll(NowMs()), b = gs.Poll(NowMs());
        return a == HandshakeStatus::Done && b == HandshakeStatus::Done;
    }));
    EXPECT_EQ(gs.PeerName(), "Host");

    // A spectator says hello at tick 60; the relay tells the host, which sends its state.
    auto watchEnd = EnetTransport::Connect(kLoopback, port, &error);
    RelayLink* watchRaw = nullptr;
    RelayLink watchLink(std::move(watchEnd), Role::Watcher);
    watchRaw = &watchLink;
    bool said = false;
    LiveMatch m(hostLink, guestLink);
    m.ticks = 240;
    const bool played = m.Play(true, watchRaw, 60, [&] {
        pump();
        if (!said && m.host.ticks >= 60 && watchLink.Status() == LinkStatus::Connected) {
            const auto hello =
                Encode(Hello{kProtocolVersion, "1.0.0", 0xAB, Role::Watcher, "Zu", "KXPW"});
            watchLink.Send(Channel::Session, hello, NowMs());
            said = true;
        }
    });
    ASSERT_TRUE(played) << "host " << m.host.ticks << " guest " << m.guest.ticks << " watcher "
                        << m.watcher.ticks;
    EXPECT_EQ(m.host.state, m.guest.state);
    EXPECT_EQ(m.watcher.state, m.host.state);
    EXPECT_EQ(relay->Core().Counters().droppedBad, 0u);
}

TEST(Loopback, ASpectatorWatchesADirectMatchAndOneOfAnotherVersionIsTurnedAway) {
    std::string error;
    auto listen = EnetTransport::Listen(kLoopback, 0, &error);
    ASSERT_TRUE(listen) << error;
    listen->AcceptWatchers("1.0.0", 0xAB);
    const auto port = listen->LocalPort();
    auto join = EnetTransport::Connect(kLoopback, port, &error);
    Handshake hs(*listen, Config(Role::Host), NowMs()), gs(*join, Config(Role::Guest), NowMs());
    hs.SetStart(Start{3, 1, 3});
    ASSERT_TRUE(Within(
        5000, [] {},
        [&] {
            const auto a = hs.Poll(NowMs()), b = gs.Poll(NowMs());
            return a == HandshakeStatus::Done && b == HandshakeStatus::Done;
        }));
    auto watch = EnetTransport::Connect(kLoopback, port, &error);
    auto stranger = EnetTransport::Connect(kLoopback, port, &error);
    bool said = false;
    Reason strangerHeard = Reason::None;
    LiveMatch m(*listen, *join);
    m.ticks = 240;
    const bool played = m.Play(true, watch.get(), 60, [&] {
        if (!said && m.host.ticks >= 60 && watch->Status() == LinkStatus::Connected &&
            stranger->Status() == LinkStatus::Connected) {
            watch->Send(Channel::Session,
                        Encode(Hello{kProtocolVersion, "1.0.0", 0xAB, Role::Watcher, "Zu", ""}),
                        NowMs());
            stranger->Send(Channel::Session,
                           Encode(Hello{kProtocolVersion, "0.9", 0xAB, Role::Watcher, "Alt", ""}),
                           NowMs());
            said = true;
        }
        Datagram d;
        Message msg;
        while (stranger->Receive(NowMs(), d)) {
            if (Decode(d.bytes, msg) == DecodeError::None && std::holds_alternative<Refuse>(msg))
                strangerHeard = std::get<Refuse>(msg).reason;
        }
    });
    ASSERT_TRUE(played) << "host " << m.host.ticks << " guest " << m.guest.ticks << " watcher "
                        << m.watcher.ticks;
    EXPECT_EQ(m.watcher.state, m.host.state);
    EXPECT_EQ(m.guest.state, m.host.state);
    EXPECT_EQ(strangerHeard, Reason::VersionMismatch);
}

TEST(Loopback, AProbeToLoopbackFindsTheWaitingHost) {
    std::string error;
    auto beacon = LanBeacon::Open(kLoopback, 0, &error);
    ASSERT_TRUE(beacon) << error;
    beacon->SetOffer(Offer{kProtocolVersion, 0, 27431, "Anna", 8, ""});
    auto probe = LanProbe::Open(&error);
    ASSERT_TRUE(probe) << error;
    ASSERT_TRUE(probe->Send(kLoopback, beacon->Port(), 77));
    ASSERT_TRUE(probe->Send(kLoopback, beacon->Port(), 78));  // an older round's answer is ignored
    std::vector<FoundHost> found;
    ASSERT_TRUE(Within(
        2000, [&] { beacon->Poll(); },
        [&] {
            for (auto& f : probe->Poll(78)) found.push_back(f);
            return !found.empty();
        }));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].address, kLoopback);
    EXPECT_EQ(found[0].offer.name, "Anna");
    EXPECT_EQ(found[0].offer.startLevel, 8);
    EXPECT_EQ(found[0].offer.port, 27431);
}

TEST(Loopback, TheRelaySurvivesAFloodWithinItsBoundsAndStillPairs) {
    RelayLimits limits;
    limits.maxRooms = 4;
    limits.maxPeers = 16;
    limits.peersPerAddress = 24;
    std::string error;
    auto relay = RelayServer::Open(kLoopback, 0, limits, &error);
    ASSERT_TRUE(relay) << error;
    const auto port = relay->Port();
    auto pump = [&] { relay->Service(NowMs(), 0); };
    // Twenty connections, each a different kind of trouble, 300 packets each.
    std::vector<std::unique_ptr<EnetTransport>> floods;
    for (int i = 0; i < 20; ++i) floods.push_back(EnetTransport::Connect(kLoopback, port, &error));
    Within(3000, pump, [&] {
        int up = 0;
        for (auto& f : floods) {
            Datagram d;
            while (f->Receive(NowMs(), d)) {
            }
            up += f->Status() == LinkStatus::Connected;
        }
        return up >= 16;
    });
    Random rng;
    rng.Seed(9);
    std::size_t maxRooms = 0, maxPeers = 0;
    for (int round = 0; round < 300; ++round) {
        for (std::size_t i = 0; i < floods.size(); ++i) {
            std::vector<std::uint8_t> bytes;
            switch (i % 5) {
                case 0:
                    bytes.resize(1 + rng.Next(kMaxPacketBytes));
                    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng.Next(256));
                    break;
                case 1:
                    bytes = Encode(Hello{kProtocolVersion, "1", 0, Role::Host, "f",
                                         RoomCodeFor(static_cast<std::uint64_t>(round * 31 + i))});
                    break;
                case 2:
                    bytes = Encode(Hello{kProtocolVersion, "1", 0, Role::Watcher, "f", "ABCD"});
                    break;
                case 3:
                    bytes = Encode(Commands{0, std::vector<PlayerCommand>(64), 0});
                    break;
                default:
                    bytes = Encode(Relayed{Role::Host, 0, Encode(Bye{Reason::Quit})});
                    break;
            }
            floods[i]->Send(i % 2 ? Channel::Commands : Channel::Session, bytes, NowMs());
        }
        pump();
        for (auto& f : floods) {
            Datagram d;
            for (int n = 0; n < 64 && f->Receive(NowMs(), d); ++n) {
            }
        }
        maxRooms = std::max(maxRooms, relay->Core().Rooms());
        maxPeers = std::max(maxPeers, relay->Core().Peers());
        EXPECT_EQ(relay->Core().PendingActions(), 0u);
    }
    EXPECT_LE(maxRooms, 4u);
    EXPECT_LE(maxPeers, 16u);
    floods.clear();
    Within(1500, pump, [&] { return relay->Core().Peers() == 0; });

    // Afterwards a real pair still meets.
    RelayLink hostLink(EnetTransport::Connect(kLoopback, port, &error), Role::Host);
    RelayLink guestLink(EnetTransport::Connect(kLoopback, port, &error), Role::Guest);
    Handshake hs(hostLink, Config(Role::Host, "1.0.0", "WXYZ", true), NowMs());
    Handshake gs(guestLink, Config(Role::Guest, "1.0.0", "WXYZ", true), NowMs());
    hs.SetStart(Start{1, 1, 3});
    ASSERT_TRUE(Within(3000, pump, [&] {
        hs.Poll(NowMs());
        return relay->Core().Rooms() >= 1;
    }));
    EXPECT_TRUE(Within(5000, pump, [&] {
        const auto a = hs.Poll(NowMs()), b = gs.Poll(NowMs());
        return a == HandshakeStatus::Done && b == HandshakeStatus::Done;
    }));
}

}  // namespace
}  // namespace net
