// The network layer on real sockets, on loopback only (127.0.0.x), every loop bounded in count
// and time: a match through the relay with a late spectator, a spectator of a direct match, LAN
// discovery, floods of silent peers and bare connects that keep no real player out of a direct
// host or the relay. (A direct match and a guest of another version refused over ENet are played
// by the end-to-end network test through the runner; the relay's bounds against any packets are
// the relay core's tests and fuzz target.)
#include <enet/enet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "lockstep_harness.h"
#include "net/discovery.h"
#include "net/enet_transport.h"
#include "net/handshake.h"
#include "net/relay_link.h"
#include "net/relay_server.h"
#include "net/watcher.h"

namespace net {
namespace {

constexpr const char* kLoopback = "127.0.0.1";

// Another loopback address, 127.0.0.n, for a stranger.
std::string Local(int n) {
    return "127.0.0." + std::to_string(n);
}

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
// What a test needs it waits for up to 30 s: a busy machine only makes it slower.
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

// Polls both sides of a handshake, `pump` between, until both are done; false after 30 s.
template <typename Pump>
bool BothDone(Handshake& a, Handshake& b, Pump pump) {
    return Within(30'000, pump, [&] {
        const auto x = a.Poll(NowMs()), y = b.Poll(NowMs());
        return x == HandshakeStatus::Done && y == HandshakeStatus::Done;
    });
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
            WireCommand c;
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
    Handshake hs(hostLink, Config(Role::Host, "1.0.0", "KXPWMN", true), NowMs());
    hs.SetStart(Start{7, 1, 3});
    ASSERT_TRUE(Within(30'000, pump, [&] {
        hs.Poll(NowMs());
        return relay->Core().Rooms() == 1;
    }));
    Handshake gs(guestLink, Config(Role::Guest, "1.0.0", "KXPWMN", true), NowMs());
    ASSERT_TRUE(BothDone(hs, gs, pump));
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
                Encode(Hello{kProtocolVersion, "1.0.0", 0xAB, Role::Watcher, "Zu", "KXPWMN"});
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
    ASSERT_TRUE(BothDone(hs, gs, [] {}));
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
        30'000, [&] { beacon->Poll(); },
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

// Strangers from one loopback address: ENet clients that connect and then never say a word, or
// with `bare` only their connect datagrams, never answering what comes back.
struct Crowd {
    ENetHost* host = nullptr;
    bool bare = false;
    Crowd(int from, std::uint16_t port, int peers, bool bareConnects) : bare(bareConnects) {
        ENetAddress local{}, to{};
        enet_address_set_host(&local, Local(from).c_str());
        enet_address_set_host(&to, kLoopback);
        to.port = port;
        host = enet_host_create(&local, static_cast<std::size_t>(peers), kChannelCount, 0, 0);
        if (!host) return;
        for (int i = 0; i < peers; ++i) enet_host_connect(host, &to, kChannelCount, 0);
        enet_host_flush(host);
    }
    ~Crowd() {
        if (host) enet_host_destroy(host);  // goes without a word, as a stranger would
    }
    // A silent peer keeps ENet's connection alive (acknowledges, answers pings).
    void Pump() {
        ENetEvent e;
        while (!bare && host && enet_host_service(host, &e, 0) > 0) {
            if (e.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(e.packet);
        }
    }
};

std::vector<std::unique_ptr<Crowd>> Flood(int firstAddress, int addresses, int each,
                                          std::uint16_t port, bool bare) {
    std::vector<std::unique_ptr<Crowd>> crowds;
    for (int a = 0; a < addresses; ++a)
        crowds.push_back(std::make_unique<Crowd>(firstAddress + a, port, each, bare));
    return crowds;
}

struct FloodCase {
    const char* what;
    bool relay;
    bool bare;
};
class LoopbackFlood : public ::testing::TestWithParam<FloodCase> {};

// 320 strangers from 40 addresses, and as many again from 40 more just as the real players
// come: the guest and a spectator (from 127.0.0.1) still get in, and the strangers' places are
// free again after the hello timeout. Prints what the flood cost and how long it held.
TEST_P(LoopbackFlood, KeepsNoRealPlayerOutAndLetsTheStrangersGo) {
    const bool viaRelay = GetParam().relay;
    std::string error;
    std::unique_ptr<RelayServer> relay;
    std::unique_ptr<EnetTransport> listen;
    std::uint16_t port = 0;
    if (viaRelay) {
        relay = RelayServer::Open(kLoopback, 0, RelayLimits{}, &error);
        ASSERT_TRUE(relay) << error;
        port = relay->Port();
    } else {
        listen = EnetTransport::Listen(kLoopback, 0, &error);
        ASSERT_TRUE(listen) << error;
        listen->AcceptWatchers("1.0.0", 0xAB);
        port = listen->LocalPort();
    }
    const SlotCounters& slots = viaRelay ? relay->Slots() : *listen->Slots();
    std::unique_ptr<Transport> hostLink;
    if (viaRelay)
        hostLink = std::make_unique<RelayLink>(EnetTransport::Connect(kLoopback, port, &error),
                                               Role::Host);
    Transport& hostSide = viaRelay ? *hostLink : *listen;
    Handshake hs(hostSide, Config(Role::Host, "1.0.0", viaRelay ? "KXPWMN" : "", viaRelay),
                 NowMs());
    hs.SetStart(Start{7, 1, 3});
    std::vector<std::unique_ptr<Crowd>> crowds;
    auto pump = [&] {
        if (relay) relay->Service(NowMs(), 0);
        hs.Poll(NowMs());
        for (auto& c : crowds) c->Pump();
    };
    if (viaRelay) {
        ASSERT_TRUE(Within(30'000, pump, [&] { return relay->Core().Rooms() == 1; }));
    }

    crowds = Flood(2, 40, 8, port, GetParam().bare);
    ASSERT_TRUE(Within(30'000, pump, [&] { return slots.connects >= 320; }));
    auto more = Flood(42, 40, 8, port, GetParam().bare);
    for (auto& c : more) crowds.push_back(std::move(c));
    const std::int64_t realFrom = NowMs();
    std::unique_ptr<Transport> guestLink, watchLink;
    auto guestEnd = EnetTransport::Connect(kLoopback, port, &error);
    auto watchEnd = EnetTransport::Connect(kLoopback, port, &error);
    if (viaRelay) {
        guestLink = std::make_unique<RelayLink>(std::move(guestEnd), Role::Guest);
        watchLink = std::make_unique<RelayLink>(std::move(watchEnd), Role::Watcher);
    } else {
        guestLink = std::move(guestEnd);
        watchLink = std::move(watchEnd);
    }
    Handshake gs(*guestLink, Config(Role::Guest, "1.0.0", viaRelay ? "KXPWMN" : "", viaRelay),
                 NowMs());
    bool watchSaid = false, watchWelcome = false;
    ASSERT_TRUE(Within(
        30'000, pump,
        [&] {
            if (!watchSaid && watchLink->Status() == LinkStatus::Connected) {
                watchLink->Send(Channel::Session,
                                Encode(Hello{kProtocolVersion, "1.0.0", 0xAB, Role::Watcher, "Zu",
                                             viaRelay ? "KXPWMN" : ""}),
                                NowMs());
                watchSaid = true;
            }
            Datagram d;
            Message m;
            while (watchLink->Receive(NowMs(), d)) {
                if (Decode(d.bytes, m) == DecodeError::None && std::holds_alternative<Welcome>(m))
                    watchWelcome = true;
            }
            return gs.Poll(NowMs()) == HandshakeStatus::Done && watchWelcome;
        }))
        << "guest " << static_cast<int>(gs.Poll(NowMs())) << " spectator " << watchWelcome;
    const std::int64_t realIn = NowMs() - realFrom;
    EXPECT_EQ(hs.Poll(NowMs()), HandshakeStatus::Done);

    // The strangers stop (a silent one no longer even answers ENet's pings) and their places
    // come free: none said its hello within the timeout.
    const std::int64_t freeFrom = NowMs();
    auto serve = [&] {
        if (relay) relay->Service(NowMs(), 0);
        Datagram d;
        if (listen) {
            while (listen->Receive(NowMs(), d)) {
            }
        }
    };
    auto strangersGone = [&] {
        if (viaRelay) return relay->Core().Peers() == 3 && relay->PendingPeers() == 0;
        return listen->PendingPeers() == 0;
    };
    EXPECT_TRUE(Within(30'000, serve, strangersGone));
    std::uint64_t strangersSent = 0;
    for (auto& c : crowds) strangersSent += c->host->totalSentData;
    std::printf(
        "[ figures ] %s: real guest and spectator in after %lld ms; strangers' places free "
        "%lld ms later; the strangers sent %llu bytes; connects %llu, refused by rate %llu, by "
        "address %llu, made room %llu, timed out %llu\n",
        GetParam().what, static_cast<long long>(realIn), static_cast<long long>(NowMs() - freeFrom),
        static_cast<unsigned long long>(strangersSent),
        static_cast<unsigned long long>(slots.connects),
        static_cast<unsigned long long>(slots.refusedRate),
        static_cast<unsigned long long>(slots.refusedAddress),
        static_cast<unsigned long long>(slots.evicted),
        static_cast<unsigned long long>(slots.timedOut));
}

INSTANTIATE_TEST_SUITE_P(Loopback, LoopbackFlood,
                         ::testing::Values(FloodCase{"host_silent_peers", false, false},
                                           FloodCase{"host_bare_connects", false, true},
                                           FloodCase{"relay_silent_peers", true, false},
                                           FloodCase{"relay_bare_connects", true, true}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace net
