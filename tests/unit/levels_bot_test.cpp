// The level bot plays through the game's own rules: crafted fields with a known answer, and a
// handful of the shipped levels; and the runner its table commands share.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <tuple>

#include "bot.h"
#include "computer_match.h"
#include "match_bot.h"
#include "parallel.h"
#include "playfield/level_text.h"

using namespace levels;

namespace {

// A res/ folder holding crafted puzzle levels, removed again at the end.
class CraftedLevels {
  public:
    CraftedLevels() {
        dir_ = std::filesystem::temp_directory_path() /
               ("rhombulus-bot-" + std::to_string(getpid()) + "-" + std::to_string(++count_));
        std::filesystem::create_directories(dir_ / "Levelz");
    }
    ~CraftedLevels() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    // Stones as (row, column, colour 1..8).
    void Write(int number, const std::vector<std::array<int, 3>>& stones,
               const Lattice& lattice = kPuzzleLattice) {
        Records r{};
        WriteCeiling(r, lattice);
        for (auto [row, column, colour] : stones) r[CellIndex(row, column)].cell = colour - 1;
        std::ofstream out(dir_ / "Levelz" / LevelFileName(number, lattice), std::ios::binary);
        out << EncodeFile(r);
    }
    std::string Dir() const { return dir_.string(); }

  private:
    static inline int count_ = 0;
    std::filesystem::path dir_;
};

}  // namespace

TEST(LevelBot, ClearsAFieldThatOneShotClears) {
    // A diagonal pair of one colour: the cannon can only load that colour, and one stone
    // landing beside the pair makes a group of three.
    CraftedLevels res;
    res.Write(1, {{1, 4, 3}, {2, 5, 3}});
    LevelRun run = PlayPuzzleLevel(res.Dir(), 1, 500, BotOptions{});
    EXPECT_TRUE(run.cleared);
    EXPECT_EQ(run.shots, 1);
    EXPECT_EQ(run.tipHits, 0);
    EXPECT_EQ(run.scoreGained, 150);
    EXPECT_GT(run.timeLeft, run.timeStart);  // 36 won, a few drained
}

TEST(LevelBot, AvoidsTheTipOfAHangingStone) {
    // A stone hanging tip to tip under another: a shot straight under it bursts, so the bot
    // lands beside each of them, twice.
    CraftedLevels res;
    res.Write(1, {{1, 4, 2}, {3, 4, 2}});
    LevelRun run = PlayPuzzleLevel(res.Dir(), 1, 500, BotOptions{});
    EXPECT_TRUE(run.cleared);
    EXPECT_EQ(run.tipHits, 0);
    EXPECT_EQ(run.shots, 4);
}

TEST(LevelBot, CampaignCarriesTimeAndScoreFromLevelToLevel) {
    CraftedLevels res;
    res.Write(1, {{1, 4, 3}, {2, 5, 3}});
    res.Write(2, {{1, 2, 1}, {2, 3, 1}, {1, 6, 2}, {2, 7, 2}});
    CampaignRun c = PlayPuzzleCampaign(res.Dir(), 2, BotOptions{});
    ASSERT_EQ(c.levels.size(), 2u);
    EXPECT_TRUE(c.reachedLast);
    EXPECT_EQ(c.levels[0].timeStart, 500);
    // No time drains while the level-end messages run; the time bonus goes to the score.
    EXPECT_EQ(c.levels[1].timeStart, c.levels[0].timeLeft);
    const int bonus = c.levels[0].timeLeft / 10 * 10;
    EXPECT_EQ(c.finalScore, c.levels[0].scoreGained + bonus + c.levels[1].scoreGained);
    EXPECT_EQ(c.finalTime, c.levels[1].timeLeft);
}

class ShippedLevel : public ::testing::TestWithParam<int> {};

TEST_P(ShippedLevel, IsClearedFromANewGamesTime) {
    BotOptions o;
    o.seed = 1;
    LevelRun run = PlayPuzzleLevel(RHOMBULUS_RES_DIR, GetParam(), 500, o);
    EXPECT_TRUE(run.cleared) << "level " << GetParam() << ": " << run.shots << " shots, time "
                             << run.timeLeft;
}

// Quick ones from each part of the set: two colours, a chain, anchors, an extra.
INSTANTIATE_TEST_SUITE_P(Handful, ShippedLevel, ::testing::Values(1, 5, 10, 13, 20));

// The match bot, on either half, against a player who does nothing.
class MatchBotSide : public ::testing::TestWithParam<int> {};

TEST_P(MatchBotSide, ClearsAFieldThatOneShotClearsWithItsOwnControls) {
    // A pair of one colour under the ceiling: the one shot that clears it lands between them,
    // in the middle column (player 1 walks its cannon there with the keys).
    CraftedLevels res;
    res.Write(1, {{2, 3, 2}, {2, 4, 2}}, kMatchLattice);
    const MatchLevelRun run = PlayMatchLevel(res.Dir(), 1, GetParam(), MatchBotOptions{});
    EXPECT_TRUE(run.cleared);
    EXPECT_EQ(run.shots, 1);
    EXPECT_EQ(run.scoreGained, 150);
    EXPECT_LT(run.ticks, 100);
}

TEST_P(MatchBotSide, ClearsTwoColoursInTurn) {
    CraftedLevels res;
    res.Write(1, {{1, 1, 1}, {2, 2, 1}, {1, 6, 3}, {2, 7, 3}, {2, 6, 3}}, kMatchLattice);
    const MatchLevelRun run = PlayMatchLevel(res.Dir(), 1, GetParam(), MatchBotOptions{});
    EXPECT_TRUE(run.cleared);
    EXPECT_LE(run.shots, 4);
}

INSTANTIATE_TEST_SUITE_P(Players, MatchBotSide, ::testing::Values(1, 2));

using ShippedMatchCase = std::tuple<int, int>;  // level, player
class ShippedMatchLevel : public ::testing::TestWithParam<ShippedMatchCase> {};

TEST_P(ShippedMatchLevel, IsClearedWithinTheLevelsTime) {
    const auto [level, player] = GetParam();
    const MatchLevelRun run = PlayMatchLevel(RHOMBULUS_RES_DIR, level, player, MatchBotOptions{});
    EXPECT_TRUE(run.cleared) << "level " << level << " player " << player << ": " << run.shots
                             << " shots, " << run.ticks << " ticks";
}

// Quick ones: the first level and two entry points, one for each hand.
INSTANTIATE_TEST_SUITE_P(Handful, ShippedMatchLevel,
                         ::testing::Values(ShippedMatchCase{1, 1}, ShippedMatchCase{8, 2},
                                           ShippedMatchCase{15, 1}));

struct ModelPaceCase {
    int model;
    double fastest, slowest;  // seconds between its shots
};

void PrintTo(const ModelPaceCase& c, std::ostream* os) {
    *os << PlayerModelOf(c.model).name;
}

class PersonModel : public ::testing::TestWithParam<ModelPaceCase> {};

// The models of people keep the pace of the people they stand for (a beginner shoots about every
// 2-3 s, an average player every 1.5 s, a strong one every 0.8 s), playing the left field with
// the mouse against the computer; only the beginner's hand misses a column now and then, and a
// level played again on the same seed is the same level.
TEST_P(PersonModel, ShootsAtThePaceOfThePersonItStandsFor) {
    const ModelPaceCase& c = GetParam();
    long shots = 0, intervals = 0, ticks = 0, missed = 0;
    for (int level : {3, 9, 16, 24}) {
        const ComputerLevelRun r = PlayModelLevel(RHOMBULUS_RES_DIR, level, c.model, 2, 1);
        const ComputerLevelRun again = PlayModelLevel(RHOMBULUS_RES_DIR, level, c.model, 2, 1);
        EXPECT_EQ(again.ticks, r.ticks);
        EXPECT_EQ(again.winner, r.winner);
        EXPECT_EQ(again.shots[1], r.shots[1]);
        shots += r.shots[1];
        missed += r.missed[1];
        if (r.shots[1] > 1) intervals += r.shots[1] - 1, ticks += r.shotTicks[1];
    }
    ASSERT_GT(intervals, 10);
    const double seconds = 0.015 * static_cast<double>(ticks) / static_cast<double>(intervals);
    EXPECT_GE(seconds, c.fastest);
    EXPECT_LE(seconds, c.slowest);
    if (c.model == 1) {
        EXPECT_GT(missed, 0);
    }
    EXPECT_LT(missed * 5, shots);
}

INSTANTIATE_TEST_SUITE_P(Models, PersonModel,
                         ::testing::Values(ModelPaceCase{1, 2.0, 3.0}, ModelPaceCase{2, 1.2, 1.8},
                                           ModelPaceCase{3, 0.6, 1.0}));

// The table commands play their levels on several threads: what they write must not depend on
// how many, nor on which job finished first.
TEST(RunParallel, GivesEachJobsResultInJobOrderOnAnyNumberOfThreads) {
    for (int threads : {1, 2, 5}) {
        std::atomic<int> calls{0};
        const std::vector<int> squares = RunParallel(threads, 40, [&](int job) {
            ++calls;
            // Late jobs finish first.
            std::this_thread::sleep_for(std::chrono::microseconds(40 - job));
            return job * job;
        });
        ASSERT_EQ(squares.size(), 40u) << threads << " threads";
        for (int job = 0; job < 40; ++job) EXPECT_EQ(squares[job], job * job);
        EXPECT_EQ(calls, 40) << threads << " threads";
    }
}

TEST(RunParallel, AJobThatFailsEndsTheRunWithItsError) {
    EXPECT_THROW(RunParallel(2, 10,
                             [](int job) {
                                 if (job == 3) throw std::runtime_error("level 4 missing");
                                 return job;
                             }),
                 std::runtime_error);
}
