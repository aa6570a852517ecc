#include "bot.h"

#include <memory>

#include "core/game.h"
#include "modes/level_start.h"
#include "platform/headless/headless_platform.h"
#include "shell/disk_levels.h"
#include "shell/frame_loop.h"

namespace levels {

namespace {

struct Session {
    HeadlessPlatform platform;
    std::unique_ptr<Game> game = std::make_unique<Game>();

    Session(const std::string& resDir, std::uint64_t seed) {
        Game& g = *game;
        g.platform = &platform;
        g.env.levels = &DiskLevels();
        g.env.resDir = resDir;
        g.clockSeed = seed;
        g.rng.Seed(seed);
        g.shell.Language = 2;
        g.shell.SoundOn = 0;
        g.shell.FrameCounter = 3;  // past start-up, as in any real game
    }
};

BotPlay PlayOf(const BotOptions& options) {
    BotPlay play;
    play.tick = SimulateTick;
    play.maxTicksPerLevel = options.maxTicksPerLevel;
    play.show = options.show;
    return play;
}

}  // namespace

LevelRun PlayPuzzleLevel(const std::string& resDir, int level, int startTime,
                         const BotOptions& options) {
    Session session(resDir, options.seed);
    Game& g = *session.game;
    LevelRun run;
    run.level = level;
    if (!StartLevel(g, g.env, level, kModePuzzle, 1, 0)) return run;
    g.players[kSoloPlayer].TimeLeft = startTime;
    g.level.LevelStartTime = startTime;
    PlayUntilOver(g, PlayOf(options), run);
    return run;
}

CampaignRun PlayPuzzleCampaign(const std::string& resDir, int lastLevel,
                               const BotOptions& options) {
    Session session(resDir, options.seed);
    Game& g = *session.game;
    CampaignRun campaign;
    if (!StartLevel(g, g.env, 1, kModePuzzle, 1, 0)) return campaign;
    while (true) {
        LevelRun run;
        run.level = g.play.LevelNumber;
        PlayUntilOver(g, PlayOf(options), run);
        campaign.levels.push_back(run);
        if (!run.cleared) break;
        if (run.level >= lastLevel) {
            campaign.reachedLast = true;
            break;
        }
        // The level-end sequence: messages, the time bonus, then the next level starts.
        const int level = g.play.LevelNumber;
        for (int t = 0; t < 400 && g.play.LevelNumber == level && g.play.LevelCleared; ++t)
            BotStep(g, SimulateTick);
        if (g.play.LevelNumber == level || g.shell.ScreenId != kScreenGame) break;
    }
    campaign.finalTime = g.players[kSoloPlayer].TimeLeft;
    campaign.finalScore = g.players[kSoloPlayer].Score;
    return campaign;
}

}  // namespace levels
