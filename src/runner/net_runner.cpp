#include "runner/net_runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "core/game.h"
#include "core/languages.h"
#include "core/state_io.h"
#include "menus/transitions.h"
#include "net/enet_transport.h"
#include "net/net_texts.h"
#include "platform/headless/headless_platform.h"
#include "runner/dump.h"
#include "runner/game_replays.h"
#include "runner/net_replay.h"
#include "runner/png_writer.h"
#include "shell/net_commands.h"
#include "shell/net_match_driver.h"

namespace {

void ApplyToControls(LocalControls& c, const ScriptEvent& e) {
    if (e.kind == "move") {
        c.mouseX = e.x;
        c.mouseY = e.y;
    } else if (e.kind == "down" || e.kind == "up") {
        c.mouseHeld = e.kind == "down";
    } else if (e.kind == "keydown" || e.kind == "keyup") {
        const bool down = e.kind == "keydown";
        if (e.arg == "left") c.keyLeft = down;
        if (e.arg == "right") c.keyRight = down;
        if (e.arg == "space") c.keySpace = down;
        if (e.arg == "p") c.keyP = down;
        if (e.arg == "escape") c.keyEscape = down;
    }
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

// The --shot pictures of match tick t (a network match draws them as the runner does).
bool WriteShots(const RunnerOptions& options, long long t, const HeadlessPlatform& platform) {
    bool ok = true;
    for (const auto& [st, path] : options.shots) {
        if (st == t && !SavePng(platform.LastFrame(), path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ok = false;
        }
    }
    return ok;
}

// What the runner writes after tick t of a network match: its pictures, its dumps, its hash.
// False when a file could not be written.
bool WriteAfterTick(const RunnerOptions& options, long long t, Game& game,
                    const HeadlessPlatform& platform) {
    bool ok = WriteShots(options, t, platform);
    for (const auto& [dt, path] : options.dumps) {
        if (dt == t && !WriteText(path, DumpJson(game, platform))) ok = false;
    }
    if (options.hashEvery > 0 && t % options.hashEvery == 0) {
        std::printf("tick %lld hash %016llx\n", t,
                    static_cast<unsigned long long>(StateHash(game)));
        // At once, so that a script can wait for a tick rather than for a time.
        std::fflush(stdout);
    }
    return ok;
}

// What a runner says at its end when the match ended early: in both of the game's first two
// languages when there is no game (and so no language) yet.
// One side's game on the runner's platform, with its sounds read from the runner's folder.
std::unique_ptr<Game> NetSideGame(const RunnerOptions& options, HeadlessPlatform& platform,
                                  std::uint64_t seed) {
    platform.waveDir = options.resDir + "/waves";
    auto game = std::make_unique<Game>();
    InitGame(*game, platform, options.resDir, seed);
    game->shell.FirstStartLanguage = options.firstStartLanguage;
    return game;
}

// --keep-replays DIR: the match as the window keeps it, its end the state the game is in now.
void KeepReplay(const NetMatchReplay& kept, const Game& game, const std::string& dir,
                const char* side) {
    if (dir.empty()) return;
    const std::string name = kept.Keep(game, dir);
    if (!name.empty())
        std::fprintf(stderr, "rhombulus2-headless %s: kept %s\n", side, name.c_str());
}

void SayEnd(const Game* game, const char* side, const Words& w) {
    if (game != nullptr)
        std::fprintf(stderr, "rhombulus2-headless %s: %s\n", side, Tr(*game, w));
    else
        std::fprintf(stderr, "rhombulus2-headless: %s / %s\n",
                     Translate(kLanguageGerman, w.context, w.id),
                     Translate(kLanguageEnglish, w.context, w.id));
}

// The driver's config as this runner's side has it: its clock, its name, its faults, the ticks it
// draws and where it stops.
NetDriverConfig RunnerDriverConfig(const RunnerOptions& options, const NetRunnerOptions& o,
                                   const std::function<std::int64_t()>& now, const char* side) {
    NetDriverConfig dc;
    dc.resDir = options.resDir;
    dc.gameVersion = o.gameVersion;
    dc.name = side;
    dc.program = "rhombulus2-headless";
    dc.faults = o.faults;
    dc.clock = now;
    dc.drawTick = [&options](std::uint32_t t) {
        bool draw = !options.noDraw;
        for (const auto& shot : options.shots)
            draw = draw || shot.first == static_cast<long long>(t);
        return draw;
    };
    if (options.ticks > 0) dc.lastTick = static_cast<std::uint32_t>(options.ticks);
    return dc;
}

// A dump named for a tick after the match's last gets the state it ended in.
bool WriteEndDumps(const RunnerOptions& options, long long tick, Game& game,
                   const HeadlessPlatform& platform) {
    bool ok = true;
    for (const auto& [dt, path] : options.dumps) {
        if (dt > tick && !WriteText(path, DumpJson(game, platform))) ok = false;
    }
    return ok;
}

void Nap() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

int RunNetHeadless(const RunnerOptions& options, const NetRunnerOptions& o) {
    const auto clockStart = std::chrono::steady_clock::now();
    const std::function<std::int64_t()> now = [&clockStart] {
        return static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now() - clockStart)
                                             .count());
    };
    if (!net::StartEnet()) {
        std::fprintf(stderr, "rhombulus2-headless: the network cannot start\n");
        return 3;
    }
    const bool host = o.mode == NetRunnerOptions::Mode::kHost;
    const bool watch = o.mode == NetRunnerOptions::Mode::kWatch;
    const net::Role role = watch ? net::Role::Watcher : host ? net::Role::Host : net::Role::Guest;
    const char* side = watch ? "watcher" : host ? "host" : "guest";
    NetDriverConfig dc = RunnerDriverConfig(options, o, now, side);
    dc.faults.seed = options.seed * 2 + (watch ? 3 : host ? 1 : 2);
    NetMatchDriver driver(dc);
    std::string error;
    if (!driver.Open(role, o.address, o.port, o.viaRelay, &error)) {
        std::fprintf(stderr, "rhombulus2-headless: %s\n", error.c_str());
        return 3;
    }
    net::Start start{options.seed & 0xffffffffu, static_cast<std::uint8_t>(o.matchLevel), 3};
    if (!watch) {
        driver.StartHandshake(o.waitMs, o.viaRelay ? o.room : "");
        if (host) driver.SetStart(start);
        net::HandshakeStatus hs = net::HandshakeStatus::Working;
        while ((hs = driver.PollHandshake()) == net::HandshakeStatus::Working && now() < o.waitMs)
            Nap();
        if (hs != net::HandshakeStatus::Done) {
            SayEnd(nullptr, side,
                   hs == net::HandshakeStatus::Refused
                       ? net::ReasonWords(driver.HandshakeState()->FailReason())
                       : net::kConnectionLostWords);
            return 3;
        }
        start = driver.HandshakeState()->StartMessage();
    }

    HeadlessPlatform platform;
    // Each side starts up with its own seed, as two machines do; the guest then takes the host's
    // whole state before the first tick, a spectator the host's state when it comes.
    auto owned = NetSideGame(options, platform, host ? start.seed : options.seed);
    Game& game = *owned;
    std::string record = "# seed " + std::to_string(start.seed) + "\n# match-level " +
                         std::to_string(start.startLevel) + "\n";
    // Kept as the window keeps its matches, with --keep-replays DIR.
    NetMatchReplay kept(
        ThisGamesReplayHeader(options.resDir, start.seed, options.firstStartLanguage));
    int status = 0;
    long long firstTick = -1;
    bool desynced = false;
    // The runner's own per tick: its waves and texts counted afresh, the player's record and
    // replay, then its files.
    driver.Config().beforeTick = [&](Game& g, std::uint32_t tick, const net::WireCommand& h,
                                     const net::WireCommand& gu) {
        platform.wavesThisTick.clear();
        g.text.calls.clear();
        if (watch) return;
        kept.BeforeTick(g, tick, h, gu);
        record +=
            NetTickLine(static_cast<long long>(tick) + 1, h.bytes.data(), gu.bytes.data()) + "\n";
    };
    driver.Config().afterTick = [&](Game& g, std::uint32_t t, bool last) {
        if (firstTick < 0) firstTick = t;
        if (role == net::Role::Guest && o.desyncAtTick == static_cast<int>(t) && !desynced) {
            g.players[2].Score += 1;
            desynced = true;
        }
        if (!WriteAfterTick(options, t, g, platform)) status = 2;
        if (last && !WriteEndDumps(options, t, g, platform)) status = 2;
    };
    if (watch)
        driver.StartWatching(game, o.waitMs, o.room, !options.noDraw);
    else
        driver.BeginMatch(game, !options.noDraw);
    const std::int64_t matchStartMs = now();
    LocalControls local;
    size_t next = 0;
    bool waitShown = false;
    for (;;) {
        const long long t = static_cast<long long>(driver.LastTick()) + 1;
        while (next < options.events.size() && options.events[next].tick <= t)
            ApplyToControls(local, options.events[next++]);
        // --net-paced: a tick every 15 ms as in the window.
        while (o.paced && !watch && now() < matchStartMs + 15 * (t - 1)) {
            driver.Flush();
            Nap();
        }
        const NetMatchDriver::Tick tick = watch ? driver.WatchStep(game) : driver.Step(game, local);
        if (tick == NetMatchDriver::Tick::kWaiting) {
            if (!watch && driver.ShowWaiting() && !waitShown) {
                std::fprintf(stderr, "rhombulus2-headless %s: %s\n", side,
                             Tr(game, net::kWaitingWords));
                waitShown = true;
            }
            Nap();
            continue;
        }
        waitShown = false;
        if (tick == NetMatchDriver::Tick::kRan) continue;
        if (driver.EndWords().id != nullptr) {
            // The other side left or the link broke before the match's end: a player is back at
            // the main menu with the message. Only the replay is kept, ending with the last tick
            // this side played; no dump and no recording are written.
            SayEnd(!watch || driver.Synced() ? &game : nullptr, side, driver.EndWords());
            if (!watch) KeepReplay(kept, game, options.keepReplaysDir, side);
            EndNetCommands(game);
            game.shell.GameInProgress = 0;
            ShowMainMenu(game, true);
            status = 3;
        }
        break;
    }
    if (watch) {
        if (firstTick > 0)
            std::fprintf(stderr, "rhombulus2-headless watcher: ticks %lld to %lld, %lld ms\n",
                         firstTick, static_cast<long long>(driver.LastTick()),
                         static_cast<long long>(now()));
        return status;
    }
    const long long tick = driver.LastTick();
    const net::Lockstep& ls = *driver.LockstepState();
    const net::LockstepCounters& c = ls.Counters();
    const net::WireCounters wire = driver.Wire();
    const std::int64_t ms = std::max<std::int64_t>(1, now() - matchStartMs);
    std::fprintf(stderr,
                 "rhombulus2-headless %s: %lld ticks, delay %d, rtt %lld ms, sent %llu bytes, "
                 "received %llu bytes, %d stalls %lld ms, %d desyncs, %d healed, %lld ms\n",
                 side, tick, ls.Delay(), static_cast<long long>(ls.RttMs()),
                 static_cast<unsigned long long>(c.bytesSent),
                 static_cast<unsigned long long>(c.bytesReceived), c.stalls,
                 static_cast<long long>(c.stallMs), c.desyncs, c.healed,
                 static_cast<long long>(now()));
    std::fprintf(stderr,
                 "rhombulus2-headless %s: on the wire %llu bytes in %llu datagrams sent "
                 "(%.1f kbit/s), %llu bytes in %llu received; %llu command packets brought "
                 "%llu commands\n",
                 side, static_cast<unsigned long long>(wire.bytesSent),
                 static_cast<unsigned long long>(wire.datagramsSent),
                 static_cast<double>(wire.bytesSent) * 8.0 / static_cast<double>(ms),
                 static_cast<unsigned long long>(wire.bytesReceived),
                 static_cast<unsigned long long>(wire.datagramsReceived),
                 static_cast<unsigned long long>(c.commandPackets),
                 static_cast<unsigned long long>(c.commandsTaken));
    if (status != 3) KeepReplay(kept, game, options.keepReplaysDir, side);
    if (status != 3 && !o.recordPath.empty() && !WriteText(o.recordPath, record)) {
        std::fprintf(stderr, "cannot write %s\n", o.recordPath.c_str());
        if (status == 0) status = 2;
    }
    return status;
}
