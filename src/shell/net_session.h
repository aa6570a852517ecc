// The window's network match session: carries out what the network match screen asks for, finds
// the hosts on the LAN and plays or watches the match through its NetMatchDriver.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/game.h"
#include "core/words.h"
#include "shell/net_commands.h"
#include "shell/net_match_driver.h"

namespace net {
class LanBeacon;
class LanProbe;
class Transport;
}  // namespace net

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
// hosts; once the other player is there its NetMatchDriver plays the match tick by tick, or
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
    bool Watching() const { return driver_.Watching(); }
    // The last match ended by this side's Escape while watching.
    bool LeftWatching() const { return leftWatching_; }

    using Tick = NetMatchDriver::Tick;
    // In a match: runs the next tick once both commands are there. kEnded: the match is over
    // (EndWords() says why when it was cut short) and the game is this machine's own again.
    Tick MatchTick(Game& game, const LocalControls& local, std::int64_t nowMs);
    // The match tick the last MatchTick ran (1 the match's first).
    std::uint32_t LastTick() const { return driver_.LastTick(); }
    // Waiting longer than the notice time: "Waiting for the other player ...".
    bool ShowWaiting() const { return driver_.ShowWaiting(); }
    // Why the match ended early; no text when it was played to its end.
    Words EndWords() const { return driver_.EndWords(); }
    // After a match: this machine's own game as it was before (its settings and tables, which
    // the match played with the host's), at the main menu.
    void BackToMenu(Game& game);
    // The window closes in the middle of a match: the other player is told, and this machine's
    // own game is back before its files are written.
    void Leave(Game& game);

  private:
    // True when the link is there; else the player is told it could not be opened.
    bool LinkOpened(Game& game, const std::string& error);
    void Host(Game& game);
    // Host: the match's first level, in the start and the LAN's answers (which, once the match
    // runs, offer watching it).
    void OfferLevel(int level, bool playing = false);
    void Join(Game& game);
    void Watch(Game& game);
    // The link to the typed address or room code (through the relay), as `self`.
    bool OpenTo(Game& game, net::Role self, std::string& room);
    Tick WatchTick(Game& game, const LocalControls& local);
    Tick EndedBy(Game& game);
    void Drop();
    // The session's clock: the time the window last passed in, and how long ago that was.
    std::int64_t Now() const;
    void SetNow(std::int64_t nowMs);
    void Probe(Game& game, std::int64_t nowMs);
    void HostStatus(Game& game);

    NetSessionConfig config_;
    // Before the driver, which reads the clock until it is gone.
    std::int64_t clockMs_ = 0;
    std::chrono::steady_clock::time_point clockAt_ = std::chrono::steady_clock::now();
    NetMatchDriver driver_;
    std::unique_ptr<net::LanBeacon> beacon_;
    std::unique_ptr<net::LanProbe> probe_;
    bool leftWatching_ = false;
    bool lastEscape_ = true;
    bool hosting_ = false;
    int refusalsSaid_ = 0;  // guests the waiting host turned away, said on stderr
    int offeredLevel_ = 1;
    std::string room_;
    std::uint32_t nonce_ = 0;
    std::vector<NetMenu::Found> answers_;  // to the LAN probe out now
    std::int64_t lastProbeMs_ = -1'000'000;
};
