// The lockstep session: both machines run the whole match from the same seed and both players'
// commands. This side's command for tick t + D is sent while it runs tick t; a tick runs only
// when both commands for it are here. Knows nothing of the game: the commands are opaque records,
// the state hash, snapshot and restore are hooks, and the time is passed in.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "net/protocol.h"
#include "net/transport.h"

namespace net {

struct LockstepConfig {
    Role role = Role::Host;  // Host or Guest
    int delay = 3;           // the input delay at the start, in ticks
    int tickMs = 15;
    int hashEvery = 60;
    std::int64_t waitNoticeMs = 500;  // a stall this long is shown to the player
    std::int64_t lostMs = 10000;      // silence this long ends the match
    // While it waits, a side sends its commands again this often (each goes out in several
    // packets anyway, and the other side says at once when it lacks one).
    std::int64_t resendMs = 45;
    std::int64_t pingEveryMs = 500;
    int desyncLimit = 3;
    std::int64_t desyncWindowMs = 60000;
    bool feedWatchers = false;  // host: send both players' commands on for spectators
};

struct LockstepHooks {
    // The state hash of the simulation as it is now (before the tick about to run).
    std::function<std::uint64_t()> stateHash;
    // Host: the simulation as it is now, as bytes (at most kMaxSnapshotBytes).
    std::function<std::vector<std::uint8_t>()> takeSnapshot;
    // Guest: put the simulation into the host's state; false when the bytes are unusable.
    std::function<bool(std::span<const std::uint8_t>)> restoreSnapshot;
    // One line for stderr.
    std::function<void(const std::string&)> log;
    // The command of a tick a rise of the delay opens between two typed ones (default: the
    // earlier command as it is).
    std::function<WireCommand(const WireCommand&)> held;
};

enum class StepStatus {
    Run,      // run `tick` with the two commands
    Waiting,  // the other player's command is late; run nothing
    Lost,     // nothing heard for lostMs, or the link closed
    Ended,    // ended on purpose; see reason
};

struct StepResult {
    StepStatus status = StepStatus::Waiting;
    std::uint32_t tick = 0;
    WireCommand host, guest;
    std::int64_t waitingMs = 0;  // how long this stall has lasted
    std::int64_t silentMs = 0;   // since the last packet from the other side
    Reason reason = Reason::None;
    // Waiting for longer than the notice time: show "Warte auf Mitspieler ...".
    bool showWaiting = false;
};

// The input delay for a round-trip time: the commands must cross in the ticks they are ahead.
int DelayForRtt(std::int64_t rttMs, int tickMs);

struct LockstepCounters {
    std::uint64_t bytesSent = 0, bytesReceived = 0;
    std::uint64_t packetsSent = 0, packetsReceived = 0;
    std::int64_t stallMs = 0;  // summed time of all stalls
    int stalls = 0;
    int desyncs = 0;  // detected on this side
    int healed = 0;   // snapshots sent (host) or restored (guest)
    int badPackets = 0;
    // Commands packets that arrived, and the other side's commands taken from them for the
    // first time (each tick's once, however late or out of order its packet came).
    std::uint64_t commandPackets = 0, commandsTaken = 0;
};

class Lockstep {
  public:
    Lockstep(Transport& link, const LockstepConfig& config, LockstepHooks hooks,
             std::int64_t nowMs);

    // The local player's command now; says whether and which tick to run.
    StepResult Step(std::int64_t nowMs, const WireCommand& local);
    // Host, at a level start (tick = the first tick of the level): chooses the delay from the
    // measured round trip and announces it; the guest takes it on from the same tick.
    void LevelStarted(std::uint32_t tick, std::int64_t nowMs);
    // Host, before the first tick: the guest takes this side's whole state (the two machines
    // come with settings and tables of their own). Not counted as a healing.
    void ShareState(std::int64_t nowMs);
    // Leaves the match, telling the other side.
    void Quit(std::int64_t nowMs, Reason reason = Reason::Quit);

    int Delay() const { return delay_; }
    std::int64_t RttMs() const;
    std::uint32_t NextTick() const { return nextTick_; }
    const LockstepCounters& Counters() const { return counters_; }
    bool Over() const { return over_ != StepStatus::Run; }

  private:
    void Pump(std::int64_t nowMs);
    void Handle(const Datagram& packet, std::int64_t nowMs);
    void OnCommands(const Commands& m);
    void OnHash(const StateHash& m, std::int64_t nowMs);
    void OnSnapshot(const SnapshotChunk& m, std::int64_t nowMs);
    void OnPeerJoined(const PeerJoined& m, std::int64_t nowMs);
    void Schedule(const WireCommand& local);
    void SendCommands(std::int64_t nowMs, bool force);
    void SendSession(const Message& m, std::int64_t nowMs);
    void SendOn(Channel channel, const Message& m, std::int64_t nowMs);
    void SendSnapshot(std::uint32_t tick, std::uint16_t epoch, std::int64_t nowMs);
    void Compare(std::uint32_t tick, std::int64_t nowMs);
    void Desync(std::uint32_t tick, std::int64_t nowMs);
    void FlushWatchers(std::int64_t nowMs, bool force);
    void Trim();
    void End(StepStatus status, Reason reason, std::int64_t nowMs, bool tell);
    void Log(const std::string& line) const;
    bool IsHost() const { return config_.role == Role::Host; }

    Transport& link_;
    LockstepConfig config_;
    LockstepHooks hooks_;
    int delay_;
    // The first tick of a delay announced and not yet reached, and its delay.
    std::uint32_t delayFrom_ = 0;
    int pendingDelay_ = 0;

    std::uint32_t nextTick_ = 0;     // the next tick this side runs
    std::uint32_t scheduledTo_ = 0;  // local commands exist for every tick below this
    std::uint32_t remoteNext_ = 0;   // the other side's commands exist for every tick below this
    std::uint32_t otherAck_ = 0;     // the other side holds our commands below this
    std::map<std::uint32_t, WireCommand> local_, remote_;
    std::uint32_t lastAckSent_ = 0;
    std::int64_t lastSendMs_ = -1'000'000;
    std::int64_t lastOldSendMs_ = -1'000'000;  // when the commands past the newest last went
    std::int64_t lastHeardMs_;
    std::int64_t waitSinceMs_ = -1;
    std::int64_t lastPingMs_ = -1'000'000;
    std::deque<std::int64_t> rttSamples_;

    // State hashes by tick, with the epoch they were taken in.
    struct Hash {
        std::uint16_t epoch;
        std::uint64_t value;
    };
    std::map<std::uint32_t, Hash> localHashes_, remoteHashes_;
    std::uint16_t epoch_ = 0;
    std::deque<std::int64_t> desyncTimes_;

    // A snapshot arriving (guest).
    std::vector<std::uint8_t> incoming_;
    std::uint32_t incomingTick_ = 0;
    std::uint16_t incomingEpoch_ = 0;
    std::uint32_t incomingTotal_ = 0;

    int watchers_ = 0;  // spectators the host feeds (it sends no ticks on while there are none)
    std::vector<TickPair> watchBatch_;
    std::uint32_t watchFirst_ = 0;
    std::int64_t watchSinceMs_ = 0;

    StepStatus over_ = StepStatus::Run;
    Reason overReason_ = Reason::None;
    LockstepCounters counters_;
};

}  // namespace net
