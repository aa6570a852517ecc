#include "runner/replay_verify.h"

#include <memory>

#include "core/game.h"
#include "menus/highscores.h"
#include "platform/headless/headless_platform.h"
#include "runner/replay_watch.h"

ReplayVerdict VerifyReplay(const std::string& text, const HighscoreReplay& entry,
                           const std::string& resDir, const std::string& scratchDir,
                           const std::string& version, std::uint64_t levels) {
    ReplayWatch watch;
    std::string why;
    if (!watch.Load(text, version, levels, why)) return {false, why};
    HeadlessPlatform platform;
    auto game = std::make_unique<Game>();
    InitGame(*game, platform, resDir, watch.Header().seed);
    // Any score is a new entry in an empty table, so the replayed game reaches the name entry
    // whatever the player's table held.
    if (!watch.Prepare(*game, scratchDir)) return {false, "cannot write " + scratchDir};
    const ScriptKeys keys{platform.keysDown, platform.keysTapped};
    for (bool more = true; more;) {
        more = watch.Step(*game, keys, false);
        const MenuState& m = game->menus;
        if (game->shell.ScreenId == kScreenNewChampion && m.EntryRank >= 1 &&
            m.EntryRank <= kHighscorePlaces && entry.table >= 1 &&
            entry.table <= kHighscoreTables) {
            const int score = m.HighscoreScore[entry.table][m.EntryRank];
            if (score == entry.score && game->play.LevelNumber == entry.level) return {true, ""};
            return {false, "its game ends with " + std::to_string(score) + " points at level " +
                               std::to_string(game->play.LevelNumber) + ", not " +
                               std::to_string(entry.score) + " at level " +
                               std::to_string(entry.level)};
        }
    }
    return {false, "its game never reaches the highscore table"};
}
