#include "shell/pack_games.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/game.h"
#include "core/words.h"
#include "menus/level_packs.h"
#include "menus/pack_screen.h"

namespace {

std::string Kept(const std::string& s) {
    return s.substr(0, kPackTextChars);
}

}  // namespace

std::string LevelsFolderStamp(const std::string& levelsDir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(levelsDir, ec)) {
        const std::uintmax_t size = entry.file_size(ec);
        // The clock's count is 128 bits wide in some libraries (emscripten's).
        const auto time =
            static_cast<long long>(entry.last_write_time(ec).time_since_epoch().count());
        entries.push_back(entry.path().filename().string() + " " + std::to_string(size) + " " +
                          std::to_string(time));
        // A folder of thousands of files is not watched file by file.
        if (entries.size() > 4096) break;
    }
    std::sort(entries.begin(), entries.end());
    std::string stamp;
    for (const std::string& e : entries) stamp += e + "\n";
    return stamp;
}

void WatchLevelsFolder(Game& game) {
    // About once a second (67 ticks of 15 ms).
    constexpr int kWatchTicks = 67;
    if (game.shell.ScreenId != kScreenPacks || game.shell.FrameCounter % kWatchTicks != 0) return;
    const std::string stamp = LevelsFolderStamp(game.env.levelsDir);
    if (stamp == game.levelsFolderStamp) return;
    ReadPackList(game);
    ShowPackList(game, false, false);
}

void ReadPackList(Game& game) {
    game.levelsFolderStamp = LevelsFolderStamp(game.env.levelsDir);
    std::vector<PackListing> listings;
    listings.push_back(ShippedPuzzlePack(game.env.resDir));
    for (PackListing& l : ListLevelPacks(game.env.levelsDir)) listings.push_back(std::move(l));
    PackList& list = game.packList;
    list.Count = 0;
    for (const PackListing& l : listings) {
        if (list.Count == kMaxPackRows) break;
        const int row = ++list.Count;
        list.File[row] = Kept(l.file);
        list.Name[row] = Kept(l.pack.name);
        list.Author[row] = Kept(l.pack.author);
        list.Levels[row] = static_cast<int>(l.pack.levels.size());
        list.Message[row] = Kept(l.fault);
        if (l.ok && l.pack.match) list.Message[row] = "match";
        if (!l.ok && list.Message[row].empty()) list.Message[row] = "unreadable";
        if (!l.ok)
            std::fprintf(stderr, "rhombulus2: level pack %s: %s\n", l.file.c_str(),
                         l.message.c_str());
    }
}

bool BeginPackGame(Game& game, const LevelStartRequest& start) {
    if (start.pack.empty()) {
        game.packGame = PackGame{};
        return true;
    }
    const PackListing l = ReadLevelPack(game.env.levelsDir, start.pack);
    std::string problem = l.ok ? "" : l.fault.empty() ? "unreadable" : l.fault;
    if (l.ok && l.pack.match) problem = "match";
    if (problem.empty() && start.level > static_cast<int>(l.pack.levels.size()))
        problem = "no-level";
    if (!problem.empty()) {
        if (!l.ok)
            std::fprintf(stderr, "rhombulus2: level pack %s: %s\n", start.pack.c_str(),
                         l.message.c_str());
        game.requests.message =
            FillIn(TrC(game, "message box", "The level pack \"%s\" cannot be played: %s."),
                   {game.env.levelsDir + "/" + start.pack, PackFaultText(game, problem)});
        RequestMainMenu(game, false);
        return false;
    }
    game.packGame.File = Kept(start.pack);
    game.packGame.Name = Kept(l.pack.name);
    game.packGame.Levels = static_cast<int>(l.pack.levels.size());
    return true;
}
