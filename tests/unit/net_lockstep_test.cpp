// The lockstep session over the in-memory pair, on a clock the test holds: both sides run the
// same commands whatever the link does, stalls and silence are told at their times, a desync is
// healed from the host's state, and a mismatched handshake ends both sides with its reason.
#include <gtest/gtest.h>

#include <map>

#include "lockstep_harness.h"
#include "net/handshake.h"
#include "net/lockstep.h"
#include "net/watcher.h"

namespace net {
namespace {

struct LinkCase {
    int drop, delay, jitter;
};

class FaultyLink : public ::testing::TestWithParam<LinkCase> {};

TEST_P(FaultyLink, BothSidesRunTheSameCommandsEveryTick) {
    HarnessOptions o;
    o.faults = {GetParam().drop, GetParam().delay, GetParam().jitter, 1};
    o.ticks = 3000;
    o.seed = 11;
    const HarnessResult r = RunLockstepMatch(o);
    ASSERT_TRUE(r.finished) << "stopped at host tick " << r.host.sim.ticks << ", guest tick "
                            << r.guest.sim.ticks;
    EXPECT_EQ(r.host.ran.size(), o.ticks);
    EXPECT_EQ(r.host.ran, r.guest.ran);
    EXPECT_EQ(r.host.sim.state, r.guest.sim.state);
    EXPECT_EQ(r.host.counters.desyncs + r.guest.counters.desyncs, 0);
}

INSTANTIATE_TEST_SUITE_P(Lockstep, FaultyLink,
                         ::testing::Values(LinkCase{0, 0, 0}, LinkCase{5, 0, 0},
                                           LinkCase{5, 80, 40}, LinkCase{30, 20, 60},
                                           LinkCase{0, 200, 0}));

TEST(Lockstep, TheFirstTicksRunWithEmptyCommandsAndLaterOnesDelayedByD) {
    auto [a, b] = MakeMemoryPair();
    LockstepConfig hc, gc;
    gc.role = Role::Guest;
    Lockstep host(*a, hc, {}, 0), guest(*b, gc, {}, 0);
    // What each side typed while it ran a tick, and what each tick ran with.
    std::map<std::uint32_t, WireCommand> hostTyped, guestTyped;
    std::map<std::uint32_t, StepResult> hostRan, guestRan;
    for (std::uint8_t call = 0; call < 40; ++call) {
        WireCommand mine, theirs;
        mine.bytes[0] = static_cast<std::uint8_t>(100 + call);
        theirs.bytes[0] = static_cast<std::uint8_t>(200 - call);
        const StepResult g = guest.Step(call * 15, theirs);
        if (g.status == StepStatus::Run) guestTyped[g.tick] = theirs, guestRan[g.tick] = g;
        const StepResult h = host.Step(call * 15 + 1, mine);
        if (h.status == StepStatus::Run) hostTyped[h.tick] = mine, hostRan[h.tick] = h;
    }
    ASSERT_GE(hostRan.size(), 30u);
    for (const auto& [t, h] : hostRan) {
        if (t < 3) {
            EXPECT_EQ(h.host, WireCommand{}) << t;
            EXPECT_EQ(h.guest, WireCommand{}) << t;
        } else {
            EXPECT_EQ(h.host, hostTyped.at(t - 3)) << t;
            EXPECT_EQ(h.guest, guestTyped.at(t - 3)) << t;
        }
        if (guestRan.count(t)) {
            EXPECT_EQ(guestRan[t].host, h.host);
            EXPECT_EQ(guestRan[t].guest, h.guest);
        }
    }
}

// A host alone after the guest's last packet at time 0 of its silence.
struct SilentGuest {
    std::pair<std::unique_ptr<Transport>, std::unique_ptr<Transport>> pair = MakeMemoryPair();
    LockstepConfig hc, gc;
    std::unique_ptr<Lockstep> host, guest;
    std::int64_t lastGuestMs = 0;

    SilentGuest() {
        gc.role = Role::Guest;
        host = std::make_unique<Lockstep>(*pair.first, hc, LockstepHooks{}, 0);
        guest = std::make_unique<Lockstep>(*pair.second, gc, LockstepHooks{}, 0);
        for (std::int64_t t = 0; t < 40 * 15; t += 15) {
            guest->Step(t, {});
            host->Step(t + 1, {});
            lastGuestMs = t;
        }
    }
};

TEST(Lockstep, AStallIsShownAfterHalfASecondAndTheLinkLostAfterTenSecondsOfSilence) {
    SilentGuest s;
    std::int64_t waitingFrom = -1, shownAt = -1, lostAt = -1;
    StepResult last;
    for (std::int64_t now = s.lastGuestMs + 16; now < s.lastGuestMs + 20'000 && lostAt < 0; ++now) {
        const StepResult r = s.host->Step(now, {});
        if (r.status == StepStatus::Waiting && waitingFrom < 0) waitingFrom = now;
        if (r.status == StepStatus::Waiting && r.showWaiting && shownAt < 0) shownAt = now;
        if (r.status == StepStatus::Waiting) {
            EXPECT_LT(r.silentMs, 10'000);
        }
        if (r.status == StepStatus::Lost) {
            lostAt = now;
            last = r;
        }
    }
    ASSERT_GE(waitingFrom, 0);
    EXPECT_EQ(shownAt - waitingFrom, 500);
    // The host last heard the guest in its call at lastGuestMs + 1.
    EXPECT_EQ(lostAt, s.lastGuestMs + 1 + 10'000);
    EXPECT_EQ(last.reason, Reason::Timeout);
    // The host said so before it left: the guest, back again, ends with the same reason.
    StepResult g;
    for (int call = 0; call < 5 && g.status != StepStatus::Ended; ++call)
        g = s.guest->Step(lostAt + 1 + call, {});
    EXPECT_EQ(g.status, StepStatus::Ended);
    EXPECT_EQ(g.reason, Reason::Timeout);
}

TEST(Lockstep, QuittingEndsTheOtherSideWithItsReason) {
    SilentGuest s;
    s.host->Quit(1000);
    const StepResult g = s.guest->Step(1001, {});
    EXPECT_EQ(g.status, StepStatus::Ended);
    EXPECT_EQ(g.reason, Reason::Quit);
}

TEST(Lockstep, GarbageFromTheOtherSideIsCountedAndIgnored) {
    SilentGuest s;
    const std::vector<std::uint8_t> junk[] = {
        {}, {0xFF}, {5, 1, 2}, std::vector<std::uint8_t>(2000, 5)};
    for (const auto& j : junk) s.pair.second->Send(Channel::Commands, j, 700);
    const StepResult r = s.host->Step(700, {});
    EXPECT_NE(r.status, StepStatus::Ended);
    EXPECT_GE(s.host->Counters().badPackets, 3);
}

struct RttCase {
    std::int64_t rttMs;
    int delay;
};
class RttToDelay : public ::testing::TestWithParam<RttCase> {};

TEST_P(RttToDelay, CoversTheCrossingWithinTwoToTenTicks) {
    EXPECT_EQ(DelayForRtt(GetParam().rttMs, 15), GetParam().delay);
}

INSTANTIATE_TEST_SUITE_P(Lockstep, RttToDelay,
                         ::testing::Values(RttCase{0, 2}, RttCase{30, 2}, RttCase{32, 3},
                                           RttCase{90, 4}, RttCase{240, 9}, RttCase{5000, 10},
                                           RttCase{-5, 2}));

TEST(Lockstep, TheDelayChangesOnlyAtALevelStartAndOnBothSides) {
    HarnessOptions o;
    o.faults = {0, 80, 40, 1};
    o.ticks = 1500;
    std::vector<int> delayBefore;
    o.onHostTick = [&](std::uint32_t tick, Lockstep& host) {
        if (tick == 999) delayBefore.push_back(host.Delay());
        if (tick == 999) host.LevelStarted(1000, 0);
    };
    const HarnessResult r = RunLockstepMatch(o);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(delayBefore, std::vector<int>{3});
    EXPECT_GE(r.host.finalDelay, 8);  // 160..240 ms round trip
    EXPECT_EQ(r.guest.finalDelay, r.host.finalDelay);
    EXPECT_EQ(r.host.ran, r.guest.ran);
}

TEST(Lockstep, AGuestThatChangesOneValueIsHealedWithinTwoSecondsAndEndsIdentical) {
    HarnessOptions o;
    o.faults = {5, 30, 10, 3};
    o.ticks = 2000;
    o.corruptGuestAtTick = 301;
    o.snapshotPadding = 50'000;
    const HarnessResult r = RunLockstepMatch(o);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.host.sim.state, r.guest.sim.state);
    EXPECT_EQ(r.host.ran, r.guest.ran);
    EXPECT_GE(r.firstHealMs, 0);
    EXPECT_LE(r.firstHealMs, 2000);
    EXPECT_EQ(r.host.counters.healed, 1);
    EXPECT_EQ(r.guest.counters.healed, 1);
    // One line on each side.
    EXPECT_EQ(r.host.log.size(), 1u);
    EXPECT_EQ(r.guest.log.size(), 1u);
}

TEST(Lockstep, ThreeDesyncsInAMinuteEndTheMatchOnBothSides) {
    HarnessOptions o;
    o.ticks = 4000;
    o.corruptGuestAtTick = 100;
    o.corruptTimes = 3;
    o.corruptEvery = 600;  // 9 s apart
    const HarnessResult r = RunLockstepMatch(o);
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(r.host.last.status, StepStatus::Ended);
    EXPECT_EQ(r.host.last.reason, Reason::TooManyDesyncs);
    EXPECT_EQ(r.host.counters.healed, 2);
}

// ---------------------------------------------------------------- the handshake

struct HandshakeCase {
    const char* what;
    std::string guestVersion;
    std::uint64_t guestLevels;
    HandshakeStatus status;
    Reason reason;
};
class HandshakeOutcome : public ::testing::TestWithParam<HandshakeCase> {};

TEST_P(HandshakeOutcome, EndsTheGuestsSideWithTheHostsReason) {
    auto [a, b] = MakeMemoryPair();
    HandshakeConfig hc{Role::Host, "1.0.0", 0xAB, "Host", "", false, 10000};
    HandshakeConfig gc{
        Role::Guest, GetParam().guestVersion, GetParam().guestLevels, "Gast", "", false, 10000};
    Handshake host(*a, hc, 0), guest(*b, gc, 0);
    host.SetStart(Start{99, 8, 3});
    HandshakeStatus hs = HandshakeStatus::Working, gs = HandshakeStatus::Working;
    for (int t = 0; t < 10 && (hs == HandshakeStatus::Working || gs == HandshakeStatus::Working);
         ++t) {
        gs = guest.Poll(t);
        hs = host.Poll(t);
    }
    // A refused guest ends its own side; the host waits on for the next guest.
    const bool refused = GetParam().status == HandshakeStatus::Refused;
    EXPECT_EQ(hs, refused ? HandshakeStatus::Working : GetParam().status);
    EXPECT_EQ(gs, GetParam().status);
    EXPECT_EQ(host.LastRefusal(), GetParam().reason);
    EXPECT_EQ(guest.FailReason(), GetParam().reason);
    if (GetParam().status == HandshakeStatus::Done) {
        // The delay from the round trip measured after the welcome: none, in memory.
        EXPECT_EQ(guest.StartMessage(), (Start{99, 8, 2}));
        EXPECT_EQ(guest.PeerName(), "Host");
        EXPECT_EQ(host.PeerName(), "Gast");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Handshake, HandshakeOutcome,
    ::testing::Values(HandshakeCase{"same", "1.0.0", 0xAB, HandshakeStatus::Done, Reason::None},
                      HandshakeCase{"other_version", "1.0.1", 0xAB, HandshakeStatus::Refused,
                                    Reason::VersionMismatch},
                      HandshakeCase{"other_levels", "1.0.0", 0xAC, HandshakeStatus::Refused,
                                    Reason::LevelFilesDiffer}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Handshake, TheStartsDelayFollowsTheRoundTripMeasuredAfterTheWelcome) {
    auto [a, b] = MakeMemoryPair();
    FaultyTransport slow(std::move(a), LinkFaults{0, 60, 0, 1});  // 120 ms there and back
    Handshake host(slow, HandshakeConfig{Role::Host, "1", 0, "h", "", false, 10000}, 0);
    Handshake guest(*b, HandshakeConfig{Role::Guest, "1", 0, "g", "", false, 10000}, 0);
    host.SetStart(Start{1, 1, 3});
    for (std::int64_t t = 0; t < 2000 && guest.Poll(t) == HandshakeStatus::Working; ++t) {
        host.Poll(t);
        slow.Flush(t);
    }
    ASSERT_EQ(guest.Poll(2000), HandshakeStatus::Done);
    EXPECT_NEAR(host.RttMs(), 120, 1);  // one call late at most
    EXPECT_EQ(guest.StartMessage().delay, DelayForRtt(120, 15));
}

TEST(Handshake, AGuestGivesUpWhenTheHostNeverAnswers) {
    auto [a, b] = MakeMemoryPair();
    Handshake guest(*b, HandshakeConfig{Role::Guest, "1", 0, "g", "", false, 10000}, 0);
    EXPECT_EQ(guest.Poll(9999), HandshakeStatus::Working);
    EXPECT_EQ(guest.Poll(10000), HandshakeStatus::Refused);
    EXPECT_EQ(guest.FailReason(), Reason::Timeout);
}

// The host says goodbye right after the match's last tick, while its spectator is a few ticks
// behind: the spectator still plays every tick it holds, then ends with the host's reason.
TEST(Spectator, PlaysTheTicksItHoldsBeforeTheHostsGoodbye) {
    auto [hostEnd, watchEnd] = MakeMemoryPair();
    int restored = 0;
    Spectator s(*watchEnd, SpectatorHooks{[&](auto) { return ++restored > 0; }, {}}, 0);
    const std::vector<std::uint8_t> state = {1, 2, 3};
    WireCommand a, b;
    a.bytes[0] = 7;
    b.bytes[5] = 1;
    hostEnd->Send(Channel::Session, Encode(SnapshotChunk{40, 0, 3, 0, state}), 0);
    hostEnd->Send(Channel::Session, Encode(Ticks{40, {TickPair{a, b}, TickPair{b, a}}}), 0);
    hostEnd->Send(Channel::Session, Encode(Bye{Reason::Quit}), 0);
    std::vector<std::uint32_t> ran;
    StepResult r;
    for (int n = 0; n < 5 && (r = s.Step(1)).status == StepStatus::Run; ++n) {
        ran.push_back(r.tick);
        if (r.tick == 41) {
            EXPECT_EQ(r.host, b);
        }
    }
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(ran, (std::vector<std::uint32_t>{40, 41}));
    EXPECT_EQ(r.status, StepStatus::Ended);
    EXPECT_EQ(r.reason, Reason::Quit);
}

}  // namespace
}  // namespace net
