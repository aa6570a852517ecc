#include "shell/level_proof.h"

#include <algorithm>
#include <memory>

#include "core/game.h"
#include "core/mode_facts.h"
#include "modes/level_start.h"
#include "platform/platform.h"
#include "shell/disk_levels.h"
#include "shell/level_bot.h"

namespace {

// The proof's games draw nothing and play no sound; the rules still ask the music's volume.
class QuietPlatform : public Platform {
  public:
    void FlipDisplay(const Surface&) override {}
    void ShowMessage(const std::string&) override {}
    void CloseWindow() override {}
    void PlayWave(const std::string&, int, int) override {}
    bool MusicOpen(const std::string&) override { return false; }
    void MusicPlay() override {}
    void MusicPause() override {}
    void MusicFree() override {}
    int MusicGetVolume() const override { return volume_; }
    void MusicSetVolume(int volume) override { volume_ = volume; }
    double MusicPositionSeconds() const override { return 0; }
    double MusicLengthSeconds() const override { return 0; }
    void MusicSetPositionSeconds(double) override {}

  private:
    int volume_ = 0;
};

struct Cancelled {};

int Median(std::vector<int> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

LevelProofJob::LevelProofJob(const Game& game, levels::GameTick tick) : tick_(tick) {
    std::copy(game.editor.Cell.begin(), game.editor.Cell.end(), cells_.begin());
    std::copy(game.editor.Extra.begin(), game.editor.Extra.end(), extras_.begin());
    resDir_ = game.env.resDir;
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    // A browser build without threads cannot start one: the whole proof is played here, and the
    // ticks show it as they show a thread's.
    Run();
#else
    thread_ = std::thread([this] { Run(); });
#endif
}

LevelProofJob::~LevelProofJob() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancel_ = true;
    }
    if (thread_.joinable()) thread_.join();
}

bool LevelProofJob::Proves(const EditorState& e) const {
    return std::equal(cells_.begin(), cells_.end(), e.Cell.begin()) &&
           std::equal(extras_.begin(), extras_.end(), e.Extra.begin());
}

void LevelProofJob::Run() {
    std::vector<int> shots, times;
    int cleared = 0;
    try {
        for (int seed = 1; seed <= kProofTries; ++seed) {
            // Each try is a new Puzzle game on the level as it stands, as a test play starts it,
            // set up as the level bot's own games are.
            QuietPlatform platform;
            auto g = std::make_unique<Game>();
            g->platform = &platform;
            g->env.levels = &DiskLevels();
            g->env.resDir = resDir_;
            g->clockSeed = static_cast<std::uint64_t>(seed);
            g->rng.Seed(static_cast<std::uint64_t>(seed));
            g->shell.Language = 2;
            g->shell.SoundOn = 0;
            g->shell.FrameCounter = 3;
            std::copy(cells_.begin(), cells_.end(), g->editor.Cell.begin());
            std::copy(extras_.begin(), extras_.end(), g->editor.Extra.begin());
            g->editor.Testing = 1;
            levels::LevelRun run;
            if (StartLevel(*g, g->env,
                           LevelStartRequest{LevelStartKind::kTest, kModePuzzle, 1, 1, 0, 0, 0})) {
                levels::BotPlay play;
                play.tick = tick_;
                play.onTrial = [this] {
                    std::lock_guard<std::mutex> lock(mutex_);
                    if (cancel_) throw Cancelled{};
                    ++work_;
                    moved_.notify_all();
                };
                play.onShot = [this, seed, cleared](int n) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    marks_.push_back({work_, seed, n, cleared});
                };
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    marks_.push_back({work_, seed, 0, cleared});
                }
                levels::PlayUntilOver(*g, play, run);
            }
            cleared += run.cleared ? 1 : 0;
            shots.push_back(run.shots);
            times.push_back(levels::TimeUsed(run));
        }
    } catch (const Cancelled&) {
        return;
    } catch (...) {
        // Out of memory, say: the proof ends with the tries it played, as the game waits for it.
    }
    std::lock_guard<std::mutex> lock(mutex_);
    marks_.push_back({work_, kProofTries, shots.empty() ? 0 : shots.back(), cleared});
    shotsMedian_ = Median(shots);
    timeMedian_ = Median(times);
    finished_ = true;
    moved_.notify_all();
}

bool LevelProofJob::ShowUpTo(int work, EditorState& e) {
    std::unique_lock<std::mutex> lock(mutex_);
    moved_.wait(lock, [&] { return finished_ || work_ >= work; });
    const Mark* last = nullptr;
    for (const Mark& m : marks_)
        if (m.work <= work) last = &m;
    if (last != nullptr) {
        e.ProofTry = last->tryNumber;
        e.ProofTryShots = last->tryShots;
        e.ProofCleared = last->cleared;
    }
    if (!finished_ || work_ > work) return true;
    e.ProofStage = kProofDone;
    e.ProofShots = shotsMedian_;
    e.ProofTime = timeMedian_;
    return false;
}

void StepLevelProof(Game& game, levels::GameTick tick) {
    EditorState& e = game.editor;
    const bool running = e.ProofStage == kProofRunning && game.shell.ScreenId == kScreenEditor;
    if (!running) {
        game.proofJob.reset();
        if (e.ProofStage == kProofRunning) e.ProofStage = kProofNone;
        return;
    }
    // A proof asked for anew (its work back at 0) or of another level starts from nothing.
    if (game.proofJob && (e.ProofWork == 0 || !game.proofJob->Proves(e))) {
        game.proofJob.reset();
        e.ProofWork = 0;
    }
    if (!game.proofJob) game.proofJob = std::make_shared<LevelProofJob>(game, tick);
    e.ProofWork += kProofTrialsPerTick;
    if (!game.proofJob->ShowUpTo(e.ProofWork, e)) game.proofJob.reset();
}
