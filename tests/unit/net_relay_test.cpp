// The relay's rooms without sockets: pairing by room code, the stamp on every forwarded packet,
// spectators, and every bound (rooms, peers, size, rate, idle rooms, silent peers, peers and
// rooms of one address, wrong room codes).
#include <gtest/gtest.h>

#include "net/relay_core.h"
#include "net/room_code.h"

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
            if (a.kind != RelayAction::Kind::Send) {
                dropped.insert(a.peer);
                continue;
            }
            Message m;
            ASSERT_EQ(Decode(a.bytes, m), DecodeError::None);
            got[a.peer].push_back(m);
        }
    }
    // A peer connects from `from` (its own address when 0) and says its hello.
    void Join(PeerId id, const Hello& hello, std::int64_t now = 0, AddressKey from = 0) {
        ASSERT_TRUE(core.Connect(id, from ? from : id, now));
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
    r.Join(kHost, HelloAs(Role::Host, "KXPWMN"));
    ASSERT_TRUE(r.Last<Welcome>(kHost));
    r.Join(kGuest, HelloAs(Role::Guest, "KXPWMN"));
    Role from{};
    ASSERT_TRUE(r.Last<Hello>(kHost, &from));  // the host answers the guest itself
    EXPECT_EQ(from, Role::Guest);
    r.Send(kGuest, Commands{0, {WireCommand{}}, 0});
    ASSERT_TRUE(r.Last<Commands>(kHost, &from));
    EXPECT_EQ(from, Role::Guest);
    r.Send(kHost, Start{5, 8, 3});
    ASSERT_TRUE(r.Last<Start>(kGuest, &from));
    EXPECT_EQ(from, Role::Host);
    EXPECT_EQ(r.core.Rooms(), 1u);
}

TEST(Relay, AGuestCannotSpeakAsTheHostNorAsTheRelay) {
    Relay r;
    r.Join(kHost, HelloAs(Role::Host, "KXPWMN"));
    r.Join(kGuest, HelloAs(Role::Guest, "KXPWMN"));
    const std::size_t before = r.got[kHost].size();
    // A packet made to look forwarded from the host, and words only the relay says.
    std::vector<std::uint8_t> inner = Bytes(Start{1, 1, 3});
    r.Send(kGuest, Relayed{Role::Host, 0, inner});
    r.Send(kGuest, PeerJoined{Role::Watcher, 1});
    r.Send(kGuest, HelloAs(Role::Host, "KXPWMN"));
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
    std::vector<Hello> v{HelloAs(Role::Host, "ABCDEF")};
    for (int i = 0; i < watchers; ++i) v.push_back(HelloAs(Role::Watcher, "ABCDEF"));
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Relay, RelayRefusal,
    ::testing::Values(
        RefusalCase{"unknown_code", {}, HelloAs(Role::Guest, "ABCDEF"), Reason::BadCode},
        RefusalCase{"no_code", {}, HelloAs(Role::Host, ""), Reason::BadCode},
        RefusalCase{"code_in_use",
                    {HelloAs(Role::Host, "ABCDEF")},
                    HelloAs(Role::Host, "ABCDEF"),
                    Reason::RoomFull},
        RefusalCase{"second_guest",
                    {HelloAs(Role::Host, "ABCDEF"), HelloAs(Role::Guest, "ABCDEF")},
                    HelloAs(Role::Guest, "ABCDEF"),
                    Reason::RoomFull},
        RefusalCase{"ninth_watcher", HostAndWatchers(8), HelloAs(Role::Watcher, "ABCDEF"),
                    Reason::RoomFull},
        RefusalCase{"watcher_of_another_version", HostAndWatchers(0),
                    HelloAs(Role::Watcher, "ABCDEF", "0.9"), Reason::VersionMismatch},
        RefusalCase{"other_protocol",
                    {},
                    Hello{9, "1.0.0", 0, Role::Host, "", "ABCDEF"},
                    Reason::VersionMismatch}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Relay, APeerThatDoesNotStartWithItsHelloIsDropped) {
    Relay r;
    ASSERT_TRUE(r.core.Connect(5, 5, 0));
    r.Send(5, Commands{});
    EXPECT_EQ(r.Last<Refuse>(5)->reason, Reason::ProtocolError);
    EXPECT_TRUE(r.dropped.count(5));
    EXPECT_EQ(r.core.Peers(), 0u);
}

TEST(Relay, SpectatorsGetTheTicksAndSnapshotsButNotTheCommandsAndSayNothing) {
    Relay r;
    r.Join(kHost, HelloAs(Role::Host, "ABCDEF"));
    r.Join(kGuest, HelloAs(Role::Guest, "ABCDEF"));
    r.Join(3, HelloAs(Role::Watcher, "ABCDEF"));
    EXPECT_EQ(r.Last<Welcome>(3)->role, Role::Watcher);
    EXPECT_EQ(r.Last<PeerJoined>(kHost)->slot, 1);
    r.Send(kHost, Ticks{0, {TickPair{}}});
    EXPECT_TRUE(r.Last<Ticks>(3));
    EXPECT_FALSE(r.Last<Ticks>(kGuest));
    r.Send(kHost, Commands{0, {WireCommand{}}, 0});
    EXPECT_TRUE(r.Last<Commands>(kGuest));
    EXPECT_FALSE(r.Last<Commands>(3));
    r.Send(kHost, SnapshotChunk{0, 0, 1, 0, {7}});
    EXPECT_TRUE(r.Last<SnapshotChunk>(3));
    const std::size_t hostHad = r.got[kHost].size(), guestHad = r.got[kGuest].size();
    r.Send(3, Commands{0, {WireCommand{}}, 0});
    r.Send(3, StateHash{60, 0, 1});
    EXPECT_EQ(r.got[kHost].size(), hostHad);
    EXPECT_EQ(r.got[kGuest].size(), guestHad);
}

TEST(Relay, DropsOversizedPacketsAndWhatGoesBeyondTheRate) {
    RelayLimits limits;
    limits.packetsPerSecond = 50;
    Relay r(limits);
    r.Join(kHost, HelloAs(Role::Host, "ABCDEF"));
    r.Join(kGuest, HelloAs(Role::Guest, "ABCDEF"), 0);
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
    const char* codes[] = {"AAAAAA", "BBBBBB", "CCCCCC", "DDDDDD"};
    for (PeerId id = 1; id <= 4; ++id) r.Join(id, HelloAs(Role::Host, codes[id - 1]));
    EXPECT_EQ(r.core.Rooms(), 3u);
    EXPECT_EQ(r.Last<Refuse>(4)->reason, Reason::RoomFull);
    EXPECT_TRUE(r.core.Connect(5, 5, 0));
    EXPECT_TRUE(r.core.Connect(6, 6, 0));
    EXPECT_FALSE(r.core.Connect(7, 7, 0));
    EXPECT_EQ(r.core.Peers(), 5u);
}

TEST(Relay, ClosesARoomAfterAMinuteWithoutAPacketAndDropsSilentPeers) {
    Relay r;
    r.Join(kHost, HelloAs(Role::Host, "ABCDEF"), 0);
    r.Join(kGuest, HelloAs(Role::Guest, "ABCDEF"), 1000);
    ASSERT_TRUE(r.core.Connect(7, 7, 1000));  // never says who it is
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
    r.Join(kHost, HelloAs(Role::Host, "ABCDEF"));
    r.Join(kGuest, HelloAs(Role::Guest, "ABCDEF"));
    r.core.Disconnect(kHost, 5);
    r.Carry();
    EXPECT_EQ(r.core.Rooms(), 0u);
    EXPECT_TRUE(r.dropped.count(kGuest));
    // The same code can be opened again.
    r.Join(9, HelloAs(Role::Host, "ABCDEF"));
    EXPECT_TRUE(r.Last<Welcome>(9));
}

TEST(Relay, SilentPeersGoAfterTheHelloTimeoutAndOneAddressHoldsOnlyItsShare) {
    RelayLimits limits;
    limits.pendingPerAddress = 3;
    limits.pendingInAll = 5;
    Relay r(limits);
    constexpr AddressKey kFlood = 0x7F000002, kOther = 0x7F000003;
    for (PeerId id = 10; id < 13; ++id) EXPECT_TRUE(r.core.Connect(id, kFlood, id));
    EXPECT_FALSE(r.core.Connect(13, kFlood, 13));
    EXPECT_EQ(r.core.Counters().refusedConnects, 1u);
    EXPECT_TRUE(r.core.Connect(20, kOther, 20));
    EXPECT_TRUE(r.core.Connect(21, kOther, 21));
    // All five places for silent peers taken: a newcomer takes the oldest one's.
    r.Join(kHost, HelloAs(Role::Host, "KXPWMN"), 30);
    EXPECT_TRUE(r.dropped.count(10));
    EXPECT_TRUE(r.Last<Welcome>(kHost));
    r.core.Tick(11 + limits.helloTimeoutMs - 1);
    r.Carry();
    EXPECT_FALSE(r.dropped.count(11));
    r.core.Tick(21 + limits.helloTimeoutMs);
    r.Carry();
    for (PeerId id : {11, 12, 20, 21}) EXPECT_TRUE(r.dropped.count(id)) << id;
    EXPECT_EQ(r.core.Peers(), 1u);
    // The address may come again once its silent peers are gone.
    r.Join(kGuest, HelloAs(Role::Guest, "KXPWMN"), 3000, kFlood);
    EXPECT_TRUE(r.Last<Hello>(kHost));
}

TEST(Relay, OneAddressOpensOnlySoManyRooms) {
    RelayLimits limits;
    limits.roomsPerAddress = 2;
    Relay r(limits);
    const char* codes[] = {"AAAAAA", "BBBBBB", "CCCCCC"};
    for (PeerId id = 1; id <= 3; ++id) r.Join(id, HelloAs(Role::Host, codes[id - 1]), 0, 77);
    EXPECT_EQ(r.core.Rooms(), 2u);
    EXPECT_EQ(r.Last<Refuse>(3)->reason, Reason::RoomFull);
    r.Join(4, HelloAs(Role::Host, "CCCCCC"), 0, 78);
    EXPECT_TRUE(r.Last<Welcome>(4));
}

// One address guesses codes as soon as it may: each wrong code doubles its wait, and while it
// waits not even the right code is looked at.
TEST(Relay, WrongCodesMakeTheirAddressWaitEverLonger) {
    Relay r;
    r.Join(kHost, HelloAs(Role::Host, "KXPWMN"));
    constexpr AddressKey kGuesser = 0x7F000009;
    std::int64_t now = 0;
    PeerId id = 100;
    std::vector<std::int64_t> waits;
    for (int n = 0; n < 6; ++n) {
        r.Join(id, HelloAs(Role::Guest, RoomCodeFor(static_cast<std::uint64_t>(n))), now, kGuesser);
        EXPECT_EQ(r.Last<Refuse>(id++)->reason, Reason::BadCode);
        waits.push_back(r.core.CodeWaitMs(kGuesser, now));
        // The right code while it waits: refused alike, and the host hears nothing.
        r.Join(id, HelloAs(Role::Guest, "KXPWMN"), now + waits.back() - 1, kGuesser);
        EXPECT_EQ(r.Last<Refuse>(id++)->reason, Reason::BadCode);
        now += waits.back();
    }
    EXPECT_EQ(waits, (std::vector<std::int64_t>{1000, 2000, 4000, 8000, 16000, 32000}));
    EXPECT_EQ(r.core.Counters().wrongCodes, 6u);
    EXPECT_EQ(r.core.Counters().codesHeld, 6u);
    EXPECT_FALSE(r.Last<Hello>(kHost));
    r.Join(id, HelloAs(Role::Guest, "KXPWMN"), now, kGuesser);
    EXPECT_TRUE(r.Last<Hello>(kHost));
}

// Opening a room under a code in use would tell which codes are taken: it costs a wrong code.
TEST(Relay, AHostHelloWithACodeInUseCostsWhatAWrongCodeCosts) {
    Relay r;
    r.Join(kHost, HelloAs(Role::Host, "KXPWMN"));
    r.Join(5, HelloAs(Role::Host, "KXPWMN"), 0, 9);
    EXPECT_EQ(r.Last<Refuse>(5)->reason, Reason::RoomFull);
    EXPECT_EQ(r.core.CodeWaitMs(9, 0), r.core.Limits().wrongCodes.firstWaitMs);
    r.Join(6, HelloAs(Role::Host, "ABCDEF"), 10, 9);  // while it waits: not even a free code
    EXPECT_EQ(r.Last<Refuse>(6)->reason, Reason::RoomFull);
    EXPECT_EQ(r.core.Rooms(), 1u);
}

TEST(Relay, ManyAddressesGuessingAtOnceEachWaitTheLongest) {
    Relay r;
    const GateLimits& g = r.core.Limits().wrongCodes;
    for (int n = 0; n < g.burst + 10; ++n) {
        const auto id = static_cast<PeerId>(100 + n);
        r.Join(id, HelloAs(Role::Guest, RoomCodeFor(static_cast<std::uint64_t>(n))), 0,
               static_cast<AddressKey>(1000 + n));
        EXPECT_EQ(r.core.CodeWaitMs(static_cast<AddressKey>(1000 + n), 0),
                  n < g.burst ? g.firstWaitMs : g.maxWaitMs)
            << n;
    }
}

struct MismatchCase {
    const char* what;
    Hello hello;
    Reason reason;
};
class RelayMismatchedGuest : public ::testing::TestWithParam<MismatchCase> {};

TEST_P(RelayMismatchedGuest, IsRefusedWhileTheHostWaitsOnAndTheRightGuestThenGetsIn) {
    Relay r;
    r.Join(kHost, HelloAs(Role::Host, "KXPWMN"));
    r.got[kHost].clear();
    r.Join(50, GetParam().hello);
    EXPECT_EQ(r.Last<Refuse>(50)->reason, GetParam().reason);
    EXPECT_TRUE(r.dropped.count(50));
    EXPECT_TRUE(r.got[kHost].empty());  // the host hears of nobody
    EXPECT_FALSE(r.dropped.count(kHost));
    r.Join(kGuest, HelloAs(Role::Guest, "KXPWMN"), 10, 50);
    Role from{};
    ASSERT_TRUE(r.Last<Hello>(kHost, &from));
    EXPECT_EQ(from, Role::Guest);
}

INSTANTIATE_TEST_SUITE_P(
    Relay, RelayMismatchedGuest,
    ::testing::Values(
        MismatchCase{"version", HelloAs(Role::Guest, "KXPWMN", "0.9"), Reason::VersionMismatch},
        MismatchCase{"levels", Hello{kProtocolVersion, "1.0.0", 0xAC, Role::Guest, "x", "KXPWMN"},
                     Reason::LevelFilesDiffer},
        MismatchCase{"protocol", Hello{2, "1.0.0", 0xAB, Role::Guest, "x", "KXPWMN"},
                     Reason::VersionMismatch}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace net
