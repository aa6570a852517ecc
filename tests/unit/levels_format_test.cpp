// Level sources, level files and the way between them.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <tuple>

#include "playfield/level_text.h"

using namespace levels;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string LevelSource(const char* set, int n) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d.txt", n);
    return std::string(RHOMBULUS_SOURCE_DIR) + "/levels/" + set + "/" + name;
}

Records CeilingOnly() {
    Records r{};
    for (int k = 0; k < kFirstFieldCell; ++k) r[k].cell = kCeilingCode;
    return r;
}

// Source text -> file bytes -> source text, and the file again from that text.
void ExpectRoundTrip(const std::string& source, const Lattice& lattice = kPuzzleLattice) {
    ParseResult parsed = ParseSource(source, lattice);
    ASSERT_TRUE(parsed.ok) << parsed.problem.line << ": " << parsed.problem.message;
    std::string bytes = EncodeFile(parsed.level.records);
    ASSERT_EQ(bytes.size(), static_cast<size_t>(kFileBytes));
    DecodeResult decoded = DecodeFile(bytes);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    DecompileResult back = Decompile(decoded.records, {}, lattice);
    ASSERT_TRUE(back.ok) << back.problem.message;
    EXPECT_EQ(SourceBody(back.text), SourceBody(source));
    ParseResult again = ParseSource(back.text, lattice);
    ASSERT_TRUE(again.ok) << again.problem.message;
    EXPECT_EQ(EncodeFile(again.level.records), bytes);
}

}  // namespace

using ShippedCase = std::tuple<bool, int>;  // match, level number
class ShippedLevelRoundTrip : public ::testing::TestWithParam<ShippedCase> {};

TEST_P(ShippedLevelRoundTrip, SourceFileSourceIsExact) {
    const auto [match, n] = GetParam();
    const std::string path = LevelSource(match ? "match" : "puzzle", n);
    std::string source = ReadText(path);
    ASSERT_FALSE(source.empty()) << path;
    ExpectRoundTrip(source, match ? kMatchLattice : kPuzzleLattice);
}

INSTANTIATE_TEST_SUITE_P(AllFiftyOfBoth, ShippedLevelRoundTrip,
                         ::testing::Combine(::testing::Bool(), ::testing::Range(1, 51)));

TEST(MatchSource, TheCeilingIsEightAnchorsAndTheFieldGoesDownToRow17) {
    std::string rows = "field\n|. # # # # # # # # .|\n| . . . 4 . . . . . |\n";
    for (int row = 2; row <= 17; ++row)
        rows += row % 2 ? "| . . . . . . . . . |\n" : "|. . . . . . . . . .|\n";
    ParseResult p = ParseSource(rows, kMatchLattice);
    ASSERT_TRUE(p.ok) << p.problem.message;
    // Records 0..9 mirror the drawn ceiling; the game never builds them.
    EXPECT_EQ(p.level.records[0].cell, kEmptyCode);
    EXPECT_EQ(p.level.records[1].cell, kAnchorCode);
    EXPECT_EQ(p.level.records[9].cell, kEmptyCode);
    EXPECT_EQ(p.level.lattice, &kMatchLattice);
    // The Puzzle's ceiling and a field ending above row 17 are not match sources.
    ParseResult ten = ParseSource("field\n|# # # # # # # # # #|" + rows.substr(27), kMatchLattice);
    EXPECT_FALSE(ten.ok);
    EXPECT_NE(ten.problem.message.find("eight anchors"), std::string::npos);
    ParseResult shortField = ParseSource(rows.substr(0, rows.size() - 22), kMatchLattice);
    EXPECT_FALSE(shortField.ok);
    EXPECT_NE(shortField.problem.message.find("rows 0 to 17"), std::string::npos)
        << shortField.problem.message;
    EXPECT_EQ(LevelFileName(1, kMatchLattice), "lvl0001two.lvl");
    EXPECT_EQ(LevelFileName(50, kMatchLattice), "lvl00050two.lvl");
}

namespace {

std::string Grid(const std::vector<std::string>& rows) {
    std::string s;
    for (const std::string& r : rows) s += r + "\n";
    return s;
}

// The ceiling, then empty rows of nine and of ten.
std::vector<std::string> FieldWith(std::vector<std::pair<int, std::string>> changes,
                                   int rows = 15) {
    std::vector<std::string> f = {"|# # # # # # # # # #|"};
    while (static_cast<int>(f.size()) < rows)
        f.push_back(f.size() % 2 ? "| . . . . . . . . . |" : "|. . . . . . . . . .|");
    for (auto& [row, text] : changes) f[row] = text;
    return f;
}

const std::vector<std::string> kEmptyField = FieldWith({});

std::string Source(const std::vector<std::string>& field,
                   const std::vector<std::string>& extras = {}) {
    std::string s = "; name: crafted\nfield\n" + Grid(field);
    if (!extras.empty()) s += "extras\n" + Grid(extras);
    return s;
}

}  // namespace

class CraftedRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(CraftedRoundTrip, SourceFileSourceIsExact) {
    ExpectRoundTrip(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, CraftedRoundTrip,
    ::testing::Values(
        // every colour, both anchor codes
        Source(FieldWith({{1, "| 1 2 3 4 5 6 7 8 # |"}, {2, "|= . . . . . . . . 8|"}})),
        // every extra, on the edge cells too
        Source(FieldWith({{1, "| 1 2 3 4 5 6 7 8 1 |"}, {2, "|1 . . . . . . . . 2|"}}),
               FieldWith({{0, "|. . . . . . . . . .|"},
                          {1, "| c b p a r x f . c |"},
                          {2, "|f . . . . . . . . b|"}})),
        // rows drawn below row 14, down to the deepest row a source can hold
        Source(FieldWith({{1, "| 1 . . . . . . . . |"}, {20, "|. . . . . . . . . 3|"}}, 21)),
        Source(FieldWith({{16, "|2 . . . . . . . . .|"}}, 17))));

TEST(LevelFiles, RecordsAreLittleEndianCellThenExtra) {
    Records r = CeilingOnly();
    r[57] = {0x01020304, -2};
    std::string bytes = EncodeFile(r);
    const unsigned char want[8] = {0x04, 0x03, 0x02, 0x01, 0xfe, 0xff, 0xff, 0xff};
    for (int b = 0; b < 8; ++b)
        EXPECT_EQ(static_cast<unsigned char>(bytes[57 * 8 + b]), want[b]) << b;
    DecodeResult d = DecodeFile(bytes);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.records, r);
}

TEST(LevelFiles, WrongSizeIsRefused) {
    EXPECT_FALSE(DecodeFile(std::string(kFileBytes - 8, '\0')).ok);
    EXPECT_FALSE(DecodeFile(std::string(kFileBytes + 1, '\0')).ok);
}

TEST(LevelFiles, NamesFollowTheGamesPattern) {
    EXPECT_EQ(LevelFileName(1), "lvl001.lvl");
    EXPECT_EQ(LevelFileName(9), "lvl009.lvl");
    EXPECT_EQ(LevelFileName(10), "lvl0010.lvl");
    EXPECT_EQ(LevelFileName(50), "lvl0050.lvl");
    EXPECT_EQ(SourceNumber("levels/puzzle/07.txt"), 7);
    EXPECT_EQ(SourceNumber("50.txt"), 50);
    EXPECT_EQ(SourceNumber("levels/puzzle/readme.txt"), 0);
    EXPECT_EQ(SourceNumber("levels/puzzle/07.lvl"), 0);
}

// The game walks the cells keeping a row length of 9 or 8 and a shift; the tools compute each
// cell's place directly. Both must agree for every cell the game builds.
TEST(LevelLattice, MatchesTheGamesWalk) {
    int rowLength = 9, column = -1, y = 0, shift = 0;
    for (int k = 0; k <= kLastBuiltCell; ++k) {
        if (++column > rowLength) {
            column = 0;
            rowLength = rowLength == 9 ? 8 : 9;
            shift = rowLength == 8 ? 30 : 0;
            y += 30;
        }
        const int dx = -270 + 60 * column + shift;
        ASSERT_EQ(CellDx(k), dx) << k;
        ASSERT_EQ(CellY(k), y) << k;
        ASSERT_EQ(CellAt(dx, y), k) << k;
        ASSERT_EQ(CellIndex(CellRow(k), CellColumn(k)), k) << k;
    }
    EXPECT_EQ(CellAt(0, 60), -1);  // not a lattice point
    EXPECT_EQ(CellAt(-300, 60), -1);
    EXPECT_EQ(CellAt(-240, 630), kLastBuiltCell);
    EXPECT_EQ(CellAt(-180, 630), -1);  // cell 201: never built
}

struct Malformed {
    const char* what;
    std::string text;
    int line;
    const char* reason;
};

void PrintTo(const Malformed& m, std::ostream* os) {
    *os << m.what;
}

class MalformedSource : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedSource, IsRejectedWithLineAndReason) {
    const Malformed& m = GetParam();
    ParseResult r = ParseSource(m.text);
    ASSERT_FALSE(r.ok) << m.what;
    EXPECT_EQ(r.problem.line, m.line) << m.what << ": " << r.problem.message;
    EXPECT_NE(r.problem.message.find(m.reason), std::string::npos)
        << m.what << ": got '" << r.problem.message << "'";
}

// Line numbers: "; name" is line 1, "field" line 2, row r is line r + 3.
INSTANTIATE_TEST_SUITE_P(
    Table, MalformedSource,
    ::testing::Values(
        Malformed{"row too long", Source(FieldWith({{4, "|1 1 . . . . . . . . 1|"}})), 7,
                  "row 4 has 11 cells, expected 10"},
        Malformed{"row too short", Source(FieldWith({{5, "| 1 . . . . . . . |"}})), 8,
                  "row 5 has 8 cells, expected 9"},
        Malformed{"row of 9 drawn flush left", Source(FieldWith({{3, "|. . . . . . . . .  |"}})), 6,
                  "not drawn at its offset"},
        Malformed{"cells run together", Source(FieldWith({{2, "|.. . . . . . . . . |"}})), 5,
                  "not drawn at its offset"},
        Malformed{"wider frame", Source(FieldWith({{2, "|. . . . . . . . . . |"}})), 5,
                  "20 characters wide"},
        Malformed{"no frame", Source(FieldWith({{6, "|. . . . . . . . . . "}})), 9,
                  "framed by '|'"},
        Malformed{"unknown cell", Source(FieldWith({{7, "| . . . 9 . . . . . |"}})), 10,
                  "unknown cell '9'"},
        Malformed{"ceiling not anchors", Source(FieldWith({{0, "|# # # # . # # # # #|"}})), 3,
                  "row 0 is the ceiling"},
        Malformed{
            "too few rows",
            "field\n" + Grid(std::vector<std::string>(kEmptyField.begin(), kEmptyField.end() - 2)),
            14, "the field ends at row 12"},
        Malformed{"row 21", Source(FieldWith({{20, "|1 . . . . . . . . .|"}}, 22)), 24,
                  "row 21 is below"},
        Malformed{"empty row below the line drawn", Source(FieldWith({}, 16)), 18,
                  "row 15 is empty"},
        Malformed{"no field", "; only words\n", 1, "no 'field' section"},
        Malformed{"stray text", Source(kEmptyField) + "oops\n", 18, "unexpected text 'oops'"},
        Malformed{"indented row", "field\n  " + Grid(kEmptyField), 2, "first column"},
        Malformed{"row before field", "|# # # # # # # # # #|\nfield\n", 1, "before the 'field'"},
        Malformed{"extras first", "extras\nfield\n", 1, "after the 'field'"},
        Malformed{"two fields", Source(kEmptyField) + "field\n", 18, "second 'field'"},
        Malformed{"extras rows", Source(kEmptyField, {kEmptyField.begin(), kEmptyField.end() - 1}),
                  32, "extras grid has 14 rows, the field has 15"},
        Malformed{"unknown extra",
                  Source(FieldWith({{1, "| 1 . . . . . . . . |"}}),
                         FieldWith({{0, "|. . . . . . . . . .|"}, {1, "| z . . . . . . . . |"}})),
                  20, "unknown extra 'z'"},
        Malformed{"extra in the ceiling",
                  Source(kEmptyField, FieldWith({{0, "|c . . . . . . . . .|"}})), 19,
                  "extras row 0"},
        Malformed{"empty extras grid",
                  Source(kEmptyField, FieldWith({{0, "|. . . . . . . . . .|"}})), 18,
                  "holds no extra"}),
    [](const ::testing::TestParamInfo<Malformed>& info) {
        std::string n = info.param.what;
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

TEST(Decompile, RefusesWhatASourceCannotShow) {
    struct Case {
        int record;
        LevelRecord value;
        const char* reason;
    };
    const Case cases[] = {
        {3, {0, 0}, "ceiling"},        {3, {9, 1}, "ceiling"},        {40, {10, 0}, "cell code 10"},
        {40, {-2, 0}, "cell code -2"}, {41, {0, 8}, "extra 8"},       {41, {0, -1}, "extra -1"},
        {200, {0, 0}, "from 200 on"},  {220, {-1, 2}, "from 200 on"},
    };
    for (const Case& c : cases) {
        Records r = CeilingOnly();
        r[c.record] = c.value;
        DecompileResult d = Decompile(r);
        EXPECT_FALSE(d.ok) << c.record;
        EXPECT_NE(d.problem.message.find(c.reason), std::string::npos) << d.problem.message;
    }
}
