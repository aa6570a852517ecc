// The level editor's proof: the level bot plays the editor's level for each of five seeds on
// copies of the game, in a thread of its own, while the game goes on. The game sees the work
// only as kProofTrialsPerTick trial shots a tick (EditorState::ProofWork): a tick whose share
// the thread has not done yet waits for it, and work done ahead stays unseen. So the progress
// and the result shown at every tick are the same on any machine, in the window and the runner.
#pragma once

#include <array>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/editor_state.h"
#include "shell/level_bot.h"

struct Game;

class LevelProofJob {
  public:
    // Starts the proof of the level the editor holds, its game session taken from `game`; the
    // bot plays its tries with `tick`.
    LevelProofJob(const Game& game, levels::GameTick tick);
    ~LevelProofJob();
    LevelProofJob(const LevelProofJob&) = delete;
    LevelProofJob& operator=(const LevelProofJob&) = delete;

    // Whether this job proves the level the editor now holds.
    bool Proves(const EditorState& e) const;
    // Waits until the thread has done `work` trial shots (or is done) and writes what it had
    // reached then into the editor: the try, its shots, the tries cleared, and at the end the
    // result. False once the result is written.
    bool ShowUpTo(int work, EditorState& e);

  private:
    struct Mark {
        int work;  // trial shots done when it was reached
        int tryNumber, tryShots, cleared;
    };
    void Run();

    levels::GameTick tick_;
    std::array<int, kEditorCells> cells_{}, extras_{};
    std::string resDir_;
    std::mutex mutex_;
    std::condition_variable moved_;
    int work_ = 0;
    bool finished_ = false;
    bool cancel_ = false;
    std::vector<Mark> marks_;
    int shotsMedian_ = 0, timeMedian_ = 0;
    std::thread thread_;
};

// One tick of the proof, after the screen's handler: a proof the editor runs gets its share of
// work and shows what it reached; one the editor no longer runs (the level changed, the editor
// was left) is dropped. `tick` is the game's tick the bot plays with (SimulateTick).
void StepLevelProof(Game& game, levels::GameTick tick);
