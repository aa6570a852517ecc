// The level editor's model: what a tool does to a cell, the history of strokes, and the checks
// it shows agreeing with what levelc finds in the same level written as a source.
#include <gtest/gtest.h>

#include <set>

#include "core/editor_state.h"
#include "core/level_format.h"
#include "menus/editor_screen.h"
#include "playfield/level_text.h"
#include "shell/input.h"
#include "test_support.h"

namespace {

// The history's texts as the player keeps them, and the steps asked for since (never carried
// out here: the steps read through them).
struct History {
    std::array<std::string, kEditorHistory> kept{};
    std::vector<std::pair<int, std::string>> asked;
    EditorSteps steps{kept, asked};
};

EditorState Empty(History& h) {
    EditorState e;
    e.Cell.fill(-1);
    RecordEditorStep(e, h.steps);
    return e;
}

int Cell(int row, int column) {
    return LatticeCell(row, column);
}

}  // namespace

TEST(EditorModel, UndoAndRedoWalkMoreThanAHundredStrokes) {
    History h;
    EditorState e = Empty(h);
    const int strokes = kEditorHistory + 20;
    for (int i = 0; i < strokes; ++i) {
        ApplyEditorTool(e, 1 + i % 8, Cell(1 + i % 14, i % 9));
        RecordEditorStep(e, h.steps);
    }
    const EditorState last = e;
    int undone = 0;
    while (EditorUndo(e, h.steps)) ++undone;
    EXPECT_EQ(undone, kEditorHistory - 1);
    EXPECT_GE(undone, 100);
    int redone = 0;
    while (EditorRedo(e, h.steps)) ++redone;
    EXPECT_EQ(redone, undone);
    EXPECT_EQ(e.Cell, last.Cell);
    // A new stroke after undoing drops what could have been redone.
    EditorUndo(e, h.steps);
    EditorUndo(e, h.steps);
    ApplyEditorTool(e, kToolEraser, Cell(1, 0));
    RecordEditorStep(e, h.steps);
    EXPECT_FALSE(EditorRedo(e, h.steps));
    EXPECT_TRUE(EditorUndo(e, h.steps));
    EXPECT_NE(e.Cell, last.Cell);
}

namespace {

struct Field {
    const char* what;
    std::vector<std::pair<int, int>> stones;  // (cell, tool)
};

void PrintTo(const Field& f, std::ostream* os) {
    *os << f.what;
}

}  // namespace

class EditorAgreesWithLevelc : public ::testing::TestWithParam<Field> {};

TEST_P(EditorAgreesWithLevelc, OnTheCellsItOutlines) {
    History h;
    EditorState e = Empty(h);
    for (auto [cell, tool] : GetParam().stones) ApplyEditorTool(e, tool, cell);
    CheckEditorLevel(e);
    // The level as the source levelc reads: the editor's cells written out and read back.
    LevelRecords records;
    for (int k = levels::kFirstFieldCell; k <= levels::kLastBuiltCell; ++k)
        records[k] = {e.Cell[k], e.Extra[k]};
    levels::WriteCeiling(records, levels::kPuzzleLattice);
    const std::string source = levels::Decompile(records, "; name: crafted").text;
    const levels::ParseResult p = levels::ParseSource(source);
    ASSERT_TRUE(p.ok) << p.problem.message << "\n" << source;
    std::set<int> named;
    for (const levels::Problem& problem : levels::CheckLevel(p.level))
        if (problem.cell >= 0) named.insert(problem.cell);
    std::set<int> outlined;
    for (int k = 0; k < kEditorCells; ++k)
        if (e.Faulty[k]) outlined.insert(k);
    EXPECT_EQ(outlined, named) << source;
    EXPECT_EQ(e.FaultCount == 0, levels::CheckLevel(p.level).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, EditorAgreesWithLevelc,
    ::testing::Values(
        Field{"two hanging stones", {{Cell(1, 4), 1}, {Cell(1, 5), 1}}},
        Field{"a floating stone", {{Cell(1, 4), 1}, {Cell(4, 4), 2}}},
        Field{"a floating chain", {{Cell(3, 4), 1}, {Cell(4, 5), 1}, {Cell(5, 5), 3}}},
        Field{"a bomb on an anchor",
              {{Cell(1, 4), 1}, {Cell(2, 2), kToolAnchor}, {Cell(2, 2), kToolFirstExtra + 1}}},
        Field{"a clock on an empty place", {{Cell(1, 4), 1}, {Cell(3, 3), kToolFirstExtra}}},
        Field{"walled in by anchors",
              {{Cell(2, 4), 1}, {Cell(3, 3), kToolAnchor}, {Cell(3, 4), kToolAnchor}}},
        Field{"a gap nothing can follow into",
              {{Cell(1, 4), 1}, {Cell(9, 3), kToolAnchor}, {Cell(9, 5), kToolAnchor}}},
        Field{"only anchors", {{Cell(5, 2), kToolAnchor}}},
        Field{"stone beside the cannon's reach", {{Cell(2, 0), 4}}}),
    [](const ::testing::TestParamInfo<Field>& info) {
        std::string n = info.param.what;
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

TEST(EditorInput, TheRightButtonErasesOnTheEditorAndClicksElsewhereWhereverItIsReleased) {
    TestGame t;
    Game& g = t.game;
    g.shell.ScreenId = kScreenGameChoice;
    DXDraw1RightMouse(g, true);
    EXPECT_EQ(g.input.MouseButtonDown, 1) << "a click on the menus";
    g.input.ButtonHeldFrames = 1;  // a tick saw it, and the click opened the editor
    g.shell.ScreenId = kScreenEditor;
    DXDraw1RightMouse(g, false);
    EXPECT_EQ(g.input.MouseButtonDown, 0) << "the click must not stay held on the editor";
    EXPECT_EQ(g.input.MouseRightDown, kRightUp);
    DXDraw1RightMouse(g, true);
    EXPECT_EQ(g.input.MouseButtonDown, 0);
    EXPECT_EQ(g.input.MouseRightDown, kRightErases);
    g.shell.ScreenId = kScreenGame;  // a test of the level began meanwhile
    DXDraw1RightMouse(g, false);
    EXPECT_EQ(g.input.MouseRightDown, kRightUp);
    EXPECT_EQ(g.input.MouseButtonDown, 0);
}

namespace {

struct CursorWalk {
    const char* what;
    int from;
    std::vector<int> keys;
    int to;
};

}  // namespace

class EditorCursor : public ::testing::TestWithParam<CursorWalk> {};

// The cursor keys stay on the lattice the editor offers (rows 1..14) and come back the way they
// went, rows of nine and of ten alike.
TEST_P(EditorCursor, StepsOverTheLattice) {
    int cell = GetParam().from;
    for (int key : GetParam().keys) cell = StepEditorCursor(cell, key);
    EXPECT_EQ(cell, GetParam().to);
    EXPECT_NE(EditorCellAt(kEditorCentreX + LatticeDx(cell), LatticeDy(cell)), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Walks, EditorCursor,
    ::testing::Values(
        CursorWalk{"left_edge", Cell(2, 0), {kEditLeft}, Cell(2, 0)},
        CursorWalk{"right_edge_of_nine", Cell(1, 8), {kEditRight}, Cell(1, 8)},
        CursorWalk{"right_edge_of_ten", Cell(2, 8), {kEditRight, kEditRight}, Cell(2, 9)},
        CursorWalk{"not_into_the_ceiling", Cell(1, 3), {kEditUp}, Cell(1, 3)},
        CursorWalk{"not_below_the_line", Cell(14, 3), {kEditDown}, Cell(14, 3)},
        CursorWalk{"down_a_ten_and_back", Cell(2, 9), {kEditDown, kEditUp}, Cell(2, 8)},
        CursorWalk{"down_and_up_come_back",
                   Cell(3, 4),
                   {kEditDown, kEditDown, kEditUp, kEditUp},
                   Cell(3, 4)},
        CursorWalk{"to_the_bottom", Cell(1, 0), std::vector<int>(20, kEditDown), Cell(14, 0)}),
    [](const ::testing::TestParamInfo<CursorWalk>& info) { return std::string(info.param.what); });

// A pack's level opened for editing comes with its idea, and with its proof only while the pack
// kept the proof for that very field.
TEST(EditorModel, APackLevelBringsItsIdeaAndItsProof) {
    levels::Level level;
    level.records[Cell(1, 4)].cell = 0;
    level.records[Cell(1, 5)].cell = 0;
    level.name = "Pair";
    level.idea = "Two alike: one shot.";
    level.proof = {true, 5, 1, 11};
    EditorState e;
    History h;
    LoadPackLevelIntoEditor(e, h.steps, "pack.txt", level, 3);
    EXPECT_EQ(e.Idea, "Two alike: one shot.");
    EXPECT_EQ(e.ProofStage, kProofDone);
    EXPECT_EQ(e.ProofCleared, 5);
    level.proof = {};
    LoadPackLevelIntoEditor(e, h.steps, "pack.txt", level, 3);
    EXPECT_EQ(e.ProofStage, kProofNone);
}
