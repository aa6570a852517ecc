#include "server/online_play.h"

#include <memory>

#include "core/game.h"
#include "core/state_io.h"
#include "online/fresh_game.h"
#include "platform/headless/headless_platform.h"
#include "runner/game_replays.h"
#include "runner/replay_watch.h"
#include "shell/frame_loop.h"
#include "shell/replay_store.h"

namespace {

bool GameInProgressEqual(const Simulation& a, const Simulation& b) {
    return StateBytes(a, StatePart::kGameInProgress) == StateBytes(b, StatePart::kGameInProgress);
}

}  // namespace

std::string FreshGameState(int mode, std::uint64_t seed, const std::string& resDir,
                           const std::string& scratchDir) {
    HeadlessPlatform platform;
    auto game = std::make_unique<Game>();
    InitGame(*game, platform, resDir, seed);
    game->savesDir = scratchDir;
    if (!StartFreshGame(*game, mode)) return "";
    return PackReplayState(game->sim());
}

OnlinePlay PlayOnlineReplay(const std::string& replay, const OnlineGameFacts& facts,
                            const std::string& resDir, const std::string& scratchDir) {
    ReplayHeader header;
    std::string why;
    if (!ReadReplayHeader(replay, header, why)) return {false, 0, 0, "damaged: " + why};
    if (header.seed != facts.seed) return {false, 0, 0, "its seed is not its ticket's"};
    if (header.version != facts.version)
        return {false, 0, 0, "played with version " + header.version + ", not " + facts.version};
    if (header.levels != facts.levels) return {false, 0, 0, "played with other level files"};
    if (header.state.empty()) return {false, 0, 0, "it does not start with its game"};
    if (!header.packFile.empty() || header.hasEnd)
        return {false, 0, 0, "it is no game of its ticket's mode"};

    ReplayWatch watch;
    if (!watch.Load(replay, facts.version, facts.levels, why)) return {false, 0, 0, why};
    HeadlessPlatform platform;
    auto game = std::make_unique<Game>();
    InitGame(*game, platform, resDir, header.seed);
    if (!watch.Prepare(*game, scratchDir, why)) return {false, 0, 0, why};
    const long long ticks = watch.LastTick() - watch.Tick();
    if (ticks > facts.maxTicks) return {false, 0, ticks, "it runs longer than its ticket allows"};

    {
        // Against the fresh start the server makes itself: one made up by the player (a field
        // of their choosing, a score to start from) is refused.
        HeadlessPlatform freshPlatform;
        auto fresh = std::make_unique<Game>();
        InitGame(*fresh, freshPlatform, resDir, facts.seed);
        fresh->savesDir = game->savesDir;
        if (!StartFreshGame(*fresh, facts.mode)) return {false, 0, 0, "the server cannot start it"};
        if (game->play.GameMode != facts.mode)
            return {false, 0, 0, "it is no game of its ticket's mode"};
        if (!GameInProgressEqual(game->sim(), fresh->sim()))
            return {false, 0, 0, "it does not start from the fresh game"};
    }

    const int start = game->shell.FrameCounter;
    game->session.GameOverScore = -1;
    while (watch.Step(*game, false)) {
        if (game->session.GameOverScore >= 0) break;
    }
    const long long played = game->shell.FrameCounter - start;
    if (game->session.GameOverScore < 0)
        return {false, 0, played, "it does not end in a game over"};
    return {true, game->session.GameOverScore, played, ""};
}
