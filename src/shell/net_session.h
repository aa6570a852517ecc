// The network match around the game: what the runner and the window share (the start of the
// match, its end, the lockstep's hooks into the game) and the window's session, which carries
// out what the network match screen asks for, finds the hosts on the LAN and plays the match.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/game.h"
#include "core/words.h"
#include "net/handshake.h"
#include "net/lockstep.h"
#include "net/watcher.h"
#include "shell/net_commands.h"

namespace net {
class Handshake;
class LanBeacon;
class LanProbe;
class Spectator;
class Transport;
}  // namespace net

// The game's version as the hello names it (no spaces).
std::string NetGameVersion();
// The match level files, so that two sides with other levels are refused at the hello.
std::uint64_t MatchLevelsHash(const std::string& resDir);
// The state as it goes over the wire: a kind byte, then the bytes as they are or zlib.
std::vector<std::uint8_t> PackSnapshot(const std::vector<std::uint8_t>& state);
bool UnpackSnapshot(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& state);
// The lockstep's view of the game: its state hash, the host's snapshot, the guest's restore;
// `side` names this end in the one line a healing writes to stderr.
net::LockstepHooks GameLockstepHooks(Game& game, const std::string& side);

// A spectator's view of the game: the host's state taken over a fresh game's match screen.
net::SpectatorHooks WatcherHooks(Game& game, const std::string& side, bool draw);
// The match's start on a fresh game: start-up, then the match at `level`, nobody the computer.
void StartNetMatch(Game& game, int level, bool draw);
// The match is decided and its last level's end is over, or the match screen is left.
bool NetMatchOver(const Game& game);

struct NetSessionConfig {
    std::string resDir;
    std::string relay;       // HOST:PORT of the relay; "" plays on the LAN and by address only
    std::uint16_t port = 0;  // the game's port (0: the default)
    std::uint16_t discoveryPort = 0;  // the LAN probe's port (0: the default)
    std::string probeTarget;          // where the LAN probe goes ("": the broadcast address)
    std::string name = "rhombulus2";  // this player's name in the LAN list
    std::uint64_t seed = 1;           // the match's seed when this side hosts
    net::LinkFaults faults;           // for tests: a bad link on this side's end
    // How this side reaches a host or the relay; unset: ENet over UDP (the browser's WebSocket
    // sets it).
    std::function<std::unique_ptr<net::Transport>(const std::string& host, std::uint16_t port,
                                                  std::string* error)>
        connect;
    // Before each match tick a player's machine runs: the game then, the tick (0 the first) and
    // both players' commands, to keep the match as a replay.
    std::function<void(const Game&, std::uint32_t, const net::WireCommand&,
                       const net::WireCommand&)>
        beforeTick;
};

// The window's network match: on the screen it hosts, joins or watches as asked, lists the LAN's
// hosts; once the other player is there it plays the match tick by tick through the lockstep, or
// watches it from the host's state and stream of commands, sending nothing.
class NetSession {
  public:
    explicit NetSession(NetSessionConfig config);
    ~NetSession();

    // Before every tick outside a match: the screen's ask, the LAN list, the handshake. When the
    // other player is there the match starts and InMatch() becomes true.
    void Poll(Game& game, std::int64_t nowMs);
    // Playing, or watching once the host's state is here.
    bool InMatch() const;
    bool Watching() const { return spectator_ != nullptr; }
    // The last match ended by this side's Escape while watching.
    bool LeftWatching() const { return leftWatching_; }

    enum class Tick { kRan, kWaiting, kEnded };
    // In a match: runs the next tick once both commands are there. kEnded: the match is over
    // (EndWords() says why when it was cut short) and the game is this machine's own again.
    Tick MatchTick(Game& game, const LocalControls& local, std::int64_t nowMs);
    // The match tick the last MatchTick ran (1 the match's first).
    std::uint32_t LastTick() const { return lastTick_; }
    // Waiting longer than the notice time: "Waiting for the other player ...".
    bool ShowWaiting() const { return showWaiting_; }
    // Why the match ended early; no text when it was played to its end.
    Words EndWords() const { return endWords_; }
    // After a match: this machine's own game as it was before (its settings and tables, which
    // the match played with the host's), at the main menu.
    void BackToMenu(Game& game);
    // The window closes in the middle of a match: the other player is told, and this machine's
    // own game is back before its files are written.
    void Leave(Game& game);

  private:
    // True when the link is there; else the player is told it could not be opened.
    bool LinkOpened(Game& game, const std::string& error);
    // What this machine tells the other in the handshake.
    net::HandshakeConfig HandshakeOf(net::Role role, std::int64_t timeoutMs, bool viaRelay) const;
    void Host(Game& game, std::int64_t nowMs);
    // Host: the match's first level, in the start and the LAN's answers (which, once the match
    // runs, offer watching it).
    void OfferLevel(int level, bool playing = false);
    void Join(Game& game, std::int64_t nowMs);
    void Watch(Game& game, std::int64_t nowMs);
    // The link as the session uses it: the transport, under the test's link faults if any.
    void TakeLink(std::unique_ptr<net::Transport> link);
    // The link to the typed address or room code (through the relay), as `self`.
    bool OpenTo(Game& game, net::Role self, std::string& room);
    Tick WatchTick(Game& game, const LocalControls& local, std::int64_t nowMs);
    Tick EndedBy(Game& game, const Words& why);
    void Drop();
    // The session's clock: the time the window last passed in, and how long ago that was.
    std::int64_t Now() const;
    void SetNow(std::int64_t nowMs);
    void Probe(Game& game, std::int64_t nowMs);
    void HostStatus(Game& game);

    NetSessionConfig config_;
    std::unique_ptr<net::Transport> link_;
    std::unique_ptr<net::Handshake> handshake_;
    std::unique_ptr<net::LanBeacon> beacon_;
    std::unique_ptr<net::LanProbe> probe_;
    std::unique_ptr<net::Lockstep> lockstep_;
    std::unique_ptr<net::Spectator> spectator_;
    bool watchHelloSent_ = false;
    bool leftWatching_ = false;
    // The first tick, which came with the host's state on the screen.
    net::StepResult pendingFirst_;
    bool lastEscape_ = true;
    CommandCapture capture_;
    bool hosting_ = false;
    int refusalsSaid_ = 0;  // guests the waiting host turned away, said on stderr
    int offeredLevel_ = 1;
    std::string room_;
    std::uint32_t nonce_ = 0;
    std::vector<NetMenu::Found> answers_;  // to the LAN probe out now
    std::int64_t lastProbeMs_ = -1'000'000;
    bool showWaiting_ = false;
    std::uint32_t lastTick_ = 0;
    Words endWords_{};
    std::int64_t clockMs_ = 0;
    std::chrono::steady_clock::time_point clockAt_ = std::chrono::steady_clock::now();
};
