// The level editor: the Puzzle field built stone by stone with the mouse, checked as it grows,
// saved into the player's pack "My Levels".
#pragma once

#include <string>

#include "core/player_own.h"

struct Game;
struct EditorState;
namespace levels {
struct Level;
}

// The editor's buttons: four on the game's side panel, undo and redo beside the extras.
constexpr int kEditorTestButton = 1;
constexpr int kEditorSaveButton = 2;
constexpr int kEditorClearButton = 3;
constexpr int kEditorEndButton = 4;
constexpr int kEditorUndoButton = 5;
constexpr int kEditorRedoButton = 6;
constexpr int kEditorProveButton = 7;  // above the four, on a plate of its own
// The pack the editor saves into, in the levels folder.
inline constexpr const char* kEditorPackName = "My Levels";

// The editor as it opens (ShowEditor, src/menus/transitions.h): the level it held last, an empty
// field the first time, checked.
void PrepareEditor(Game& game);
void EditorScreen(Game& game);
// A typed character for the level's name, while the name box is chosen.
void EditorNameKey(Game& game, char32_t ch);
// Puts level `number` of the pack file into the editor, to be saved back into that place.
void LoadPackLevelIntoEditor(EditorState& e, EditorSteps& steps, const std::string& packFile,
                             const levels::Level& level, int number);

// The field cell (10..200) whose stone covers the point, 0 for none.
int EditorCellAt(int x, int y);
// The tool whose palette place holds the point, 0 for none.
int EditorToolAt(int x, int y);
// Puts the tool on a cell (the eraser empties it, an extra goes onto the stone there); true
// when the level changed.
bool ApplyEditorTool(EditorState& e, int tool, int cell);
// Keeps the level as the newest step of the history, dropping the steps after the one shown and
// the oldest beyond the ring's size.
void RecordEditorStep(EditorState& e, EditorSteps& steps);
// The cell the cursor goes to from `cell` for a step key (left, right, up, down) of EditKey:
// along the row, or to the row above or below nearest under it, never off the lattice.
int StepEditorCursor(int cell, int key);
// Steps back or forth through the history; false when there is no step to go to.
bool EditorUndo(EditorState& e, const EditorSteps& steps);
bool EditorRedo(EditorState& e, const EditorSteps& steps);
// The game's history: the player's own texts and this tick's steps.
EditorSteps StepsOf(Game& game);
// Runs the level checks on the level and marks the cells they name.
void CheckEditorLevel(EditorState& e);
