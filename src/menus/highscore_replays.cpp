#include "menus/highscore_replays.h"

#include <sstream>

#include "core/game.h"
#include "core/menu_state.h"
#include "core/paths.h"
#include "menus/record_file.h"
#include "platform/file_bytes.h"

namespace {

// 28 lines of a few dozen characters; anything far larger is not ours.
constexpr std::size_t kMaxLinksBytes = 64 * 1024;

bool SoundFileName(const std::string& name) {
    if (name.empty() || name.size() > 128 || name[0] == '.') return false;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!ok) return false;
    }
    return true;
}

}  // namespace

std::vector<HighscoreReplay> ParseHighscoreReplays(const std::string& text) {
    std::vector<HighscoreReplay> links;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line) && links.size() < kHighscoreTables * kHighscorePlaces) {
        std::istringstream words(line);
        HighscoreReplay l;
        std::string extra;
        if (!(words >> l.table >> l.place >> l.score >> l.level >> l.file) || (words >> extra))
            continue;
        if (l.table < 1 || l.table > kHighscoreTables || l.place < 1 ||
            l.place > kHighscorePlaces || !SoundFileName(l.file))
            continue;
        if (FindHighscoreReplay(links, l.table, l.place) != nullptr) continue;
        links.push_back(l);
    }
    return links;
}

std::string HighscoreReplaysText(const std::vector<HighscoreReplay>& links) {
    std::string text;
    for (const HighscoreReplay& l : links) {
        text += std::to_string(l.table) + " " + std::to_string(l.place) + " " +
                std::to_string(l.score) + " " + std::to_string(l.level) + " " + l.file + "\n";
    }
    return text;
}

std::vector<HighscoreReplay> ReadHighscoreReplays(const Game& game) {
    const FileBytes file =
        ReadFileBytes(ResolveGamePath(game, kHighscoreReplaysFile), kMaxLinksBytes);
    if (!file.Ok()) return {};
    return ParseHighscoreReplays(std::string(file.bytes.begin(), file.bytes.end()));
}

std::set<std::string> LinkedReplayFiles(const Game& game) {
    std::set<std::string> files;
    for (const HighscoreReplay& l : ReadHighscoreReplays(game)) files.insert(l.file);
    return files;
}

void LinkHighscoreReplay(Game& game, int table, int rank, int score, int level) {
    if (game.replayName.empty() || table < 1 || table > kHighscoreTables || rank < 1 ||
        rank > kHighscorePlaces)
        return;
    std::vector<HighscoreReplay> links;
    for (HighscoreReplay l : ReadHighscoreReplays(game)) {
        if (l.table == table && l.place >= rank) ++l.place;
        if (l.place <= kHighscorePlaces) links.push_back(l);
    }
    links.push_back({table, rank, score, level, game.replayName});
    const std::string text = HighscoreReplaysText(links);
    WriteFileAtomically(ResolveGamePath(game, kHighscoreReplaysFile),
                        std::vector<std::uint8_t>(text.begin(), text.end()));
}

const HighscoreReplay* FindHighscoreReplay(const std::vector<HighscoreReplay>& links, int table,
                                           int place) {
    for (const HighscoreReplay& l : links) {
        if (l.table == table && l.place == place) return &l;
    }
    return nullptr;
}
