#include "shell/pack_games.h"

#include "core/game.h"
#include "core/words.h"
#include "menus/level_packs.h"

namespace {

std::string Kept(const std::string& s) {
    return s.substr(0, kPackTextChars);
}

}  // namespace

void ReadPackList(Game& game) {
    std::vector<PackListing> listings;
    listings.push_back(ShippedPuzzlePack(game.resDir));
    for (PackListing& l : ListLevelPacks(game.levelsDir)) listings.push_back(std::move(l));
    PackList& list = game.packList;
    list.Count = 0;
    for (const PackListing& l : listings) {
        if (list.Count == kMaxPackRows) break;
        const int row = ++list.Count;
        list.File[row] = Kept(l.file);
        list.Name[row] = Kept(l.pack.name);
        list.Author[row] = Kept(l.pack.author);
        list.Levels[row] = static_cast<int>(l.pack.levels.size());
        list.Message[row] = Kept(l.message);
        if (l.ok && l.pack.match) list.Message[row] = "a match pack: only Puzzle packs play here";
        if (!l.ok && list.Message[row].empty()) list.Message[row] = "the pack does not read";
    }
}

bool BeginPackGame(Game& game, const LevelStartRequest& start) {
    if (start.pack.empty()) {
        game.packGame = PackGame{};
        return true;
    }
    const PackListing l = ReadLevelPack(game.levelsDir, start.pack);
    std::string problem = l.message;
    if (l.ok && l.pack.match) problem = "it is a match pack";
    if (problem.empty() && !l.ok) problem = "it does not read";
    if (problem.empty() && start.level > static_cast<int>(l.pack.levels.size()))
        problem = "it has no level " + std::to_string(start.level) + " any more";
    if (!problem.empty()) {
        game.requests.message =
            FillIn(TrC(game, "message box", "The level pack \"%s\" cannot be played: %s."),
                   {game.levelsDir + "/" + start.pack, problem});
        RequestMainMenu(game, false);
        return false;
    }
    game.packGame.File = Kept(start.pack);
    game.packGame.Name = Kept(l.pack.name);
    game.packGame.Levels = static_cast<int>(l.pack.levels.size());
    return true;
}
