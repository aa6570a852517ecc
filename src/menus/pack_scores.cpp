#include "menus/pack_scores.h"

#include <filesystem>
#include <sstream>
#include <system_error>

#include "core/game.h"
#include "core/name_text.h"
#include "core/paths.h"
#include "core/value_ranges.h"
#include "core/words.h"
#include "menus/record_file.h"
#include "platform/file_bytes.h"

namespace {

constexpr const char* kHeader = "rhombulus2 pack highscores 1";
constexpr std::size_t kMaxScoresBytes = 4096;
constexpr std::size_t kMaxNameChars = 10;

void Copy(const PackScores& from, PackList& to) {
    to.TableName = from.name;
    to.TableScore = from.score;
}

}  // namespace

std::string PackScoresFile(const std::string& packFile) {
    return std::string(kSavesFolder) + "\\pack-" + packFile + ".scores";
}

std::string PackScoresText(const PackScores& scores) {
    std::string text = std::string(kHeader) + "\n";
    for (int r = 1; r <= 7; ++r) {
        text += std::to_string(r);
        text += ' ';
        text += std::to_string(scores.score[r]);
        text += ' ';
        text += scores.name[r];
        text += '\n';
    }
    return text;
}

bool ParsePackScores(std::string_view text, PackScores& scores, std::string& problem) {
    PackScores read;
    std::istringstream in{std::string(text)};
    std::string line;
    if (!std::getline(in, line) || line != kHeader) {
        problem = "it does not start with \"" + std::string(kHeader) + "\"";
        return false;
    }
    for (int r = 1; r <= 7; ++r) {
        const std::string where = "place " + std::to_string(r) + ": ";
        if (!std::getline(in, line)) {
            problem = where + "missing";
            return false;
        }
        const std::string prefix = std::to_string(r) + " ";
        const std::size_t gap = line.find(' ', prefix.size());
        if (line.compare(0, prefix.size(), prefix) != 0 || gap == std::string::npos ||
            gap == prefix.size() || gap - prefix.size() > 9) {
            problem = where + "not \"place score name\"";
            return false;
        }
        std::int64_t score = 0;
        for (std::size_t i = prefix.size(); i < gap; ++i) {
            if (line[i] < '0' || line[i] > '9') {
                problem = where + "the score is not a number";
                return false;
            }
            score = score * 10 + (line[i] - '0');
        }
        if (!kScoreRange.Holds(score)) {
            problem = where + "the score is out of range";
            return false;
        }
        const std::string name = line.substr(gap + 1);
        // UTF-8: a name in the player's own alphabet is kept whole here.
        if (!TypedName(name, kMaxNameChars)) {
            problem = where + "the name is not one the game writes";
            return false;
        }
        read.score[r] = static_cast<std::int32_t>(score);
        read.name[r] = name;
    }
    if (std::getline(in, line) && !line.empty()) {
        problem = "more than seven places";
        return false;
    }
    scores = read;
    return true;
}

void LoadPackTable(Game& game) {
    PackList& l = game.packList;
    if (l.TableOf == game.packGame.File && !l.TableOf.empty()) return;
    l.TableOf = game.packGame.File;
    l.TableTitle = game.packGame.Name;
    Copy(PackScores{}, l);
    const std::string path = ResolveGamePath(game, PackScoresFile(game.packGame.File));
    const FileBytes file = ReadFileBytes(path, kMaxScoresBytes);
    if (file.problem == FileProblem::kMissing) return;
    PackScores scores;
    std::string problem = file.Ok() ? "" : "the file is too long or cannot be read";
    if (file.Ok() &&
        ParsePackScores(std::string(file.bytes.begin(), file.bytes.end()), scores, problem)) {
        Copy(scores, l);
        return;
    }
    // Kept beside under a free name, so a table that can be mended by hand is never lost.
    std::string kept;
    std::error_code ec;
    for (int n = 1; n <= 99 && kept.empty(); ++n) {
        const std::string candidate = path + ".damaged" + (n > 1 ? std::to_string(n) : "");
        if (!std::filesystem::exists(candidate, ec)) kept = candidate;
    }
    if (!kept.empty()) std::filesystem::rename(path, kept, ec);
    if (kept.empty() || ec) kept = path;
    game.requests.message =
        FillIn(TrC(game, "message box",
                   "The highscore table of the pack \"%s\" is damaged (%s). It is kept as "
                   "\"%s\"; a new table begins."),
               {game.packGame.Name, problem, kept});
}

bool WritePackTable(Game& game) {
    const PackList& l = game.packList;
    if (l.TableOf.empty()) return false;
    PackScores scores;
    scores.name = l.TableName;
    scores.score = l.TableScore;
    const std::string text = PackScoresText(scores);
    return WriteGameFile(game, ResolveGamePath(game, PackScoresFile(l.TableOf)),
                         std::vector<std::uint8_t>(text.begin(), text.end()));
}
