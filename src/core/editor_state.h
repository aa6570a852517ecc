// The level editor's state: the level being built (the Puzzle lattice's cells 10..200), the
// tool in hand, the strokes that can be taken back and what the checks found.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/fields.h"

constexpr int kEditorCells = 221;  // the records of a level file; cells 10..200 are the field
// Tools 1..8 the colours (cell codes 0..7), 9 the anchor, 10..16 the extras 1..7, 17 the eraser.
constexpr int kToolAnchor = 9;
constexpr int kToolFirstExtra = 10;
constexpr int kToolEraser = 17;
constexpr int kEditorTools = 17;
// Levels kept for undo: the one on screen and the 127 before or after it.
constexpr int kEditorHistory = 128;
// The level's name: as the idea, at most two bytes a character once in UTF-8.
constexpr int kEditorNameChars = 60;
// The level's idea: one line under the field, at most two bytes a character once in UTF-8.
constexpr int kEditorIdeaChars = 60;
// The proof: the level bot plays the level once for each of the seeds 1..kProofTries, on copies
// of the game, kProofTrialsPerTick of its trial shots a tick, so that what the editor shows
// depends on the ticks alone, never on the machine's speed.
constexpr int kProofTries = 5;
constexpr int kProofTrialsPerTick = 32;
enum ProofStage : int { kProofNone = 0, kProofRunning = 1, kProofDone = 2 };

struct EditorState {
    std::array<int, kEditorCells> Cell{};   // -1 empty, 0..7 colours, 9 anchor
    std::array<int, kEditorCells> Extra{};  // 0 none, 1..7
    int Tool = 1;
    int CursorCell = 0;  // the cell the cursor marks, 0 when it marks none
    // The cell the keys moved the cursor to, 0 while the pointer leads it; where the pointer was
    // when last seen, so that a move of the pointer takes the cursor back.
    int KeyCursor = 0;
    int PointerX = 0;
    int PointerY = 0;
    // The button that paints while held: 1 left (the tool), 2 right (the eraser), 0 none.
    int Painting = 0;
    std::uint8_t StrokeChanged = 0;  // the stroke in hand changed the level
    // Where the history stands, a ring of levels as text whose texts are the player's own
    // (PlayerOwn::EditorHistory): HistoryFirst is the oldest, HistoryCount how many are kept,
    // HistoryAt the one shown (0 the oldest).
    int HistoryFirst = 0;
    int HistoryCount = 0;
    int HistoryAt = 0;
    std::string Name;             // UTF-8, typed with the name editor's rule
    std::uint8_t TypingName = 0;  // typed characters go to the name; 2: the first replaces it
    std::string Idea;             // UTF-8, typed like the name
    std::uint8_t TypingIdea = 0;  // typed characters go to the idea
    std::array<std::uint8_t, kEditorCells> Faulty{};  // cells the checks name
    int FaultCount = 0;
    int FirstFault = 0;  // the LevelFault of the first problem, 0 none
    int Saved = 0;       // 1 saved into the pack, -1 the pack could not be written, 0 nothing yet
    std::uint8_t Testing = 0;  // the level is being played; its end comes back here
    int SavedLevel = 0;        // the level's number in the pack once saved, where it is saved again
    // The proof of the level as it stands (any change of the level forgets it).
    int ProofStage = kProofNone;
    int ProofWork = 0;      // trial shots granted to the proof so far
    int ProofTry = 0;       // the try being played, 1..kProofTries
    int ProofTryShots = 0;  // its shots so far
    int ProofCleared = 0;   // tries that cleared the field, so far or in all
    int ProofShots = 0;     // once done: the median of the tries' shots
    int ProofTime = 0;      // and of the time they used
    std::string PackFile;   // the pack it is saved into; "" the editor's own "My Levels"
};

// With `oldHistory`, the list as whole states held it before the history's texts became the
// player's own (replays of that time), those texts in `oldHistory`.
template <typename V>
void VisitEditorFields(EditorState& e, V& v, std::array<std::string, kEditorHistory>* oldHistory) {
    v("EditorCell", e.Cell, Bounds{-1, 9});
    v("EditorExtra", e.Extra, Bounds{0, 7});
    v("EditorTool", e.Tool, Bounds{1, kEditorTools});
    v("EditorCursorCell", e.CursorCell, Bounds{0, 200});
    v("EditorKeyCursor", e.KeyCursor, Bounds{0, 200});
    v("EditorPointerX", e.PointerX, kAnyInt);
    v("EditorPointerY", e.PointerY, kAnyInt);
    v("EditorPainting", e.Painting, Bounds{0, 2});
    v("EditorStrokeChanged", e.StrokeChanged, kFlag);
    if (oldHistory != nullptr) v("EditorHistory", *oldHistory, Bounds{0, 2 * kEditorCells});
    v("EditorHistoryFirst", e.HistoryFirst, Bounds{0, kEditorHistory - 1});
    v("EditorHistoryCount", e.HistoryCount, Bounds{0, kEditorHistory});
    v("EditorHistoryAt", e.HistoryAt, Bounds{0, kEditorHistory - 1});
    // Bytes: a level's name or idea is at most 120 bytes of UTF-8 (levels::kMaxLevelIdea).
    v("EditorName", e.Name, Bounds{0, 2 * kEditorNameChars});
    v("EditorTypingName", e.TypingName, Bounds{0, 2});
    v("EditorIdea", e.Idea, Bounds{0, 2 * kEditorIdeaChars});
    v("EditorTypingIdea", e.TypingIdea, kFlag);
    v("EditorFaulty", e.Faulty, kFlag);
    v("EditorFaultCount", e.FaultCount, Bounds{0, 1000});
    v("EditorFirstFault", e.FirstFault, Bounds{0, 20});
    v("EditorSaved", e.Saved, Bounds{-1, 1});
    v("EditorTesting", e.Testing, kFlag);
    v("EditorSavedLevel", e.SavedLevel, Bounds{0, 99});
    v("EditorProofStage", e.ProofStage, Bounds{0, 2});
    v("EditorProofWork", e.ProofWork, Bounds{0, 1 << 30});
    v("EditorProofTry", e.ProofTry, Bounds{0, kProofTries});
    v("EditorProofTryShots", e.ProofTryShots, Bounds{0, 100000});
    v("EditorProofCleared", e.ProofCleared, Bounds{0, kProofTries});
    v("EditorProofShots", e.ProofShots, Bounds{0, 100000});
    v("EditorProofTime", e.ProofTime, Bounds{0, 100000});
    v("EditorPackFile", e.PackFile, Bounds{0, 160});
}

template <typename V>
void VisitFields(EditorState& e, V& v) {
    VisitEditorFields(e, v, nullptr);
}

struct EditorWithHistory {
    EditorState& editor;
    std::array<std::string, kEditorHistory>& history;
};

template <typename V>
void VisitFields(EditorWithHistory& f, V& v) {
    VisitEditorFields(f.editor, v, &f.history);
}

// Where the editor shows things: the Puzzle field as the game draws it (centre x 326, the
// ceiling's row at y 0), the palette below the bottom line, the name in the panel's top box.
constexpr int kEditorCentreX = 326;
constexpr int kEditorPaletteY = 500;    // colours, anchor and eraser
constexpr int kEditorExtrasY = 562;     // the seven extras
constexpr int kEditorFaultLineY = 452;  // the line of the checks, the proof and the idea
constexpr int EditorToolX(int tool) {
    if (tool >= kToolFirstExtra && tool < kToolEraser)
        return kEditorCentreX + 60 * (tool - kToolFirstExtra - 3);
    const int i = tool == kToolEraser ? 9 : tool - 1;
    return kEditorCentreX - 270 + 60 * i;
}
constexpr int EditorToolY(int tool) {
    return tool >= kToolFirstExtra && tool < kToolEraser ? kEditorExtrasY : kEditorPaletteY;
}
