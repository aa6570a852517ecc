// The replays folder: headers read back or refused with a reason, the folder kept small without
// losing the replays of highscores, and a folder that cannot be written never stops anything.
#include "shell/replay_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "menus/highscore_replays.h"
#include "playfield/level_pack.h"
#include "shell/recorder.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

class ReplayFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("replays-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    static std::string Name(int n) {
        char name[32];
        std::snprintf(name, sizeof name, "2026%04d-000000-0000", n);
        return name + std::string(kReplaySuffix);
    }
    void Put(const std::string& name, std::size_t bytes) {
        std::ofstream(dir_ / name) << std::string(bytes, 'x');
    }
    fs::path dir_;
};

TEST_F(ReplayFolder, KeepsTheNewestThirtyAndEveryHighscoreReplay) {
    for (int n = 1; n <= 40; ++n) Put(Name(n), 10);
    Put("notes.txt", 10);  // not a replay: never touched
    EXPECT_EQ(PruneReplays(dir_.string(), {Name(2), Name(5)}), 8);
    for (int n = 1; n <= 40; ++n) {
        const bool kept = n > 10 || n == 2 || n == 5;
        EXPECT_EQ(fs::exists(dir_ / Name(n)), kept) << n;
    }
    EXPECT_TRUE(fs::exists(dir_ / "notes.txt"));
}

TEST_F(ReplayFolder, StaysUnderItsSizeRemovingTheOldestFirst) {
    for (int n = 1; n <= 10; ++n) Put(Name(n), 1000);
    PruneReplays(dir_.string(), {Name(1)}, 30, 5000);
    EXPECT_TRUE(fs::exists(dir_ / Name(1)));  // a highscore's, however old
    for (int n = 2; n <= 6; ++n) EXPECT_FALSE(fs::exists(dir_ / Name(n))) << n;
    for (int n = 7; n <= 10; ++n) EXPECT_TRUE(fs::exists(dir_ / Name(n))) << n;
}

TEST_F(ReplayFolder, StoresWholeAndFailsQuietlyInAFolderItCannotWrite) {
    ASSERT_TRUE(StoreReplay(dir_.string(), Name(1), "# seed 1\n5 close\n", {}));
    std::ifstream in(dir_ / Name(1));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "# seed 1\n5 close\n");
    if (::geteuid() != 0) {  // root writes anywhere
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(StoreReplay(dir_.string(), Name(2), "# seed 1\n", {}));
    }
    // Beneath a file there can be no folder.
    EXPECT_FALSE(StoreReplay((dir_ / Name(1) / "sub").string(), Name(3), "# seed 1\n", {}));
}

TEST(ReplayHeader, WrittenHeaderReadsBackAndTheRunnerFindsItsSeedFirst) {
    ReplayHeader h;
    h.seed = 18446744073709551615ull;
    h.language = 3;
    h.version = "1.4.0";
    h.levels = 0x00ab00cd00ef0012ull;
    h.tune = "res\\Musik\\vi02.mp3";
    h.state = "00ff10ab";
    h.packFile = "cold caves.txt";  // an imported pack's name may hold a space
    h.pack = "pack: Cold Caves\nauthor: Anna\n\xc3\xa4\n";
    const std::string text = ReplayHeaderText(h) + "3 opponent 1\n";
    EXPECT_EQ(text.rfind("# seed 18446744073709551615\n", 0), 0u);
    ReplayHeader back;
    std::string why;
    ASSERT_TRUE(ReadReplayHeader(text, back, why)) << why;
    EXPECT_EQ(back.seed, h.seed);
    EXPECT_EQ(back.language, 3);
    EXPECT_EQ(back.version, "1.4.0");
    EXPECT_EQ(back.levels, h.levels);
    EXPECT_EQ(back.tune, h.tune);
    EXPECT_EQ(back.state, h.state);
    EXPECT_EQ(back.packFile, h.packFile);
    EXPECT_EQ(back.pack, h.pack);
    EXPECT_EQ(ReplayMismatch(back, "1.4.0", h.levels), "");
    EXPECT_NE(ReplayMismatch(back, "1.5.0", h.levels).find("version 1.4.0"), std::string::npos);
    EXPECT_NE(ReplayMismatch(back, "1.4.0", 7).find("level files"), std::string::npos);
}

class DamagedHeader : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(DamagedHeader, IsRefusedWithItsReason) {
    ReplayHeader h;
    std::string why;
    EXPECT_FALSE(ReadReplayHeader(GetParam().first, h, why));
    EXPECT_NE(why.find(GetParam().second), std::string::npos) << why;
}

INSTANTIATE_TEST_SUITE_P(Replays, DamagedHeader,
                         ::testing::Values(std::make_pair("", "no seed"),
                                           std::make_pair("5 close\n", "no seed"),
                                           std::make_pair("# seed -1\n", "seed"),
                                           std::make_pair("# seed 99999999999999999999\n", "seed"),
                                           std::make_pair("# seed 1x\n", "seed"),
                                           std::make_pair("# seed 1\n# language 34\n", "language"),
                                           std::make_pair("# seed 1\n# levels xyz\n", "level"),
                                           std::make_pair("# seed 1\n# state 0a1\n", "state"),
                                           std::make_pair("# seed 1\n# state 0G\n", "state"),
                                           std::make_pair("# language 2\n# seed\n", "seed"),
                                           // The pack's file name must stay in the folder.
                                           std::make_pair("# seed 1\n# pack 2e2e2f61 70\n", "pack"),
                                           std::make_pair("# seed 1\n# pack 2e61 70\n", "pack"),
                                           std::make_pair("# seed 1\n# pack 61\n", "pack"),
                                           std::make_pair("# seed 1\n# pack 61 7\n", "pack")));
TEST(ReplayHeader, APackLargerThanAnyPackIsRefused) {
    ReplayHeader h, back;
    h.packFile = "a.txt";
    h.pack = std::string(levels::kMaxPackBytes + 1, ';');
    std::string why;
    EXPECT_FALSE(ReadReplayHeader(ReplayHeaderText(h), back, why));
    EXPECT_NE(why.find("pack"), std::string::npos) << why;
}

TEST(ReplayRecorder, KeepsWhatItRecordsBehindTheHeader) {
    InputRecorder r;
    r.KeepText("# seed 7\n");
    r.Line(3, "opponent 2");
    std::array<bool, 8> keys{};
    keys[4] = true;
    r.Keys(10, keys);
    r.Typed(11, 'a');
    r.Typed(12, U'\u0436');  // a Cyrillic letter goes into the script as UTF-8
    EXPECT_EQ(r.Text(), "# seed 7\n3 opponent 2\n10 keydown space\n11 text a\n12 text \u0436\n");
    // The next game's replay starts over, with the key still held down in it.
    r.KeepText("# seed 8\n", 20);
    r.Keys(20, keys);
    EXPECT_EQ(r.Text(), "# seed 8\n20 keydown space\n");
}

TEST(ReplayFiles, LevelHashFollowsTheLevelFiles) {
    const fs::path dir = fs::temp_directory_path() / ("levels-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    EXPECT_EQ(LevelFilesHash(dir.string()), 0u);
    std::ofstream(dir / "a.lvl") << "abc";
    const auto one = LevelFilesHash(dir.string());
    std::ofstream(dir / "a.lvl") << "abd";
    EXPECT_NE(LevelFilesHash(dir.string()), one);
    fs::remove_all(dir);
    EXPECT_EQ(UserReplaysDir("/x/data", "/home/p"), "/x/data/rhombulus2/replays");
    EXPECT_EQ(UserReplaysDir(nullptr, "/home/p"), "/home/p/.local/share/rhombulus2/replays");
}

TEST_F(ReplayFolder, HighscoreLinksMoveDownWithTheirEntries) {
    TestGame t;
    t.game.savesDir = dir_.string();
    t.game.replayName = "";
    LinkHighscoreReplay(t.game, 2, 1, 500, 3);  // no replay kept: nothing linked
    EXPECT_FALSE(fs::exists(dir_ / "groar-replays.txt"));
    t.game.replayName = Name(1);
    LinkHighscoreReplay(t.game, 2, 3, 900, 4);
    t.game.replayName = Name(2);
    LinkHighscoreReplay(t.game, 2, 7, 100, 1);
    t.game.replayName = Name(3);
    LinkHighscoreReplay(t.game, 3, 1, 50, 2);  // another table keeps its places
    t.game.replayName = Name(4);
    LinkHighscoreReplay(t.game, 2, 2, 1000, 5);
    const auto links = ReadHighscoreReplays(t.game);
    ASSERT_EQ(links.size(), 3u);  // the old place 7 dropped
    const HighscoreReplay* moved = FindHighscoreReplay(links, 2, 4);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->file, Name(1));
    EXPECT_EQ(moved->score, 900);
    EXPECT_EQ(moved->level, 4);
    ASSERT_NE(FindHighscoreReplay(links, 3, 1), nullptr);
    EXPECT_EQ(FindHighscoreReplay(links, 2, 2)->file, Name(4));
    EXPECT_EQ(LinkedReplayFiles(t.game), (std::set<std::string>{Name(1), Name(3), Name(4)}));
}

TEST(HighscoreLinks, DamagedLinesAreLeftOut) {
    const auto links = ParseHighscoreReplays(
        "1 1 100 2 a.r2replay\n"
        "1 1 200 2 b.r2replay\n"     // a second link of one place
        "0 1 100 2 c.r2replay\n"     // no such table
        "1 8 100 2 d.r2replay\n"     // no such place
        "2 1 100 2 ../e.r2replay\n"  // outside the folder
        "2 2 100 2 f.r2replay x\n"   // trailing words
        "2 3 100\n"                  // cut short
        "4 7 -5 0 g.r2replay\n");
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0].file, "a.r2replay");
    EXPECT_EQ(links[1].file, "g.r2replay");
    EXPECT_EQ(ParseHighscoreReplays(HighscoreReplaysText(links)).size(), 2u);
}

}  // namespace
