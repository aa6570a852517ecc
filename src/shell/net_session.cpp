#include "shell/net_session.h"

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "core/game.h"
#include "core/state_io.h"
#include "menus/transitions.h"
#include "modes/match.h"
#include "net/discovery.h"
#ifndef __EMSCRIPTEN__
#include "net/enet_transport.h"
#endif
#include "net/handshake.h"
#include "net/net_texts.h"
#include "net/relay_link.h"
#include "net/room_code.h"
#include "net/watcher.h"
#include "platform/file_bytes.h"
#include "presentation/music.h"
#include "shell/frame_loop.h"

#ifndef RHOMBULUS_VERSION
#define RHOMBULUS_VERSION "unknown"
#endif

namespace {

// The largest state a snapshot may unpack to: far above the game's, far below harm.
constexpr std::size_t kMaxStateBytes = 16u << 20;
// The LAN list is asked for anew this often.
constexpr std::int64_t kProbeEveryMs = 1000;
// A host waits this long for a guest, a guest this long for the host's start.
constexpr std::int64_t kHostWaitMs = 60 * 60 * 1000;
constexpr std::int64_t kJoinWaitMs = 10000;
// The last commands and a refusal need a moment on the wire before this side goes.
constexpr std::int64_t kLingerMs = 300;

std::unique_ptr<net::Transport> ConnectOut(const NetSessionConfig& config, const std::string& host,
                                           std::uint16_t port, std::string* error) {
    if (config.connect) return config.connect(host, port, error);
#ifdef __EMSCRIPTEN__
    *error = "no way to connect";
    return nullptr;
#else
    return net::EnetTransport::Connect(host, port, error);
#endif
}
// A spectator that holds more ticks than this runs two a frame until it is this close again.
constexpr std::size_t kWatchLagTicks = 24;

// HOST or HOST:PORT (an IPv6 address in brackets when it has a port).
bool SplitAddress(const std::string& text, std::string& host, std::uint16_t& port,
                  std::uint16_t defaultPort) {
    host = text;
    port = defaultPort;
    const std::size_t colon = text.rfind(':');
    const bool bracketed = !text.empty() && text[0] == '[';
    if (colon != std::string::npos &&
        (bracketed ? text[colon - 1] == ']' : text.find(':') == colon)) {
        long p = 0;
        for (std::size_t i = colon + 1; i < text.size() && p <= 65535; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            p = p * 10 + (text[i] - '0');
        }
        if (colon + 1 == text.size() || p < 1 || p > 65535) return false;
        port = static_cast<std::uint16_t>(p);
        host = text.substr(0, colon);
    }
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    return !host.empty();
}

// Keeps the link going for `ms` from `nowMs` on the session's clock, so that what it holds
// (a bye, a refusal, under test faults a delayed packet) goes out before it closes.
void Linger(net::Transport& link, std::int64_t ms, std::int64_t nowMs) {
    const auto start = std::chrono::steady_clock::now();
    const auto until = start + std::chrono::milliseconds(ms);
    net::Datagram ignored;
    for (int n = 0; n < 1000 && std::chrono::steady_clock::now() < until; ++n) {
        const auto passed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        link.Receive(nowMs + passed.count(), ignored);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
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

NetSession::NetSession(NetSessionConfig config) : config_(std::move(config)) {
    if (config_.port == 0) config_.port = net::kDefaultPort;
    if (config_.discoveryPort == 0) config_.discoveryPort = net::kDiscoveryPort;
    if (config_.probeTarget.empty()) config_.probeTarget = net::kBroadcastAddress;
}

NetSession::~NetSession() {
    if (lockstep_ != nullptr && !lockstep_->Over()) {
        lockstep_->Quit(Now());
        Linger(*link_, kLingerMs, Now());
    }
}

void NetSession::Drop() {
    lockstep_.reset();
    spectator_.reset();
    handshake_.reset();
    beacon_.reset();
    if (link_ != nullptr) link_->Close();
    link_.reset();
    hosting_ = false;
}

void NetSession::HostStatus(Game& game) {
    NetMenu& menu = game.netMenu;
    menu.status.clear();
    if (config_.relay.empty()) {
        menu.status.push_back(FillIn(Tr(game, "Port %s"), {std::to_string(config_.port)}));
        std::string addresses;
        for (const std::string& a : net::LocalAddresses()) {
            if (addresses.size() + a.size() > 40) break;
            addresses += (addresses.empty() ? "" : "  ") + a;
        }
        if (!addresses.empty()) menu.status.push_back(addresses);
    } else {
        menu.status.push_back(FillIn(Tr(game, "Room code %s"), {net::ShownRoomCode(room_)}));
    }
    menu.status.push_back(Tr(game, net::kWaitingWords));
}

void NetSession::Host(Game& game, std::int64_t nowMs) {
    Drop();
    NetMenu& menu = game.netMenu;
    std::string error;
    room_ = net::RoomCodeFor(config_.seed);
    if (!config_.relay.empty()) {
        std::string host;
        std::uint16_t port = 0;
        if (SplitAddress(config_.relay, host, port, net::kDefaultPort)) {
            auto toRelay = ConnectOut(config_, host, port, &error);
            if (toRelay != nullptr)
                TakeLink(std::make_unique<net::RelayLink>(std::move(toRelay), net::Role::Host));
        }
    } else {
#ifdef __EMSCRIPTEN__
        error = "a browser hosts only through a relay";
#else
        auto listening = net::EnetTransport::Listen("", config_.port, &error);
        if (listening != nullptr)
            listening->AcceptWatchers(NetGameVersion(), MatchLevelsHash(config_.resDir));
        TakeLink(std::move(listening));
#endif
    }
    if (!LinkOpened(game, error)) return;
    net::HandshakeConfig hc = HandshakeOf(net::Role::Host, kHostWaitMs, !config_.relay.empty());
    if (hc.viaRelay) hc.room = room_;
    handshake_ = std::make_unique<net::Handshake>(*link_, hc, nowMs);
    beacon_ = net::LanBeacon::Open("", config_.discoveryPort, &error);
    hosting_ = true;
    refusalsSaid_ = 0;
    OfferLevel(menu.startLevel);
    menu.busy = true;
    HostStatus(game);
    std::fprintf(stderr, "rhombulus2: hosting a network match on port %u, room %s\n",
                 static_cast<unsigned>(config_.port), net::ShownRoomCode(room_).c_str());
}

void NetSession::OfferLevel(int level, bool playing) {
    offeredLevel_ = level;
    if (!playing)
        handshake_->SetStart(
            net::Start{config_.seed & 0xffffffffu, static_cast<std::uint8_t>(level), 3});
    if (beacon_ != nullptr) {
        net::Offer offer;
        offer.port = config_.port;
        offer.name = config_.name;
        offer.startLevel = static_cast<std::uint8_t>(level);
        offer.room = room_;
        offer.playing = playing ? 1 : 0;
        beacon_->SetOffer(offer);
    }
}

void NetSession::TakeLink(std::unique_ptr<net::Transport> link) {
    if (link != nullptr && config_.faults.Any())
        link = std::make_unique<net::FaultyTransport>(std::move(link), config_.faults);
    link_ = std::move(link);
}

bool NetSession::LinkOpened(Game& game, const std::string& error) {
    if (link_ != nullptr) return true;
    std::fprintf(stderr, "rhombulus2: %s\n", error.c_str());
    game.netMenu.status = {Tr(game, net::kConnectionLostWords)};
    return false;
}

net::HandshakeConfig NetSession::HandshakeOf(net::Role role, std::int64_t timeoutMs,
                                             bool viaRelay) const {
    net::HandshakeConfig hc;
    hc.role = role;
    hc.gameVersion = NetGameVersion();
    hc.levelHash = MatchLevelsHash(config_.resDir);
    hc.name = config_.name;
    hc.timeoutMs = timeoutMs;
    hc.viaRelay = viaRelay;
    return hc;
}

bool NetSession::OpenTo(Game& game, net::Role self, std::string& room) {
    NetMenu& menu = game.netMenu;
    std::string error;
    const auto code = net::NormaliseRoomCode(menu.address);
    std::string host;
    std::uint16_t port = 0;
    const bool viaRelay = code.has_value() && !config_.relay.empty();
    if (viaRelay ? !SplitAddress(config_.relay, host, port, net::kDefaultPort)
                 : !SplitAddress(menu.address, host, port, config_.port)) {
        menu.status = {Tr(game, net::ReasonWords(net::Reason::BadCode))};
        return false;
    }
    auto to = ConnectOut(config_, host, port, &error);
    if (to != nullptr && viaRelay)
        TakeLink(std::make_unique<net::RelayLink>(std::move(to), self));
    else
        TakeLink(std::move(to));
    if (!LinkOpened(game, error)) return false;
    room = viaRelay ? *code : "";
    menu.busy = true;
    menu.status = {Tr(game, "Connecting ...")};
    std::fprintf(stderr, "rhombulus2: %s the network match at %s port %u\n",
                 self == net::Role::Watcher ? "watching" : "joining", host.c_str(),
                 static_cast<unsigned>(port));
    return true;
}

void NetSession::Join(Game& game, std::int64_t nowMs) {
    Drop();
    std::string room;
    if (!OpenTo(game, net::Role::Guest, room)) return;
    net::HandshakeConfig hc = HandshakeOf(net::Role::Guest, kJoinWaitMs, !room.empty());
    hc.room = room;
    handshake_ = std::make_unique<net::Handshake>(*link_, hc, nowMs);
}

void NetSession::Watch(Game& game, std::int64_t nowMs) {
    Drop();
    if (!OpenTo(game, net::Role::Watcher, room_)) return;
    SetOwnGameAside(game);
    spectator_ = std::make_unique<net::Spectator>(
        *link_, WatcherHooks(game, "rhombulus2 watcher", true), nowMs, kJoinWaitMs);
    watchHelloSent_ = false;
    leftWatching_ = false;
    lastEscape_ = true;
    pendingFirst_ = net::StepResult{};
    capture_ = CommandCapture{};
    showWaiting_ = false;
    endWords_ = Words{};
}

bool NetSession::InMatch() const {
    return lockstep_ != nullptr || (spectator_ != nullptr && spectator_->Synced());
}

void NetSession::Probe(Game& game, std::int64_t nowMs) {
    if (probe_ == nullptr) {
        std::string error;
        probe_ = net::LanProbe::Open(&error);
        if (probe_ == nullptr) return;
    }
    // The list shows the answers to the last round while the next one is out, so that it
    // does not flicker.
    for (const net::FoundHost& h : probe_->Poll(nonce_)) {
        NetMenu::Found f;
        f.address = h.address + ":" + std::to_string(h.offer.port);
        f.playing = h.offer.playing != 0;
        f.label = h.offer.name + " - " + f.address + " - " +
                  (f.playing ? std::string(TrC(game, "network", "Watch"))
                             : FillIn(Tr(game, "Level %s"), {std::to_string(h.offer.startLevel)}));
        bool known = false;
        for (const NetMenu::Found& k : answers_) known = known || k.address == f.address;
        if (!known && answers_.size() < 3) answers_.push_back(f);
    }
    std::vector<NetMenu::Found>& found = game.netMenu.found;
    // A host that answers at once shows at once.
    for (const NetMenu::Found& a : answers_) {
        bool shown = false;
        for (const NetMenu::Found& k : found) shown = shown || k.address == a.address;
        if (!shown && found.size() < 3) found.push_back(a);
    }
    if (nowMs - lastProbeMs_ < kProbeEveryMs) return;
    lastProbeMs_ = nowMs;
    found = answers_;
    answers_.clear();
    ++nonce_;
    probe_->Send(config_.probeTarget, config_.discoveryPort, nonce_);
}

std::int64_t NetSession::Now() const {
    return clockMs_ + std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - clockAt_)
                          .count();
}

void NetSession::SetNow(std::int64_t nowMs) {
    clockMs_ = nowMs;
    clockAt_ = std::chrono::steady_clock::now();
}

void NetSession::Poll(Game& game, std::int64_t nowMs) {
    SetNow(nowMs);
    NetMenu& menu = game.netMenu;
    const NetMenu::Ask ask = menu.ask;
    menu.ask = NetMenu::Ask::kNone;
    if (ask == NetMenu::Ask::kHost) Host(game, nowMs);
    if (ask == NetMenu::Ask::kJoin) Join(game, nowMs);
    if (ask == NetMenu::Ask::kWatch) Watch(game, nowMs);
    if (ask == NetMenu::Ask::kLeave) {
        TakeOwnGameBack(game);
        Drop();
        menu.busy = false;
        menu.status.clear();
    }
    if (spectator_ != nullptr) {
        // Until the host's state is here the screen waits, "Connecting ..." on it.
        if (!watchHelloSent_ && link_->Status() == net::LinkStatus::Connected) {
            const net::Hello hello{
                net::kProtocolVersion, NetGameVersion(), MatchLevelsHash(config_.resDir),
                net::Role::Watcher,    config_.name,     room_};
            link_->Send(net::Channel::Session, net::Encode(hello), nowMs);
            watchHelloSent_ = true;
        }
        if (!spectator_->Synced()) {
            const net::StepResult r = spectator_->Step(nowMs);
            if (r.status == net::StepStatus::Ended || r.status == net::StepStatus::Lost) {
                menu.status = {Tr(game, r.status == net::StepStatus::Lost
                                            ? net::kConnectionLostWords
                                            : net::ReasonWords(r.reason))};
                std::fprintf(stderr, "rhombulus2: %s\n", menu.status[0].c_str());
                Drop();
                TakeOwnGameBack(game);
                menu.busy = false;
            } else if (spectator_->Synced()) {
                std::fprintf(stderr, "rhombulus2: watching the network match\n");
                game.netMenu.busy = false;
                game.netMenu.status.clear();
                pendingFirst_ = r;
            }
            return;
        }
    }
    if (game.shell.ScreenId != kScreenNetMatch) {
        // Off the screen nothing waits and nothing is probed.
        if (handshake_ != nullptr) Drop();
        probe_.reset();
        menu.busy = false;
        return;
    }
    if (hosting_ && handshake_ != nullptr && menu.startLevel != offeredLevel_)
        OfferLevel(menu.startLevel);
    if (beacon_ != nullptr) beacon_->Poll();
    if (!menu.busy) Probe(game, nowMs);
    if (handshake_ == nullptr) return;
    const net::HandshakeStatus status = handshake_->Poll(nowMs);
    if (hosting_ && handshake_->Refused() > refusalsSaid_) {
        // The host waits on; the player turned away was told why.
        refusalsSaid_ = handshake_->Refused();
        std::fprintf(stderr, "rhombulus2: turned a player away: %s\n",
                     Tr(game, net::ReasonWords(handshake_->LastRefusal())));
    }
    if (status == net::HandshakeStatus::Working) return;
    if (status == net::HandshakeStatus::Refused) {
        menu.status = {Tr(game, net::ReasonWords(handshake_->FailReason()))};
        std::fprintf(stderr, "rhombulus2: %s\n", menu.status[0].c_str());
        Linger(*link_, kLingerMs, Now());
        Drop();
        menu.busy = false;
        return;
    }
    const net::Start start = handshake_->StartMessage();
    // A host on the LAN goes on answering, so that spectators find its match.
    if (hosting_)
        OfferLevel(start.startLevel, true);
    else
        beacon_.reset();
    probe_.reset();
    menu.busy = false;
    menu.status.clear();
    std::fprintf(stderr, "rhombulus2: the network match starts at level %d\n", start.startLevel);
    SetOwnGameAside(game);
    StartNetMatch(game, start.startLevel, true);
    net::LockstepConfig lc;
    lc.role = hosting_ ? net::Role::Host : net::Role::Guest;
    lc.delay = start.delay;
    lc.feedWatchers = hosting_;
    lockstep_ = std::make_unique<net::Lockstep>(
        *link_, lc, GameLockstepHooks(game, hosting_ ? "rhombulus2 host" : "rhombulus2 guest"),
        nowMs);
    // Each machine comes with its own settings, tables and generator: the guest takes the
    // host's whole state before the first tick, so that both run the very same match.
    if (hosting_) lockstep_->ShareState(nowMs);
    capture_ = CommandCapture{};
    showWaiting_ = false;
    leftWatching_ = false;
    endWords_ = Words{};
}

NetSession::Tick NetSession::EndedBy(Game& game, const Words& why) {
    endWords_ = why;
    EndNetCommands(game);
    Drop();
    return Tick::kEnded;
}

NetSession::Tick NetSession::WatchTick(Game& game, const LocalControls& local, std::int64_t nowMs) {
    // Escape leaves; nothing this machine does reaches the match.
    const bool escape = local.keyEscape && !lastEscape_;
    lastEscape_ = local.keyEscape;
    if (escape) {
        std::fprintf(stderr, "rhombulus2: left watching the network match\n");
        leftWatching_ = true;
        return EndedBy(game, Words{});
    }
    // One tick a frame, a few behind the players; two while more than a few batches wait.
    for (int run = 0; run < 2; ++run) {
        net::StepResult r = pendingFirst_;
        pendingFirst_ = net::StepResult{};
        if (r.status != net::StepStatus::Run) r = spectator_->Step(nowMs);
        if (r.status == net::StepStatus::Waiting) {
            showWaiting_ = r.silentMs >= 500;
            return run == 0 ? Tick::kWaiting : Tick::kRan;
        }
        showWaiting_ = false;
        if (r.status != net::StepStatus::Run)
            return EndedBy(game, r.status == net::StepStatus::Lost ? net::kConnectionLostWords
                                                                   : net::ReasonWords(r.reason));
        ApplyNetCommands(game, r.host, r.guest);
        lastTick_ = r.tick + 1;
        FrameTick(game, true);
        if (NetMatchOver(game)) return EndedBy(game, Words{});
        if (spectator_->Held() <= kWatchLagTicks) break;
    }
    return Tick::kRan;
}

NetSession::Tick NetSession::MatchTick(Game& game, const LocalControls& local, std::int64_t nowMs) {
    SetNow(nowMs);
    if (spectator_ != nullptr) return WatchTick(game, local, nowMs);
    if (lockstep_ == nullptr) return Tick::kEnded;
    if (beacon_ != nullptr) beacon_->Poll();
    const net::StepResult r = lockstep_->Step(nowMs, capture_.Capture(game, local));
    if (r.status == net::StepStatus::Waiting) {
        showWaiting_ = r.showWaiting;
        return Tick::kWaiting;
    }
    showWaiting_ = false;
    if (r.status != net::StepStatus::Run) {
        endWords_ = r.status == net::StepStatus::Lost ? net::kConnectionLostWords
                                                      : net::ReasonWords(r.reason);
        // A bye this side said (the match drifted apart too often) must reach the other side
        // before the link goes, or it would only see the connection lost.
        if (r.status == net::StepStatus::Ended) Linger(*link_, kLingerMs, Now());
        EndNetCommands(game);
        Drop();
        return Tick::kEnded;
    }
    if (config_.beforeTick) config_.beforeTick(game, r.tick, r.host, r.guest);
    ApplyNetCommands(game, r.host, r.guest);
    lastTick_ = r.tick + 1;
    const int levelBefore = game.play.LevelNumber;
    FrameTick(game, true);
    if (hosting_ && game.play.LevelNumber != levelBefore)
        lockstep_->LevelStarted(r.tick + 1, nowMs);
    if (!NetMatchOver(game)) return Tick::kRan;
    // Played to its end on both sides: the other may still need this side's last commands.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLingerMs);
    for (int n = 0; n < 1000 && std::chrono::steady_clock::now() < until; ++n) {
        lockstep_->Step(Now(), capture_.Capture(game, local));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    lockstep_->Quit(Now());
    Linger(*link_, 50, Now());
    EndNetCommands(game);
    Drop();
    return Tick::kEnded;
}

void NetSession::BackToMenu(Game& game) {
    TakeOwnGameBack(game);
    const int level = game.netMenu.startLevel;
    game.netMenu = NetMenu{};
    game.netMenu.startLevel = level;
    ShowMainMenu(game, true);
}

void NetSession::Leave(Game& game) {
    if (lockstep_ == nullptr && !InMatch()) return;
    if (lockstep_ != nullptr) {
        lockstep_->Quit(Now());
        Linger(*link_, kLingerMs, Now());
    }
    EndNetCommands(game);
    Drop();
    BackToMenu(game);
}
