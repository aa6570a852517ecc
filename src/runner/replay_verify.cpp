#include "runner/replay_verify.h"

#include <cstdio>
#include <memory>

#include "core/game.h"
#include "menus/highscores.h"
#include "platform/file_bytes.h"
#include "platform/headless/headless_platform.h"
#include "runner/game_replays.h"
#include "runner/net_replay.h"
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
    if (!watch.Prepare(*game, scratchDir, why)) return {false, why};
    for (bool more = true; more;) {
        more = watch.Step(*game, false);
        const MenuState& m = game->menus;
        if (game->shell.ScreenId == kScreenNewChampion && m.EntryRank >= 1 &&
            m.EntryRank <= kHighscorePlaces && entry.table >= 1 &&
            entry.table <= kHighscoreTables) {
            const int score = game->own.HighscoreScore[entry.table][m.EntryRank];
            if (score == entry.score && game->play.LevelNumber == entry.level) return {true, ""};
            return {false, "its game ends with " + std::to_string(score) + " points at level " +
                               std::to_string(game->play.LevelNumber) + ", not " +
                               std::to_string(entry.score) + " at level " +
                               std::to_string(entry.level)};
        }
    }
    return {false, "its game never reaches the highscore table"};
}

int VerifyHeadless(const std::string& resDir, const std::string& path) {
    const FileBytes links = ReadFileBytes(resDir + "/saves/groar-replays.txt", 1u << 20);
    const std::string name =
        path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    const HighscoreReplay* entry = nullptr;
    const std::vector<HighscoreReplay> all =
        ParseHighscoreReplays(std::string(links.bytes.begin(), links.bytes.end()));
    for (const HighscoreReplay& l : all) {
        if (l.file == name) entry = &l;
    }
    ReplayVerdict verdict{false, "no highscore entry links to it"};
    const FileBytes file = ReadFileBytes(path, kMaxInputScriptBytes);
    ReplayHeader header;
    std::string why;
    const std::string text(file.bytes.begin(), file.bytes.end());
    if (!file.Ok()) {
        verdict.why = path + " " + DescribeFileProblem(file.problem);
    } else if (ReadReplayHeader(text, header, why) && header.hasEnd) {
        // A network match proves itself by the state it ends in.
        const ReplayHeader here = ThisGamesReplayHeader(resDir, 0, 0);
        ScratchFolder scratch;
        verdict.why = VerifyMatchReplay(text, resDir, scratch.Path(), here.version, here.levels);
        verdict.verified = verdict.why.empty();
    } else if (entry != nullptr) {
        const ReplayHeader here = ThisGamesReplayHeader(resDir, 0, 0);
        ScratchFolder scratch;
        verdict = VerifyReplay(std::string(file.bytes.begin(), file.bytes.end()), *entry, resDir,
                               scratch.Path(), here.version, here.levels);
    }
    if (verdict.verified) {
        std::printf("verified\n");
        return 0;
    }
    std::printf("not verified: %s\n", verdict.why.c_str());
    return 1;
}
