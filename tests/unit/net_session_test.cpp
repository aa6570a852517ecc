#include "shell/net_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/game.h"
#include "core/state_io.h"
#include "menus/transitions.h"
#include "net/transport.h"
#include "platform/headless/headless_platform.h"
#include "shell/frame_loop.h"
#include "shell/net_match_driver.h"

namespace {

namespace fs = std::filesystem;

// One side: a game past its start-up on the network match screen, with saves of its own.
struct Side {
    HeadlessPlatform platform;
    std::unique_ptr<Game> game = std::make_unique<Game>();
    std::unique_ptr<NetSession> net;

    Side(const fs::path& saves, std::uint64_t seed, std::uint16_t port) {
        fs::create_directories(saves);
        InitGame(*game, platform, RHOMBULUS_RES_DIR, seed);
        game->savesDir = saves.string();
        for (int i = 0; i < 5; ++i) FrameTick(*game, false);
        ShowNetMatch(*game);
        NetSessionConfig c;
        c.resDir = RHOMBULUS_RES_DIR;
        c.port = port;
        c.discoveryPort = static_cast<std::uint16_t>(port + 1);
        c.probeTarget = "127.0.0.1";
        c.seed = seed;
        net = std::make_unique<NetSession>(c);
    }
};

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Two windows' sessions on 127.0.0.1: the guest joins by the typed address, takes the host's
// whole state although its own settings differ, and starts at the level the host chose; both play
// the same ticks; a third window watches from the middle of the match and sees the very same
// states; after the match the guest and the spectator are back at their own settings.
TEST(NetSession, GuestJoinsByAddressPlaysTheHostsMatchAndASpectatorWatchesIt) {
    const fs::path dir = fs::temp_directory_path() / ("net_session_" + std::to_string(::getpid()));
    const auto port = static_cast<std::uint16_t>(29000 + ::getpid() % 500 * 2);
    Side host(dir / "host", 7, port), guest(dir / "guest", 8, port), watcher(dir / "w", 9, port);
    guest.game->shell.MusicVolumeSetting = 20;
    watcher.game->shell.MusicVolumeSetting = 40;
    host.game->shell.MusicVolumeSetting = 80;
    host.game->netMenu.startLevel = 8;
    host.game->netMenu.ask = NetMenu::Ask::kHost;
    host.net->Poll(*host.game, NowMs());
    guest.game->netMenu.address = "127.0.0.1:" + std::to_string(port);
    guest.game->netMenu.ask = NetMenu::Ask::kJoin;
    const std::int64_t until = NowMs() + 10000;
    for (int n = 0; n < 20000 && NowMs() < until && !(host.net->InMatch() && guest.net->InMatch());
         ++n) {
        if (!host.net->InMatch()) host.net->Poll(*host.game, NowMs());
        if (!guest.net->InMatch()) guest.net->Poll(*guest.game, NowMs());
    }
    ASSERT_TRUE(host.net->InMatch() && guest.net->InMatch());
    EXPECT_EQ(guest.game->play.LevelNumber, 8);

    constexpr std::uint32_t kTicks = 150, kWatchFrom = 60;
    std::map<std::uint32_t, std::uint64_t> hostHashes;
    const LocalControls still;
    for (int n = 0; n < 100000 && NowMs() < until + 10000 &&
                    (host.net->LastTick() < kTicks + 40 || guest.net->LastTick() < kTicks + 40 ||
                     watcher.net->LastTick() < kTicks);
         ++n) {
        if (host.net->LastTick() < kTicks + 40 &&
            host.net->MatchTick(*host.game, still, NowMs()) == NetSession::Tick::kRan)
            hostHashes[host.net->LastTick()] = StateHash(*host.game);
        if (guest.net->LastTick() < kTicks + 40) guest.net->MatchTick(*guest.game, still, NowMs());
        if (host.net->LastTick() == kWatchFrom && !watcher.net->Watching()) {
            watcher.game->netMenu.address = "127.0.0.1:" + std::to_string(port);
            watcher.game->netMenu.ask = NetMenu::Ask::kWatch;
        }
        if (!watcher.net->InMatch())
            watcher.net->Poll(*watcher.game, NowMs());
        else if (watcher.net->LastTick() < kTicks)
            watcher.net->MatchTick(*watcher.game, still, NowMs());
    }
    ASSERT_EQ(host.net->LastTick(), kTicks + 40);
    ASSERT_EQ(guest.net->LastTick(), kTicks + 40);
    EXPECT_EQ(StateHash(*host.game), StateHash(*guest.game));
    EXPECT_EQ(guest.game->shell.ScreenId, kScreenMatch);
    EXPECT_EQ(guest.game->shell.MusicVolumeSetting, 80);
    ASSERT_GE(watcher.net->LastTick(), kTicks);
    EXPECT_EQ(StateHash(*watcher.game), hostHashes[watcher.net->LastTick()]);

    guest.net->BackToMenu(*guest.game);
    EXPECT_EQ(guest.game->shell.MusicVolumeSetting, 20);
    EXPECT_EQ(guest.game->shell.ScreenId, kScreenMainMenu);
    // Escape leaves watching for the spectator's own game at the main menu.
    LocalControls escape;
    escape.keyEscape = true;
    watcher.net->MatchTick(*watcher.game, escape, NowMs());
    EXPECT_FALSE(watcher.net->InMatch());
    watcher.net->BackToMenu(*watcher.game);
    EXPECT_EQ(watcher.game->shell.MusicVolumeSetting, 40);
    fs::remove_all(dir);
}

// One side of a driven match over the in-memory pair, on a clock the test moves (and every
// reading moves a little, so that the waits before closing end).
struct DrivenSide {
    HeadlessPlatform platform;
    std::unique_ptr<Game> game = std::make_unique<Game>();
    std::unique_ptr<NetMatchDriver> driver;
    std::vector<std::uint8_t> pausesSeen;  // the pause bit of each tick's guest command

    DrivenSide(std::uint64_t seed, std::int64_t& clock) {
        InitGame(*game, platform, RHOMBULUS_RES_DIR, seed);
        NetDriverConfig c;
        c.resDir = RHOMBULUS_RES_DIR;
        c.clock = [&clock] { return clock++; };
        c.drawTick = [](std::uint32_t) { return false; };
        c.beforeTick = [this](Game&, std::uint32_t, const net::WireCommand&,
                              const net::WireCommand& guest) {
            pausesSeen.push_back(net::UnpackCommand(guest).control & kNetPause);
        };
        driver = std::make_unique<NetMatchDriver>(c);
    }
};

// The guest presses P while its tick waits for the host: the press is in one tick's command on
// both machines, which stay alike.
TEST(NetMatchDriver, APressWhileTheTickWaitsReachesTheMatch) {
    std::int64_t clock = 0;
    DrivenSide host(7, clock), guest(8, clock);
    auto [hostEnd, guestEnd] = net::MakeMemoryPair();
    host.driver->Take(net::Role::Host, std::move(hostEnd));
    guest.driver->Take(net::Role::Guest, std::move(guestEnd));
    host.driver->StartHandshake(10000, "");
    guest.driver->StartHandshake(10000, "");
    host.driver->SetStart(net::Start{7, 1, 3});
    net::HandshakeStatus hs = net::HandshakeStatus::Working, gs = hs;
    for (int n = 0;
         n < 5000 && (hs != net::HandshakeStatus::Done || gs != net::HandshakeStatus::Done);
         ++n, clock += 5) {
        hs = host.driver->PollHandshake();
        gs = guest.driver->PollHandshake();
    }
    ASSERT_EQ(hs, net::HandshakeStatus::Done);
    ASSERT_EQ(gs, net::HandshakeStatus::Done);
    host.driver->BeginMatch(*host.game, false);
    guest.driver->BeginMatch(*guest.game, false);

    const LocalControls still;
    auto both = [&](std::uint32_t to) {
        for (int n = 0;
             n < 20000 && (host.driver->LastTick() < to || guest.driver->LastTick() < to);
             ++n, ++clock) {
            if (host.driver->LastTick() < to) host.driver->Step(*host.game, still);
            if (guest.driver->LastTick() < to) guest.driver->Step(*guest.game, still);
        }
    };
    both(40);
    ASSERT_EQ(guest.driver->LastTick(), 40u);
    // The host stands still: the guest soon waits for its commands.
    NetMatchDriver::Tick t = NetMatchDriver::Tick::kRan;
    for (int n = 0; n < 100 && t != NetMatchDriver::Tick::kWaiting; ++n, ++clock)
        t = guest.driver->Step(*guest.game, still);
    ASSERT_EQ(t, NetMatchDriver::Tick::kWaiting);
    // P goes down during the wait and is let go once two more ticks ran.
    LocalControls p;
    p.keyP = true;
    EXPECT_EQ(guest.driver->Step(*guest.game, p), NetMatchDriver::Tick::kWaiting);
    const std::uint32_t from = guest.driver->LastTick();
    for (int n = 0; n < 20000 && guest.driver->LastTick() < from + 2; ++n, ++clock) {
        host.driver->Step(*host.game, still);
        guest.driver->Step(*guest.game, p);
    }
    both(120);
    ASSERT_EQ(host.driver->LastTick(), 120u);
    ASSERT_EQ(guest.driver->LastTick(), 120u);
    EXPECT_EQ(StateHash(*host.game), StateHash(*guest.game));
    EXPECT_EQ(host.pausesSeen, guest.pausesSeen);
    EXPECT_EQ(std::count(host.pausesSeen.begin(), host.pausesSeen.end(), kNetPause), 1);
}

}  // namespace
