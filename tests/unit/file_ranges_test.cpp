// The one reader of files and the ranges each format's values must lie in: one table a format,
// every value at both ends of its range and just beyond.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/value_ranges.h"
#include "menus/highscores.h"
#include "menus/record_file.h"
#include "menus/saved_games.h"
#include "menus/settings.h"
#include "menus_fixture.h"
#include "modes/level_file.h"
#include "platform/file_bytes.h"
#include "shell/disk_levels.h"

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- the reader

struct ReadCase {
    const char* name;
    std::function<std::string(const TempRes&)> make;  // returns the path to read
    size_t maxBytes;
    FileProblem problem;
    size_t kept;
};

class FileReader : public ::testing::TestWithParam<ReadCase> {};

TEST_P(FileReader, HandsBackBytesOrAReason) {
    TempRes res;
    const FileBytes got = ReadFileBytes(GetParam().make(res), GetParam().maxBytes);
    EXPECT_EQ(got.problem, GetParam().problem);
    EXPECT_EQ(got.bytes.size(), GetParam().kept);
}

std::string Written(const TempRes& res, size_t size) {
    const std::string path = res.Saves("f.dat");
    res.WriteBytes(path, std::vector<std::uint8_t>(size, 9));
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FileReader,
    ::testing::Values(ReadCase{"exact", [](const TempRes& r) { return Written(r, 16); }, 16,
                               FileProblem::kNone, 16},
                      ReadCase{"shorter", [](const TempRes& r) { return Written(r, 3); }, 16,
                               FileProblem::kNone, 3},
                      ReadCase{"empty", [](const TempRes& r) { return Written(r, 0); }, 16,
                               FileProblem::kNone, 0},
                      ReadCase{"one byte more", [](const TempRes& r) { return Written(r, 17); }, 16,
                               FileProblem::kTooLong, 16},
                      ReadCase{"missing", [](const TempRes& r) { return r.Saves("none.dat"); }, 16,
                               FileProblem::kMissing, 0},
                      ReadCase{"below a file",
                               [](const TempRes& r) { return Written(r, 4) + "/x"; }, 16,
                               FileProblem::kMissing, 0},
                      ReadCase{"folder", [](const TempRes& r) { return r.Saves(""); }, 16,
                               FileProblem::kNotAFile, 0},
                      ReadCase{"device", [](const TempRes&) { return std::string("/dev/zero"); },
                               16, FileProblem::kNotAFile, 0},
                      ReadCase{"fifo",
                               [](const TempRes& r) {
                                   ::mkfifo(r.Saves("p").c_str(), 0600);
                                   return r.Saves("p");
                               },
                               16, FileProblem::kNotAFile, 0},
                      ReadCase{"link to a file",
                               [](const TempRes& r) {
                                   fs::create_symlink(Written(r, 5), r.Saves("l"));
                                   return r.Saves("l");
                               },
                               16, FileProblem::kNone, 5}));

TEST(FileReader, WritesReplaceTheTargetAndLeaveNoTemporary) {
    TempRes res;
    const std::string path = res.Saves("sub/x.dat");
    ASSERT_TRUE(WriteFileAtomically(path, {1, 2, 3}));
    ASSERT_TRUE(WriteFileAtomically(path, {4, 5}));
    EXPECT_EQ(res.ReadBytes(path), (std::vector<std::uint8_t>{4, 5}));
    int files = 0;
    for (const auto& entry : fs::directory_iterator(res.Saves("sub"))) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
    // A folder where the file belongs: the write fails and nothing is left behind.
    fs::create_directories(res.Saves("sub/dir.dat"));
    EXPECT_FALSE(WriteFileAtomically(res.Saves("sub/dir.dat"), {1}));
    EXPECT_TRUE(fs::is_directory(res.Saves("sub/dir.dat")));
}

// ---------------------------------------------------------------- settings.dat

struct ValueCase {
    size_t offset;
    std::int64_t value;
    bool accepted;
};

std::vector<std::uint8_t> With(std::vector<std::uint8_t> bytes, const ValueCase& c) {
    PutInt32(bytes, c.offset, static_cast<std::int32_t>(c.value));
    return bytes;
}

class SettingsRange : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SettingsRange, OutOfRangeKeepsEveryDefault) {
    TempRes res;
    std::vector<std::uint8_t> good(16, 0);
    PutInt32(good, 4, 60);
    PutInt32(good, 8, 20);
    PutInt32(good, 12, 2);
    const auto bytes = With(good, GetParam());
    res.WriteBytes(res.Saves("settings.dat"), bytes);
    TestGame t(res.Dir());
    ReadSettings(t.game, kSettingsFile);
    const ShellState& s = t.game.shell;
    if (GetParam().accepted) {
        EXPECT_EQ(s.MusicVolumeSetting, GetInt32(bytes, 4));
        EXPECT_EQ(s.SoundVolume, GetInt32(bytes, 8));
        EXPECT_EQ(s.Language, GetInt32(bytes, 12));
    } else {
        EXPECT_EQ(s.MusicVolumeSetting, 100);
        EXPECT_EQ(s.SoundVolume, 80);
        EXPECT_EQ(s.Language, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsRange,
                         ::testing::Values(ValueCase{4, 0, true}, ValueCase{4, 100, true},
                                           ValueCase{4, 70, true}, ValueCase{4, -1, false},
                                           ValueCase{4, 101, false}, ValueCase{8, 0, true},
                                           ValueCase{8, 100, true}, ValueCase{8, -20, false},
                                           ValueCase{8, INT_MAX, false}, ValueCase{12, 1, true},
                                           ValueCase{12, 2, true}, ValueCase{12, 5, true},
                                           ValueCase{12, 7, true},
                                           ValueCase{0, 12345, true}));  // record 0 is a gap

// A language the game does not know is read as English; the volumes stay as the file says.
class SettingsLanguage : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(SettingsLanguage, UnknownIsEnglish) {
    TempRes res;
    res.WriteSettingsFile(60, 20, GetParam());
    TestGame t(res.Dir());
    EXPECT_TRUE(ReadSettings(t.game, kSettingsFile));
    EXPECT_EQ(t.game.shell.Language, 2);
    EXPECT_EQ(t.game.shell.MusicVolumeSetting, 60);
    EXPECT_EQ(t.game.shell.SoundVolume, 20);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsLanguage,
                         ::testing::Values(0, kLanguages + 1, -1, INT_MAX, INT_MIN));

// ---------------------------------------------------------------- groar.dat

class HighscoreRange : public ::testing::TestWithParam<ValueCase> {};

TEST_P(HighscoreRange, OutOfRangeKeepsTheDefaultTables) {
    TempRes res;
    TestGame t(res.Dir());
    ResetHighscores(t.game);
    auto bytes = HighscoreFileBytes(t.game);
    PutInt32(bytes, 24 * 9, 123);  // table 2, place 2
    const ValueCase& c = GetParam();
    // Offsets below 696 are scores; 1000 + k is the name length of record k.
    if (c.offset < 1000)
        PutInt32(bytes, c.offset, static_cast<std::int32_t>(c.value));
    else
        bytes[(c.offset - 1000) * 24 + 4] = static_cast<std::uint8_t>(c.value);
    res.WriteBytes(res.Saves("groar.dat"), bytes);
    ResetHighscores(t.game);
    EXPECT_EQ(ReadHighscores(t.game, kHighscoreFile), c.accepted);
    EXPECT_EQ(t.game.own.HighscoreScore[2][2], c.accepted ? 123 : 60000);
}

INSTANTIATE_TEST_SUITE_P(
    Values, HighscoreRange,
    ::testing::Values(ValueCase{24, 0, true}, ValueCase{24 * 14, 999999999, true},
                      ValueCase{24 * 28, -1, false}, ValueCase{24, 1000000000, false},
                      ValueCase{24 * 7, INT_MIN, false}, ValueCase{1001, 0, true},
                      ValueCase{1015, 16, true}, ValueCase{1028, 17, false},
                      ValueCase{1001, 255, false}, ValueCase{0, -7, true}));

// ---------------------------------------------------------------- names.dat

struct SlotCase {
    std::int32_t level;
    std::int32_t mode;
    std::uint8_t nameLength;
    bool accepted;
};

class SlotListRange : public ::testing::TestWithParam<SlotCase> {};

TEST_P(SlotListRange, OutOfRangeReadsAsTheResetList) {
    TempRes res;
    TestGame t(res.Dir());
    t.game.own.SlotName[1] = "first";
    t.game.own.SlotLevel[1] = 3;
    t.game.own.SlotMode[1] = 2;
    auto bytes = SlotNamesBytes(t.game, false);
    const SlotCase& c = GetParam();
    bytes[20 * 5] = c.nameLength;
    PutInt32(bytes, 20 * 5 + 12, c.level);
    PutInt32(bytes, 20 * 5 + 16, c.mode);
    EXPECT_EQ(SlotNamesValid(bytes), c.accepted);
    res.WriteBytes(res.Saves("names.dat"), bytes);
    ReadSlotNames(t.game);
    EXPECT_EQ(t.game.own.SlotName[1], c.accepted ? "first" : "noname");
    EXPECT_EQ(t.game.own.SlotLevel[5], c.accepted ? c.level : 0);
}

INSTANTIATE_TEST_SUITE_P(Values, SlotListRange,
                         ::testing::Values(SlotCase{0, 0, 0, true}, SlotCase{1, 1, 10, true},
                                           SlotCase{1000000, 1, 3, true},
                                           SlotCase{1000001, 1, 3, false}, SlotCase{50, 2, 3, true},
                                           SlotCase{99, 2, 3, true}, SlotCase{100, 2, 3, false},
                                           SlotCase{0, 2, 3, false}, SlotCase{26, 3, 3, true},
                                           SlotCase{27, 3, 3, false}, SlotCase{50, 4, 3, true},
                                           SlotCase{51, 4, 3, false}, SlotCase{1, 5, 3, false},
                                           SlotCase{1, 0, 3, false}, SlotCase{-1, 1, 3, false},
                                           SlotCase{1, 1, 11, false}, SlotCase{1, 1, 255, false}));

// ---------------------------------------------------------------- ave<n>.dat

class SavedGameRange : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SavedGameRange, OutOfRangeIsNotLoaded) {
    TempRes res;
    TestGame t(res.Dir());
    Game& g = t.game;
    g.play.LevelNumber = 12;
    g.play.LapNumber = 1;
    g.play.GameMode = kModePuzzle;
    g.level.LevelStartTime = 500;
    g.players[kSoloPlayer].LevelStartScore = 1234;
    const auto bytes = With(SavedGameBytes(g), GetParam());
    res.WriteBytes(res.Saves("ave2.dat"), bytes);
    LevelStartRequest slot;
    EXPECT_EQ(ReadSavedGame(g, SlotFile(2), slot), GetParam().accepted);
    EXPECT_EQ(slot.level, GetParam().accepted ? GetInt32(bytes, 4) : 0);
    if (!GetParam().accepted) return;
    EXPECT_EQ(slot.matchScore[1], GetInt32(bytes, 28));
    EXPECT_EQ(slot.levelsWon[1], GetInt32(bytes, 32));
    EXPECT_EQ(slot.matchScore[2], GetInt32(bytes, 40));
    EXPECT_EQ(slot.levelsWon[2], GetInt32(bytes, 44));
}

INSTANTIATE_TEST_SUITE_P(
    Values, SavedGameRange,
    ::testing::Values(
        // level, within the mode's levels (Puzzle here)
        ValueCase{4, 1, true}, ValueCase{4, 50, true}, ValueCase{4, 0, false},
        ValueCase{4, 51, false}, ValueCase{4, INT_MAX, false},
        // lap, mode, time, score
        ValueCase{8, 1000, true}, ValueCase{8, 0, false}, ValueCase{8, 1001, false},
        ValueCase{12, 1, true}, ValueCase{12, 3, true}, ValueCase{12, 4, true},
        ValueCase{12, 0, false}, ValueCase{12, 5, false}, ValueCase{16, 0, true},
        ValueCase{16, 1000, true}, ValueCase{16, -1, false}, ValueCase{16, 1001, false},
        ValueCase{20, 999999999, true}, ValueCase{20, -1, false}, ValueCase{20, 1000000000, false},
        // the match players' start scores and levels won
        ValueCase{28, 999999999, true}, ValueCase{28, -5, false}, ValueCase{32, 50000, true},
        ValueCase{32, 50001, false}, ValueCase{40, 1000000000, false}, ValueCase{44, 7, true},
        ValueCase{44, -1, false},
        // reserved records and the gap are ignored
        ValueCase{24, -99, true}, ValueCase{36, INT_MAX, true}, ValueCase{0, 1, true}));

TEST(SavedGameRange, TheLevelMustBeOneOfTheModes) {
    std::vector<std::uint8_t> bytes(48, 0);
    // A Puzzle slot may be a level pack's game, whose levels run to 99.
    const std::pair<int, int> good[] = {{1, 1000000}, {2, 99}, {3, 26}, {4, 50}};
    const std::pair<int, int> bad[] = {{1, 1000001}, {2, 100}, {3, 27}, {4, 51}};
    PutInt32(bytes, 8, 1);
    for (auto [mode, level] : good) {
        PutInt32(bytes, 4, level);
        PutInt32(bytes, 12, mode);
        EXPECT_TRUE(SavedGameValid(bytes)) << mode << " " << level;
    }
    for (auto [mode, level] : bad) {
        PutInt32(bytes, 4, level);
        PutInt32(bytes, 12, mode);
        EXPECT_FALSE(SavedGameValid(bytes)) << mode << " " << level;
    }
}

// ---------------------------------------------------------------- level files

struct LevelCase {
    int mode;
    int record;
    int cell;
    int extra;
    bool accepted;
};

class LevelCodesRange : public ::testing::TestWithParam<LevelCase> {};

TEST_P(LevelCodesRange, OnlyFieldCellsAreChecked) {
    LevelRecords records;
    ASSERT_TRUE(LoadLevelRecords(DiskLevels(),
                                 std::string(RHOMBULUS_RES_DIR) + "/Levelz/lvl001.lvl", records));
    for (int k = kFirstFieldCell; k <= kLastFieldCell; ++k) {
        records[k].cell = std::min(records[k].cell, 7);  // codes every mode knows
        records[k].extra = std::min(records[k].extra, 7);
    }
    const LevelCase& c = GetParam();
    records[c.record].cell = c.cell;
    records[c.record].extra = c.extra;
    EXPECT_EQ(LevelRecordsValid(records, c.mode), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Values, LevelCodesRange,
    ::testing::Values(
        LevelCase{kModePuzzle, 10, 9, 7, true}, LevelCase{kModePuzzle, 200, 10, 0, false},
        LevelCase{kModePuzzle, 50, INT_MIN, -5, true}, LevelCase{kModePuzzle, 50, 3, 8, false},
        LevelCase{kModePuzzle, 9, 99, 99, true}, LevelCase{kModePuzzle, 201, 99, 99, true},
        LevelCase{kModePipe, 100, 8, 7, true}, LevelCase{kModePipe, 100, 9, 0, false},
        LevelCase{kModePipe, 100, 0, 8, false}, LevelCase{kModeMatch, 100, 9, 7, true},
        LevelCase{kModeMatch, 100, 10, 7, false}, LevelCase{kModeEndless, 100, 0, 0, false}));

TEST(LevelFiles, ALongerFileIsReadUpToItsLastRecordAndAShorterOneNotAtAll) {
    TempRes res;
    std::vector<std::uint8_t> bytes(kLevelFileBytes + 4096, 0);
    PutInt32(bytes, 8 * 220, 5);
    res.WriteBytes(res.Saves("long.lvl"), bytes);
    LevelRecords records;
    ASSERT_TRUE(LoadLevelRecords(DiskLevels(), res.Saves("long.lvl"), records));
    EXPECT_EQ(records[220].cell, 5);
    bytes.resize(kLevelFileBytes - 1);
    res.WriteBytes(res.Saves("short.lvl"), bytes);
    EXPECT_FALSE(LoadLevelRecords(DiskLevels(), res.Saves("short.lvl"), records));
    EXPECT_FALSE(LoadLevelRecords(DiskLevels(), res.Saves(""), records));
}

}  // namespace
