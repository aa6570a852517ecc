#include "runner/replay_verify.h"

#include <memory>
#include <vector>

#include "core/game.h"
#include "menus/highscores.h"
#include "menus/record_file.h"
#include "platform/headless/headless_platform.h"
#include "runner/runner.h"
#include "shell/frame_loop.h"
#include "shell/replay_store.h"

ReplayVerdict VerifyReplay(const std::string& text, const HighscoreReplay& entry,
                           const std::string& resDir, const std::string& scratchDir,
                           const std::string& version, std::uint64_t levels) {
    ReplayHeader header;
    std::string why;
    if (!ReadReplayHeader(text, header, why)) return {false, "damaged: " + why};
    why = ReplayMismatch(header, version, levels);
    if (!why.empty()) return {false, why};
    std::vector<ScriptEvent> events;
    if (!ParseInputScript(text, events, why)) return {false, "damaged: " + why};
    const long long last = events.empty() ? 0 : events.back().tick;
    if (last > kMaxVerifiedTicks) return {false, "damaged: it runs longer than any game"};
    // Any score is a new entry in an empty table, so the replayed game reaches the name entry
    // whatever the player's table held.
    if (!WriteFileAtomically(scratchDir + "/groar.dat",
                             std::vector<std::uint8_t>(kHighscoreFileSize, 0)))
        return {false, "cannot write " + scratchDir};
    HeadlessPlatform platform;
    auto game = std::make_unique<Game>();
    InitGame(*game, platform, resDir, header.seed);
    game->savesDir = scratchDir;
    if (header.language != 0) game->shell.FirstStartLanguage = header.language;
    bool focused = true;
    std::size_t next = 0;
    for (long long tick = 1; tick <= last + 1; ++tick) {
        while (next < events.size() && events[next].tick <= tick) {
            if (!game->session.WindowClosed)
                ApplyScriptEvent(*game, platform, events[next], focused);
            ++next;
        }
        if (game->session.WindowClosed) break;
        if (focused) FrameTick(*game, false);
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
        if (game->session.WindowClosed) break;
    }
    return {false, "its game never reaches the highscore table"};
}
