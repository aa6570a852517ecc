// The levels folder: every pack in it listed, a damaged one with its reason and never at the
// cost of the others; the shipped levels as a read-only pack; a saved pack read back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "menus/level_packs.h"

namespace fs = std::filesystem;

namespace {

class LevelsFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("rhombulus-levels-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    void Put(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }
    std::string Dir() const { return dir_.string(); }
    fs::path dir_;
};

// A pack of `levels` levels, each two stones under the ceiling.
std::string PackText(const std::string& name, int levels) {
    std::string s = "pack: " + name + "\nkind: puzzle\n";
    for (int n = 1; n <= levels; ++n) {
        s += "level\n; name: L" + std::to_string(n) + "\nfield\n|# # # # # # # # # #|\n";
        for (int row = 1; row <= 14; ++row)
            s += row == 1  ? "| 1 1 . . . . . . . |\n"
                 : row % 2 ? "| . . . . . . . . . |\n"
                           : "|. . . . . . . . . .|\n";
    }
    return s;
}

}  // namespace

TEST_F(LevelsFolder, DamagedPacksAreListedWithTheirReasonAndTheOthersStillRead) {
    const std::string good = PackText("Good", 2);
    Put("a-good.txt", good);
    Put("b-short.txt", good.substr(0, good.size() / 3));
    std::string wrong = PackText("Wrong", 1);
    Put("c-wrong.txt", wrong.replace(wrong.find("kind: puzzle"), 12, "kind: 7"));
    Put("d-huge.txt", good + std::string(10 << 20, ';'));
    Put("e-good.txt", PackText("Also Good", 1));
    Put("notes.md", "not a pack");
    fs::create_directory(dir_ / "f-folder.txt");
    const std::vector<PackListing> list = ListLevelPacks(Dir());
    ASSERT_EQ(list.size(), 6u);
    EXPECT_TRUE(list[0].ok);
    EXPECT_EQ(list[0].pack.levels.size(), 2u);
    for (int i : {1, 2, 3, 5}) {
        EXPECT_FALSE(list[i].ok) << list[i].file;
        EXPECT_FALSE(list[i].message.empty()) << list[i].file;
        EXPECT_TRUE(list[i].pack.levels.empty()) << list[i].file;
    }
    EXPECT_NE(list[1].message.find("line "), std::string::npos) << list[1].message;
    EXPECT_NE(list[2].message.find("'puzzle' or 'match'"), std::string::npos) << list[2].message;
    EXPECT_NE(list[3].message.find("larger than 256 KiB"), std::string::npos) << list[3].message;
    EXPECT_NE(list[5].message.find("not a file"), std::string::npos) << list[5].message;
    EXPECT_TRUE(list[4].ok);
    EXPECT_EQ(list[4].pack.name, "Also Good");
}

TEST_F(LevelsFolder, NothingIsWrittenOutsideTheFolderNorAPackThatCouldNotBeReadBack) {
    levels::Pack pack = levels::ParsePack(PackText("Cold Caves", 1)).pack;
    std::string error;
    EXPECT_FALSE(SaveLevelPack(Dir(), "../escape.txt", pack, error));
    pack.name.clear();
    EXPECT_FALSE(SaveLevelPack(Dir(), "x.txt", pack, error));
    EXPECT_FALSE(fs::exists(dir_ / "x.txt"));
    EXPECT_FALSE(fs::exists(dir_.parent_path() / "escape.txt"));
}

TEST(ShippedPack, HoldsTheFiftyLevelsOfTheGameAndEachPassesTheChecks) {
    const PackListing shipped = ShippedPuzzlePack(RHOMBULUS_RES_DIR);
    ASSERT_TRUE(shipped.ok) << shipped.message;
    EXPECT_TRUE(shipped.readOnly);
    ASSERT_EQ(shipped.pack.levels.size(), 50u);
    for (const levels::Level& level : shipped.pack.levels)
        EXPECT_TRUE(levels::CheckLevel(level).empty()) << level.name;
    // A copy of it is a pack the player can write.
    levels::Pack copy = shipped.pack;
    copy.name = "My Copy";
    std::string text, error;
    EXPECT_TRUE(levels::WritePack(copy, text, error)) << error;
    EXPECT_FALSE(ShippedPuzzlePack("/nonexistent").ok);
}
