// One network match from the link to the bye, whoever drives it: the window, the browser and the
// headless runner put their platform, their clock and this machine's controls under it; the
// link, the handshake, the lockstep or the spectator, the tick and the waits before closing are
// the same for all of them. Beside it the match's meeting points with the game: the start, the
// end, the snapshot and the lockstep's hooks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/words.h"
#include "net/handshake.h"
#include "net/lockstep.h"
#include "net/protocol.h"
#include "net/transport.h"
#include "net/watcher.h"
#include "shell/net_commands.h"

struct Game;

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

struct NetDriverConfig {
    std::string resDir;
    std::string gameVersion;  // what this side says it runs ("": the real one)
    std::string name;         // this side's name in the hello
    // The program, in front of the side's name in the lines on stderr ("rhombulus2 host").
    std::string program = "rhombulus2";
    net::LinkFaults faults;  // for tests: a bad link on this side's end
    // How this side reaches a host or the relay; unset: ENet over UDP.
    std::function<std::unique_ptr<net::Transport>(const std::string& host, std::uint16_t port,
                                                  std::string* error)>
        connect;
    // The time in ms; a real clock, as the link is real.
    std::function<std::int64_t()> clock;
    // Whether match tick t (1 the first) is drawn; unset: every tick.
    std::function<bool(std::uint32_t t)> drawTick;
    // Before each tick played or watched: the game then, the tick (0 the first), both commands.
    std::function<void(Game&, std::uint32_t, const net::WireCommand&, const net::WireCommand&)>
        beforeTick;
    // After match tick t (1 the first) ran; `last`: the match ends with it.
    std::function<void(Game&, std::uint32_t t, bool last)> afterTick;
    // The match ends after this tick as if it were over (0: at its end).
    std::uint32_t lastTick = 0;
};

class NetMatchDriver {
  public:
    explicit NetMatchDriver(NetDriverConfig config);
    ~NetMatchDriver();
    // The hooks may be set once the game they reach is there (before BeginMatch or
    // StartWatching).
    NetDriverConfig& Config() { return config_; }

    // The link, as `role`: a host listens on `port` (letting spectators in), everyone else
    // connects to host:port; through the relay everyone connects to it. False with the error.
    bool Open(net::Role role, const std::string& host, std::uint16_t port, bool viaRelay,
              std::string* error);
    // The link as it is (tests: the in-memory pair), under the test faults if any.
    void Take(net::Role role, std::unique_ptr<net::Transport> link);
    bool Linked() const { return link_ != nullptr; }

    // Player, once linked: says hello (a host waits for one) and agrees on the start; through
    // the relay in `room`.
    void StartHandshake(std::int64_t timeoutMs, const std::string& room);
    // Host: the match it offers, as soon as a guest is welcome.
    void SetStart(const net::Start& start);
    // Refused: this side lingers first, so that its refusal reaches the other side.
    net::HandshakeStatus PollHandshake();
    const net::Handshake* HandshakeState() const { return handshake_.get(); }
    // Done: the match on `game` (start-up, then its first level); the host shares its state.
    void BeginMatch(Game& game, bool draw);

    enum class Tick { kRan, kWaiting, kEnded };
    // Playing: this machine's controls now. kRan: LastTick() ran; kEnded: the match is over,
    // or cut short (EndWords()); the link has had its time for what the other side needs.
    Tick Step(Game& game, const LocalControls& local);
    // Leaves the match now (the window closes): the other side is told.
    void Leave();

    // Spectator: says hello once linked and takes the host's state over a fresh match screen.
    void StartWatching(Game& game, std::int64_t timeoutMs, const std::string& room, bool draw);
    // kWaiting until the host's state is here (Synced()) and then while the stream is late;
    // kRan one tick; kEnded as Step.
    Tick WatchStep(Game& game);
    bool Watching() const { return spectator_ != nullptr; }
    bool Synced() const { return spectator_ != nullptr && spectator_->Synced(); }
    // Ticks here and not yet watched.
    std::size_t Behind() const;
    // Stops watching; the host and the relay see this side go at once.
    void StopWatching();

    bool Playing() const { return lockstep_ != nullptr; }
    std::uint32_t LastTick() const { return lastTick_; }
    // Waiting longer than the notice time.
    bool ShowWaiting() const { return showWaiting_; }
    // Why the match ended early; no text when it was played to its end.
    Words EndWords() const { return endWords_; }
    const net::Lockstep* LockstepState() const { return lockstep_.get(); }
    net::WireCounters Wire() const;
    // Sends what the test faults hold back and is due now.
    void Flush();
    // Closes the link.
    void Drop();

  private:
    std::int64_t Now() const { return config_.clock(); }
    // Keeps the link going for `ms`, so that what it holds (a bye, a refusal, a delayed packet)
    // goes out before it closes.
    void Linger(std::int64_t ms);
    std::string Side(net::Role role) const;
    // Runs a tick both sides (or the host's stream) agreed on.
    void RunTick(Game& game, const net::StepResult& r);
    bool EndsWith(const Game& game) const;
    Tick Cut(const net::StepResult& r);

    NetDriverConfig config_;
    std::unique_ptr<net::Transport> link_;
    net::FaultyTransport* faulty_ = nullptr;
    std::unique_ptr<net::Handshake> handshake_;
    std::unique_ptr<net::Lockstep> lockstep_;
    std::unique_ptr<net::Spectator> spectator_;
    net::Role role_ = net::Role::Host;
    std::string room_;
    bool helloSent_ = false;
    // The first watched tick, which came with the host's state.
    net::StepResult pendingFirst_;
    CommandCapture capture_;
    // This machine's command for the next tick, taken once and held while the tick waits, so
    // that a press during the wait is not lost.
    net::WireCommand mine_;
    bool mineTaken_ = false;
    bool showWaiting_ = false;
    std::uint32_t lastTick_ = 0;
    Words endWords_{};
};
