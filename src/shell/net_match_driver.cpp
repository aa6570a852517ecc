#include "shell/net_match_driver.h"

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "core/game.h"
#include "core/state_io.h"
#include "menus/transitions.h"
#include "modes/match.h"
#include "net/relay_link.h"
#ifndef __EMSCRIPTEN__
#include "net/enet_transport.h"
#endif
#include "net/net_texts.h"
#include "platform/file_bytes.h"
#include "presentation/music.h"
#include "shell/frame_loop.h"

#ifndef RHOMBULUS_VERSION
#define RHOMBULUS_VERSION "unknown"
#endif

namespace {

// The largest state a snapshot may unpack to: far above the game's, far below harm.
constexpr std::size_t kMaxStateBytes = 16u << 20;

// A bye, a refusal, and under test faults a delayed packet, need this long on the wire.
constexpr std::int64_t kByeLingerMs = 300;
// Played to its end: the other side may still need this side's last commands, sent again
// while it has not acknowledged them; then the bye.
constexpr std::int64_t kEndLingerMs = 500;
constexpr std::int64_t kAfterQuitMs = 100;
// A spectator that goes: its goodbye to the host or the relay.
constexpr std::int64_t kWatcherLingerMs = 50;
// Watching: the stream silent this long is shown as waiting.
constexpr std::int64_t kWatchNoticeMs = 500;

void Nap() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

std::string NetGameVersion() {
    return std::string("rhombulus2-") + RHOMBULUS_VERSION;
}

std::uint64_t MatchLevelsHash(const std::string& resDir) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (int n = 1; n <= 50; ++n) {
        const FileBytes f = ReadFileBytes(
            resDir + "/Levelz/lvl" + std::to_string(10000 + n).substr(1) + "two.lvl", 1 << 20);
        for (std::uint8_t b : f.bytes) h = (h ^ b) * 0x100000001b3ull;
        h = (h ^ static_cast<std::uint64_t>(f.bytes.size())) * 0x100000001b3ull;
    }
    return h;
}

// A one-byte kind in front: 0 as it is, 1 zlib. The state is mostly empty tables, so zlib
// sends it in a small part of the packets (the readers of both kinds stay).
std::vector<std::uint8_t> PackSnapshot(const std::vector<std::uint8_t>& state) {
    std::vector<std::uint8_t> out;
    uLongf size = compressBound(state.size());
    out.assign(1 + 4 + size, 1);
    for (int i = 0; i < 4; ++i) out[1 + i] = static_cast<std::uint8_t>(state.size() >> (8 * i));
    if (compress2(out.data() + 5, &size, state.data(), state.size(), 6) != Z_OK) return {};
    out.resize(5 + size);
    return out;
}

bool UnpackSnapshot(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& state) {
    if (in.empty()) return false;
    if (in[0] == 0) {
        state.assign(in.begin() + 1, in.end());
        return true;
    }
    if (in[0] != 1 || in.size() < 5) return false;
    std::size_t want = 0;
    for (int i = 0; i < 4; ++i) want |= static_cast<std::size_t>(in[1 + i]) << (8 * i);
    if (want > kMaxStateBytes) return false;
    state.resize(want);
    uLongf size = want;
    if (uncompress(state.data(), &size, in.data() + 5, in.size() - 5) != Z_OK || size != want)
        return false;
    return true;
}

net::LockstepHooks GameLockstepHooks(Game& game, const std::string& side) {
    net::LockstepHooks hooks;
    hooks.stateHash = [&game] { return StateHash(game); };
    hooks.takeSnapshot = [&game] { return PackSnapshot(StateBytes(game, StatePart::kWhole)); };
    hooks.restoreSnapshot = [&game](std::span<const std::uint8_t> b) {
        std::vector<std::uint8_t> bytes;
        if (!UnpackSnapshot(b, bytes)) return false;
        auto copy = std::make_unique<Simulation>(game.sim());
        std::string why;
        if (!ReadStateBytes(bytes.data(), bytes.size(), StatePart::kWhole, *copy, why))
            return false;
        game.sim() = *copy;
        return true;
    };
    hooks.log = [side](const std::string& line) {
        std::fprintf(stderr, "%s: %s\n", side.c_str(), line.c_str());
    };
    return hooks;
}

net::SpectatorHooks WatcherHooks(Game& game, const std::string& side, bool draw) {
    const net::LockstepHooks hooks = GameLockstepHooks(game, side);
    auto restore = hooks.restoreSnapshot;
    // The match screen as the players have it, then the host's state over all of it; the tune
    // the match's start asked for is carried out here, as the host's state holds no request.
    return net::SpectatorHooks{[&game, restore, draw](std::span<const std::uint8_t> bytes) {
                                   StartNetMatch(game, 1, draw);
                                   const std::string tune = game.requests.tune;
                                   if (!restore(bytes)) return false;
                                   if (!tune.empty() && game.requests.tune.empty())
                                       StartTune(game, tune);
                                   return true;
                               },
                               hooks.log};
}

bool NetMatchOver(const Game& game) {
    // Decided, and its last level's end has run out: the match waits for a key to go on.
    const bool decided =
        MatchDecided(game.match) && game.play.LevelCleared != 0 && game.play.ClearedTimer == 0;
    return decided || game.shell.ScreenId != kScreenMatch;
}

void StartNetMatch(Game& game, int level, bool draw) {
    // Start-up (the splash) before the match; these ticks are the program's, not the match's.
    while (game.shell.FrameCounter < 2 && game.shell.QuitRequested == 0) FrameTick(game, draw);
    game.computer.Strength[1] = kNoComputer;
    game.computer.Strength[2] = kNoComputer;
    StartMatchLevel(game, game.env, level, 1, true, true);
}

NetMatchDriver::NetMatchDriver(NetDriverConfig config) : config_(std::move(config)) {
    if (config_.gameVersion.empty()) config_.gameVersion = NetGameVersion();
}

NetMatchDriver::~NetMatchDriver() {
    if (lockstep_ != nullptr && !lockstep_->Over()) Leave();
}

std::string NetMatchDriver::Side(net::Role role) const {
    const char* name = role == net::Role::Host    ? "host"
                       : role == net::Role::Guest ? "guest"
                                                  : "watcher";
    return config_.program + " " + name;
}

bool NetMatchDriver::Open(net::Role role, const std::string& host, std::uint16_t port,
                          bool viaRelay, std::string* error) {
    Drop();
    std::unique_ptr<net::Transport> link;
    if (role == net::Role::Host && !viaRelay) {
#ifdef __EMSCRIPTEN__
        *error = "a browser hosts only through a relay";
#else
        auto listening = net::EnetTransport::Listen("", port, error);
        if (listening != nullptr)
            listening->AcceptWatchers(config_.gameVersion, MatchLevelsHash(config_.resDir));
        link = std::move(listening);
#endif
    } else {
        if (config_.connect) {
            link = config_.connect(host, port, error);
        } else {
#ifdef __EMSCRIPTEN__
            *error = "no way to connect";
#else
            link = net::EnetTransport::Connect(host, port, error);
#endif
        }
        // The relay pairs the players (and lets spectators in) by the room code.
        if (link != nullptr && viaRelay)
            link = std::make_unique<net::RelayLink>(std::move(link), role);
    }
    Take(role, std::move(link));
    return link_ != nullptr;
}

void NetMatchDriver::Take(net::Role role, std::unique_ptr<net::Transport> link) {
    Drop();
    role_ = role;
    if (link != nullptr && config_.faults.Any()) {
        auto faulty = std::make_unique<net::FaultyTransport>(std::move(link), config_.faults);
        faulty_ = faulty.get();
        link = std::move(faulty);
    }
    link_ = std::move(link);
}

void NetMatchDriver::StartHandshake(std::int64_t timeoutMs, const std::string& room) {
    net::HandshakeConfig hc;
    hc.role = role_;
    hc.gameVersion = config_.gameVersion;
    hc.levelHash = MatchLevelsHash(config_.resDir);
    hc.name = config_.name;
    hc.timeoutMs = timeoutMs;
    hc.viaRelay = !room.empty();
    hc.room = room;
    handshake_ = std::make_unique<net::Handshake>(*link_, hc, Now());
}

void NetMatchDriver::SetStart(const net::Start& start) {
    if (handshake_ != nullptr) handshake_->SetStart(start);
}

net::HandshakeStatus NetMatchDriver::PollHandshake() {
    if (handshake_ == nullptr) return net::HandshakeStatus::Refused;
    const net::HandshakeStatus status = handshake_->Poll(Now());
    Flush();
    if (status == net::HandshakeStatus::Refused) Linger(kByeLingerMs);
    return status;
}

void NetMatchDriver::BeginMatch(Game& game, bool draw) {
    StartNetMatch(game, handshake_->StartMessage().startLevel, draw);
    net::LockstepConfig lc;
    lc.role = role_;
    lc.delay = handshake_->StartMessage().delay;
    lc.feedWatchers = role_ == net::Role::Host;
    lockstep_ =
        std::make_unique<net::Lockstep>(*link_, lc, GameLockstepHooks(game, Side(role_)), Now());
    // Each machine comes with its own settings, tables and generator: the guest takes the
    // host's whole state before the first tick, so that both run the very same match.
    if (role_ == net::Role::Host) lockstep_->ShareState(Now());
    capture_ = CommandCapture{};
    mineTaken_ = false;
    showWaiting_ = false;
    lastTick_ = 0;
    endWords_ = Words{};
}

bool NetMatchDriver::EndsWith(const Game& game) const {
    return NetMatchOver(game) || (config_.lastTick > 0 && lastTick_ >= config_.lastTick);
}

void NetMatchDriver::RunTick(Game& game, const net::StepResult& r) {
    if (config_.beforeTick) config_.beforeTick(game, r.tick, r.host, r.guest);
    ApplyNetCommands(game, r.host, r.guest);
    // After a healing the guest goes on from the host's tick, which may lie before its own.
    lastTick_ = r.tick + 1;
    const int levelBefore = game.play.LevelNumber;
    FrameTick(game, !config_.drawTick || config_.drawTick(lastTick_));
    // The delay may change only where both sides start a level.
    if (lockstep_ != nullptr && role_ == net::Role::Host && game.play.LevelNumber != levelBefore)
        lockstep_->LevelStarted(lastTick_, Now());
    if (config_.afterTick) config_.afterTick(game, lastTick_, EndsWith(game));
}

NetMatchDriver::Tick NetMatchDriver::Cut(const net::StepResult& r) {
    endWords_ =
        r.status == net::StepStatus::Lost ? net::kConnectionLostWords : net::ReasonWords(r.reason);
    return Tick::kEnded;
}

NetMatchDriver::Tick NetMatchDriver::Step(Game& game, const LocalControls& local) {
    if (lockstep_ == nullptr || lockstep_->Over()) return Tick::kEnded;
    if (!mineTaken_) {
        mine_ = capture_.Capture(game, local);
        mineTaken_ = true;
    }
    const net::StepResult r = lockstep_->Step(Now(), mine_);
    if (r.status == net::StepStatus::Waiting) {
        showWaiting_ = r.showWaiting;
        Flush();
        return Tick::kWaiting;
    }
    showWaiting_ = false;
    if (r.status != net::StepStatus::Run) {
        // A bye this side said (the match drifted apart too often) must reach the other side
        // before the link goes, or it would only see the connection lost.
        if (r.status == net::StepStatus::Ended) Linger(kByeLingerMs);
        return Cut(r);
    }
    mineTaken_ = false;
    RunTick(game, r);
    if (!EndsWith(game)) return Tick::kRan;
    // Both sides end on the same tick; each keeps the link up a little so that the other gets
    // the commands it still needs before the bye.
    const std::int64_t until = Now() + kEndLingerMs;
    for (int n = 0; n < 1000 && Now() < until; ++n) {
        lockstep_->Step(Now(), capture_.Capture(game, local));
        Flush();
        Nap();
    }
    lockstep_->Quit(Now());
    Linger(kAfterQuitMs);
    return Tick::kEnded;
}

void NetMatchDriver::Leave() {
    if (lockstep_ != nullptr && !lockstep_->Over()) {
        lockstep_->Quit(Now());
        Linger(kByeLingerMs);
    }
    if (spectator_ != nullptr) StopWatching();
}

void NetMatchDriver::StartWatching(Game& game, std::int64_t timeoutMs, const std::string& room,
                                   bool draw) {
    role_ = net::Role::Watcher;
    room_ = room;
    spectator_ = std::make_unique<net::Spectator>(*link_, WatcherHooks(game, Side(role_), draw),
                                                  Now(), timeoutMs);
    helloSent_ = false;
    pendingFirst_ = net::StepResult{};
    showWaiting_ = false;
    lastTick_ = 0;
    endWords_ = Words{};
}

NetMatchDriver::Tick NetMatchDriver::WatchStep(Game& game) {
    if (spectator_ == nullptr) return Tick::kEnded;
    if (!helloSent_ && link_->Status() == net::LinkStatus::Connected) {
        const net::Hello hello{
            net::kProtocolVersion, config_.gameVersion, MatchLevelsHash(config_.resDir),
            net::Role::Watcher,    config_.name,        room_};
        link_->Send(net::Channel::Session, net::Encode(hello), Now());
        helloSent_ = true;
    }
    const bool wasSynced = spectator_->Synced();
    net::StepResult r = pendingFirst_;
    pendingFirst_ = net::StepResult{};
    if (r.status != net::StepStatus::Run) r = spectator_->Step(Now());
    Flush();
    if (r.status == net::StepStatus::Waiting) {
        showWaiting_ = wasSynced && r.silentMs >= kWatchNoticeMs;
        return Tick::kWaiting;
    }
    showWaiting_ = false;
    if (r.status != net::StepStatus::Run) {
        StopWatching();
        return Cut(r);
    }
    if (!wasSynced) {
        // The host's state came with the first tick: it runs on the next step, once the front
        // end has seen that the match is there.
        pendingFirst_ = r;
        return Tick::kWaiting;
    }
    RunTick(game, r);
    if (!EndsWith(game)) return Tick::kRan;
    StopWatching();
    return Tick::kEnded;
}

std::size_t NetMatchDriver::Behind() const {
    return spectator_ != nullptr ? spectator_->Held() : 0;
}

void NetMatchDriver::StopWatching() {
    if (link_ == nullptr) return;
    link_->Close();
    Linger(kWatcherLingerMs);
}

net::WireCounters NetMatchDriver::Wire() const {
    return link_ != nullptr ? link_->Wire() : net::WireCounters{};
}

void NetMatchDriver::Flush() {
    if (faulty_ != nullptr) faulty_->Flush(Now());
}

void NetMatchDriver::Linger(std::int64_t ms) {
    if (link_ == nullptr) return;
    const std::int64_t until = Now() + ms;
    net::Datagram ignored;
    for (int n = 0; n < 1000 && Now() < until; ++n) {
        Flush();
        link_->Receive(Now(), ignored);
        Nap();
    }
}

void NetMatchDriver::Drop() {
    lockstep_.reset();
    spectator_.reset();
    handshake_.reset();
    if (link_ != nullptr) link_->Close();
    link_.reset();
    faulty_ = nullptr;
}
