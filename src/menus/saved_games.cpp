#include "menus/saved_games.h"

#include <algorithm>

#include "core/game.h"
#include "core/mode_facts.h"
#include "core/name_text.h"
#include "core/paths.h"
#include "core/value_ranges.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/record_file.h"
#include "menus/screen_steps.h"
#include "menus/settings.h"
#include "menus/text_entry.h"
#include "menus/transitions.h"
#include "platform/file_bytes.h"
#include "presentation/text.h"

namespace {

constexpr int kSlotRecord = 20;
constexpr int kSlotNameField = 10;
const char* const kUnusedSlot = "noname";

// A Puzzle slot may hold a level pack's game, whose levels run further than the game's own.
ValueRange SlotLevelRange(std::int32_t mode) {
    return mode == kModePuzzle ? ValueRange{1, kMaxPackLevelCount} : LevelRangeOf(mode);
}

int RowY(const Game& game, int slot) {
    return game.buttons.PageTop + 20 + 25 * (slot - 1);
}

bool PointerOverRow(const Game& game, int slot) {
    const int x = game.input.MouseX;
    const int y = game.input.MouseY;
    const int row = RowY(game, slot);
    return x >= 251 && x <= 549 && row - 2 < y && y < row + 23;
}

// The slot list has always named an Endless game "Endlos", in English too.
const char* ModeWord(const Game& game, int mode) {
    if (mode == 0) return "------ ";
    // A slot list can only hold modes that exist; any other number reads as the first mode.
    const ModeFacts* facts = FindModeFacts(mode);
    return Tr(game, facts != nullptr ? facts->slotWord : kModeFacts[0].slotWord);
}

// A slot's row as the list has it; the slot being named shows the game on the field under the
// name typed so far.
void DrawSlotRow(Game& game, int slot, int colour) {
    const MenuState& m = game.menus;
    const PlayerOwn& own = game.own;
    const int y = RowY(game, slot);
    const bool naming =
        game.shell.ScreenId == kScreenSave && slot == m.SelectedSlot && m.SlotSaved == 0;
    const int mode = naming ? game.play.GameMode : own.SlotMode[slot];
    const int level = naming ? game.play.LevelNumber : own.SlotLevel[slot];
    DrawText(game, 245, y, kAlignLeft, naming ? m.TypedName : own.SlotName[slot], colour);
    DrawText(game, 400, y, kAlignLeft, ModeWord(game, mode) + std::to_string(level), colour);
}

// Asks once for the selected slot's game and the slot list to be written after the tick; the
// screen then stays inert.
void SaveSelectedSlot(Game& game) {
    MenuState& m = game.menus;
    if (m.SelectedSlot < 1 || m.SlotSaved != 0) return;
    game.ownAsks.saveSlot = m.SelectedSlot;
    game.ownAsks.slotName = m.TypedName;
    m.SelectedSlot = 0;
    m.TypedCount = 0;
    m.SlotSaved = 1;
}

}  // namespace

std::string SlotFile(int slot) {
    return "res\\saves\\ave" + std::to_string(slot) + ".dat";
}

std::vector<std::uint8_t> SavedGameBytes(const Game& game) {
    std::vector<std::uint8_t> bytes(kSavedGameFileSize, 0);
    PutInt32(bytes, 4, game.play.LevelNumber);
    PutInt32(bytes, 8, game.play.LapNumber);
    PutInt32(bytes, 12, game.play.GameMode);
    PutInt32(bytes, 16, game.level.LevelStartTime);
    PutInt32(bytes, 20, game.players[kSoloPlayer].LevelStartScore);
    // Records 7, 8 and 10, 11: each match player's score when the level began and levels won.
    const MatchState& m = game.match;
    for (int p = 1; p <= kMatchPlayers; ++p) {
        const size_t at = p == 1 ? 28 : 40;
        PutInt32(bytes, at, game.players[p].LevelStartScore);
        PutInt32(bytes, at + 4, m.LevelsWon[p]);
    }
    return bytes;
}

namespace {

std::string BesideSlot(const std::string& gamePath, const std::string& tail) {
    const std::string dat = ".dat";
    const bool endsInDat = gamePath.size() >= dat.size() &&
                           gamePath.compare(gamePath.size() - dat.size(), dat.size(), dat) == 0;
    return (endsInDat ? gamePath.substr(0, gamePath.size() - dat.size()) : gamePath) + tail;
}

// A pack's file name as a slot's pack file may name it: a plain name in the levels folder.
bool PackFileNameOk(const std::string& name) {
    if (name.empty() || name.size() > kPackTextChars || name[0] == '.') return false;
    for (char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

}  // namespace

std::string OpponentFileOf(const std::string& gamePath) {
    return BesideSlot(gamePath, "opp.dat");
}

std::string PackFileOf(const std::string& gamePath) {
    return BesideSlot(gamePath, "pack.dat");
}

bool WriteSavedGame(Game& game, const std::string& gamePath) {
    if (!WriteGameFile(game, ResolveGamePath(game, gamePath), SavedGameBytes(game))) return false;
    // Who played the right field lives beside the slot, whose 48 bytes stay as they are.
    std::vector<std::uint8_t> opponent(kOpponentFileSize, 0);
    const bool match = FactsOfMode(game.play.GameMode).players == 2;
    PutInt32(opponent, 4, match ? game.computer.Strength[2] : 0);
    if (!WriteGameFile(game, ResolveGamePath(game, OpponentFileOf(gamePath)), opponent))
        return false;
    // The pack a Puzzle game plays, by its file name; empty for the game's own levels.
    const std::string pack = PlaysPack(game) ? game.packGame.File : "";
    return WriteGameFile(game, ResolveGamePath(game, PackFileOf(gamePath)),
                         std::vector<std::uint8_t>(pack.begin(), pack.end()));
}

bool SavedGameValid(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() != kSavedGameFileSize) return false;
    const std::int32_t mode = GetInt32(bytes, 12);
    return SlotLevelRange(mode).Holds(GetInt32(bytes, 4)) && kLapRange.Holds(GetInt32(bytes, 8)) &&
           kModeRange.Holds(mode) && kTimeRange.Holds(GetInt32(bytes, 16)) &&
           kScoreRange.Holds(GetInt32(bytes, 20)) && kScoreRange.Holds(GetInt32(bytes, 28)) &&
           kLevelsWonRange.Holds(GetInt32(bytes, 32)) && kScoreRange.Holds(GetInt32(bytes, 40)) &&
           kLevelsWonRange.Holds(GetInt32(bytes, 44));
}

bool ReadSavedGame(Game& game, const std::string& gamePath, LevelStartRequest& start) {
    std::vector<std::uint8_t> bytes;
    if (!ReadRecordFile(ResolveGamePath(game, gamePath), kSavedGameFileSize, bytes) ||
        !SavedGameValid(bytes))
        return false;
    // A slot saved before packs, or of the game's own levels, has no pack file or an empty one.
    const FileBytes packFile =
        ReadFileBytes(ResolveGamePath(game, PackFileOf(gamePath)), kPackTextChars + 1);
    std::string pack(packFile.bytes.begin(), packFile.bytes.end());
    if (!packFile.Ok() || GetInt32(bytes, 12) != kModePuzzle || !PackFileNameOk(pack)) pack.clear();
    if (pack.empty() && !LevelRangeOf(GetInt32(bytes, 12)).Holds(GetInt32(bytes, 4))) return false;
    start = LevelStartRequest{};
    start.kind = LevelStartKind::kLoaded;
    start.pack = pack;
    start.level = GetInt32(bytes, 4);
    start.lap = GetInt32(bytes, 8);
    start.mode = GetInt32(bytes, 12);
    start.time = GetInt32(bytes, 16);
    start.score = GetInt32(bytes, 20);
    start.match = FactsOfMode(start.mode).players == 2 ? 1 : 0;
    // Records 6 and 9 are reserved and ignored.
    for (int p = 1; p <= kMatchPlayers; ++p) {
        const size_t at = p == 1 ? 28 : 40;
        start.matchScore[p] = GetInt32(bytes, at);
        start.levelsWon[p] = GetInt32(bytes, at + 4);
    }
    // A slot saved before the computer could play, or saved from a game of two, has a person.
    std::vector<std::uint8_t> opponent;
    int strength = kNoComputer;
    if (ReadRecordFile(ResolveGamePath(game, OpponentFileOf(gamePath)), kOpponentFileSize,
                       opponent))
        strength = GetInt32(opponent, 4);
    if (strength < kNoComputer || strength > kComputerHard) strength = kNoComputer;
    start.opponent = strength;
    return true;
}

std::vector<std::uint8_t> SlotNamesBytes(const Game& game, bool reset) {
    std::vector<std::uint8_t> bytes(kSlotNamesFileSize, 0);
    for (int k = 1; k <= kSaveSlots; ++k) {
        const size_t at = static_cast<size_t>(k) * kSlotRecord;
        const std::string name =
            NameTo1252(reset ? kUnusedSlot : game.own.SlotName[k], kSlotNameField);
        bytes[at] = static_cast<std::uint8_t>(name.size());
        for (size_t i = 0; i < name.size(); ++i)
            bytes[at + 1 + i] = static_cast<std::uint8_t>(name[i]);
        PutInt32(bytes, at + 12, reset ? 0 : game.own.SlotLevel[k]);
        PutInt32(bytes, at + 16, reset ? 0 : game.own.SlotMode[k]);
    }
    return bytes;
}

namespace {

// The slot names that their Windows-1252 field cannot hold.
WholeNames SlotWholeNames(const Game& game, bool reset) {
    WholeNames names;
    for (int k = 1; k <= kSaveSlots && !reset; ++k) {
        const std::string& name = game.own.SlotName[k];
        if (!NameFits1252(name, kSlotNameField))
            names[k] = WholeName{NameTo1252(name, kSlotNameField), name};
    }
    return names;
}

}  // namespace

bool WriteSlotNames(Game& game, bool reset) {
    if (!WriteGameFile(game, ResolveGamePath(game, kSlotNamesFile), SlotNamesBytes(game, reset)))
        return false;
    return WriteWholeNames(game, WholeNamesFileOf(kSlotNamesFile), SlotWholeNames(game, reset));
}

bool SlotNamesValid(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() != kSlotNamesFileSize) return false;
    for (int k = 1; k <= kSaveSlots; ++k) {
        const size_t at = static_cast<size_t>(k) * kSlotRecord;
        const std::int32_t level = GetInt32(bytes, at + 12);
        const std::int32_t mode = GetInt32(bytes, at + 16);
        const bool unused = level == 0 && mode == 0;
        if (!kSlotNameLength.Holds(bytes[at]) || (!unused && !SlotLevelRange(mode).Holds(level)))
            return false;
    }
    return true;
}

void ReadSlotNames(Game& game) {
    PlayerOwn& m = game.own;
    std::vector<std::uint8_t> bytes;
    const bool ok =
        ReadRecordFile(ResolveGamePath(game, kSlotNamesFile), kSlotNamesFileSize, bytes) &&
        SlotNamesValid(bytes);
    const WholeNames whole =
        ok ? ReadWholeNames(game, WholeNamesFileOf(kSlotNamesFile), kSaveSlots, kSlotNameField)
           : WholeNames{};
    for (int k = 1; k <= kSaveSlots; ++k) {
        const size_t at = static_cast<size_t>(k) * kSlotRecord;
        if (!ok) {
            m.SlotName[k] = kUnusedSlot;
            m.SlotLevel[k] = 0;
            m.SlotMode[k] = 0;
            continue;
        }
        const std::string field(reinterpret_cast<const char*>(&bytes[at + 1]), bytes[at]);
        m.SlotName[k] = NameOfRecord(whole, k, field);
        m.SlotLevel[k] = GetInt32(bytes, at + 12);
        m.SlotMode[k] = GetInt32(bytes, at + 16);
    }
    m.SlotNamesRead = true;
}

void SaveNameKey(Game& game, char32_t ch) {
    MenuState& m = game.menus;
    if (game.shell.ScreenId != kScreenSave || m.SelectedSlot < 1 || m.SelectedSlot > kSaveSlots)
        return;
    TypeNameKey(game, m.TypedName, ch);
}

void SaveIntoSlot(Game& game, int slot, const std::string& name) {
    if (slot < 1 || slot > kSaveSlots) return;
    PlayerOwn& own = game.own;
    own.SlotName[slot] = name;
    own.SlotMode[slot] = game.play.GameMode;
    own.SlotLevel[slot] = game.play.LevelNumber;
    WriteSavedGame(game, SlotFile(slot));
    WriteSlotNames(game, false);
}

void SaveScreen(Game& game) {
    MenuState& m = game.menus;
    DrawText(game, 400, 260, kAlignCentre, Tr(game, "Save Game"), 1);
    UpdateButtons(game);
    DrawButtonLabel(game, 1, m.SelectedSlot > 0 ? Tr(game, "Ok") : Tr(game, "Back"), 5);
    for (int k = 1; k <= kSaveSlots; ++k) {
        int colour = k == m.SelectedSlot ? 2 : 3;
        if (m.SelectedSlot == 0 && m.SlotSaved == 0 && PointerOverRow(game, k)) {
            colour = 2;
            if (game.input.MouseButtonDown != 0) {
                m.SelectedSlot = k;
                m.TypedName.clear();
            }
        }
        DrawSlotRow(game, k, colour);
    }
    if (m.SelectedSlot >= 1 && m.SelectedSlot <= kSaveSlots && m.SlotSaved == 0) {
        DrawNameCursor(game, 245, RowY(game, m.SelectedSlot), m.TypedName);
    }
    // The word that the game is in its slot, under the rows.
    if (m.SlotSaved != 0)
        DrawText(game, 400, RowY(game, kSaveSlots) + 25, kAlignCentre,
                 Tr(game, "The game is saved."), 2);
    if (game.input.KeyReturn == 1) {
        game.input.KeyReturn = 0;
        SaveSelectedSlot(game);
    }
    if (game.input.KeyEscape == 1) {
        game.input.KeyEscape = 0;
        SaveSelectedSlot(game);
        ShowMainMenu(game, 0);
    }
    if (game.buttons.MenuSelection == 1) {
        SaveSelectedSlot(game);
        ShowMainMenu(game, 0);
    }
}

void LoadScreen(Game& game) {
    DrawText(game, 400, 270, kAlignCentre, Tr(game, "Load Game"), 1);
    UpdateButtons(game);
    DrawButtonLabel(game, 1, Tr(game, "Back"), 5);
    for (int k = 1; k <= kSaveSlots; ++k) {
        const bool over = PointerOverRow(game, k);
        DrawSlotRow(game, k, over ? 2 : 3);
        if (!over || game.input.MouseButtonDown == 0 || game.own.SlotName[k] == kUnusedSlot)
            continue;
        // A slot whose file cannot be read is ignored.
        LevelStartRequest start;
        if (!ReadSavedGame(game, SlotFile(k), start)) continue;
        start.restartTune = 1;
        game.requests.levelStart = start;
        return;
    }
    if (game.buttons.MenuSelection == 1 || game.input.KeyEscape == 1) {
        game.input.KeyEscape = 0;
        ShowMainMenu(game, 0);
    }
}

void ShowLoadScreen(Game& game) {
    BeginTransition(game, true);
    SetButton(game, 1, 400, 525, 100, 25);
    game.ownAsks.readSlotNames = true;
    EndTransition(game, kScreenLoad, false, false);
    game.input.MouseButtonDown = 0;
}

void ShowSaveScreen(Game& game) {
    BeginTransition(game, true);
    SetButton(game, 1, 400, 525, 100, 25);
    game.menus.TypedCount = 0;
    game.ownAsks.readSlotNames = true;
    game.menus.SelectedSlot = 0;
    game.menus.SlotSaved = 0;
    EndTransition(game, kScreenSave, false, false);
    game.input.MouseButtonDown = 0;
}
