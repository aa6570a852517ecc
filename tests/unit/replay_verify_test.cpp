// A kept replay proves its highscore entry only when its game, played again, enters that very
// score at that level; edited, damaged and foreign replays say why not and end in bounded time.
#include "runner/replay_verify.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/game.h"
#include "core/level_format.h"
#include "core/state_io.h"
#include "platform/headless/headless_platform.h"
#include "runner/replay_watch.h"
#include "shell/replay_store.h"

namespace fs = std::filesystem;

namespace {

// The build's res/ with two crafted Puzzle levels: level 1 is cleared by one shot.
class CraftedPuzzleRes : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("verify-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "res" / "Levelz");
        fs::create_directories(dir_ / "scratch");
        for (const auto& e : fs::directory_iterator(RHOMBULUS_RES_DIR)) {
            const std::string name = e.path().filename().string();
            if (name != "Levelz" && name != "saves")
                fs::create_symlink(e.path(), dir_ / "res" / name);
        }
        Level("lvl001.lvl", {{14, 0}, {24, 0}});
        Level("lvl002.lvl", {{14, 1}, {24, 2}, {26, 3}});
        levels_ = LevelFilesHash((dir_ / "res" / "Levelz").string());
    }
    void TearDown() override { fs::remove_all(dir_); }
    void Level(const std::string& name, std::initializer_list<std::pair<int, int>> cells) {
        LevelRecords level;
        for (const auto& [k, colour] : cells) level[k] = {colour, 0};
        std::ofstream(dir_ / "res" / "Levelz" / name, std::ios::binary)
            << EncodeLevelRecords(level);
    }
    std::string Header(const std::string& version = "1.0.0") const {
        ReplayHeader h;
        h.seed = 3;
        h.language = 1;
        h.version = version;
        h.levels = levels_;
        return ReplayHeaderText(h);
    }
    ReplayVerdict Verify(const std::string& text, int score = 660, int level = 2) {
        fs::remove_all(dir_ / "scratch");
        fs::create_directories(dir_ / "scratch");
        return VerifyReplay(text, {2, 1, score, level, "x.r2replay"}, (dir_ / "res").string(),
                            (dir_ / "scratch").string(), "1.0.0", levels_);
    }
    fs::path dir_;
    std::uint64_t levels_ = 0;
};

// Puzzle from the main menu, one shot clears level 1, the time of level 2 runs out, a name.
constexpr const char* kGame =
    "5 key escape\n30 move 400 350\n40 click\n60 move 400 390\n80 click\n100 move 390 300\n"
    "120 click\n2900 key space\n2950 text Rhombus\n2960 key return\n2980 key escape\n";

TEST_F(CraftedPuzzleRes, TheGameItShowsReachesItsEntry) {
    const ReplayVerdict v = Verify(Header() + kGame);
    EXPECT_TRUE(v.verified) << v.why;
}

TEST_F(CraftedPuzzleRes, AnEditedReplayIsNotVerifiedAndSaysWhy) {
    // The winning shot taken elsewhere: the game ends without a point, so without an entry.
    std::string edited = Header() + kGame;
    edited.replace(edited.find("100 move 390 300"), 16, "100 move 200 300");
    ReplayVerdict v = Verify(edited);
    EXPECT_FALSE(v.verified);
    EXPECT_NE(v.why.find("never reaches the highscore table"), std::string::npos) << v.why;
    // The entry edited instead of the replay.
    v = Verify(Header() + kGame, 9999);
    EXPECT_FALSE(v.verified);
    EXPECT_NE(v.why.find("660 points at level 2"), std::string::npos) << v.why;
}

// The watcher's keys steer only the watching: paused, slowed and hurried up to the limit, the
// game watched is the one watched at one tick a frame, to the same last tick.
TEST_F(CraftedPuzzleRes, SteeringTheWatchNeverChangesItsGame) {
    struct Watched {
        std::uint64_t hash;
        long long ticks;
    };
    auto watchWith = [&](auto steer) {
        ReplayWatch watch;
        std::string why;
        EXPECT_TRUE(watch.Load(Header() + kGame, "1.0.0", levels_, why)) << why;
        fs::remove_all(dir_ / "scratch");
        fs::create_directories(dir_ / "scratch");
        HeadlessPlatform platform;
        auto game = std::make_unique<Game>();
        InitGame(*game, platform, (dir_ / "res").string(), watch.Header().seed);
        EXPECT_TRUE(watch.Prepare(*game, (dir_ / "scratch").string(), why)) << why;
        int permille = 0;
        for (int frame = 1; frame < 100000; ++frame) {
            steer(watch, frame);
            const long long before = watch.Tick();
            const bool more = watch.Frame(*game);
            if (watch.Paused()) {
                EXPECT_EQ(watch.Tick(), before);
            }
            EXPECT_GE(watch.Permille(), permille);
            permille = watch.Permille();
            if (!more) break;
        }
        EXPECT_EQ(permille, 1000);
        return Watched{StateHash(*game), watch.Tick()};
    };
    const Watched plain = watchWith([](ReplayWatch&, int) {});
    const Watched steered = watchWith([](ReplayWatch& w, int frame) {
        if (frame == 10 || frame == 30) w.TogglePause();
        if (frame == 40 || frame == 41) w.Faster();
        if (frame == 200) w.Slower();
        if (frame >= 300 && frame < 305) w.Faster();  // stays at eight
        if (frame == 305) {
            EXPECT_EQ(w.Speed(), kMaxWatchSpeed);
        }
    });
    EXPECT_EQ(plain.ticks, steered.ticks);
    EXPECT_EQ(plain.hash, steered.hash);
    // The last tick is the recorded close: the recorded game has ended.
    EXPECT_GT(plain.ticks, 2980);
}

class ForeignReplay : public CraftedPuzzleRes,
                      public ::testing::WithParamInterface<std::pair<int, const char*>> {};

TEST_P(ForeignReplay, IsNotVerifiedWithItsReason) {
    std::string text;
    switch (GetParam().first) {
        case 0:
            text = Header("0.9.0") + kGame;
            break;
        case 1:
            text = "# seed 3\n# version 1.0.0\n# levels 0000000000000001\n" + std::string(kGame);
            break;
        case 2:
            text = "garbage\n";
            break;
        case 3:
            text = Header() + "5 key escape\n40 clack\n";
            break;
        case 4:
            text = Header() + "2147483000 key escape\n";
            break;  // would take years
        case 5:
            // A game's start that is no state of this game: a few bytes claiming more.
            text = Header() + "# state 00100000789c0300000001\n" + std::string(kGame);
            break;
        default:
            text = Header() + "5 key escape\n";
            break;
    }
    const ReplayVerdict v = Verify(text);
    EXPECT_FALSE(v.verified);
    EXPECT_NE(v.why.find(GetParam().second), std::string::npos) << v.why;
}

INSTANTIATE_TEST_SUITE_P(Replays, ForeignReplay,
                         ::testing::Values(std::make_pair(0, "version 0.9.0"),
                                           std::make_pair(1, "other level files"),
                                           std::make_pair(2, "no seed"),
                                           std::make_pair(3, "unknown event"),
                                           std::make_pair(4, "longer than any game"),
                                           std::make_pair(5, "damaged: the state line"),
                                           std::make_pair(6, "never reaches")));

}  // namespace

namespace {

// A Puzzle game into the (empty) table, kept by the build whose whole state still held the
// highscore tables and the slot list: it still watches to its entry and proves it.
TEST(OldReplays, AGameKeptWhileTheStateHeldTheTablesStillProvesItsEntry) {
    const std::string name = "puzzle-champion-1.0.0.r2replay";
    std::ifstream in(std::string(RHOMBULUS_SOURCE_DIR) + "/tests/unit/data/" + name,
                     std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(text.empty());
    const fs::path scratch =
        fs::temp_directory_path() / ("old-replay-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    const std::uint64_t levels = LevelFilesHash(std::string(RHOMBULUS_RES_DIR) + "/Levelz");
    const ReplayVerdict v = VerifyReplay(text, {2, 1, 1950, 1, name}, RHOMBULUS_RES_DIR,
                                         scratch.string(), "1.0.0", levels);
    EXPECT_TRUE(v.verified) << v.why;
    // Another score in the entry is not what that game made.
    EXPECT_FALSE(VerifyReplay(text, {2, 1, 1951, 1, name}, RHOMBULUS_RES_DIR, scratch.string(),
                              "1.0.0", levels)
                     .verified);
    fs::remove_all(scratch);
}

}  // namespace
