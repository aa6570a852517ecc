#include "runner/replay_watch.h"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

#include "core/game.h"
#include "core/state_io.h"
#include "menus/highscores.h"
#include "menus/record_file.h"
#include "platform/headless/headless_platform.h"
#include "playfield/level_pack.h"
#include "presentation/music.h"
#include "runner/dump.h"
#include "runner/game_replays.h"
#include "shell/frame_loop.h"
#include "shell/input.h"

ScratchFolder::ScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/rhombulus2-replay-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

Words ReplayTroubleWords(ReplayTrouble trouble) {
    switch (trouble) {
        case ReplayTrouble::kVersion:
            return N_("This replay comes from another version of the game.");
        case ReplayTrouble::kLevels:
            return N_("This replay was played with other levels.");
        case ReplayTrouble::kUnreadable:
            return N_("This replay cannot be read.");
        case ReplayTrouble::kUnwritable:
            return N_("This replay cannot be played here.");
        default:
            return N_("This replay is damaged.");
    }
}

bool ReplayWatch::Load(const std::string& text, const std::string& version, std::uint64_t levels,
                       std::string& why) {
    trouble_ = ReplayTrouble::kDamaged;
    if (!ReadReplayHeader(text, header_, why)) {
        why = "damaged: " + why;
        return false;
    }
    why = ReplayMismatch(header_, version, levels);
    if (!why.empty()) {
        trouble_ = header_.version == version ? ReplayTrouble::kLevels : ReplayTrouble::kVersion;
        return false;
    }
    events_.clear();
    if (!ParseInputScript(text, events_, why)) {
        why = "damaged: " + why;
        return false;
    }
    last_ = events_.empty() ? 0 : events_.back().tick;
    // A game's replay counts from its first event, which follows its start.
    const long long from = header_.state.empty() || events_.empty() ? 0 : events_.front().tick;
    if (last_ - from > kMaxReplayTicks) {
        why = "damaged: it runs longer than any game";
        return false;
    }
    trouble_ = ReplayTrouble::kNone;
    next_ = 0;
    tick_ = first_ = 0;
    return true;
}

bool ReplayWatch::Prepare(Game& game, const std::string& scratchDir, std::string& why) {
    if (scratchDir.empty() ||
        !WriteFileAtomically(scratchDir + "/groar.dat",
                             std::vector<std::uint8_t>(kHighscoreFileSize, 0))) {
        trouble_ = ReplayTrouble::kUnwritable;
        why = "cannot write a folder for its saves";
        return false;
    }
    game.savesDir = scratchDir;
    if (!header_.packFile.empty()) {
        // Its own levels folder, holding only the pack the replay carries: what the player's
        // folder holds now need not be what the game played.
        game.env.levelsDir = scratchDir + "/levels";
        std::error_code ec;
        std::filesystem::create_directories(game.env.levelsDir, ec);
        if (!levels::ParsePack(header_.pack).ok) {
            trouble_ = ReplayTrouble::kDamaged;
            why = "damaged: the pack it carries does not read";
            return false;
        }
        if (!WriteFileAtomically(
                game.env.levelsDir + "/" + header_.packFile,
                std::vector<std::uint8_t>(header_.pack.begin(), header_.pack.end()))) {
            trouble_ = ReplayTrouble::kUnwritable;
            why = "cannot write a folder for its levels";
            return false;
        }
    }
    game.clockSeed = header_.seed;
    if (header_.language != 0) game.shell.FirstStartLanguage = header_.language;
    if (header_.state.empty()) return true;
    // The pictures, the font and the music come with start-up; the game is the recorded one.
    for (int i = 0; i < 2 && !game.session.WindowClosed; ++i) FrameTick(game, false);
    if (game.session.WindowClosed ||
        !UnpackReplayState(header_.state, game.sim(), why, &oldOwn_, &oldForm_)) {
        why = "damaged: " + why;
        trouble_ = ReplayTrouble::kDamaged;
        return false;
    }
    if (oldForm_) game.own = oldOwn_;
    if (!header_.tune.empty()) MusicPlayFile(game, header_.tune);
    tick_ = first_ = game.shell.FrameCounter;
    while (next_ < events_.size() && events_[next_].tick <= tick_) ++next_;
    return true;
}

bool ReplayWatch::Over(const Game& game) const {
    return game.session.WindowClosed || tick_ > last_;
}

bool ReplayWatch::Step(Game& game, bool draw) {
    if (Over(game)) return false;
    ++tick_;
    while (next_ < events_.size() && events_[next_].tick <= tick_) {
        if (!game.session.WindowClosed) ApplyScriptEvent(game, events_[next_], focused_);
        ++next_;
    }
    if (game.session.WindowClosed) return false;
    // The recorded window had no focus: its game stood still, taking the player's doings at once.
    if (focused_)
        FrameTick(game, draw);
    else
        TakeCommand(game);
    // The replay of one game ends where the game ended (older ones ran on to where the next
    // game began). A network match's replay runs to the hash it names.
    const bool ended = game.session.GameStarted || (game.session.GameEnded && !header_.hasEnd);
    if (ended && !header_.state.empty()) tick_ = last_ + 1;
    game.session.GameStarted = false;
    game.session.GameEnded = false;
    return !Over(game);
}

bool ReplayWatch::Frame(Game& game, const std::function<void()>& afterTick) {
    if (paused_) return !Over(game);
    for (int i = 1; i <= speed_; ++i) {
        const bool more = Step(game, i == speed_);
        if (afterTick) afterTick();
        if (!more) return false;
    }
    return true;
}

void ReplayWatch::SetSpeed(int speed) {
    speed_ = 1;
    while (speed_ < speed && speed_ < kMaxWatchSpeed) speed_ *= 2;
}

int ReplayWatch::Permille() const {
    if (last_ <= first_) return 1000;
    const long long t = tick_ < last_ ? tick_ : last_;
    return static_cast<int>((t - first_) * 1000 / (last_ - first_));
}

namespace {

bool WriteDump(const std::string& path, const Game& game, const HeadlessPlatform& platform) {
    std::ofstream out(path, std::ios::binary);
    out << DumpJson(game, platform);
    return static_cast<bool>(out);
}

}  // namespace

int WatchHeadless(const RunnerOptions& options, const std::string& text, int speed) {
    const ReplayHeader here = ThisGamesReplayHeader(options.resDir, 0, 0);
    ReplayWatch watch;
    std::string why;
    if (!watch.Load(text, here.version, here.levels, why)) {
        std::fprintf(stderr, "rhombulus2-headless: the replay cannot be shown: %s\n", why.c_str());
        return 3;
    }
    ScratchFolder scratch;
    HeadlessPlatform platform;
    platform.waveDir = options.resDir + "/waves";
    auto game = std::make_unique<Game>();
    InitGame(*game, platform, options.resDir, watch.Header().seed);
    if (!watch.Prepare(*game, scratch.Path(), why)) {
        std::fprintf(stderr, "rhombulus2-headless: the replay cannot be shown: %s\n", why.c_str());
        return watch.Trouble() == ReplayTrouble::kUnwritable ? 2 : 3;
    }
    watch.SetSpeed(speed);
    int status = 0;
    auto afterTick = [&] {
        const long long tick = watch.Tick();
        for (const auto& [t, path] : options.dumps) {
            if (t == tick && !WriteDump(path, *game, platform)) status = 2;
        }
        if (options.hashEvery > 0 && tick % options.hashEvery == 0)
            std::printf("tick %lld hash %016llx\n", tick,
                        static_cast<unsigned long long>(StateHash(*game)));
        platform.wavesThisTick.clear();
        game->text.calls.clear();
    };
    while (watch.Frame(*game, afterTick)) {
    }
    for (const auto& [t, path] : options.dumps) {
        if (t > watch.Tick() && !WriteDump(path, *game, platform)) status = 2;
    }
    if (status != 0) std::fprintf(stderr, "rhombulus2-headless: cannot write a dump\n");
    return status;
}
