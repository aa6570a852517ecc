// The relay's rooms without sockets: pairing by room code, the stamp on every forwarded packet,
// spectators, and every bound (rooms, peers, size, rate, idle rooms, silent peers).
#include <gtest/gtest.h>

#include "net/relay_core.h"

namespace net {
namespace {

std::vector<std::uint8_t> Bytes(const Message& m) {
    return Encode(m);
}

Hello HelloAs(Role role, const std::string& room, const std::string& version = "1.0.0") {
    return Hello{kProtocolVersion, version, 0xAB, role, "x", room};
}

// The relay, and what each peer got from it.
struct Relay {
    RelayCore core;
    std::map<PeerId, std::vector<Message>> got;
    std::set<PeerId> dropped;

    explicit Relay(const RelayLimits& limits = RelayLimits{}) : core(limits) {}

    void Carry() {
        for (auto& a : core.TakeActions()) {
            if (a.kind == RelayAction::Kind::Disconnect) {
                dropped.insert(a.peer);
                continue;
            }
            Message m;
            ASSERT_EQ(Decode(a.bytes, m), DecodeError::None);
            got[a.peer].push_back(m);
        }
    }
    void Join(PeerId id, const Hello& hello, std::int64_t now = 0) {
        ASSERT_TRUE(core.Connect(id, now));
        Send(id, hello, now);
    }
    void Send(PeerId id, const Message& m, std::int64_t now = 0) {
        core.Receive(id, Channel::Session, Bytes(m), now);
        Carry();
    }
    // The last message the peer got, unwrapped when it was forwarded; the sender in `from`.
    template <typename T>
    std::optional<T> Last(PeerId id, Role* from = nullptr) {
        if (got[id].empty()) return std::nullopt;
        Message m = got[id].back();
        if (auto* r = std::get_if<Relayed>(&m)) {
            if (from) *from = r->from;
            Message inner;
            if (Decode(r->inner, inner) != DecodeError::None) return std::nullopt;
            m = inner;
        }
        if (auto* t = std::get_if<T>(&m)) return *t;
        return std::nullopt;
    }
};

constexpr PeerId kHost = 1, kGuest = 2;

TEST(Relay, PairsHostAndGuestByRoomCodeAndStampsTheSender) {
    Relay r;
    r.Join(kHost, HelloAs(Role::Host, "KXPW"));
    ASSERT_TRUE(r.Last<Welcome>(kHost));
    r.Join(kGuest, HelloAs(Role::Guest, "KXPW"));
    Role from{};
    ASSERT_TRUE(r.Last<Hello>(kHost, &from));  // the host answers the guest itself
    EXPECT_EQ(from, Role::Guest);
    r.Send(kGuest, Commands{0, {PlayerCommand{}}, 0});
    ASSERT_TRUE(r.Last<Commands>(kHost, &from));
    EXPECT_EQ(from, Role::Guest);
    r.Send(kHost, Start{5, 8, 3});
    ASSERT_TRUE(r.Last<Start>(kGuest, &from));
    EXPECT_EQ(from, Role::Host);
    EXPECT_EQ(r.core.Rooms(), 1u);
}

TEST(Relay, AGuestCannotSpeakAsTheHostNorAsTheRelay) {
    Relay r;
    r.Join(kHost, HelloAs(Role::Host, "KXPW"));
    r.Join(kGuest, HelloAs(Role::Guest, "KXPW"));
    const std::size_t before = r.got[kHost].size();
    // A packet made to look forwarded from the host, and words only the relay says.
    std::vector<std::uint8_t> inner = Bytes(Start{1, 1, 3});
    r.Send(kGuest, Relayed{Role::Host, 0, inner});
    r.Send(kGuest, PeerJoined{Role::Watcher, 1});
    r.Send(kGuest, HelloAs(Role::Host, "KXPW"));
    EXPECT_EQ(r.got[kHost].size(), before);
    // Whatever it sends reaches the host stamped as the guest's.
    r.Send(kGuest, Bye{Reason::Quit});
    Role from{};
    ASSERT_TRUE(r.Last<Bye>(kHost, &from));
    EXPECT_EQ(from, Role::Guest);
    EXPECT_GE(r.core.Counters().droppedBad, 3u);
}

struct RefusalCase {
    const char* what;
    std::vector<Hello> before;  // from peers 10, 11, ...
    Hello hello;
    Reason reason;
};
class RelayRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RelayRefusal, TellsThePeerWhyAndDropsIt) {
    Relay r;
    PeerId id = 10;
    for (const Hello& h : GetParam().before) r.Join(id++, h);
    const PeerId last = 99;
    r.Join(last, GetParam().hello);
    const auto refuse = r.Last<Refuse>(last);
    ASSERT_TRUE(refuse) << GetParam().what;
    EXPECT_EQ(refuse->reason, GetParam().reason);
    EXPECT_TRUE(r.dropped.count(last));
}

std::vector<Hello> HostAndWatchers(int watchers) {
    std::vector<Hello> v{HelloAs(Role::Host, "ABCD")};
    for (int i = 0; i < watchers; ++i) v.push_back(HelloAs(Role::Watcher, "ABCD"));
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Relay, RelayRefusal,
    ::testing::Values(
        RefusalCase{"unknown_code", {}, HelloAs(Role::Guest, "ABCD"), Reason::BadCode},
        RefusalCase{"no_code", {}, HelloAs(Role::Host, ""), Reason::BadCode},
        RefusalCase{"code_in_use",
                    {HelloAs(Role::Host, "ABCD")},
                    HelloAs(Role::Host, "ABCD"),
                    Reason::RoomFull},
        RefusalCase{"second_guest",
                    {HelloAs(Role::Host, "ABCD"), HelloAs(Role::Guest, "ABCD")},
                    HelloAs(Role::Guest, "ABCD"),
                    Reason::RoomFull},
        RefusalCase{"ninth_watcher", HostAndWatchers(8), HelloAs(Role::Watcher, "ABCD"),
                    Reason::RoomFull},
        RefusalCase{"watcher_of_another_version", HostAndWatchers(0),
                    HelloAs(Role::Watcher, "ABCD", "0.9"), Reason::VersionMismatch},
        RefusalCase{"other_protocol",
                    {},
                    Hello{9, "1.0.0", 0, Role::Host, "", "ABCD"},
                    Reason::VersionMismatch}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Relay, APeerThatDoesNotStartWithItsHelloIsDropped) {
    Relay r;
    ASSERT_TRUE(r.core.Connect(5, 0));
    r.Send(5, Commands{});
    EXPECT_EQ(r.Last<Refuse>(5)->reason, Reason::ProtocolError);
    EXPECT_TRUE(r.dropped.count(5));
    EXPECT_EQ(r.core.Peers(), 0u);
}

TEST(Relay, SpectatorsGetTheTicksAndSnapshotsButNotTheCommandsAndSayNothing) {
    Relay r;
    r.Join(kHost, HelloAs(Role::Host, "ABCD"));
    r.Join(kGuest, HelloAs(Role::Guest, "ABCD"));
    r.Join(3, HelloAs(Role::Watcher, "ABCD"));
    EXPECT_EQ(r.Last<Welcome>(3)->role, Role::Watcher);
    EXPECT_EQ(r.Last<PeerJoined>(kHost)->slot, 1);
    r.Send(kHost, Ticks{0, {TickPair{}}});
    EXPECT_TRUE(r.Last<Ticks>(3));
    EXPECT_FALSE(r.Last<Ticks>(kGuest));
    r.Send(kHost, Commands{0, {PlayerCommand{}}, 0});
    EXPECT_TRUE(r.Last<Commands>(kGuest));
    EXPECT_FALSE(r.Last<Commands>(3));
    r.Send(kHost, SnapshotChunk{0, 0, 1, 0, {7}});
    EXPECT_TRUE(r.Last<SnapshotChunk>(3));
    const std::size_t hostHad = r.got[kHost].size(), guestHad = r.got[kGuest].size();
    r.Send(3, Commands{0, {PlayerCommand{}}, 0});
    r.Send(3, StateHash{60, 0, 1});
    EXPECT_EQ(r.got[kHost].size(), hostHad);
    EXPECT_EQ(r.got[kGuest].size(), guestHad);
}

TEST(Relay, DropsOversizedPacketsAndWhatGoesBeyondTheRate) {
    RelayLimits limits;
    limits.packetsPerSecond = 50;
    Relay r(limits);
    r.Join(kHost, HelloAs(Role::Host, "ABCD"));
    r.Join(kGuest, HelloAs(Role::Guest, "ABCD"), 0);
    std::vector<std::uint8_t> big(kMaxClientPacketBytes + 1, 0);
    r.core.Receive(kGuest, Channel::Commands, big, 0);
    EXPECT_EQ(r.core.Counters().droppedTooBig, 1u);
    r.got[kHost].clear();
    for (int i = 0; i < 100; ++i) {
        r.core.Receive(kGuest, Channel::Commands, Bytes(Ping{static_cast<std::uint32_t>(i)}), 10);
        r.Carry();
    }
    // The hello, the big packet and 48 pings fit into the first second.
    EXPECT_EQ(r.got[kHost].size(), 48u);
    r.core.Receive(kGuest, Channel::Commands, Bytes(Ping{1000}), 1000);
    r.Carry();
    EXPECT_EQ(r.got[kHost].size(), 49u);
    EXPECT_EQ(r.core.Counters().droppedRate, 52u);
    EXPECT_FALSE(r.dropped.count(kGuest));
    // Beyond the rate on the ordered channel the peer is let go.
    for (int i = 0; i < 60; ++i) r.Send(kGuest, StateHash{60, 0, 1}, 1500);
    EXPECT_TRUE(r.dropped.count(kGuest));
    EXPECT_EQ(r.Last<PeerLeft>(kHost)->role, Role::Guest);
}

TEST(Relay, KeepsToItsNumberOfRoomsAndPeers) {
    RelayLimits limits;
    limits.maxRooms = 3;
    limits.maxPeers = 5;
    Relay r(limits);
    const char* codes[] = {"AAAA", "BBBB", "CCCC", "DDDD"};
    for (PeerId id = 1; id <= 4; ++id) r.Join(id, HelloAs(Role::Host, codes[id - 1]));
    EXPECT_EQ(r.core.Rooms(), 3u);
    EXPECT_EQ(r.Last<Refuse>(4)->reason, Reason::RoomFull);
    EXPECT_TRUE(r.core.Connect(5, 0));
    EXPECT_TRUE(r.core.Connect(6, 0));
    EXPECT_FALSE(r.core.Connect(7, 0));
    EXPECT_EQ(r.core.Peers(), 5u);
}

TEST(Relay, ClosesARoomAfterAMinuteWithoutAPacketAndDropsSilentPeers) {
    Relay r;
    r.Join(kHost, HelloAs(Role::Host, "ABCD"), 0);
    r.Join(kGuest, HelloAs(Role::Guest, "ABCD"), 1000);
    ASSERT_TRUE(r.core.Connect(7, 1000));  // never says who it is
    r.core.Tick(60'999);
    r.Carry();
    EXPECT_EQ(r.core.Rooms(), 1u);
    EXPECT_TRUE(r.dropped.count(7));
    r.core.Tick(61'000);
    r.Carry();
    EXPECT_EQ(r.core.Rooms(), 0u);
    EXPECT_EQ(r.Last<Bye>(kHost)->reason, Reason::Timeout);
    EXPECT_EQ(r.Last<Bye>(kGuest)->reason, Reason::Timeout);
    EXPECT_EQ(r.core.Peers(), 0u);
}

TEST(Relay, WhenTheHostLeavesTheRoomCloses) {
    Relay r;
    r.Join(kHost, HelloAs(Role::Host, "ABCD"));
    r.Join(kGuest, HelloAs(Role::Guest, "ABCD"));
    r.core.Disconnect(kHost, 5);
    r.Carry();
    EXPECT_EQ(r.core.Rooms(), 0u);
    EXPECT_TRUE(r.dropped.count(kGuest));
    // The same code can be opened again.
    r.Join(9, HelloAs(Role::Host, "ABCD"));
    EXPECT_TRUE(r.Last<Welcome>(9));
}

}  // namespace
}  // namespace net
