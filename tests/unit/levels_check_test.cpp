// The level checker: what makes a level unfit to ship, and the shipped set passing it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "playfield/level_text.h"

using namespace levels;

namespace {

struct Put {
    int row, column;
    char what;  // '1'..'8' colour, '#' anchor, or an extra letter put on the cell
};

Level Make(const std::vector<Put>& puts, const Lattice& lattice = kPuzzleLattice) {
    Level level;
    level.lattice = &lattice;
    WriteCeiling(level.records, lattice);
    for (const Put& p : puts) {
        LevelRecord& r = level.records[CellIndex(p.row, p.column)];
        if (p.what >= '1' && p.what <= '8')
            r.cell = p.what - '1';
        else if (p.what == '#')
            r.cell = kAnchorCode;
        else
            r.extra = std::string_view(".cbparxf").find(p.what);
    }
    return level;
}

// A chain hanging tip to tip in one column, from the row below the ceiling down to row `last`.
std::vector<Put> Chain(int column, int last, bool oddRows) {
    std::vector<Put> puts;
    for (int row = oddRows ? 1 : 2; row <= last; row += 2) puts.push_back({row, column, '1'});
    return puts;
}

std::string AllMessages(const std::vector<Problem>& problems) {
    std::string s;
    for (const Problem& p : problems) s += p.message + "\n";
    return s;
}

struct Crafted {
    const char* what;
    std::vector<Put> puts;
    const char* expect;  // nullptr: the level passes
    const Lattice* lattice = &kPuzzleLattice;
};

void PrintTo(const Crafted& c, std::ostream* os) {
    *os << c.what;
}

std::string CraftedName(const ::testing::TestParamInfo<Crafted>& info) {
    std::string n = info.param.what;
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
}

}  // namespace

class CraftedCheck : public ::testing::TestWithParam<Crafted> {};

TEST_P(CraftedCheck, FindsWhatIsWrong) {
    const Crafted& c = GetParam();
    std::vector<Problem> problems = CheckLevel(Make(c.puts, *c.lattice));
    if (!c.expect) {
        EXPECT_TRUE(problems.empty()) << c.what << ":\n" << AllMessages(problems);
    } else {
        EXPECT_NE(AllMessages(problems).find(c.expect), std::string::npos) << c.what << ":\n"
                                                                           << AllMessages(problems);
    }
    // The cell a problem names is the one its message names: what the editor outlines is what
    // levelc reports.
    for (const Problem& p : problems) {
        EXPECT_NE(p.fault, LevelFault::kNone) << p.message;
        if (p.fault == LevelFault::kNoColour) continue;
        ASSERT_GE(p.cell, kFirstFieldCell) << p.message;
        const std::string where = "row " + std::to_string(CellRow(p.cell)) + " column " +
                                  std::to_string(CellColumn(p.cell)) + ": ";
        EXPECT_EQ(p.message.rfind(where, 0), 0u) << p.message;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CraftedCheck,
    ::testing::Values(
        Crafted{"top row hangs from the ceiling", {{1, 4, '1'}, {1, 5, '1'}}, nullptr},
        Crafted{"stone with nothing above floats", {{3, 4, '1'}}, "floats away"},
        Crafted{"tip to tip under a stone holds", {{1, 4, '2'}, {3, 4, '1'}}, nullptr},
        Crafted{"held only by a floating stone",
                {{3, 4, '1'}, {4, 5, '1'}},
                "row 4 column 5: stone of colour 1 floats away"},
        Crafted{"hanging from an anchor in the field",
                {{6, 4, '#'}, {7, 4, '1'}, {8, 4, '2'}},
                nullptr},
        Crafted{"chain down to row 14 is fine", Chain(4, 14, false), nullptr},
        Crafted{"chain down to row 15 crosses the line", Chain(4, 15, true),
                "row 15 column 4: stone at y 450 is below the bottom line 440"},
        Crafted{"anchor below the line", {{1, 4, '1'}, {16, 3, '#'}}, "below the bottom line"},
        Crafted{"extra on an empty cell", {{1, 4, '1'}, {2, 2, 'b'}}, "needs a coloured stone"},
        Crafted{"extra on an anchor",
                {{1, 4, '1'}, {2, 2, '#'}, {2, 2, 'c'}},
                "needs a coloured stone"},
        Crafted{"only anchors", {{5, 2, '#'}}, "no coloured stone"},
        // Anchors right under a stone leave no place for a shot to land beside it.
        Crafted{"walled in by anchors",
                {{2, 4, '1'}, {3, 3, '#'}, {3, 4, '#'}},
                "row 2 column 4: stone of colour 1 can never be cleared"},
        // Partners of its colour can leave without it: a bomb, an arrow, floating off.
        Crafted{"walled in even when joined by colour to a stone that can be reached",
                {{2, 4, '1'}, {3, 3, '#'}, {3, 4, '#'}, {1, 3, '1'}, {2, 3, '1'}},
                "row 2 column 4: stone of colour 1 can never be cleared"},
        Crafted{"reached stone that may float up into a closed place",
                {{5, 3, '#'}, {5, 5, '#'}, {2, 4, '3'}, {4, 4, '2'}, {5, 4, '1'}},
                "row 5 column 4: a stone rising from here could stop at row 3 column 4"},
        Crafted{"a rising stone stops under an anchor shelf",
                {{5, 2, '#'},
                 {5, 3, '#'},
                 {5, 4, '#'},
                 {5, 5, '#'},
                 {5, 6, '#'},
                 {6, 4, '1'},
                 {8, 4, '2'}},
                nullptr},
        Crafted{"a stone held by an anchor never floats", {{5, 3, '#'}, {6, 4, '1'}}, nullptr},
        // A stone under an anchor shelf is reached from below; one above it is not.
        Crafted{"shelf shadows the stones above it",
                {{1, 4, '3'}, {5, 2, '#'}, {5, 3, '#'}, {5, 4, '#'}, {5, 5, '#'}, {5, 6, '#'}},
                "row 1 column 4: stone of colour 3 can never be cleared"},
        // A one-column gap between anchor shadows lets a shot in but never a second one beside.
        Crafted{"gap a shot can enter but nothing can follow",
                {{1, 4, '1'}, {9, 3, '#'}, {9, 5, '#'}},
                "row 5 column 4: a shot can come to rest here"},
        Crafted{"stone beside the cannon's reach is reached from the inner side",
                {{2, 0, '1'}},
                nullptr}),
    CraftedName);

// The match's lattice: 20 px, a ceiling of eight anchors, the bottom line at depth 350 (row 17),
// the cannon reaching the columns x 40 .. 320 of the field's 0 .. 360.
INSTANTIATE_TEST_SUITE_P(
    MatchTable, CraftedCheck,
    ::testing::Values(
        Crafted{"row 1 hangs from the eight anchors",
                {{1, 0, '1'}, {1, 8, '2'}},
                nullptr,
                &kMatchLattice},
        Crafted{"row 2 under an anchor hangs tip to tip",
                {{2, 1, '1'}, {2, 8, '1'}},
                nullptr,
                &kMatchLattice},
        Crafted{"the first cell of row 2 has no anchor above",
                {{2, 0, '1'}},
                "floats away",
                &kMatchLattice},
        Crafted{"the outer cells of a row of ten lie beyond the cannon",
                {{1, 0, '1'}, {2, 0, '1'}},
                "row 2 column 0: stone of colour 1 lies beyond the cannon's reach",
                &kMatchLattice},
        Crafted{"chain down to row 17 is fine", Chain(4, 17, true), nullptr, &kMatchLattice},
        Crafted{"chain down to row 18 crosses the line", Chain(4, 18, false),
                "row 18 column 4: stone at y 470 is below the bottom line 460", &kMatchLattice},
        Crafted{"the flash never falls in the match",
                {{1, 4, '1'}, {1, 4, 'f'}},
                "the flash never falls out of a stone",
                &kMatchLattice},
        Crafted{"a shelf shadows the stones above it",
                {{1, 4, '3'}, {3, 3, '#'}, {3, 4, '#'}, {3, 5, '#'}, {4, 4, '1'}},
                "row 1 column 4: stone of colour 3 can never be cleared",
                &kMatchLattice}),
    CraftedName);

TEST(LevelCheck, CodesTheGameDoesNotBuildAreReported) {
    Level level = Make({{1, 4, '1'}});
    level.records[CellIndex(2, 3)].cell = 12;
    level.records[CellIndex(1, 4)].extra = 9;
    std::string all = AllMessages(CheckLevel(level));
    EXPECT_NE(all.find("cell code 12"), std::string::npos) << all;
    EXPECT_NE(all.find("extra 9"), std::string::npos) << all;
}

TEST(LevelCheck, ProblemsCarryTheSourceLineOfTheirRow) {
    std::string src =
        "; name: x\nfield\n|# # # # # # # # # #|\n| . . . . . . . . . |\n"
        "|. . . . . . . . . .|\n| . . . 4 . . . . . |\n";
    for (int row = 4; row <= 14; ++row)
        src += row % 2 ? "| . . . . . . . . . |\n" : "|. . . . . . . . . .|\n";
    ParseResult p = ParseSource(src);
    ASSERT_TRUE(p.ok) << p.problem.message;
    std::vector<Problem> problems = CheckLevel(p.level);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 6);
}

TEST(LevelSet, DuplicatesAndClashingNumbersAreReported) {
    Level a = Make({{1, 4, '1'}, {1, 5, '1'}});
    Level b = a;
    b.records[3].cell = 5;  // the ceiling records are never built, so this is the same level
    Level c = Make({{1, 4, '1'}, {1, 5, '2'}});
    std::vector<std::string> p = CheckSet({{"lv/01.txt", a}, {"lv/02.txt", c}, {"lv/03.txt", b}});
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0], "lv/03.txt: same level as lv/01.txt");

    p = CheckSet({{"lv/07.txt", a}, {"lv/7.txt", c}});
    ASSERT_EQ(p.size(), 1u);
    EXPECT_NE(p[0].find("level 7 is also lv/07.txt"), std::string::npos) << p[0];

    Level d = c;
    d.records[CellIndex(1, 5)].extra = 1;  // the same stones with an extra differ
    EXPECT_TRUE(CheckSet({{"lv/01.txt", c}, {"lv/02.txt", d}}).empty());
}

class ShippedSet : public ::testing::TestWithParam<bool> {};

TEST_P(ShippedSet, AllFiftyPassEveryCheck) {
    const bool match = GetParam();
    std::vector<NamedLevel> set;
    for (int n = 1; n <= 50; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "%02d.txt", n);
        const std::string path =
            std::string(RHOMBULUS_SOURCE_DIR) + "/levels/" + (match ? "match/" : "puzzle/") + name;
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        std::ostringstream s;
        s << in.rdbuf();
        ParseResult parsed = ParseSource(s.str(), match ? kMatchLattice : kPuzzleLattice);
        ASSERT_TRUE(parsed.ok) << path << ":" << parsed.problem.line << ": "
                               << parsed.problem.message;
        EXPECT_FALSE(parsed.level.name.empty()) << path;
        for (const Problem& p : CheckLevel(parsed.level))
            ADD_FAILURE() << path << ":" << p.line << ": " << p.message;
        set.push_back({path, parsed.level});
    }
    for (const std::string& p : CheckSet(set)) ADD_FAILURE() << p;
}

INSTANTIATE_TEST_SUITE_P(PuzzleAndMatch, ShippedSet, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Match" : "Puzzle");
                         });
