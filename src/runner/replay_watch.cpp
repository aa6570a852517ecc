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
#include "runner/dump.h"
#include "shell/command_line.h"
#include "shell/frame_loop.h"

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
    if (last_ > kMaxReplayTicks) {
        why = "damaged: it runs longer than any game";
        return false;
    }
    trouble_ = ReplayTrouble::kNone;
    next_ = 0;
    tick_ = 0;
    return true;
}

bool ReplayWatch::Prepare(Game& game, const std::string& scratchDir) {
    if (scratchDir.empty() ||
        !WriteFileAtomically(scratchDir + "/groar.dat",
                             std::vector<std::uint8_t>(kHighscoreFileSize, 0))) {
        trouble_ = ReplayTrouble::kUnwritable;
        return false;
    }
    game.savesDir = scratchDir;
    game.clockSeed = header_.seed;
    if (header_.language != 0) game.shell.FirstStartLanguage = header_.language;
    return true;
}

bool ReplayWatch::Over(const Game& game) const {
    return game.session.WindowClosed || tick_ > last_;
}

bool ReplayWatch::Step(Game& game, ScriptKeys keys, bool draw) {
    if (Over(game)) return false;
    ++tick_;
    while (next_ < events_.size() && events_[next_].tick <= tick_) {
        if (!game.session.WindowClosed) ApplyScriptEvent(game, keys, events_[next_], focused_);
        ++next_;
    }
    if (game.session.WindowClosed) return false;
    // The recorded window had no focus: its game stood still.
    if (focused_) FrameTick(game, draw);
    return !Over(game);
}

bool ReplayWatch::Frame(Game& game, ScriptKeys keys, const std::function<void()>& afterTick) {
    if (paused_) return !Over(game);
    for (int i = 1; i <= speed_; ++i) {
        const bool more = Step(game, keys, i == speed_);
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
    if (last_ <= 0) return 1000;
    const long long t = tick_ < last_ ? tick_ : last_;
    return static_cast<int>(t * 1000 / last_);
}

ReplayHeader ThisGamesReplayHeader(const std::string& resDir, std::uint64_t seed, int language) {
    ReplayHeader header;
    header.seed = seed;
    header.language = language;
    header.version = GameVersion();
    header.levels = LevelFilesHash(resDir + "/Levelz");
    return header;
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
    if (!watch.Prepare(*game, scratch.Path())) {
        std::fprintf(stderr, "rhombulus2-headless: cannot write %s\n", scratch.Path().c_str());
        return 2;
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
    const ScriptKeys keys{platform.keysDown, platform.keysTapped};
    while (watch.Frame(*game, keys, afterTick)) {
    }
    for (const auto& [t, path] : options.dumps) {
        if (t > watch.Tick() && !WriteDump(path, *game, platform)) status = 2;
    }
    if (status != 0) std::fprintf(stderr, "rhombulus2-headless: cannot write a dump\n");
    return status;
}
