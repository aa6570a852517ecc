// Pipe level sources, their check, the 26 shipped levels, and the solver that proves them.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "crafted_level.h"
#include "pipe_solver.h"
#include "playfield/level_text.h"

using namespace levels;

namespace {

std::string PipeSourcePath(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d.txt", n);
    return std::string(RHOMBULUS_SOURCE_DIR) + "/levels/pipe/" + name;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A small pipe level drawn row by row (rows 0..14; rows not given are empty).
std::string PipeSource(std::map<int, std::string> rows, const std::string& tail = "") {
    std::string s = "; name: crafted\npipe\n";
    rows.emplace(0, "|. # # # # # # # # #|");
    for (int r = 0; r <= 14 || rows.count(r) != 0; ++r) {
        auto it = rows.find(r);
        s += (it != rows.end() ? it->second
                               : (r % 2 ? "| . . . . . . . . . |" : "|. . . . . . . . . .|")) +
             "\n";
    }
    return s + tail;
}

// Source top at row 1 column 2, target top at row 1 column 7: an open field between them.
const std::map<int, std::string> kOpen = {
    {1, "| . S . . . . . T . |"}, {2, "|. s s . . . . t t .|"}, {3, "| . s . . . . . t . |"}};

std::map<int, std::string> With(std::map<int, std::string> rows,
                                const std::map<int, std::string>& changes) {
    for (const auto& [r, text] : changes) rows[r] = text;
    return rows;
}

Level Parse(const std::string& text) {
    ParseResult p = ParseSource(text);
    EXPECT_TRUE(p.ok) << p.problem.line << ": " << p.problem.message;
    return p.level;
}

std::string Messages(const std::vector<Problem>& problems) {
    std::string s;
    for (const Problem& p : problems) s += p.message + "\n";
    return s;
}

}  // namespace

// --- sources and files -----------------------------------------------------------------------

class PipeLevelRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(PipeLevelRoundTrip, SourceFileSourceIsExact) {
    const std::string source = ReadText(PipeSourcePath(GetParam()));
    ASSERT_FALSE(source.empty()) << PipeSourcePath(GetParam());
    const Level level = Parse(source);
    EXPECT_TRUE(level.pipe);
    const std::string bytes = EncodeFile(level.records);
    DecodeResult decoded = DecodeFile(bytes);
    ASSERT_TRUE(decoded.ok);
    DecompileResult back = Decompile(decoded.records, {}, kPuzzleLattice, true);
    ASSERT_TRUE(back.ok) << back.problem.message;
    EXPECT_EQ(SourceBody(back.text), SourceBody(source));
    EXPECT_EQ(EncodeFile(Parse(back.text).records), bytes);
}

INSTANTIATE_TEST_SUITE_P(All26, PipeLevelRoundTrip, ::testing::Range(1, 27));

TEST(PipeSource, CharactersBecomeTheCodesOfThePipeGame) {
    const Level level = Parse(PipeSource(With(kOpen, {{5, "| . . \\ / < v > ^ X |"}})));
    const int codes[] = {0, 1, 2, 3, 4, 5, 8};
    for (int c = 2; c <= 8; ++c) EXPECT_EQ(level.records[CellIndex(5, c)].cell, codes[c - 2]);
    EXPECT_EQ(level.records[CellIndex(1, 1)].cell, kPipeSourceCode);
    EXPECT_EQ(level.records[CellIndex(1, 7)].cell, kPipeTargetCode);
    // The barrels' other stones are built by the game from the top cell: the file holds -1.
    EXPECT_EQ(level.records[CellIndex(2, 2)].cell, kEmptyCode);
    for (int k = 0; k < kFirstFieldCell; ++k) EXPECT_EQ(level.records[k].cell, kEmptyCode);
}

struct BadPipeSource {
    const char* what;
    std::string text;
    const char* reason;
};

void PrintTo(const BadPipeSource& b, std::ostream* os) {
    *os << b.what;
}

class MalformedPipeSource : public ::testing::TestWithParam<BadPipeSource> {};

TEST_P(MalformedPipeSource, IsRejectedWithAReason) {
    ParseResult r = ParseSource(GetParam().text);
    ASSERT_FALSE(r.ok);
    EXPECT_NE(r.problem.message.find(GetParam().reason), std::string::npos) << r.problem.message;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedPipeSource,
    ::testing::Values(
        BadPipeSource{"barrel_without_its_stones",
                      PipeSource(With(kOpen, {{3, "| . . . . . . . t . |"}})), "needs 's'"},
        BadPipeSource{"stray_barrel_stone", PipeSource(With(kOpen, {{6, "|. . . . t . . . . .|"}})),
                      "'t' is not part of a barrel"},
        BadPipeSource{"unknown_cell", PipeSource(With(kOpen, {{6, "|. . . . o . . . . .|"}})),
                      "unknown cell 'o'"},
        BadPipeSource{"ten_anchors", PipeSource(With(kOpen, {{0, "|# # # # # # # # # #|"}})),
                      "row 0 is the ceiling"},
        BadPipeSource{"extras", PipeSource(kOpen, "extras\n"), "carries no extras"}),
    [](const ::testing::TestParamInfo<BadPipeSource>& info) {
        return std::string(info.param.what);
    });

TEST(PipeFiles, NamesAndDecompilingFollowTheGame) {
    EXPECT_EQ(PipeLevelFileName(7), "pipelev7.lvl");
    EXPECT_EQ(PipeLevelFileName(26), "pipelev26.lvl");
    EXPECT_TRUE(IsPipeFileName("res/Levelz/pipelev12.lvl"));
    EXPECT_FALSE(IsPipeFileName("res/Levelz/lvl0012.lvl"));
    Records r = Parse(PipeSource(kOpen)).records;
    Records extra = r;
    extra[CellIndex(5, 3)] = {0, 2};
    EXPECT_FALSE(Decompile(extra, {}, kPuzzleLattice, true).ok);
    Records unknown = r;
    unknown[CellIndex(5, 3)].cell = 9;
    EXPECT_FALSE(Decompile(unknown, {}, kPuzzleLattice, true).ok);
    Records covered = r;
    covered[CellIndex(2, 2)].cell = 0;  // a piece where the source barrel's stone goes
    EXPECT_FALSE(Decompile(covered, {}, kPuzzleLattice, true).ok);
}

// --- the check -------------------------------------------------------------------------------

struct PipeCheckCase {
    const char* what;
    std::map<int, std::string> changes;
    const char* expect;  // nullptr: passes
};

void PrintTo(const PipeCheckCase& c, std::ostream* os) {
    *os << c.what;
}

class PipeCheck : public ::testing::TestWithParam<PipeCheckCase> {};

TEST_P(PipeCheck, FindsWhatIsWrong) {
    const PipeCheckCase& c = GetParam();
    const std::string all = Messages(CheckLevel(Parse(PipeSource(With(kOpen, c.changes)))));
    if (c.expect == nullptr) {
        EXPECT_EQ(all, "");
    } else {
        EXPECT_NE(all.find(c.expect), std::string::npos) << all;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PipeCheck,
    ::testing::Values(
        PipeCheckCase{"open_field", {}, nullptr},
        PipeCheckCase{"hanging_chain",
                      {{1, "| . S . X . . . T . |"},
                       {2, "|. s s . X . . t t .|"},
                       {3, "| . s . ^ . . . t . |"},
                       {4, "|. . . / \\ . . . . .|"}},
                      nullptr},
        PipeCheckCase{"no_target",
                      {{1, "| . S . . . . . . . |"},
                       {2, "|. s s . . . . . . .|"},
                       {3, "| . s . . . . . . . |"}},
                      "has 1 and 0"},
        PipeCheckCase{"two_sources",
                      {{1, "| . S . S . . . T . |"},
                       {2, "|. s s s s . . t t .|"},
                       {3, "| . s . s . . . t . |"}},
                      "has 2 and 1"},
        PipeCheckCase{"column_0", {{6, "|\\ . . . . . . . . .|"}}, "column 0"},
        PipeCheckCase{"floating_piece", {{6, "|. . . . / . . . . .|"}}, "floats away"},
        PipeCheckCase{"floating_barrel",
                      {{1, "| . S . . . . . . . |"},
                       {2, "|. s s . . . . . . .|"},
                       {3, "| . s . . . . . . . |"},
                       {5, "| . . . . . . . T . |"},
                       {6, "|. . . . . . . t t .|"},
                       {7, "| . . . . . . . t . |"}},
                      "floats away"},
        PipeCheckCase{"below_the_line",
                      {{1, "| . S . X . . . T . |"},
                       {3, "| . s . X . . . t . |"},
                       {5, "| . . . X . . . . . |"},
                       {7, "| . . . X . . . . . |"},
                       {9, "| . . . X . . . . . |"},
                       {11, "| . . . X . . . . . |"},
                       {13, "| . . . X . . . . . |"},
                       {15, "| . . . X . . . . . |"}},
                      "below the bottom line"},
        PipeCheckCase{"outlet_taken", {{4, "|. . X . . . . . . .|"}}, "outlet is taken"},
        PipeCheckCase{"inlet_taken", {{4, "|. . . . . . . X . .|"}}, "inlet is taken"},
        PipeCheckCase{"outlet_outside",
                      {{1, "| . X . . . . . T . |"},
                       {2, "|. . . . . . . t t .|"},
                       {3, "| . X . . . . . t . |"},
                       {5, "| . X . . . . . . . |"},
                       {7, "| . X . . . . . . . |"},
                       {9, "| . X . . . . . . . |"},
                       {11, "| . X . . . . . . . |"},
                       {13, "| . S . . . . . . . |"},
                       {14, "|. s s . . . . . . .|"},
                       {15, "| . s . . . . . . . |"}},
                      "outlet lies outside the field"}),
    [](const ::testing::TestParamInfo<PipeCheckCase>& info) {
        return std::string(info.param.what);
    });

TEST(PipeCheck, TwoStonesInOnePlaceAreReported) {
    Level level = Parse(PipeSource(kOpen));
    // A second barrel whose left stone is the first one's right stone.
    level.records[CellIndex(1, 2)].cell = kPipeTargetCode;
    const std::string all = Messages(CheckLevel(level));
    EXPECT_NE(all.find("two stones would lie at one place"), std::string::npos) << all;
}

TEST(PipeLevels, All26PassEveryCheckAndDifferFromEachOther) {
    std::vector<NamedLevel> set;
    for (int n = 1; n <= 26; ++n) {
        const std::string path = PipeSourcePath(n);
        const Level level = Parse(ReadText(path));
        EXPECT_TRUE(level.pipe) << path;
        EXPECT_FALSE(level.name.empty()) << path;
        EXPECT_FALSE(level.idea.empty()) << path;
        for (const Problem& p : CheckLevel(level))
            ADD_FAILURE() << path << ":" << p.line << ": " << p.message;
        set.push_back({path, level});
    }
    for (const std::string& p : CheckSet(set)) ADD_FAILURE() << p;
}

// --- the solver ------------------------------------------------------------------------------

// A crafted pipe level written as pipelevN.lvl into a res/ folder of its own.
class PipeSolverTest : public ::testing::Test {
  protected:
    CraftedRes res;
    void Write(int number, const std::map<int, std::string>& rows) {
        const Level level = Parse(PipeSource(rows));
        std::ofstream out(res.Dir() + "/Levelz/" + PipeLevelFileName(number), std::ios::binary);
        out << EncodeFile(level.records);
    }
};

TEST_F(PipeSolverTest, BuildsAPipelineTopDownAndWinsWithIt) {
    Write(5, kOpen);
    const PipeLevelRun run = SolvePipeLevel(res.Dir(), 5, PipeSolveOptions{});
    ASSERT_TRUE(run.won) << run.why;
    EXPECT_GT(run.pipelines, 0);
    const PipePlan& plan = run.plan;
    ASSERT_FALSE(plan.shots.empty());
    for (size_t i = 1; i < plan.shots.size(); ++i)
        EXPECT_LE(plan.shots[i - 1].cell.row, plan.shots[i].cell.row);
    // Within level 5's stock, and every piece fired is one of the pipeline's.
    for (int k = 1; k <= 6; ++k) EXPECT_LE(plan.used[k], run.stock[k]) << "kind " << k;
    EXPECT_EQ(static_cast<int>(plan.shots.size()), static_cast<int>(plan.pipeline.size()));
    EXPECT_EQ(run.scoreGained, plan.Score());
    EXPECT_GT(run.timeAtWater, 900);
}

TEST_F(PipeSolverTest, TakesTheGoldenArchWhenTheStockAllowsIt) {
    Write(6, With(kOpen, {{1, "| . S . . X . . T . |"},
                          {3, "| . s . . X . . t . |"},
                          {5, "| . . . . ^ . . . . |"},
                          {6, "|. . . . / \\ . . . .|"}}));
    const PipeLevelRun run = SolvePipeLevel(res.Dir(), 6, PipeSolveOptions{});
    ASSERT_TRUE(run.won) << run.why;
    EXPECT_EQ(run.plan.presets, 2);
    EXPECT_GE(run.scoreGained, 2000);
}

TEST_F(PipeSolverTest, AStockThatCannotSpanTheFieldIsNoWin) {
    // Level 7 hands out 5 + 3 straights and one upward bend: the barrels are too far apart.
    Write(
        7,
        {{1, "| . S . . . . . . T |"}, {2, "|. s s . . . . . t t|"}, {3, "| . s . . . . . . t |"}});
    const PipeLevelRun run = SolvePipeLevel(res.Dir(), 7, PipeSolveOptions{});
    EXPECT_FALSE(run.won);
    EXPECT_EQ(run.pipelines, 0);
    EXPECT_NE(run.why.find("no pipeline fits the stock"), std::string::npos) << run.why;
}

TEST(PipeSolver, ShippedLevelsAreWonWithTheirStock) {
    for (int level : {7, 12, 20}) {
        const PipeLevelRun run = SolvePipeLevel(RHOMBULUS_RES_DIR, level, PipeSolveOptions{});
        EXPECT_TRUE(run.won) << "level " << level << ": " << run.why;
    }
}
