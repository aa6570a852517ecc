// The mode facts against the rest of the game: every mode has its facts and its rules, and the
// last level of each mode is the last level file the game ships.
#include "core/mode_facts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>

#include "core/value_ranges.h"
#include "modes/level_file.h"
#include "modes/mode_table.h"
#include "shell/disk_levels.h"

namespace {

// The built res/ folder's file for a game path ("res\Levelz\lvl001.lvl").
std::string BuiltFile(std::string gamePath) {
    std::replace(gamePath.begin(), gamePath.end(), '\\', '/');
    return std::string(RHOMBULUS_RES_DIR) + gamePath.substr(gamePath.find('/'));
}

}  // namespace

TEST(ModeFacts, EveryModeNumberHasItsFactsAndItsRules) {
    for (int mode = static_cast<int>(kModeRange.low); mode <= kModeRange.high; ++mode) {
        const ModeFacts* facts = FindModeFacts(mode);
        ASSERT_NE(facts, nullptr) << mode;
        const ModeRow* row = FindModeRow(mode);
        ASSERT_NE(row, nullptr) << mode;
        EXPECT_EQ(row->facts, facts) << mode;
        EXPECT_TRUE(facts->players == 1 || facts->players == 2) << mode;
    }
    for (int mode : {0, 5, 888}) {
        EXPECT_EQ(FindModeFacts(mode), nullptr) << mode;
        EXPECT_EQ(FindModeRow(mode), nullptr) << mode;
        EXPECT_EQ(&FactsOfMode(mode), FindModeFacts(kModePuzzle)) << mode;
    }
}

class ModeLevelFiles : public ::testing::TestWithParam<int> {};

TEST_P(ModeLevelFiles, LastLevelIsTheLastFileShippedAndEveryFileFitsTheMode) {
    const ModeFacts& facts = FactsOfMode(GetParam());
    ASSERT_TRUE(HasLevelFiles(facts));
    ASSERT_GT(facts.lastLevel, 0);
    for (int level = 1; level <= facts.lastLevel; ++level) {
        LevelRecords records;
        const std::string file = BuiltFile(LevelFilePath(facts, level));
        ASSERT_TRUE(LoadLevelRecords(DiskLevels(), file, records)) << file;
        EXPECT_TRUE(LevelRecordsValid(records, facts.mode)) << file;
    }
    const std::string after = BuiltFile(LevelFilePath(facts, facts.lastLevel + 1));
    EXPECT_FALSE(std::filesystem::exists(after)) << after;
    EXPECT_EQ(LevelRangeOf(facts.mode).high, facts.lastLevel);
}

INSTANTIATE_TEST_SUITE_P(Modes, ModeLevelFiles,
                         ::testing::Values(kModePuzzle, kModePipe, kModeMatch));

TEST(ModeFacts, EndlessSetsRunToTheGeneratorsBound) {
    const ModeFacts& endless = FactsOfMode(kModeEndless);
    EXPECT_FALSE(HasLevelFiles(endless));
    EXPECT_EQ(endless.lastLevel, 0);
    EXPECT_EQ(LevelRangeOf(kModeEndless).high, kLastEndlessSet);
    // A mode number past 32 bits must not wrap round onto a mode.
    EXPECT_FALSE(LevelRangeOf((std::int64_t{1} << 32) + kModePuzzle).Holds(1));
    // 7 x the last set (the generator's odds) and the score plus a level's bonus stay in an int.
    EXPECT_LT(7 * LevelRangeOf(kModeEndless).high + 11, INT_MAX / 100);
    EXPECT_LT(kScoreRange.high + 1000000, INT_MAX);
}
