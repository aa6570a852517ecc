#include "runner/net_replay.h"

#include <cstdio>
#include <memory>

#include "core/game.h"
#include "core/state_io.h"
#include "menus/highscore_replays.h"
#include "platform/headless/headless_platform.h"
#include "runner/game_replays.h"
#include "runner/replay_watch.h"
#include "runner/runner.h"

void NetMatchReplay::BeforeTick(const Game& game, std::uint32_t tick, const net::WireCommand& host,
                                const net::WireCommand& guest) {
    if (tick == 0) {
        header_.state = PackReplayState(game.sim());
        header_.tune = game.music.lastFile;
        firstFrame_ = game.shell.FrameCounter;
    }
    if (!Started()) return;
    if (tick < lines_.size()) lines_.resize(tick);
    if (tick != lines_.size()) return;  // a gap no honest stream has
    lines_.push_back(NetTickLine(firstFrame_ + tick + 1, host.bytes.data(), guest.bytes.data()));
}

std::string NetMatchReplay::Text(const Game& game) const {
    ReplayHeader h = header_;
    h.hasEnd = true;
    h.endHash = StateHash(game);
    std::string text = ReplayHeaderText(h);
    for (const std::string& line : lines_) text += line + "\n";
    return text;
}

std::string NetMatchReplay::Keep(const Game& game, const std::string& dir) const {
    if (!Started() || lines_.empty() || dir.empty()) return "";
    const std::string name =
        ReplayFileName(header_.seed, static_cast<int>(firstFrame_ & 0x7fffffff));
    return StoreReplay(dir, name, Text(game), LinkedReplayFiles(game)) ? name : "";
}

std::string VerifyMatchReplay(const std::string& text, const std::string& resDir,
                              const std::string& scratchDir, const std::string& version,
                              std::uint64_t levels) {
    ReplayWatch watch;
    std::string why;
    if (!watch.Load(text, version, levels, why)) return why;
    if (!watch.Header().hasEnd || watch.Header().state.empty()) return "it records no match end";
    HeadlessPlatform platform;
    auto game = std::make_unique<Game>();
    InitGame(*game, platform, resDir, watch.Header().seed);
    if (!watch.Prepare(*game, scratchDir, why)) return why;
    // The match ended with the tick of its last commands (a watcher goes on one tick more).
    while (watch.Tick() < watch.LastTick() && watch.Step(*game, false)) {
    }
    const std::uint64_t hash =
        watch.OldForm() ? OldStateHash(*game, watch.OldOwn()) : StateHash(*game);
    if (hash != watch.Header().endHash) return "its match ends in another state";
    return "";
}
