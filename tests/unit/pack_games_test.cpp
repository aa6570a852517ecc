// Playing level packs: a pack level read through the disk's level source, the pack's own
// highscore file, and the pack a save slot names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/level_source.h"
#include "menus/pack_scores.h"
#include "menus/saved_games.h"
#include "menus_fixture.h"
#include "playfield/level_pack.h"
#include "shell/disk_levels.h"

namespace {

struct PathCase {
    const char* path;
    bool pack;
    const char* packPath;
    int level;
};

class PackLevelPaths : public testing::TestWithParam<PathCase> {};

TEST_P(PackLevelPaths, SplitsOnlyWhatPackLevelPathMakes) {
    const PathCase& c = GetParam();
    std::string packPath;
    int level = -1;
    ASSERT_EQ(SplitPackLevelPath(c.path, packPath, level), c.pack) << c.path;
    if (!c.pack) return;
    EXPECT_EQ(packPath, c.packPath);
    EXPECT_EQ(level, c.level);
    EXPECT_EQ(PackLevelPath(packPath, level), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PackLevelPaths,
    testing::Values(PathCase{"/home/a/levels/cold.txt#1", true, "/home/a/levels/cold.txt", 1},
                    PathCase{"x#b/p.txt#99", true, "x#b/p.txt", 99},
                    PathCase{"res/Levelz/lvl001.lvl", false, "", 0},
                    PathCase{"p.txt#0", false, "", 0}, PathCase{"p.txt#", false, "", 0},
                    PathCase{"p.txt#1a", false, "", 0}, PathCase{"p.txt#100", false, "", 0}));

std::string OneShotPack(int levels) {
    std::string text = "pack: Cold Caves\nauthor: Anna\nkind: puzzle\n";
    for (int n = 1; n <= levels; ++n) {
        text += "\nlevel\n; name: L" + std::to_string(n) + "\nfield\n|# # # # # # # # # #|\n";
        text += n == 1 ? "| . . . . 1 . . . . |\n" : "| . . . 2 2 . . . . |\n";
        for (int r = 2; r <= 14; ++r)
            text += r % 2 ? "| . . . . . . . . . |\n" : "|. . . . . . . . . .|\n";
    }
    return text;
}

TEST(PackLevelSource, GivesEachLevelOfThePackAsTheRecordFileTheGameReads) {
    TempRes res;
    const std::string path = res.Dir() + "/cold.txt";
    const std::string text = OneShotPack(2);
    res.WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
    const levels::PackResult pack = levels::ParsePack(text);
    ASSERT_TRUE(pack.ok);
    for (int n = 1; n <= 2; ++n) {
        std::string bytes;
        ASSERT_TRUE(DiskLevels().Read(PackLevelPath(path, n), kLevelFileBytes, bytes));
        LevelRecords records;
        ASSERT_TRUE(DecodeLevelRecords(bytes, records));
        levels::Records want = pack.pack.levels[n - 1].records;
        levels::WriteCeiling(want, levels::kPuzzleLattice);
        EXPECT_EQ(records, want) << "level " << n;
    }
    std::string bytes;
    EXPECT_FALSE(DiskLevels().Read(PackLevelPath(path, 3), kLevelFileBytes, bytes));
    EXPECT_FALSE(DiskLevels().Read(PackLevelPath(res.Dir() + "/gone.txt", 1), 1768, bytes));
    res.WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.begin() + 60));
    EXPECT_FALSE(DiskLevels().Read(PackLevelPath(path, 1), kLevelFileBytes, bytes));
}

TEST(PackScores, ATableReadsBackAsItWasWritten) {
    PackScores scores;
    for (int r = 1; r <= 7; ++r) {
        scores.score[r] = 9000 - 1000 * r;
        scores.name[r] = r == 7 ? "" : "anna-" + std::to_string(r);
    }
    PackScores back;
    std::string problem;
    ASSERT_TRUE(ParsePackScores(PackScoresText(scores), back, problem)) << problem;
    EXPECT_EQ(back.score, scores.score);
    EXPECT_EQ(back.name, scores.name);
}

struct DamageCase {
    const char* from;  // a piece of a good file
    const char* to;    // what it becomes
    const char* said;  // part of the problem given
};

class DamagedPackScores : public testing::TestWithParam<DamageCase> {};

TEST_P(DamagedPackScores, AreRefusedSayingWhyAndLeaveTheTableAlone) {
    const DamageCase& c = GetParam();
    std::string text = PackScoresText(PackScores{});
    ASSERT_NE(text.find(c.from), std::string::npos);
    text.replace(text.find(c.from), std::string(c.from).size(), c.to);
    PackScores scores;
    scores.score[1] = 42;
    std::string problem;
    EXPECT_FALSE(ParsePackScores(text, scores, problem)) << text;
    EXPECT_NE(problem.find(c.said), std::string::npos) << problem;
    EXPECT_EQ(scores.score[1], 42);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedPackScores,
    testing::Values(DamageCase{"highscores 1", "highscores 2", "does not start"},
                    DamageCase{"rhombulus2 pack highscores 1\n", "", "does not start"},
                    DamageCase{"3 0 \n", "4 0 \n", "place 3"},
                    DamageCase{"\n4 0 \n5 0 \n6 0 \n7 0 \n", "\n", "place 4: missing"},
                    DamageCase{"3 0 ", "3 12a anna", "not a number"},
                    DamageCase{"3 0 ", "3 -5 anna", "not a number"},
                    DamageCase{"3 0 ", "3 1000000000 anna", "not \"place score name\""},
                    DamageCase{"3 0 ", "3 0", "not \"place score name\""},
                    DamageCase{"3 0 ", "3 5 Anna", "name"},
                    DamageCase{"3 0 ", "3 5 abcdefghijk", "name"},
                    DamageCase{"7 0 \n", "7 0 \n8 0 x\n", "more than seven"}));

TEST(PackSlot, ASavedPackGameNamesItsPackAndOnlyAPlainFileNameIsTaken) {
    MenuGame m;
    Game& g = m.g();
    g.play.GameMode = kModePuzzle;
    g.play.LevelNumber = 77;  // beyond the game's own 50: a pack may hold 99
    g.play.LapNumber = 1;
    g.packGame.File = "cold-caves.txt";
    ASSERT_TRUE(WriteSavedGame(g, SlotFile(2)));
    LevelStartRequest start;
    ASSERT_TRUE(ReadSavedGame(g, SlotFile(2), start));
    EXPECT_EQ(start.pack, "cold-caves.txt");
    EXPECT_EQ(start.level, 77);
    for (const char* name : {"../cold-caves.txt", ".hidden.txt", "a\\b.txt", ""}) {
        const std::string s = name;
        m.res.WriteBytes(m.res.Saves("ave2pack.dat"),
                         std::vector<std::uint8_t>(s.begin(), s.end()));
        // Without its pack, level 77 is no level of the game's own: the slot does not load.
        EXPECT_FALSE(ReadSavedGame(g, SlotFile(2), start)) << name;
    }
    // The game's own levels write an empty pack file over an older pack game's.
    g.packGame.File.clear();
    g.play.LevelNumber = 7;
    ASSERT_TRUE(WriteSavedGame(g, SlotFile(2)));
    EXPECT_TRUE(m.res.ReadBytes(m.res.Saves("ave2pack.dat")).empty());
    ASSERT_TRUE(ReadSavedGame(g, SlotFile(2), start));
    EXPECT_EQ(start.pack, "");
}

}  // namespace
