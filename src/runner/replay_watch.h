// Watching a kept replay: the recorded game played again from its seed, the recorded input fed
// in as the input of each tick, at 1, 2, 4 or 8 ticks a frame. The window and the runner watch
// through this one stepper, so a game watched fast is the game watched slowly.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/player_own.h"
#include "core/words.h"
#include "runner/runner.h"
#include "shell/replay_store.h"

struct Game;

inline constexpr int kMaxWatchSpeed = 8;
// A replay longer than this (four hours of play) is no game of ours and is not played out.
inline constexpr long long kMaxReplayTicks = 4LL * 60 * 60 * 1000 / 15;

// A folder of its own for a replayed game's saves, removed with everything in it at the end.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // Empty when no folder could be made.
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// Why a replay cannot be shown, for the player's own words.
enum class ReplayTrouble { kNone, kDamaged, kVersion, kLevels, kUnreadable, kUnwritable };
// What the viewer says of it.
Words ReplayTroubleWords(ReplayTrouble trouble);

class ReplayWatch {
  public:
    // Reads the replay. False, with the reason in a line, when it is damaged or was played with
    // another game version (`version`) or other level files (`levels`).
    bool Load(const std::string& text, const std::string& version, std::uint64_t levels,
              std::string& why);
    const ReplayHeader& Header() const { return header_; }
    ReplayTrouble Trouble() const { return trouble_; }
    // Makes `game` (InitGame done) the recorded game's start: its seed, the language of its
    // first start, and saves in `scratchDir` with an empty highscore table, so that any score
    // enters it; a replay of one game then starts up and takes the game as it stood at its
    // start. False, with the reason, when the folder cannot be written or the state read.
    bool Prepare(Game& game, const std::string& scratchDir, std::string& why);
    // One tick of the recorded game: the input of the tick, then the tick, drawn or not. The
    // keys are the ones the game's platform reads. False once the replay is over.
    bool Step(Game& game, bool draw);
    // One frame: Speed() ticks, only the last drawn, `afterTick` after each; nothing while
    // paused. False once over.
    bool Frame(Game& game, const std::function<void()>& afterTick = {});
    bool Over(const Game& game) const;

    void TogglePause() { paused_ = !paused_; }
    bool Paused() const { return paused_; }
    void Faster() { speed_ = speed_ < kMaxWatchSpeed ? speed_ * 2 : speed_; }
    void Slower() { speed_ = speed_ > 1 ? speed_ / 2 : speed_; }
    void SetSpeed(int speed);
    int Speed() const { return speed_; }
    // How far the replay is, 0..1000.
    int Permille() const;
    long long Tick() const { return tick_; }
    long long LastTick() const { return last_; }
    // A state line written while the state held the highscore tables and the slot list: its
    // game is watched with them, and a match's end hash was taken over them.
    bool OldForm() const { return oldForm_; }
    const PlayerOwn& OldOwn() const { return oldOwn_; }

  private:
    ReplayHeader header_;
    bool oldForm_ = false;
    PlayerOwn oldOwn_;
    ReplayTrouble trouble_ = ReplayTrouble::kNone;
    std::vector<ScriptEvent> events_;
    std::size_t next_ = 0;
    long long tick_ = 0;
    long long first_ = 0;  // the tick the replay starts after
    long long last_ = 0;
    bool focused_ = true;
    bool paused_ = false;
    int speed_ = 1;
};

// rhombulus2-headless --watch: the replay watched as the window watches it, `speed` ticks a
// frame, with the dumps and the hash lines of `options` (a dump named for a tick after the end
// gets the state the replay ended in). A replay that cannot be shown says why on stderr, 3.
int WatchHeadless(const RunnerOptions& options, const std::string& text, int speed);
