#include "shell/net_session.h"

#include <chrono>
#include <cstdio>

#include "core/game.h"
#include "menus/transitions.h"
#include "net/discovery.h"
#include "net/net_texts.h"
#include "net/room_code.h"
#include "shell/frame_loop.h"

namespace {

// The LAN list is asked for anew this often.
constexpr std::int64_t kProbeEveryMs = 1000;
// A host waits this long for a guest, a guest this long for the host's start.
constexpr std::int64_t kHostWaitMs = 60 * 60 * 1000;
constexpr std::int64_t kJoinWaitMs = 10000;
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

}  // namespace

NetSession::NetSession(NetSessionConfig config)
    : config_(std::move(config)), driver_([this] {
          NetDriverConfig dc;
          dc.resDir = config_.resDir;
          dc.name = config_.name;
          dc.faults = config_.faults;
          dc.connect = config_.connect;
          dc.clock = [this] { return Now(); };
          // Only a player's machine keeps the match as a replay.
          dc.beforeTick = [this](Game& game, std::uint32_t tick, const net::WireCommand& host,
                                 const net::WireCommand& guest) {
              if (!driver_.Watching() && config_.beforeTick)
                  config_.beforeTick(game, tick, host, guest);
          };
          return dc;
      }()) {
    if (config_.port == 0) config_.port = net::kDefaultPort;
    if (config_.discoveryPort == 0) config_.discoveryPort = net::kDiscoveryPort;
    if (config_.probeTarget.empty()) config_.probeTarget = net::kBroadcastAddress;
}

NetSession::~NetSession() = default;

void NetSession::Drop() {
    driver_.Drop();
    beacon_.reset();
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

void NetSession::Host(Game& game) {
    Drop();
    NetMenu& menu = game.netMenu;
    std::string error;
    room_ = net::RoomCodeFor(config_.seed);
    const bool viaRelay = !config_.relay.empty();
    std::string host;
    std::uint16_t port = config_.port;
    if (viaRelay && !SplitAddress(config_.relay, host, port, net::kDefaultPort))
        error = "the relay's address is no HOST:PORT";
    else
        driver_.Open(net::Role::Host, host, port, viaRelay, &error);
    if (!LinkOpened(game, error)) return;
    driver_.StartHandshake(kHostWaitMs, viaRelay ? room_ : "");
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
        driver_.SetStart(
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

bool NetSession::LinkOpened(Game& game, const std::string& error) {
    if (driver_.Linked()) return true;
    std::fprintf(stderr, "rhombulus2: %s\n", error.c_str());
    game.netMenu.status = {Tr(game, net::kConnectionLostWords)};
    return false;
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
    driver_.Open(self, host, port, viaRelay, &error);
    if (!LinkOpened(game, error)) return false;
    room = viaRelay ? *code : "";
    menu.busy = true;
    menu.status = {Tr(game, "Connecting ...")};
    std::fprintf(stderr, "rhombulus2: %s the network match at %s port %u\n",
                 self == net::Role::Watcher ? "watching" : "joining", host.c_str(),
                 static_cast<unsigned>(port));
    return true;
}

void NetSession::Join(Game& game) {
    Drop();
    std::string room;
    if (!OpenTo(game, net::Role::Guest, room)) return;
    driver_.StartHandshake(kJoinWaitMs, room);
}

void NetSession::Watch(Game& game) {
    Drop();
    if (!OpenTo(game, net::Role::Watcher, room_)) return;
    SetOwnGameAside(game);
    driver_.StartWatching(game, kJoinWaitMs, room_, true);
    leftWatching_ = false;
    lastEscape_ = true;
}

bool NetSession::InMatch() const {
    return driver_.Playing() || driver_.Synced();
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
    if (ask == NetMenu::Ask::kHost) Host(game);
    if (ask == NetMenu::Ask::kJoin) Join(game);
    if (ask == NetMenu::Ask::kWatch) Watch(game);
    if (ask == NetMenu::Ask::kLeave) {
        TakeOwnGameBack(game);
        Drop();
        menu.busy = false;
        menu.status.clear();
    }
    if (driver_.Watching() && !driver_.Synced()) {
        // Until the host's state is here the screen waits, "Connecting ..." on it.
        if (driver_.WatchStep(game) == Tick::kEnded) {
            menu.status = {Tr(game, driver_.EndWords())};
            std::fprintf(stderr, "rhombulus2: %s\n", menu.status[0].c_str());
            Drop();
            TakeOwnGameBack(game);
            menu.busy = false;
        } else if (driver_.Synced()) {
            std::fprintf(stderr, "rhombulus2: watching the network match\n");
            game.netMenu.busy = false;
            game.netMenu.status.clear();
        }
        return;
    }
    const net::Handshake* handshake = driver_.HandshakeState();
    if (game.shell.ScreenId != kScreenNetMatch) {
        // Off the screen nothing waits and nothing is probed.
        if (handshake != nullptr && !driver_.Playing()) Drop();
        probe_.reset();
        menu.busy = false;
        return;
    }
    if (hosting_ && handshake != nullptr && menu.startLevel != offeredLevel_)
        OfferLevel(menu.startLevel);
    if (beacon_ != nullptr) beacon_->Poll();
    if (!menu.busy) Probe(game, nowMs);
    if (handshake == nullptr || driver_.Playing()) return;
    const net::HandshakeStatus status = driver_.PollHandshake();
    if (hosting_ && handshake->Refused() > refusalsSaid_) {
        // The host waits on; the player turned away was told why.
        refusalsSaid_ = handshake->Refused();
        std::fprintf(stderr, "rhombulus2: turned a player away: %s\n",
                     Tr(game, net::ReasonWords(handshake->LastRefusal())));
    }
    if (status == net::HandshakeStatus::Working) return;
    if (status == net::HandshakeStatus::Refused) {
        menu.status = {Tr(game, net::ReasonWords(handshake->FailReason()))};
        std::fprintf(stderr, "rhombulus2: %s\n", menu.status[0].c_str());
        Drop();
        menu.busy = false;
        return;
    }
    const net::Start start = handshake->StartMessage();
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
    driver_.BeginMatch(game, true);
    leftWatching_ = false;
}

NetSession::Tick NetSession::EndedBy(Game& game) {
    EndNetCommands(game);
    Drop();
    return Tick::kEnded;
}

NetSession::Tick NetSession::WatchTick(Game& game, const LocalControls& local) {
    // Escape leaves; nothing this machine does reaches the match.
    const bool escape = local.keyEscape && !lastEscape_;
    lastEscape_ = local.keyEscape;
    if (escape) {
        std::fprintf(stderr, "rhombulus2: left watching the network match\n");
        leftWatching_ = true;
        driver_.StopWatching();
        return EndedBy(game);
    }
    // One tick a frame, a few behind the players; two while more than a few batches wait.
    for (int run = 0; run < 2; ++run) {
        const Tick tick = driver_.WatchStep(game);
        if (tick == Tick::kWaiting) return run == 0 ? Tick::kWaiting : Tick::kRan;
        if (tick == Tick::kEnded) return EndedBy(game);
        if (driver_.Behind() <= kWatchLagTicks) break;
    }
    return Tick::kRan;
}

NetSession::Tick NetSession::MatchTick(Game& game, const LocalControls& local, std::int64_t nowMs) {
    SetNow(nowMs);
    if (driver_.Watching()) return WatchTick(game, local);
    if (!driver_.Playing()) return Tick::kEnded;
    if (beacon_ != nullptr) beacon_->Poll();
    const Tick tick = driver_.Step(game, local);
    return tick == Tick::kEnded ? EndedBy(game) : tick;
}

void NetSession::BackToMenu(Game& game) {
    TakeOwnGameBack(game);
    const int level = game.netMenu.startLevel;
    game.netMenu = NetMenu{};
    game.netMenu.startLevel = level;
    ShowMainMenu(game, true);
}

void NetSession::Leave(Game& game) {
    if (!InMatch()) return;
    driver_.Leave();
    EndNetCommands(game);
    Drop();
    BackToMenu(game);
}
