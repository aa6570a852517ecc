// What a hostile or careless user can leave in res/: FIFOs, links at a save's temporary path,
// huge files, values no game produces, missing pictures and font. None of it may hang, crash or
// trick the game.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "core/mathutil.h"
#include "menus/highscores.h"
#include "menus/record_file.h"
#include "menus/saved_games.h"
#include "menus/settings.h"
#include "menus_fixture.h"

namespace {

namespace fs = std::filesystem;

// Runs `work`; a reader stuck on the FIFO is freed by opening its other end, and counts as hung.
bool FinishesWithoutWriter(const std::string& fifo, const std::function<void()>& work) {
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return true;
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
    done.wait();
    return false;
}

struct FifoCase {
    const char* file;
    bool startUp;  // read by start-up, else by opening the load screen's slot list
};

class FifoInSaves : public ::testing::TestWithParam<FifoCase> {};

TEST_P(FifoInSaves, IsTreatedAsDamagedWithoutWaiting) {
    TempRes res;
    const std::string fifo = res.Saves(GetParam().file);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TestGame t(res.Dir());
    if (!GetParam().startUp) t.TickTo(3);
    const bool finished = FinishesWithoutWriter(fifo, [&] {
        if (GetParam().startUp)
            t.TickTo(3);
        else
            ReadSlotNames(t.game);
    });
    EXPECT_TRUE(finished) << GetParam().file << " blocked the game";
    EXPECT_EQ(t.game.shell.SoundVolume, 80);
    EXPECT_EQ(t.game.own.HighscoreScore[1][1], 70000);
    EXPECT_EQ(t.game.own.SlotName[1], GetParam().startUp ? "" : "noname");
}

INSTANTIATE_TEST_SUITE_P(Files, FifoInSaves,
                         ::testing::Values(FifoCase{"settings.dat", true},
                                           FifoCase{"groar.dat", true},
                                           FifoCase{"names.dat", false}));

struct LinkCase {
    const char* file;
    std::function<bool(Game&)> write;
    size_t size;
};

class LinkAtTemporaryPath : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkAtTemporaryPath, IsNeitherWrittenThroughNorLeftAsTheSave) {
    MenuGame m;
    const std::string victim = m.res.Dir() + "/victim.txt";
    m.res.WriteBytes(victim, {'k', 'e', 'e', 'p'});
    const std::string target = m.res.Saves(GetParam().file);
    fs::create_symlink(victim, target + ".tmp");
    ASSERT_TRUE(GetParam().write(m.g()));
    EXPECT_EQ(m.res.ReadBytes(victim), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target)));
    EXPECT_EQ(fs::file_size(target), GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LinkAtTemporaryPath,
    ::testing::Values(
        LinkCase{"names.dat", [](Game& g) { return WriteSlotNames(g, true); }, 160},
        LinkCase{"settings.dat", [](Game& g) { return WriteSettings(g, kSettingsFile); }, 16},
        LinkCase{"groar.dat", [](Game& g) { return WriteHighscores(g, kHighscoreFile, false); },
                 696},
        LinkCase{"ave3.dat", [](Game& g) { return WriteSavedGame(g, SlotFile(3)); }, 48}));

TEST(Temporaries, LeftByACrashAreRemovedAtTheNextStartButNotThoseOfARunningWriter) {
    TempRes res;
    const std::vector<std::string> stale = {"settings.dat.tmp", "names.dat.999999999-3.tmp"};
    const std::string alive = "groar.dat." + std::to_string(::getppid()) + "-1.tmp";
    for (const std::string& name : stale) res.WriteBytes(res.Saves(name), {1});
    res.WriteBytes(res.Saves(alive), {1});
    res.WriteBytes(res.Saves("notes.tmp"), {1});  // not the game's
    TestGame t(res.Dir());
    t.TickTo(3);
    for (const std::string& name : stale) EXPECT_FALSE(fs::exists(res.Saves(name))) << name;
    EXPECT_TRUE(fs::exists(res.Saves(alive)));
    EXPECT_TRUE(fs::exists(res.Saves("notes.tmp")));
}

// The start of each file as the game writes it, padded out to 100 MB without using the disk.
struct HugeCase {
    const char* file;
    std::vector<std::uint8_t> head;
};

std::vector<std::uint8_t> Record32(std::vector<std::pair<size_t, std::int32_t>> values,
                                   size_t size) {
    std::vector<std::uint8_t> bytes(size, 0);
    for (const auto& [at, v] : values) PutInt32(bytes, at, v);
    return bytes;
}

class HugeFileInSaves : public ::testing::TestWithParam<HugeCase> {};

TEST_P(HugeFileInSaves, IsDamagedAndNotReadWhole) {
    TempRes res;
    const std::string path = res.Saves(GetParam().file);
    res.WriteBytes(path, GetParam().head);
    fs::resize_file(path, 100u << 20);
    TestGame t(res.Dir());
    t.TickTo(3);
    Game& g = t.game;
    EXPECT_EQ(g.shell.MusicVolumeSetting, 100);
    EXPECT_EQ(g.own.HighscoreScore[1][1], 70000);
    ReadSlotNames(g);
    EXPECT_EQ(g.own.SlotName[1], "noname");
    LevelStartRequest slot;
    EXPECT_FALSE(ReadSavedGame(g, SlotFile(1), slot));
}

INSTANTIATE_TEST_SUITE_P(
    Files, HugeFileInSaves,
    ::testing::Values(HugeCase{"settings.dat", Record32({{4, 60}, {8, 20}, {12, 2}}, 16)},
                      HugeCase{"groar.dat", Record32({{24, 99999}}, 696)},
                      HugeCase{"names.dat", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   0,  0,
                                             0, 0, 0, 0, 0, 0, 0, 0, 2, 'a', 'b'}},
                      HugeCase{"ave1.dat", Record32({{4, 3}, {8, 1}, {12, 2}, {16, 500}}, 48)}));

TEST(ValuesFromFiles, AHugeVolumeOrLevelMarksTheFileDamaged) {
    MenuGame m;
    m.res.WriteBytes(m.res.Saves("settings.dat"),
                     Record32({{4, 100}, {8, 2147483647}, {12, 2}}, 16));
    m.Start();
    EXPECT_EQ(m.g().shell.SoundVolume, 80);
    EXPECT_EQ(m.g().shell.Language, 1);
    m.res.WriteBytes(m.res.Saves("ave1.dat"),
                     Record32({{4, 2147483647}, {8, 1}, {12, 1}, {16, 500}, {20, 0}}, 48));
    LevelStartRequest slot;
    EXPECT_FALSE(ReadSavedGame(m.g(), SlotFile(1), slot));
    EXPECT_EQ(slot.kind, LevelStartKind::kNone);
}

TEST(ValuesFromFiles, RoundingBeyondTheRangeOfIntGivesItsEnds) {
    EXPECT_EQ(RoundHalfEven(1e300), 2147483647);
    EXPECT_EQ(RoundHalfEven(-1e300), -2147483647 - 1);
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-3.5), -4);
}

struct MissingCase {
    const char* file;  // below res/
};

class MissingGameFile : public ::testing::TestWithParam<MissingCase> {};

TEST_P(MissingGameFile, EndsStartUpNamingItWithoutWritingAnything) {
    TempRes res;
    fs::remove(fs::path(res.Dir()) / GetParam().file);
    TestGame t(res.Dir());
    t.TickTo(3);
    EXPECT_TRUE(t.game.session.WindowClosed);
    EXPECT_EQ(t.game.session.ExitStatus, 1);
    ASSERT_EQ(t.platform.messages.size(), 1u);
    const std::string& message = t.platform.messages[0];
    EXPECT_NE(message.find(res.Dir() + "/" + GetParam().file), std::string::npos) << message;
    EXPECT_NE(message.find("reinstall"), std::string::npos) << message;
    EXPECT_TRUE(fs::is_empty(res.Saves("")));
}

INSTANTIATE_TEST_SUITE_P(Files, MissingGameFile,
                         ::testing::Values(MissingCase{"font1.txt"}, MissingCase{"font2.bmp"},
                                           MissingCase{"rad.bmp"}));

TEST(MissingGameFile, AFontLineWithoutItsEndIsDamaged) {
    TempRes res;
    fs::remove(fs::path(res.Dir()) / "font1.txt");
    res.WriteBytes(res.Dir() + "/font1.txt", {'A', 'B', 'C', '\n', '$'});
    TestGame t(res.Dir());
    t.TickTo(3);
    EXPECT_EQ(t.game.session.ExitStatus, 1);
}

}  // namespace
