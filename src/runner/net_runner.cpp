#include "runner/net_runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string_view>
#include <thread>

#include "core/game.h"
#include "core/languages.h"
#include "core/mode_facts.h"
#include "core/state_io.h"
#include "menus/transitions.h"
#include "modes/match.h"
#include "net/enet_transport.h"
#include "net/handshake.h"
#include "net/lockstep.h"
#include "net/net_texts.h"
#include "net/relay_link.h"
#include "net/watcher.h"
#include "platform/file_bytes.h"
#include "platform/headless/headless_platform.h"
#include "runner/dump.h"
#include "runner/game_replays.h"
#include "runner/net_replay.h"
#include "runner/png_writer.h"
#include "shell/frame_loop.h"
#include "shell/net_commands.h"
#include "shell/net_session.h"
#include "shell/screens.h"

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

int WatchNetHeadless(const RunnerOptions& options, const NetRunnerOptions& o,
                     std::unique_ptr<net::Transport> raw,
                     const std::function<std::int64_t()>& now) {
    auto nap = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
    net::FaultyTransport link(std::move(raw), o.faults);
    HeadlessPlatform platform;
    auto owned = NetSideGame(options, platform, options.seed);
    Game& game = *owned;
    net::Spectator watcher(link, WatcherHooks(game, "rhombulus2-headless watcher", !options.noDraw),
                           now(), o.waitMs);
    const net::Hello hello{net::kProtocolVersion,
                           o.gameVersion.empty() ? NetGameVersion() : o.gameVersion,
                           MatchLevelsHash(options.resDir),
                           net::Role::Watcher,
                           "watcher",
                           o.room};
    bool helloSent = false;
    int status = 0;
    long long tick = 0;
    long long firstTick = -1;
    for (;;) {
        if (!helloSent && link.Status() == net::LinkStatus::Connected) {
            link.Send(net::Channel::Session, net::Encode(hello), now());
            helloSent = true;
        }
        const net::StepResult r = watcher.Step(now());
        link.Flush(now());
        if (r.status == net::StepStatus::Waiting) {
            nap();
            continue;
        }
        if (r.status != net::StepStatus::Run) {
            // The host left or the link broke before the match's end.
            SayEnd(watcher.Synced() ? &game : nullptr, "watcher",
                   r.status == net::StepStatus::Lost ? net::kConnectionLostWords
                                                     : net::ReasonWords(r.reason));
            status = 3;
            break;
        }
        const long long t = static_cast<long long>(r.tick) + 1;
        if (firstTick < 0) firstTick = t;
        tick = t;
        platform.wavesThisTick.clear();
        game.text.calls.clear();
        ApplyNetCommands(game, r.host, r.guest);
        bool draw = !options.noDraw;
        for (const auto& shot : options.shots) draw = draw || shot.first == t;
        FrameTick(game, draw);
        if (!WriteAfterTick(options, t, game, platform)) status = 2;
        if (NetMatchOver(game) || (options.ticks > 0 && t >= options.ticks)) break;
    }
    if (status != 3) {
        for (const auto& [dt, path] : options.dumps) {
            if (dt > tick && !WriteText(path, DumpJson(game, platform))) status = 2;
        }
    }
    // The relay and the host see this side go at once rather than after ENet's timeout.
    link.Close();
    for (std::int64_t until = now() + 50; now() < until;) {
        net::Datagram ignored;
        link.Receive(now(), ignored);
        nap();
    }
    if (firstTick > 0)
        std::fprintf(stderr, "rhombulus2-headless watcher: ticks %lld to %lld, %lld ms\n",
                     firstTick, tick, static_cast<long long>(now()));
    return status;
}

}  // namespace

int RunNetHeadless(const RunnerOptions& options, const NetRunnerOptions& o) {
    const auto clockStart = std::chrono::steady_clock::now();
    auto now = [&clockStart] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - clockStart)
            .count();
    };
    auto nap = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
    if (!net::StartEnet()) {
        std::fprintf(stderr, "rhombulus2-headless: the network cannot start\n");
        return 3;
    }
    const bool host = o.mode == NetRunnerOptions::Mode::kHost;
    const bool watch = o.mode == NetRunnerOptions::Mode::kWatch;
    std::string error;
    std::unique_ptr<net::Transport> raw;
    if (o.viaRelay) {
        // Both players connect out to the relay; it pairs them by the room code.
        auto toRelay = net::EnetTransport::Connect(o.address, o.port, &error);
        const net::Role role = watch  ? net::Role::Watcher
                               : host ? net::Role::Host
                                      : net::Role::Guest;
        if (toRelay != nullptr) raw = std::make_unique<net::RelayLink>(std::move(toRelay), role);
    } else if (host) {
        auto listening = net::EnetTransport::Listen("", o.port, &error);
        if (listening != nullptr)
            listening->AcceptWatchers(o.gameVersion.empty() ? NetGameVersion() : o.gameVersion,
                                      MatchLevelsHash(options.resDir));
        raw = std::move(listening);
    } else {
        raw = net::EnetTransport::Connect(o.address, o.port, &error);
    }
    if (raw == nullptr) {
        std::fprintf(stderr, "rhombulus2-headless: %s\n", error.c_str());
        return 3;
    }
    if (watch) {
        NetRunnerOptions w = o;
        w.faults.seed = options.seed * 2 + 3;
        return WatchNetHeadless(options, w, std::move(raw), now);
    }
    net::LinkFaults faults = o.faults;
    faults.seed = options.seed * 2 + (host ? 1 : 2);
    net::FaultyTransport link(std::move(raw), faults);

    net::HandshakeConfig hc;
    hc.role = host ? net::Role::Host : net::Role::Guest;
    hc.gameVersion = o.gameVersion.empty() ? NetGameVersion() : o.gameVersion;
    hc.levelHash = MatchLevelsHash(options.resDir);
    hc.name = host ? "host" : "guest";
    hc.timeoutMs = o.waitMs;
    hc.viaRelay = o.viaRelay;
    hc.room = o.room;
    net::Handshake hs(link, hc, now());
    if (host)
        hs.SetStart(
            net::Start{options.seed & 0xffffffffu, static_cast<std::uint8_t>(o.matchLevel), 3});
    net::HandshakeStatus hsStatus = net::HandshakeStatus::Working;
    while ((hsStatus = hs.Poll(now())) == net::HandshakeStatus::Working && now() < o.waitMs) {
        link.Flush(now());
        nap();
    }
    // A refusal must reach the other side before this one goes.
    for (std::int64_t until = now() + 200; now() < until;) {
        link.Flush(now());
        net::Datagram ignored;
        if (hsStatus != net::HandshakeStatus::Done) link.Receive(now(), ignored);
        nap();
        if (hsStatus == net::HandshakeStatus::Done) break;
    }
    if (hsStatus != net::HandshakeStatus::Done) {
        const Words w = hsStatus == net::HandshakeStatus::Refused
                            ? net::ReasonWords(hs.FailReason())
                            : net::kConnectionLostWords;
        // No game and so no language yet: said in both of the game's first two.
        std::fprintf(stderr, "rhombulus2-headless: %s / %s\n",
                     Translate(kLanguageGerman, w.context, w.id),
                     Translate(kLanguageEnglish, w.context, w.id));
        return 3;
    }
    const net::Start start = hs.StartMessage();

    HeadlessPlatform platform;
    // Each side starts up with its own seed, as two machines do; the guest then takes the host's
    // whole state before the first tick.
    auto owned = NetSideGame(options, platform, host ? start.seed : options.seed);
    Game& game = *owned;
    StartNetMatch(game, start.startLevel, !options.noDraw);

    std::string record = "# seed " + std::to_string(start.seed) + "\n# match-level " +
                         std::to_string(start.startLevel) + "\n";
    net::LockstepConfig lc;
    lc.role = hc.role;
    lc.delay = start.delay;
    lc.feedWatchers = host;
    const char* side = host ? "host" : "guest";
    net::LockstepHooks hooks = GameLockstepHooks(game, std::string("rhombulus2-headless ") + side);
    net::Lockstep ls(link, lc, hooks, now());
    // As in the window: the guest takes the host's whole state before the first tick.
    if (host) ls.ShareState(now());
    const std::int64_t matchStartMs = now();
    CommandCapture capture;
    LocalControls local;
    // Kept as the window keeps its matches, with --keep-replays DIR.
    NetMatchReplay kept(
        ThisGamesReplayHeader(options.resDir, start.seed, options.firstStartLanguage));
    size_t next = 0;
    int status = 0;
    bool waitShown = false;
    long long tick = 0;
    bool over = false;
    bool desynced = false;
    while (!over) {
        const long long t = tick + 1;
        while (next < options.events.size() && options.events[next].tick <= t)
            ApplyToControls(local, options.events[next++]);
        const net::WireCommand mine = capture.Capture(game, local);
        if (o.paced) {
            while (now() < matchStartMs + 15 * tick) {
                link.Flush(now());
                nap();
            }
        }
        net::StepResult r;
        for (;;) {
            r = ls.Step(now(), mine);
            if (r.status != net::StepStatus::Waiting) break;
            if (r.showWaiting && !waitShown) {
                std::fprintf(stderr, "rhombulus2-headless %s: %s\n", side,
                             Tr(game, net::kWaitingWords));
                waitShown = true;
            }
            link.Flush(now());
            nap();
        }
        if (r.status != net::StepStatus::Run) {
            // Back at the main menu with the message. Only the replay is kept, ending with the
            // last tick this side played; no dump and no recording are written.
            const Words w = r.status == net::StepStatus::Lost ? net::kConnectionLostWords
                                                              : net::ReasonWords(r.reason);
            std::fprintf(stderr, "rhombulus2-headless %s: %s\n", side, Tr(game, w));
            KeepReplay(kept, game, options.keepReplaysDir, side);
            EndNetCommands(game);
            game.shell.GameInProgress = 0;
            ShowMainMenu(game, true);
            status = 3;
            break;
        }
        waitShown = false;
        // After a healing the guest goes on from the host's tick, which may lie before its own.
        tick = static_cast<long long>(r.tick) + 1;
        const long long t2 = tick;
        platform.wavesThisTick.clear();
        game.text.calls.clear();
        kept.BeforeTick(game, r.tick, r.host, r.guest);
        ApplyNetCommands(game, r.host, r.guest);
        record += NetTickLine(t2, r.host.bytes.data(), r.guest.bytes.data()) + "\n";
        bool draw = !options.noDraw;
        for (const auto& shot : options.shots) draw = draw || shot.first == t2;
        const int levelBefore = game.play.LevelNumber;
        FrameTick(game, draw);
        // The delay may change only where both sides start a level.
        if (host && game.play.LevelNumber != levelBefore)
            ls.LevelStarted(static_cast<std::uint32_t>(t2), now());
        if (!host && o.desyncAtTick == t2 && !desynced) {
            game.players[2].Score += 1;
            desynced = true;
        }
        if (!WriteAfterTick(options, t2, game, platform)) status = 2;
        if (NetMatchOver(game) || (options.ticks > 0 && t2 >= options.ticks)) over = true;
    }
    // A dump named for a tick after the match's last gets the state it ended in.
    for (const auto& [dt, path] : options.dumps) {
        if (status != 3 && dt > tick && !WriteText(path, DumpJson(game, platform))) status = 2;
    }
    if (status == 3) {
        // A bye this side said (the match drifted apart too often) must reach the other side
        // before the link goes, or it would only see the connection lost.
        for (std::int64_t until = now() + 300; now() < until;) {
            link.Flush(now());
            net::Datagram ignored;
            link.Receive(now(), ignored);
            nap();
        }
    } else {
        // Both sides end on the same tick; each keeps the link up a little so that the other
        // gets the commands it still needs before the bye.
        for (std::int64_t until = now() + 500; now() < until;) {
            ls.Step(now(), capture.Capture(game, local));
            link.Flush(now());
            nap();
        }
        ls.Quit(now());
        for (std::int64_t until = now() + 100; now() < until;) {
            link.Flush(now());
            net::Datagram ignored;
            link.Receive(now(), ignored);
            nap();
        }
    }
    const net::LockstepCounters& c = ls.Counters();
    const net::WireCounters wire = link.Wire();
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
