#include "menus/editor_screen.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "core/catalogue.h"
#include "core/game.h"
#include "core/mode_facts.h"
#include "core/name_text.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/level_packs.h"
#include "menus/screen_steps.h"
#include "menus/text_entry.h"
#include "menus/transitions.h"
#include "playfield/level_text.h"
#include "presentation/text.h"

namespace {

constexpr int kFirstCell = levels::kFirstFieldCell;
// The lowest row the editor offers is the last above the bottom line (y 420).
constexpr int kLastCell = levels::kLastBuiltCell;
constexpr int kLowestStoneY = 420;
constexpr int kIdeaLineMiddle = kEditorFaultLineY + 9;
// The name box's inside, top right of the panel.
constexpr int kNameBoxLeft = 682;
constexpr int kNameBoxWidth = 108;

// A level as one text, two characters a cell: what the history keeps.
std::string LevelText(const EditorState& e) {
    std::string s(2 * kEditorCells, '\0');
    for (int k = 0; k < kEditorCells; ++k) {
        s[2 * k] = static_cast<char>(e.Cell[k] + 1);
        s[2 * k + 1] = static_cast<char>(e.Extra[k]);
    }
    return s;
}

void TakeLevelText(EditorState& e, const std::string& s) {
    if (s.size() != 2 * kEditorCells) return;
    for (int k = 0; k < kEditorCells; ++k) {
        e.Cell[k] = std::clamp(static_cast<int>(s[2 * k]) - 1, -1, 9);
        e.Extra[k] = std::clamp(static_cast<int>(s[2 * k + 1]), 0, 7);
    }
}

// An idea is a sentence: it keeps its capitals and takes the punctuation the font draws.
bool AcceptIdeaChar(char32_t c, char32_t& stored) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    // Ä Ö Ü ß ä ö ü: two bytes each in UTF-8, so the level file's 120 bytes hold 60 of them.
    const bool umlaut =
        c == 0xC4 || c == 0xD6 || c == 0xDC || c == 0xDF || c == 0xE4 || c == 0xF6 || c == 0xFC;
    if (!letter && !umlaut &&
        (c >= 0x80 ||
         std::string_view(" .,!?:-'").find(static_cast<char>(c)) == std::string_view::npos))
        return false;
    stored = c;
    return true;
}
static_assert(2 * kEditorIdeaChars <= static_cast<int>(levels::kMaxLevelIdea));

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, s.find_last_not_of(' ') - first + 1);
}

levels::Level EditorLevel(const EditorState& e) {
    levels::Level level;
    for (int k = kFirstCell; k <= kLastCell; ++k) level.records[k] = {e.Cell[k], e.Extra[k]};
    levels::WriteCeiling(level.records, levels::kPuzzleLattice);
    level.name = e.Name;
    level.idea = Trimmed(e.Idea);
    return level;
}

// One line for the first problem, in the player's language.
Words FaultWords(int fault) {
    switch (static_cast<levels::LevelFault>(fault)) {
        case levels::LevelFault::kFloats:
            return N_("A stone floats: nothing above holds it.");
        case levels::LevelFault::kBelowLine:
            return N_("A stone lies below the bottom line.");
        case levels::LevelFault::kExtraWithoutStone:
            return N_("An extra needs a coloured stone to carry it.");
        case levels::LevelFault::kOutOfReach:
            return N_("A stone lies beyond the cannon's reach.");
        case levels::LevelFault::kWalledIn:
            return N_("Anchors close every way to a stone.");
        case levels::LevelFault::kRisesIntoTrap:
            return N_("A stone floating up could stop where it is never joined.");
        case levels::LevelFault::kTrap:
            return N_("A shot could come to rest where it is never joined.");
        case levels::LevelFault::kNoColour:
            return N_("Place coloured stones: the level has none.");
        default:
            return N_("The level does not pass the checks.");
    }
}

void SaveIntoPack(Game& game) {
    EditorState& e = game.editor;
    const std::string file = e.PackFile.empty() ? PackFileName(kEditorPackName) : e.PackFile;
    levels::Pack pack;
    pack.name = kEditorPackName;
    for (const PackListing& l : ListLevelPacks(game.env.levelsDir)) {
        if (l.file != file) continue;
        // A pack that does not read is the player's to mend: it is never written over.
        if (!l.ok) {
            e.Saved = -1;
            return;
        }
        pack = l.pack;
    }
    levels::Level level = EditorLevel(e);
    if (e.ProofStage == kProofDone) level.proof = {true, e.ProofCleared, e.ProofShots, e.ProofTime};
    // A level saved before keeps its place; one of the same name is replaced; a new one goes last.
    auto same = std::find_if(pack.levels.begin(), pack.levels.end(), [&](const levels::Level& l) {
        return !level.name.empty() && l.name == level.name;
    });
    if (e.SavedLevel >= 1 && e.SavedLevel <= static_cast<int>(pack.levels.size()))
        same = pack.levels.begin() + (e.SavedLevel - 1);
    if (same == pack.levels.end() &&
        static_cast<int>(pack.levels.size()) >= levels::kMaxPackLevels) {
        e.Saved = -1;
        return;
    }
    const int number = static_cast<int>(same - pack.levels.begin()) + 1;
    if (level.name.empty()) level.name = "Level " + std::to_string(number);
    if (same == pack.levels.end())
        pack.levels.push_back(level);
    else
        *same = level;
    std::string error;
    e.Saved = SaveLevelPack(game.env.levelsDir, file, pack, error) ? 1 : -1;
    if (e.Saved == 1) e.SavedLevel = number;
}

// The keys' cursor: stepped over the field, placing the tool or erasing where it stands, the tool
// changed in the palette's order; the pointer's cursor is where the keys start. True when the
// level changed.
bool CursorKey(EditorState& e, const InputState& in, EditorSteps& steps) {
    // A move of the pointer gives the cursor back to it.
    if (in.MouseX != e.PointerX || in.MouseY != e.PointerY) {
        e.KeyCursor = 0;
        e.PointerX = in.MouseX;
        e.PointerY = in.MouseY;
    }
    const int key = in.EditKey;
    if (key < kEditLeft) return false;
    if (key == kEditNextTool || key == kEditPreviousTool) {
        e.Tool = (e.Tool - 1 + (key == kEditNextTool ? 1 : kEditorTools - 1)) % kEditorTools + 1;
        return false;
    }
    const int at = e.KeyCursor != 0 ? e.KeyCursor : e.CursorCell;
    // The first key shows the cursor, at the pointer's cell or at the top of the field.
    if (at == 0) {
        e.KeyCursor = LatticeCell(1, 4);
        return false;
    }
    e.KeyCursor = at;
    if (key == kEditPlace || key == kEditErase) {
        if (!ApplyEditorTool(e, key == kEditPlace ? e.Tool : kToolEraser, at)) return false;
        RecordEditorStep(e, steps);
        return true;
    }
    e.KeyCursor = StepEditorCursor(at, key);
    return false;
}

void DrawPanel(Game& game) {
    const EditorState& e = game.editor;
    const ButtonTable& b = game.buttons;
    const std::string labels[8] = {
        "",
        TrC(game, "editor", "Test"),
        TrC(game, "editor", "Save"),
        TrC(game, "editor", "Clear"),
        Tr(game, "End"),
        "",
        "",
        e.ProofStage == kProofRunning ? TrC(game, "editor", "Stop") : TrC(game, "editor", "Prove")};
    for (int i : {kEditorProveButton, kEditorTestButton, kEditorSaveButton, kEditorClearButton,
                  kEditorEndButton})
        DrawText(game, b.ButtonX[i], b.ButtonY[i], kAlignRight, labels[i],
                 b.ButtonState[i] != 0 ? 4 : 2);
    DrawButtonLabel(game, kEditorUndoButton, Tr(game, "Undo"), 3);
    DrawButtonLabel(game, kEditorRedoButton, Tr(game, "Redo"), 3);
    // The name box: the name, or what it is for. A name wider than the box shows its end while
    // it is typed (the cursor stays in the box) and its beginning otherwise; a name just chosen
    // stands out, since the first key replaces it.
    if (e.Name.empty() && e.TypingName == 0) {
        DrawText(game, 720, 26, kAlignCentre, Tr(game, "Name?"), 5);
    } else {
        const bool typing = e.TypingName == 1;
        const int room = kNameBoxWidth - (typing ? TextWidth(game, "_") : 0);
        std::string shown = e.Name;
        while (!shown.empty() && TextWidth(game, shown) > room) {
            shown = typing ? DropFirstChar(shown) : DropLastChar(shown);
        }
        DrawText(game, kNameBoxLeft, 26, kAlignLeft, shown, e.TypingName == 2 ? 1 : 5);
        if (typing) DrawNameCursor(game, kNameBoxLeft, 26, shown, kEditorNameChars);
    }
    int stones = 0;
    for (int k = kFirstCell; k <= kLastCell; ++k) stones += e.Cell[k] >= 0 && e.Cell[k] <= 7;
    DrawText(game, 778, 78, kAlignRight, std::to_string(stones), 2);
    // What is known of the level's proof, in the panel's free place.
    std::string proof = Tr(game, "Unproven");
    int colour = 3;
    if (e.ProofStage == kProofRunning) {
        proof = FillIn(Tr(game, "Proving %s/5"), {std::to_string(e.ProofTry)});
    } else if (e.ProofStage == kProofDone) {
        proof = FillIn(Tr(game, "Proven %s/5"), {std::to_string(e.ProofCleared)});
        colour = e.ProofCleared > 0 ? 1 : 5;
    }
    DrawText(game, 720, 142, kAlignCentre, proof, colour);
}

std::string ProofLine(Game& game) {
    const EditorState& e = game.editor;
    if (e.ProofStage == kProofRunning)
        return FillIn(Tr(game, "Proving: try %s of 5, %s shots so far ..."),
                      {std::to_string(e.ProofTry), std::to_string(e.ProofTryShots)});
    if (e.ProofCleared == 0) return Tr(game, "0 of 5 cleared: no way through was found.");
    if (e.ProofShots == 1)
        return FillIn(Tr(game, "%s of 5 cleared, median 1 shot and %s time units."),
                      {std::to_string(e.ProofCleared), std::to_string(e.ProofTime)});
    return FillIn(Tr(game, "%s of 5 cleared, median %s shots and %s time units."),
                  {std::to_string(e.ProofCleared), std::to_string(e.ProofShots),
                   std::to_string(e.ProofTime)});
}

void DrawStatusLine(Game& game) {
    const EditorState& e = game.editor;
    std::string line;
    int colour = 3;
    if (e.TypingIdea != 0) {
        // The idea as it is typed, with the name editor's cursor after it.
        const std::string& idea = e.Idea;
        const int x = kEditorCentreX - TextWidth(game, idea) / 2;
        DrawText(game, x, kEditorFaultLineY, kAlignLeft, idea, 5);
        DrawNameCursor(game, x, kEditorFaultLineY, e.Idea, kEditorIdeaChars);
        return;
    }
    if (e.FaultCount > 0) {
        line = Tr(game, FaultWords(e.FirstFault));
        colour = 5;
    } else if (e.ProofStage == kProofRunning) {
        line = ProofLine(game);
    } else if (e.Saved == 1 && !e.PackFile.empty()) {
        line = FillIn(Tr(game, "Saved as level %s of %s."),
                      {std::to_string(e.SavedLevel), e.PackFile});
    } else if (e.Saved == 1) {
        line =
            FillIn(Tr(game, "Saved as level %s of \"My Levels\"."), {std::to_string(e.SavedLevel)});
    } else if (e.Saved == -1) {
        line = Tr(game, "The pack could not be written.");
        colour = 5;
    } else if (e.ProofStage == kProofDone) {
        line = ProofLine(game);
        colour = e.ProofCleared > 0 ? 1 : 5;
    } else if (!Trimmed(e.Idea).empty()) {
        line = Trimmed(e.Idea);
        colour = 2;
    } else {
        line = Tr(game, "The level passes every check. Its idea? Click here.");
    }
    DrawText(game, kEditorCentreX, kEditorFaultLineY, kAlignCentre, line, colour);
}

}  // namespace

int EditorCellAt(int x, int y) {
    // The lattice points are the centres of squares standing on their tips, 60 px across.
    for (int k = kFirstCell; k <= kLastCell; ++k) {
        const int cx = kEditorCentreX + LatticeDx(k), cy = LatticeDy(k);
        if (cy <= kLowestStoneY && std::abs(x - cx) + std::abs(y - cy) < 30) return k;
    }
    return 0;
}

int EditorToolAt(int x, int y) {
    for (int tool = 1; tool <= kEditorTools; ++tool) {
        if (std::abs(x - EditorToolX(tool)) <= 28 && std::abs(y - EditorToolY(tool)) <= 28)
            return tool;
    }
    return 0;
}

int StepEditorCursor(int cell, int key) {
    constexpr int kLowestRow = kLowestStoneY / 30;
    const int row = LatticeRow(cell), column = LatticeColumn(cell);
    const int width = LatticeRowWidth(row);
    switch (key) {
        case kEditLeft:
            return LatticeCell(row, std::max(0, column - 1));
        case kEditRight:
            return LatticeCell(row, std::min(width - 1, column + 1));
        case kEditUp:
        case kEditDown: {
            const int next = row + (key == kEditUp ? -1 : 1);
            if (next < 1 || next > kLowestRow) return cell;
            // A row of nine sits half a cell right of a row of ten: down and up again come back.
            const int nextWidth = LatticeRowWidth(next);
            return LatticeCell(next, std::min(column, nextWidth - 1));
        }
        default:
            return cell;
    }
}

bool ApplyEditorTool(EditorState& e, int tool, int cell) {
    if (cell < kFirstCell || cell > kLastCell) return false;
    const int oldCell = e.Cell[cell], oldExtra = e.Extra[cell];
    if (tool == kToolEraser) {
        e.Cell[cell] = -1;
        e.Extra[cell] = 0;
    } else if (tool >= kToolFirstExtra) {
        e.Extra[cell] = tool - kToolFirstExtra + 1;
    } else {
        e.Cell[cell] = tool == kToolAnchor ? 9 : tool - 1;
        if (tool == kToolAnchor) e.Extra[cell] = 0;
    }
    return e.Cell[cell] != oldCell || e.Extra[cell] != oldExtra;
}

EditorSteps StepsOf(Game& game) {
    return EditorSteps{game.own.EditorHistory, game.ownAsks.editorSteps};
}

void RecordEditorStep(EditorState& e, EditorSteps& steps) {
    // Steps after the one shown are dropped; beyond the ring the oldest goes. The places past
    // the newest are never read, so they keep what they held.
    if (e.HistoryCount > 0) e.HistoryCount = e.HistoryAt + 1;
    if (e.HistoryCount == kEditorHistory) {
        e.HistoryFirst = (e.HistoryFirst + 1) % kEditorHistory;
        --e.HistoryCount;
    }
    steps.Put((e.HistoryFirst + e.HistoryCount) % kEditorHistory, LevelText(e));
    e.HistoryAt = e.HistoryCount;
    ++e.HistoryCount;
}

bool EditorUndo(EditorState& e, const EditorSteps& steps) {
    if (e.HistoryAt <= 0) return false;
    --e.HistoryAt;
    TakeLevelText(e, steps.At((e.HistoryFirst + e.HistoryAt) % kEditorHistory));
    return true;
}

bool EditorRedo(EditorState& e, const EditorSteps& steps) {
    if (e.HistoryAt + 1 >= e.HistoryCount) return false;
    ++e.HistoryAt;
    TakeLevelText(e, steps.At((e.HistoryFirst + e.HistoryAt) % kEditorHistory));
    return true;
}

void CheckEditorLevel(EditorState& e) {
    e.Faulty.fill(0);
    const std::vector<levels::Problem> problems = levels::CheckLevel(EditorLevel(e));
    e.FaultCount = std::min(static_cast<int>(problems.size()), 1000);
    e.FirstFault = problems.empty() ? 0 : static_cast<int>(problems[0].fault);
    for (const levels::Problem& p : problems) {
        if (p.cell >= 0 && p.cell < kEditorCells) e.Faulty[p.cell] = 1;
    }
}

void PrepareEditor(Game& game) {
    EditorState& e = game.editor;
    if (e.HistoryCount == 0) {
        e.Cell.fill(-1);
        e.Extra.fill(0);
        EditorSteps steps = StepsOf(game);
        RecordEditorStep(e, steps);
    }
    e.Painting = 0;
    e.TypingName = 0;
    e.TypingIdea = 0;
    e.Saved = 0;
    CheckEditorLevel(e);
}

void LoadPackLevelIntoEditor(EditorState& e, EditorSteps& steps, const std::string& packFile,
                             const levels::Level& level, int number) {
    e = EditorState{};
    e.Cell.fill(-1);
    for (int k = kFirstCell; k <= kLastCell; ++k) {
        const int cell = level.records[k].cell == levels::kAnchorCodeAlt ? levels::kAnchorCode
                                                                         : level.records[k].cell;
        e.Cell[k] = cell >= -1 && cell <= 9 ? cell : -1;
        e.Extra[k] = std::clamp(level.records[k].extra, 0, 7);
    }
    e.Name = FirstChars(level.name, kEditorNameChars);
    e.Idea = FirstChars(level.idea, kEditorIdeaChars);
    // A proof the pack keeps was found for this very field.
    if (level.proof.known) {
        e.ProofStage = kProofDone;
        e.ProofCleared = level.proof.cleared;
        e.ProofShots = level.proof.shots;
        e.ProofTime = level.proof.time;
    }
    e.SavedLevel = number;
    e.PackFile = packFile;
    RecordEditorStep(e, steps);
}

void EditorNameKey(Game& game, char32_t ch) {
    EditorState& e = game.editor;
    if (game.shell.ScreenId != kScreenEditor || (e.TypingName == 0 && e.TypingIdea == 0)) return;
    if (ch == 13) {
        e.TypingName = 0;
        e.TypingIdea = 0;
        return;
    }
    if (e.TypingIdea != 0) {
        TypeNameKey(game, e.Idea, ch, kEditorIdeaChars, AcceptIdeaChar);
    } else {
        char32_t stored = 0;
        // The name chosen by a click is replaced by the first key; Backspace takes one
        // character. A level's name keeps its capitals, as the pack keeps them.
        if (ch != 8 && !AcceptIdeaChar(ch, stored)) return;
        if (e.TypingName == 2) e.Name.clear();
        e.TypingName = 1;
        if (ch == 8) {
            e.Name = DropLastChar(e.Name);
        } else if (static_cast<int>(Utf8Chars(e.Name)) < kEditorNameChars) {
            AppendCodePoint(e.Name, stored);
        }
        game.menus.TypedCount = static_cast<int>(Utf8Chars(e.Name));
    }
    e.Saved = 0;  // what is saved is the level as it was
}

void EditorScreen(Game& game) {
    EditorState& e = game.editor;
    InputState& in = game.input;
    EditorSteps steps = StepsOf(game);
    UpdateButtons(game);
    DrawPanel(game);
    bool changed = false;
    // Return ends the typing of the name or the idea.
    if (in.KeyReturn == 1 && (e.TypingName != 0 || e.TypingIdea != 0)) {
        in.KeyReturn = 0;
        e.TypingName = 0;
        e.TypingIdea = 0;
    }
    if (in.EditKey == kEditUndo) changed = EditorUndo(e, steps);
    if (in.EditKey == kEditRedo) changed = EditorRedo(e, steps);
    changed = CursorKey(e, in, steps) || changed;
    in.EditKey = 0;
    switch (game.buttons.MenuSelection) {
        case kEditorUndoButton:
            changed = EditorUndo(e, steps) || changed;
            break;
        case kEditorRedoButton:
            changed = EditorRedo(e, steps) || changed;
            break;
        case kEditorSaveButton:
            e.TypingName = 0;
            e.TypingIdea = 0;
            SaveIntoPack(game);
            break;
        case kEditorClearButton:
            for (int k = kFirstCell; k <= kLastCell; ++k)
                changed = ApplyEditorTool(e, kToolEraser, k) || changed;
            if (changed) RecordEditorStep(e, steps);
            break;
        case kEditorProveButton:
            // A second press stops the proof; only a level that passes the checks is proven.
            if (e.ProofStage == kProofRunning) {
                e.ProofStage = kProofNone;
            } else if (e.FaultCount == 0) {
                e.TypingName = 0;
                e.TypingIdea = 0;
                e.ProofStage = kProofRunning;
                e.ProofWork = 0;
                e.ProofTry = 1;
                e.ProofTryShots = 0;
                e.ProofCleared = 0;
            }
            break;
        case kEditorTestButton:
            // Only a level that passes the checks can be played; the line below says why not.
            if (e.FaultCount == 0) {
                e.TypingName = 0;
                e.TypingIdea = 0;
                if (e.ProofStage == kProofRunning) e.ProofStage = kProofNone;
                game.requests.levelStart =
                    LevelStartRequest{LevelStartKind::kTest, kModePuzzle, 1, 1, 1, 0, 0};
                return;
            }
            break;
        case kEditorEndButton:
            ShowGameChoice(game);
            return;
        default:
            break;
    }
    // What was proven was the level before the change.
    if (changed) e.ProofStage = kProofNone;
    const int cell = EditorCellAt(in.MouseX, in.MouseY);
    e.CursorCell = e.KeyCursor != 0 ? e.KeyCursor : cell;
    // A press starts a stroke on the field, picks a tool on the palette, or chooses the name box.
    if (e.Painting == 0 && in.MouseButtonDown != 0 && in.ButtonHeldFrames == 1) {
        if (cell != 0) {
            e.Painting = 1;
        } else if (const int tool = EditorToolAt(in.MouseX, in.MouseY)) {
            e.Tool = tool;
        }
        // A click on the name box chooses the name there: the first key typed replaces it.
        const bool nameBox = in.MouseX >= 650 && in.MouseY < 50;
        e.TypingName = !nameBox ? 0 : e.Name.empty() ? 1 : 2;
        if (e.TypingName) game.menus.TypedCount = static_cast<int>(e.Name.size());
        // The line under the field takes the idea.
        e.TypingIdea = cell == 0 && in.MouseX < 630 && std::abs(in.MouseY - kIdeaLineMiddle) <= 12;
        if (e.TypingIdea) game.menus.TypedCount = static_cast<int>(e.Idea.size());
    }
    if (e.Painting == 0 && in.MouseRightDown == kRightErases && cell != 0) e.Painting = 2;
    if (e.Painting != 0 && cell != 0)
        e.StrokeChanged |= ApplyEditorTool(e, e.Painting == 2 ? kToolEraser : e.Tool, cell) ? 1 : 0;
    const bool held = e.Painting == 1 ? in.MouseButtonDown != 0 : in.MouseRightDown == kRightErases;
    if (e.Painting != 0 && !held) {
        // A stroke is one step of the history, however many cells it painted.
        if (e.StrokeChanged) RecordEditorStep(e, steps);
        if (e.StrokeChanged) e.ProofStage = kProofNone;
        e.Painting = 0;
        e.StrokeChanged = 0;
        changed = true;
    }
    if (e.Painting != 0 && e.StrokeChanged) e.ProofStage = kProofNone;
    if (changed || e.Painting != 0) {
        CheckEditorLevel(e);
        if (changed) e.Saved = 0;
    }
    DrawStatusLine(game);
    if (in.KeyEscape == 1) {
        in.KeyEscape = 0;
        ShowGameChoice(game);
    }
}

void ShowEditor(Game& game) {
    BeginTransition(game, false);
    // The game screen's four panel buttons, then undo and redo left and right of the extras.
    SetPanelButtons(game, kSidePanel);
    SetButton(game, kEditorUndoButton, 62, 550, 50, 25);
    SetButton(game, kEditorRedoButton, 588, 550, 50, 25);
    SetButton(game, kEditorProveButton, 788, 349, 80, 25);
    PrepareEditor(game);
    EndTransition(game, kScreenEditor, false, true);
}
