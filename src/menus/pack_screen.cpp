#include "menus/pack_screen.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/buttons.h"
#include "core/game.h"
#include "core/mode_facts.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/editor_screen.h"
#include "menus/level_packs.h"
#include "menus/transitions.h"
#include "presentation/sound.h"
#include "presentation/text.h"

namespace {

constexpr int kLeftX = 228;
constexpr int kRightX = 572;
constexpr int kDetailY = 500;
constexpr int kFolderY = 196;
constexpr int kFolderWidth = 700;

int Pages(const PackList& l) {
    return std::max(1, (l.Count + kPackRowsShown - 1) / kPackRowsShown);
}

// The list's row shown on button `slot` of this page, 0 for none.
int RowOnButton(const PackList& l, int slot) {
    const int row = (l.Page - 1) * kPackRowsShown + slot - kPackRowButton + 1;
    return slot >= kPackRowButton && slot < kPackRowButton + kPackRowsShown && row <= l.Count ? row
                                                                                              : 0;
}

// Words of a text, broken into lines no wider than `width` px (at most `lines` of them).
std::vector<std::string> Wrapped(const Game& game, const std::string& text, int width, int lines) {
    std::vector<std::string> out;
    std::string line;
    size_t at = 0;
    while (at < text.size() && static_cast<int>(out.size()) < lines) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(at, end - at);
        const std::string longer = line.empty() ? word : line + " " + word;
        if (!line.empty() && TextWidth(game, longer) > width) {
            out.push_back(line);
            line = word;
        } else {
            line = longer;
        }
        at = end + 1;
    }
    if (!line.empty() && static_cast<int>(out.size()) < lines) out.push_back(line);
    for (std::string& l : out) l = FitText(game, l, width);
    return out;
}

void StartPack(Game& game, int row) {
    const PackList& l = game.packList;
    if (!l.Message[row].empty()) return;  // a damaged pack only says why
    LevelStartRequest start = NewLevelStart(1, kModePuzzle, 1, true);
    start.pack = l.File[row];  // "" plays the game's own levels: the Puzzle itself
    game.requests.levelStart = start;
}

// What the list says of the row under the pointer (or the first), below the list.
void DrawDetails(Game& game, int row) {
    const PackList& l = game.packList;
    const int width = kRightX - kLeftX;
    std::vector<std::string> lines;
    int colour = 3;
    if (!l.Message[row].empty()) {
        // The file on one line, cut when its name is long; why on the second.
        const std::string said = Tr(game, "%s cannot be played:");
        const int nameWidth = width - TextWidth(game, FillIn(said.c_str(), {""}));
        lines.push_back(FillIn(said.c_str(), {FitText(game, l.File[row], nameWidth)}));
        lines.push_back(FitText(game, PackFaultText(game, l.Message[row]), width));
        colour = 5;
    } else if (l.File[row].empty()) {
        lines = Wrapped(game, Tr(game, "The game's own levels, read only"), width, 2);
    } else if (!l.Author[row].empty()) {
        lines = Wrapped(game, FillIn(Tr(game, "by %s"), {l.Author[row]}), width, 2);
    }
    for (size_t i = 0; i < lines.size(); ++i)
        DrawText(game, 400, kDetailY - 11 * static_cast<int>(lines.size() - 1) + 22 * i,
                 kAlignCentre, lines[i], colour);
}

// The levels folder on one line: a path too long loses its beginning, never the folder's name.
std::string FolderLine(const Game& game, const std::string& dir, int width) {
    const std::string said = Tr(game, "Levels folder: %s");
    std::string shown = dir;
    while (shown.size() > 1 && TextWidth(game, FillIn(said.c_str(), {shown})) > width) {
        shown.erase(0, shown.compare(0, 3, "...") == 0 ? 4 : 1);
        // Past a UTF-8 character's continuation bytes.
        while (!shown.empty() && (static_cast<unsigned char>(shown[0]) & 0xc0) == 0x80)
            shown.erase(0, 1);
        shown = "..." + shown;
    }
    return FillIn(said.c_str(), {shown});
}

}  // namespace

std::string PackFaultText(const Game& game, const std::string& fault) {
    if (fault.rfind("level ", 0) == 0)
        return FillIn(Tr(game, "level %s is faulty"), {fault.substr(6)});
    static constexpr struct {
        const char* fault;
        Words words;
    } kSaid[] = {
        {"too-large", N_("the file is too large for a pack")},
        {"not-text", N_("the file is not text")},
        {"not-a-pack", N_("it is not a level pack")},
        {"header", N_("its header is faulty")},
        {"name-too-long", N_("its name is too long")},
        {"author-too-long", N_("its author's name is too long")},
        {"too-many-levels", N_("it holds more than 99 levels")},
        {"no-level", N_("it holds no level")},
        {"match", N_("it is a match pack")},
    };
    for (const auto& s : kSaid)
        if (fault == s.fault) return Tr(game, s.words);
    return Tr(game, "the file cannot be read");
}

std::string FitText(const Game& game, const std::string& text, int width) {
    if (TextWidth(game, text) <= width) return text;
    std::string cut = text;
    while (!cut.empty()) {
        // Drop one UTF-8 character from the end.
        do cut.pop_back();
        while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xc0) == 0x80);
        if (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xc0) == 0xc0) cut.pop_back();
        if (TextWidth(game, cut + "...") <= width) return cut + "...";
    }
    return "";
}

bool EditPack(Game& game, int row) {
    const PackList& l = game.packList;
    if (!l.Message[row].empty()) return false;
    std::string file = l.File[row];
    PackListing listing =
        file.empty() ? ShippedPuzzlePack(game.env.resDir) : ReadLevelPack(game.env.levelsDir, file);
    if (file.empty() && listing.ok) {
        // The copy takes the first name free in the folder: "Rhombulus 2 - 2", "- 3", ...
        std::error_code ec;
        for (int n = 2; n <= levels::kMaxPackLevels && file.empty(); ++n) {
            const std::string name = listing.pack.name + " - " + std::to_string(n);
            if (!std::filesystem::exists(game.env.levelsDir + "/" + PackFileName(name), ec)) {
                listing.pack.name = name;
                file = PackFileName(name);
            }
        }
        std::string error = file.empty() ? "no free name" : "";
        if (error.empty()) SaveLevelPack(game.env.levelsDir, file, listing.pack, error);
        if (!error.empty()) {
            game.requests.message = FillIn(
                TrC(game, "message box", "The copy of the game's levels cannot be written: %s"),
                {error});
            return false;
        }
    }
    if (!listing.ok || listing.pack.match || listing.pack.levels.empty()) return false;
    // The same list, its rows now the pack's levels (Levels: the level's number) and a new one.
    PackList& rows = game.packList;
    const int n = static_cast<int>(listing.pack.levels.size());
    rows.Count = std::min(n + (n < levels::kMaxPackLevels ? 1 : 0), kMaxPackRows);
    for (int row = 1; row <= rows.Count; ++row) {
        rows.File[row] = file;
        rows.Name[row] =
            row <= n ? listing.pack.levels[row - 1].name.substr(0, kPackTextChars) : "";
        rows.Author[row] = "";
        rows.Levels[row] = row;
        rows.Message[row] = "";
    }
    rows.Page = rows.Chosen = 1;
    ShowPackList(game, true);
    return true;
}

namespace {

void EditPackLevel(Game& game, int row) {
    const PackList& l = game.packList;
    const PackListing listing = ReadLevelPack(game.env.levelsDir, l.File[row]);
    const int number = l.Levels[row];
    if (!listing.ok || number > static_cast<int>(listing.pack.levels.size())) {
        // A new level: an empty field that saves after the pack's last.
        game.editor = EditorState{};
        game.editor.PackFile = l.File[row];
    } else {
        EditorSteps steps = StepsOf(game);
        LoadPackLevelIntoEditor(game.editor, steps, l.File[row], listing.pack.levels[number - 1],
                                number);
    }
    ShowEditor(game);
}

}  // namespace

void RequestPackList(Game& game) {
    RequestScreen(game, ScreenChange::kPackList);
}

void ShowPackList(Game& game, bool choosing, bool click) {
    if (click) RequestSound(game, sndTast1, 400);
    ClearButtons(game);
    PackList& l = game.packList;
    l.Page = std::clamp(l.Page, 1, Pages(l));
    l.Chosen = std::clamp(l.Chosen, 1, std::max(1, l.Count));
    for (int i = 0; i < kPackRowsShown; ++i)
        if (RowOnButton(l, kPackRowButton + i) != 0)
            SetButton(game, kPackRowButton + i, 400, kPackFirstRowY + kPackRowStep * i, 175, 22);
    // The page buttons beside the frame, as on the highscore pages.
    if (l.Page > 1) SetButton(game, kPackPreviousButton, 135, 415, 50, 25);
    if (l.Page < Pages(l)) SetButton(game, kPackNextButton, 665, 415, 50, 25);
    if (!choosing) SetButton(game, kPackEditButton, 305, 545, 95, 25);
    SetButton(game, kPackBackButton, 495, 545, 95, 25);
    game.buttons.MenuSelection = 0;
    game.input.KeyEscape = 0;
    game.shell.ScreenId = choosing ? kScreenPackLevels : kScreenPacks;
}

void PackListScreen(Game& game) {
    PackList& l = game.packList;
    const bool choosing = game.shell.ScreenId == kScreenPackLevels;
    DrawText(game, 400, 270, kAlignCentre,
             choosing ? Tr(game, "Which level to edit?") : Tr(game, "My Levels"), 1);
    UpdateButtons(game);
    int pointed = 0;
    for (int i = 0; i < kPackRowsShown; ++i) {
        const int slot = kPackRowButton + i, row = RowOnButton(l, slot);
        if (row == 0) continue;
        if (PointerOverButton(game, slot)) pointed = l.Chosen = row;
        const bool over = row == l.Chosen;
        const int y = kPackFirstRowY + kPackRowStep * i;
        if (choosing) {
            const std::string name =
                l.Name[row].empty() ? std::string(Tr(game, "New level")) : l.Name[row];
            DrawText(game, kLeftX, y, kAlignLeft, std::to_string(row) + ".", over ? 2 : 3);
            DrawText(game, kLeftX + 40, y, kAlignLeft, FitText(game, name, kRightX - kLeftX - 40),
                     over ? 2 : 3);
            continue;
        }
        const bool damaged = !l.Message[row].empty();
        const std::string right =
            damaged              ? Tr(game, "damaged")
            : l.Levels[row] == 1 ? std::string(Tr(game, "1 level"))
                                 : FillIn(Tr(game, "%s levels"), {std::to_string(l.Levels[row])});
        const int rightWidth = TextWidth(game, right);
        const std::string name = damaged ? l.File[row] : l.Name[row];
        DrawText(game, kLeftX, y, kAlignLeft,
                 FitText(game, name, kRightX - kLeftX - rightWidth - 16), over ? 2 : 3);
        DrawText(game, kRightX, y, kAlignRight, right, damaged ? 5 : over ? 2 : 3);
    }
    if (l.Count <= 1 && !choosing) {
        DrawText(game, 400, kPackFirstRowY + kPackRowStep * 2, kAlignCentre,
                 Tr(game, "No level packs of your own yet."), 3);
        DrawText(game, 400, kPackFirstRowY + kPackRowStep * 3, kAlignCentre,
                 Tr(game, "Save a level in the editor, or put"), 3);
        DrawText(game, 400, kPackFirstRowY + kPackRowStep * 4, kAlignCentre,
                 Tr(game, "a pack file into the levels folder."), 3);
    }
    if (l.Chosen <= l.Count && !choosing) DrawDetails(game, pointed != 0 ? pointed : l.Chosen);
    // Where to put a pack, between the title and the frame: the folder is read again while the
    // list is open.
    if (!choosing)
        DrawText(game, 400, kFolderY, kAlignCentre,
                 FolderLine(game, game.env.levelsDir, kFolderWidth), 3);
    if (!choosing) DrawButtonLabel(game, kPackEditButton, Tr(game, "Edit"), 3);
    if (l.Page > 1) DrawButtonLabel(game, kPackPreviousButton, "<<<<", 3);
    if (l.Page < Pages(l)) DrawButtonLabel(game, kPackNextButton, ">>>>", 3);
    DrawButtonLabel(game, kPackBackButton, Tr(game, "Back"), 5);
    const int pressed = game.buttons.MenuSelection;
    if (const int row = RowOnButton(l, pressed); row != 0) {
        if (choosing) {
            EditPackLevel(game, row);
            return;
        }
        StartPack(game, row);
    }
    if (pressed == kPackEditButton && !choosing && l.Chosen <= l.Count && EditPack(game, l.Chosen))
        return;
    if (pressed == kPackPreviousButton || pressed == kPackNextButton) {
        l.Page += pressed == kPackNextButton ? 1 : -1;
        l.Chosen = (l.Page - 1) * kPackRowsShown + 1;
        ShowPackList(game, choosing);
    }
    if (pressed == kPackBackButton || game.input.KeyEscape == 1) {
        game.input.KeyEscape = 0;
        if (choosing)
            RequestPackList(game);  // read anew: the packs as they are now
        else
            ShowGameChoice(game);
    }
}
