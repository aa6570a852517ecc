// Level packs: what a player writes and shares comes back exactly, and a damaged pack is refused
// with the line and the reason.
#include <gtest/gtest.h>

#include "playfield/level_pack.h"

using namespace levels;

namespace {

// Rows 1..14 of an empty Puzzle field, with `lines` put in place of some rows.
std::string Field(const std::map<int, std::string>& lines = {}, bool extras = false) {
    std::string s = extras ? "extras\n|. . . . . . . . . .|\n" : "field\n|# # # # # # # # # #|\n";
    for (int row = 1; row <= kMinSourceRow; ++row) {
        auto it = lines.find(row);
        s += it != lines.end() ? it->second
                               : (row % 2 ? "| . . . . . . . . . |" : "|. . . . . . . . . .|");
        s += "\n";
    }
    return s;
}

const std::string kTwoLevels =
    "; shared by Anna\npack: Cold Caves\nauthor: Anna\nkind: puzzle\n"
    "\nlevel\n; name: One\n; idea: Two stones.\n" +
    Field({{1, "| . . . 1 1 . . . . |"}}) + "\nlevel\n; name: Two\n" +
    Field({{1, "| . . . 2 1 . . . . |"}}) + Field({{1, "| . . . b . . . . . |"}}, true);

}  // namespace

TEST(LevelPack, WrittenPackReadsBackTheSame) {
    const PackResult first = ParsePack(kTwoLevels);
    ASSERT_TRUE(first.ok) << first.problem.line << ": " << first.problem.message;
    const Pack& p = first.pack;
    EXPECT_EQ(p.name, "Cold Caves");
    EXPECT_EQ(p.author, "Anna");
    ASSERT_EQ(p.levels.size(), 2u);
    EXPECT_EQ(p.levels[1].records[CellIndex(1, 3)].extra, 2);  // the bomb
    EXPECT_EQ(p.levels[0].idea, "Two stones.");
    EXPECT_TRUE(CheckLevel(p.levels[0]).empty());
    for (bool match : {false, true}) {
        Pack pack = p;
        pack.match = match;
        std::string text, error;
        ASSERT_TRUE(WritePack(pack, text, error)) << error;
        ASSERT_TRUE(IsPackText(text));
        const PackResult again = ParsePack(text);
        ASSERT_TRUE(again.ok) << again.problem.line << ": " << again.problem.message << "\n"
                              << text;
        EXPECT_EQ(again.pack.match, match);
        for (size_t i = 0; i < p.levels.size(); ++i) {
            EXPECT_EQ(again.pack.levels[i].name, p.levels[i].name);
            EXPECT_EQ(again.pack.levels[i].idea, p.levels[i].idea);
            for (int k = kFirstFieldCell; k <= kLastBuiltCell; ++k)
                EXPECT_EQ(again.pack.levels[i].records[k], p.levels[i].records[k]) << k;
        }
    }
}

TEST(LevelPack, ProblemsOfALevelCountLinesInTheWholeFile) {
    const PackResult r = ParsePack(kTwoLevels);
    ASSERT_TRUE(r.ok);
    // The second level's row 3 is line 32 of the file; its floating stone is reported there.
    Level second = r.pack.levels[1];
    second.records[CellIndex(3, 5)].cell = 0;
    const std::vector<Problem> problems = CheckLevel(second);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 32);
    EXPECT_EQ(problems[0].fault, LevelFault::kFloats);
}

struct Damaged {
    const char* what;
    std::string text;
    const char* expect;
    int line;  // -1: any
    PackFault fault;
    int level = 0;  // the faulty level for PackFault::kLevel
};

void PrintTo(const Damaged& d, std::ostream* os) {
    *os << d.what;
}

class DamagedPack : public ::testing::TestWithParam<Damaged> {};

TEST_P(DamagedPack, IsRefusedWithItsReason) {
    const Damaged& d = GetParam();
    const PackResult r = ParsePack(d.text);
    ASSERT_FALSE(r.ok) << d.what;
    EXPECT_NE(r.problem.message.find(d.expect), std::string::npos) << r.problem.message;
    if (d.line >= 0) {
        EXPECT_EQ(r.problem.line, d.line) << r.problem.message;
    }
    // The kind the game tells the player, and which level, must match the detail.
    EXPECT_EQ(r.fault, d.fault) << r.problem.message;
    EXPECT_EQ(r.level, d.level) << r.problem.message;
}

namespace {

std::string Replaced(std::string s, const std::string& from, const std::string& to) {
    s.replace(s.find(from), from.size(), to);
    return s;
}

std::string ManyLevels(int n) {
    std::string s = "pack: Many\nkind: puzzle\n";
    for (int i = 0; i < n; ++i) s += "level\n; name: L\n" + Field({{1, "| 1 1 . . . . . . . |"}});
    return s;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedPack,
    ::testing::Values(
        Damaged{"empty", "", "no 'pack:' line", 0, PackFault::kNotPack},
        Damaged{"cut short in a level", kTwoLevels.substr(0, 200), "the field ends at row", -1,
                PackFault::kLevel, 1},
        Damaged{"no kind", Replaced(kTwoLevels, "kind: puzzle\n", ""), "no 'kind:' line", 0,
                PackFault::kHeader},
        Damaged{"wrong kind", Replaced(kTwoLevels, "kind: puzzle", "kind: pipe"),
                "'puzzle' or 'match'", 4, PackFault::kHeader},
        Damaged{"unknown header", Replaced(kTwoLevels, "author: Anna", "colour: red"),
                "unknown header line", 3, PackFault::kHeader},
        Damaged{"name too long", Replaced(kTwoLevels, "Cold Caves", std::string(41, 'x')),
                "longer than 40", 2, PackFault::kHeader},
        Damaged{"broken UTF-8", Replaced(kTwoLevels, "author: Anna", "author: Ann\xc3"),
                "not printable", 3, PackFault::kHeader},
        Damaged{"a NUL byte", Replaced(kTwoLevels, "Anna", std::string("An\0a", 4)), "not text", 0,
                PackFault::kNotText},
        Damaged{"unnamed level", Replaced(kTwoLevels, "; name: Two\n", ""), "name is empty", 26,
                PackFault::kLevel, 2},
        Damaged{"wrong cell", Replaced(kTwoLevels, "| . . . 2 1", "| . . . 9 1"),
                "unknown cell '9'", 30, PackFault::kLevel, 2},
        Damaged{"a pipe level", Replaced(kTwoLevels, "; name: Two\nfield", "; name: Two\npipe"),
                "row 0 is the ceiling", -1, PackFault::kLevel, 2},
        Damaged{"too many levels", ManyLevels(kMaxPackLevels + 1), "at most 99 levels", -1,
                PackFault::kTooManyLevels},
        Damaged{"ten megabytes", kTwoLevels + std::string(10 << 20, ';'), "more than the", 0,
                PackFault::kTooLarge}),
    [](const ::testing::TestParamInfo<Damaged>& info) {
        std::string n = info.param.what;
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

namespace {

// kTwoLevels with its first level marked proven as the editor writes it.
std::string ProvenPack() {
    Pack pack = ParsePack(kTwoLevels).pack;
    pack.levels[0].proof = {true, 4, 7, 61};
    std::string text, error;
    WritePack(pack, text, error);
    return text;
}

struct ProofCase {
    const char* what;
    std::string text;
    bool proven;
};
class ProofInPack : public ::testing::TestWithParam<ProofCase> {};

}  // namespace

TEST_P(ProofInPack, CountsOnlyForTheFieldItWasFoundFor) {
    const PackResult r = ParsePack(GetParam().text);
    ASSERT_TRUE(r.ok) << r.problem.line << ": " << r.problem.message;
    const ProofMark& mark = r.pack.levels[0].proof;
    EXPECT_EQ(mark.known, GetParam().proven);
    if (GetParam().proven) {
        EXPECT_EQ(mark.cleared, 4);
        EXPECT_EQ(mark.shots, 7);
        EXPECT_EQ(mark.time, 61);
    }
    EXPECT_FALSE(r.pack.levels[1].proof.known);
}

// A mark that does not read is no proof, and never a refused pack: the level is only unproven.
INSTANTIATE_TEST_SUITE_P(
    Marks, ProofInPack,
    ::testing::Values(
        ProofCase{"as_written", ProvenPack(), true},
        ProofCase{"field_changed_by_hand", Replaced(ProvenPack(), ". . . 1 1", ". . 1 1 1"), false},
        ProofCase{"more_cleared_than_tried", Replaced(ProvenPack(), "4 of 5", "6 of 5"), false},
        ProofCase{"other_tries", Replaced(ProvenPack(), "4 of 5", "4 of 9"), false},
        ProofCase{"negative_shots", Replaced(ProvenPack(), "shots 7", "shots -7"), false},
        ProofCase{"text_after_it", Replaced(ProvenPack(), "time 61, field ", "time 61, x field "),
                  false},
        ProofCase{"cut_short", Replaced(ProvenPack(), ", time 61", ""), false}),
    [](const ::testing::TestParamInfo<ProofCase>& info) { return std::string(info.param.what); });
