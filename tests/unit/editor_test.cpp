// The level editor's model: what a tool does to a cell, the history of strokes, and the checks
// it shows agreeing with what levelc finds in the same level written as a source.
#include <gtest/gtest.h>

#include <set>

#include "core/editor_state.h"
#include "core/level_format.h"
#include "menus/editor_screen.h"
#include "playfield/level_source.h"
#include "shell/input.h"
#include "test_support.h"

namespace {

EditorState Empty() {
    EditorState e;
    e.Cell.fill(-1);
    RecordEditorStep(e);
    return e;
}

int Cell(int row, int column) {
    return LatticeCell(row, column);
}

}  // namespace

TEST(EditorModel, EveryStoneIsFoundUnderItsCentreAndNothingBelowTheLastRow) {
    for (int k = levels::kFirstFieldCell; k <= levels::kLastBuiltCell; ++k) {
        const int x = kEditorCentreX + LatticeDx(k), y = LatticeDy(k);
        EXPECT_EQ(EditorCellAt(x, y), y <= 420 ? k : 0) << k;
        if (y <= 420) {
            EXPECT_EQ(EditorCellAt(x + 14, y - 14), k) << "inside the rhombus";
        }
    }
    EXPECT_EQ(EditorCellAt(326, 0), 0) << "the ceiling is not the editor's";
    EXPECT_EQ(EditorCellAt(700, 200), 0) << "the side panel";
    for (int tool = 1; tool <= kEditorTools; ++tool)
        EXPECT_EQ(EditorToolAt(EditorToolX(tool), EditorToolY(tool)), tool);
}

TEST(EditorModel, ToolsPutWhatTheirPaletteShows) {
    EditorState e = Empty();
    const int c = Cell(1, 4);
    EXPECT_TRUE(ApplyEditorTool(e, 3, c));
    EXPECT_EQ(e.Cell[c], 2);
    EXPECT_FALSE(ApplyEditorTool(e, 3, c)) << "the same again changes nothing";
    EXPECT_TRUE(ApplyEditorTool(e, kToolFirstExtra + 1, c));  // the bomb onto the stone
    EXPECT_EQ(e.Extra[c], 2);
    EXPECT_EQ(e.Cell[c], 2);
    EXPECT_TRUE(ApplyEditorTool(e, kToolAnchor, c));
    EXPECT_EQ(e.Cell[c], 9);
    EXPECT_EQ(e.Extra[c], 0) << "an anchor carries no extra";
    EXPECT_TRUE(ApplyEditorTool(e, kToolEraser, c));
    EXPECT_EQ(e.Cell[c], -1);
    EXPECT_FALSE(ApplyEditorTool(e, 1, 5)) << "the ceiling's records are not the level's";
}

TEST(EditorModel, UndoAndRedoWalkMoreThanAHundredStrokes) {
    EditorState e = Empty();
    const int strokes = kEditorHistory + 20;
    for (int i = 0; i < strokes; ++i) {
        ApplyEditorTool(e, 1 + i % 8, Cell(1 + i % 14, i % 9));
        RecordEditorStep(e);
    }
    const EditorState last = e;
    int undone = 0;
    while (EditorUndo(e)) ++undone;
    EXPECT_EQ(undone, kEditorHistory - 1);
    EXPECT_GE(undone, 100);
    int redone = 0;
    while (EditorRedo(e)) ++redone;
    EXPECT_EQ(redone, undone);
    EXPECT_EQ(e.Cell, last.Cell);
    // A new stroke after undoing drops what could have been redone.
    EditorUndo(e);
    EditorUndo(e);
    ApplyEditorTool(e, kToolEraser, Cell(1, 0));
    RecordEditorStep(e);
    EXPECT_FALSE(EditorRedo(e));
    EXPECT_TRUE(EditorUndo(e));
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

// The level as a source, the way a player would write it for levelc.
std::string Source(const EditorState& e) {
    std::string s = "; name: crafted\nfield\n|# # # # # # # # # #|\n";
    for (int row = 1; row <= 14; ++row) {
        s += row % 2 ? "| " : "|";
        for (int c = 0; c < LatticeRowWidth(row); ++c) {
            const int code = e.Cell[LatticeCell(row, c)];
            s += code < 0 ? '.' : code == 9 ? '#' : static_cast<char>('1' + code);
            s += c + 1 < LatticeRowWidth(row) ? " " : "";
        }
        s += row % 2 ? " |\n" : "|\n";
    }
    s += "extras\n|. . . . . . . . . .|\n";
    for (int row = 1; row <= 14; ++row) {
        s += row % 2 ? "| " : "|";
        for (int c = 0; c < LatticeRowWidth(row); ++c) {
            s += ".cbparxf"[e.Extra[LatticeCell(row, c)]];
            s += c + 1 < LatticeRowWidth(row) ? " " : "";
        }
        s += row % 2 ? " |\n" : "|\n";
    }
    return s;
}

}  // namespace

class EditorAgreesWithLevelc : public ::testing::TestWithParam<Field> {};

TEST_P(EditorAgreesWithLevelc, OnTheCellsItOutlines) {
    EditorState e = Empty();
    for (auto [cell, tool] : GetParam().stones) ApplyEditorTool(e, tool, cell);
    CheckEditorLevel(e);
    std::string source = Source(e);
    bool anyExtra = false;
    for (int x : e.Extra) anyExtra = anyExtra || x != 0;
    if (!anyExtra) source = source.substr(0, source.find("extras\n"));
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
