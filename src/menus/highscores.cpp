#include "menus/highscores.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>

#include "core/game.h"
#include "core/mode_facts.h"
#include "core/name_text.h"
#include "core/paths.h"
#include "core/value_ranges.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/highscore_replays.h"
#include "menus/pack_scores.h"
#include "menus/record_file.h"
#include "menus/screen_steps.h"
#include "menus/text_entry.h"
#include "menus/transitions.h"
#include "presentation/music.h"
#include "presentation/sound.h"
#include "presentation/text.h"

namespace {

constexpr int kRecords = kHighscoreTables * kHighscorePlaces;
constexpr int kNameField = 16;

int TableOfRecord(int k) {
    return (k - 1) / kHighscorePlaces + 1;
}
int PlaceOfRecord(int k) {
    return (k - 1) % kHighscorePlaces + 1;
}

// Table number 1..4 for a game mode; anything else falls back to the first table.
int TableOf(int mode) {
    return mode >= 1 && mode <= kHighscoreTables ? mode : 1;
}

// The table of the game that just ended: a pack's own, else its mode's.
int CurrentTable(const Game& game) {
    return PlaysPack(game) ? kPackTable : TableOf(game.play.GameMode);
}

// A mode's table is the player's own; the table of the pack played last is read with the pack.
std::string& NameAt(Game& game, int table, int r) {
    return table == kPackTable ? game.packList.TableName[r] : game.own.HighscoreName[table][r];
}
std::int32_t& ScoreAt(Game& game, int table, int r) {
    return table == kPackTable ? game.packList.TableScore[r] : game.own.HighscoreScore[table][r];
}
const std::string& NameAt(const Game& game, int table, int r) {
    return table == kPackTable ? game.packList.TableName[r] : game.own.HighscoreName[table][r];
}

// Each mode's table is the one of its number; a pack's carries the pack's name.
std::string ModeName(const Game& game, int table) {
    if (table == kPackTable) return game.packList.TableTitle;
    return Tr(game, FactsOfMode(table).tableName);
}

// The names of the file's records that their Windows-1252 field cannot hold.
WholeNames HighscoreWholeNames(const Game& game) {
    WholeNames names;
    for (int k = 1; k <= kRecords; ++k) {
        const std::string& name = game.own.HighscoreName[TableOfRecord(k)][PlaceOfRecord(k)];
        if (!NameFits1252(name, kHighscoreNameCapacity))
            names[k] = WholeName{NameTo1252(name, kHighscoreNameCapacity), name};
    }
    return names;
}

// Asks for the typed name in its place and the table written, after the tick.
void WriteAndEndNaming(Game& game) {
    OwnAsks& ask = game.ownAsks;
    ask.writeTable = true;
    ask.table = CurrentTable(game);
    ask.rank = game.menus.EntryRank;
    ask.name = game.menus.TypedName;
    // The name is in: the game is over, and its replay ends here.
    if (game.menus.EntryRank != 0) game.session.GameEnded = true;
    game.menus.EntryRank = 0;
}

// Place rows of a table: "r." at x 255, the name at 285, the score right-aligned at 530. The
// champion's place (`highlighted`) shows the name as typed so far.
void DrawTableRows(Game& game, int table, int top, int highlighted) {
    for (int r = 1; r <= kHighscorePlaces; ++r) {
        const int y = top + 25 * (r - 1);
        const int colour = r == highlighted ? 2 : 3;
        DrawText(game, 255, y, kAlignLeft, std::to_string(r) + ".", colour);
        const std::string& name =
            r == highlighted ? game.menus.TypedName : NameAt(std::as_const(game), table, r);
        DrawText(game, 285, y, kAlignLeft, name, colour);
        // A pack's table starts empty: its unused places show no score.
        if (table == kPackTable && ScoreAt(game, table, r) == 0 && name.empty()) continue;
        DrawText(game, 530, y, kAlignRight, std::to_string(ScoreAt(game, table, r)), colour);
    }
}

}  // namespace

void ResetHighscores(Game& game) {
    for (int t = 1; t <= kHighscoreTables; ++t) {
        for (int r = 1; r <= kHighscorePlaces; ++r) {
            game.own.HighscoreName[t][r] = "quarzbau";
            game.own.HighscoreScore[t][r] = 80000 - 10000 * r;
        }
    }
}

std::vector<std::uint8_t> HighscoreFileBytes(const Game& game) {
    std::vector<std::uint8_t> bytes(kHighscoreFileSize, 0);
    for (int k = 1; k <= kRecords; ++k) {
        const size_t at = static_cast<size_t>(k) * kHighscoreRecordSize;
        const int t = TableOfRecord(k);
        const int r = PlaceOfRecord(k);
        PutInt32(bytes, at, game.own.HighscoreScore[t][r]);
        const std::string name = NameTo1252(game.own.HighscoreName[t][r], kHighscoreNameCapacity);
        bytes[at + 4] = static_cast<std::uint8_t>(name.size());
        for (size_t i = 0; i < name.size(); ++i)
            bytes[at + 5 + i] = static_cast<std::uint8_t>(name[i]);
    }
    return bytes;
}

bool ReadHighscores(Game& game, const std::string& gamePath) {
    std::vector<std::uint8_t> bytes;
    if (!ReadRecordFile(ResolveGamePath(game, gamePath), kHighscoreFileSize, bytes)) return false;
    const WholeNames whole =
        ReadWholeNames(game, HighscoreNamesFileOf(gamePath), kRecords, kHighscoreNameCapacity);
    // Every entry is checked before any is taken: a damaged file leaves the tables as they were.
    for (int k = 1; k <= kRecords; ++k) {
        const size_t at = static_cast<size_t>(k) * kHighscoreRecordSize;
        if (!kScoreRange.Holds(GetInt32(bytes, at)) || !kHighscoreNameLength.Holds(bytes[at + 4]))
            return false;
    }
    for (int k = 1; k <= kRecords; ++k) {
        const size_t at = static_cast<size_t>(k) * kHighscoreRecordSize;
        const int t = TableOfRecord(k);
        const int r = PlaceOfRecord(k);
        game.own.HighscoreScore[t][r] = GetInt32(bytes, at);
        const size_t n = std::min<size_t>({bytes[at + 4], kHighscoreNameCapacity, kNameField});
        const std::string field(reinterpret_cast<const char*>(&bytes[at + 5]), n);
        game.own.HighscoreName[t][r] = NameOfRecord(whole, k, field);
    }
    return true;
}

std::string HighscoreNamesFileOf(const std::string& gamePath) {
    return WholeNamesFileOf(gamePath);
}

bool WriteHighscores(Game& game, const std::string& gamePath, bool reset) {
    if (reset) ResetHighscores(game);
    if (!WriteGameFile(game, ResolveGamePath(game, gamePath), HighscoreFileBytes(game)))
        return false;
    return WriteWholeNames(game, HighscoreNamesFileOf(gamePath), HighscoreWholeNames(game));
}

void LoadHighscoresAtStartUp(Game& game) {
    ResetHighscores(game);
    // A damaged file keeps the defaults in memory and stays as it is.
    if (!ReadHighscores(game, kHighscoreFile)) ResetHighscores(game);
}

void CreateMissingHighscoreFile(Game& game) {
    std::error_code ec;
    const std::string path = ResolveGamePath(game, kHighscoreFile);
    // Anything in its place, even a dangling link, is left alone.
    if (std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::not_found)
        WriteHighscores(game, kHighscoreFile, true);
}

void CheckHighscore(Game& game, int score) {
    MenuState& m = game.menus;
    if (PlaysPack(game)) LoadPackTable(game);
    const int table = CurrentTable(game);
    m.NewHighscore = score > ScoreAt(game, table, kHighscorePlaces) ? 1 : 0;
    m.EntryRank = 0;
    for (int r = 1; r <= kHighscorePlaces; ++r) {
        if (score > ScoreAt(game, table, r)) {
            m.EntryRank = r;
            break;
        }
    }
    if (m.NewHighscore == 0)
        ShowMainMenu(game, true);
    else
        InsertHighscore(game, table, true, score);
}

void EnterHighscore(Game& game, int table, int rank, int score) {
    if (table < 1 || table > kPackTable || rank < 1 || rank > kHighscorePlaces) return;
    for (int r = kHighscorePlaces; r >= rank + 1; --r) {
        NameAt(game, table, r) = NameAt(game, table, r - 1);
        ScoreAt(game, table, r) = ScoreAt(game, table, r - 1);
    }
    NameAt(game, table, rank).clear();
    ScoreAt(game, table, rank) = score;
}

void ChampionNameKey(Game& game, char32_t ch) {
    MenuState& m = game.menus;
    if (game.shell.ScreenId != kScreenNewChampion || m.NewHighscore != 1 || m.EntryRank < 1 ||
        m.EntryRank > kHighscorePlaces)
        return;
    TypeNameKey(game, m.TypedName, ch);
}

void EnterChampionName(Game& game, int table, int rank, const std::string& name) {
    if (table < 1 || table > kPackTable) return;
    if (rank >= 1 && rank <= kHighscorePlaces) NameAt(game, table, rank) = name;
    if (table == kPackTable)
        WritePackTable(game);
    else
        WriteHighscores(game, kHighscoreFile, false);
}

void ChampionScreen(Game& game) {
    MenuState& m = game.menus;
    const int pageTop = game.buttons.PageTop;
    const int table = CurrentTable(game);
    DrawText(game, 400, 260, kAlignCentre, Tr(game, "New Champion"), 1);
    UpdateButtons(game);
    DrawButtonLabel(game, 1, Tr(game, "Back"), 5);
    if (m.EntryRank > 0) {
        std::string word = ModeName(game, table) + " ";
        DrawText(game, 400, pageTop - 14, kAlignCentre,
                 word + Tr(game, "Rank ") + std::to_string(m.EntryRank), 2);
    }
    DrawTableRows(game, table, pageTop + 17, m.EntryRank);
    if (m.NewHighscore == 1 && m.EntryRank >= 1 && m.EntryRank <= kHighscorePlaces) {
        DrawNameCursor(game, 285, pageTop + 17 + 25 * (m.EntryRank - 1), m.TypedName);
    }
    if (game.input.KeyReturn == 1) {
        game.input.KeyReturn = 0;
        WriteAndEndNaming(game);
    }
    if (game.input.KeyEscape == 1) {
        game.input.KeyEscape = 0;
        WriteAndEndNaming(game);
        ShowHelpMenu(game);
    }
    if (game.buttons.MenuSelection == 1) {
        WriteAndEndNaming(game);
        ShowHelpMenu(game);
    }
}

void HighscoreScreen(Game& game) {
    ButtonTable& b = game.buttons;
    UpdateButtons(game);
    DrawButtonLabel(game, 1, "<<<<", 3);
    DrawButtonLabel(game, 2, ">>>>", 3);
    DrawButtonLabel(game, 3, Tr(game, "Back"), 5);
    if (b.MenuSelection == 1) {
        if (b.PageNumber > 1) --b.PageNumber;
        RequestSound(game, sndTast1, 400);
    }
    // After the four tables of the modes, the table of the pack played last.
    const int pages = game.packList.TableOf.empty() ? kHighscoreTables : kPackTable;
    if (b.MenuSelection == 2) {
        if (b.PageNumber < pages) ++b.PageNumber;
        RequestSound(game, sndTast1, 400);
    }
    const int table = std::clamp(b.PageNumber, 1, pages);
    DrawText(game, 400, b.PageTop - 53, kAlignCentre, TrC(game, "highscores title", "Highscores"),
             1);
    const char* suffix = table == kPackTable               ? ""
                         : FactsOfMode(table).players == 2 ? Tr(game, "-Match")
                                                           : Tr(game, "-Single");
    DrawText(game, 400, b.PageTop - 23, kAlignCentre, ModeName(game, table) + suffix, 2);
    DrawTableRows(game, table, b.PageTop + 12, 0);
    if (game.input.KeyEscape == 1 || b.MenuSelection == 3) {
        game.input.KeyEscape = 0;
        ShowHelpMenu(game);
    }
}

void ShowHighscores(Game& game) {
    BeginTransition(game, true);
    PageButtons(game, 540, 135, 415);
    EndTransition(game, kScreenHighscores, true, false);
}

void InsertHighscore(Game& game, int table, bool restartTune, int score) {
    if (restartTune) StartMenuMusic(game);
    BeginTransition(game, true);
    SetButton(game, 1, 400, 540, 100, 25);
    game.menus.TypedCount = 0;
    game.menus.TypedName.clear();
    EnterHighscore(game, table, game.menus.EntryRank, score);
    LinkHighscoreReplay(game, table, game.menus.EntryRank, score, game.play.LevelNumber);
    EndTransition(game, kScreenNewChampion, false, false);
}
