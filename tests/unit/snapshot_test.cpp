// The snapshot of a suspended game: taken whole and given back exactly, or refused whole.
#include "shell/snapshot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include "crafted_level.h"
#include "modes/level_start.h"
#include "modes/match.h"
#include "test_support.h"

namespace {

// A Puzzle level under way: a few steps played with a shot in the air and a floating text.
void PlaySomething(Game& g) {
    g.shell.FrameCounter = 3;
    g.rng.Seed(42);
    ASSERT_TRUE(StartLevel(g, g.env, 3, kModePuzzle, 1, 0));
    g.input.MouseX = 300;
    for (int i = 0; i < 40; ++i) SimulateTick(g);
    g.input.MouseButtonDown = 1;
    for (int i = 0; i < 5; ++i) SimulateTick(g);
    AddFloatingText(g, 100, 200, "250");
    g.players[kSoloPlayer].Score = 1234;
}

// `to` takes `from`'s snapshot, and the window's own parts: the clock, the screen and the input
// are the window's, not the snapshot's.
bool TakeSnapshot(Game& from, Game& to) {
    const auto bytes = SnapshotBytes(from);
    std::string why;
    const bool taken = RestoreSnapshotBytes(to, bytes, why);
    EXPECT_TRUE(taken) << why;
    EXPECT_EQ(SnapshotBytes(to), bytes);
    to.shell.FrameCounter = from.shell.FrameCounter;
    to.shell.ScreenId = from.shell.ScreenId;
    to.input = from.input;
    to.buttons = from.buttons;
    return taken;
}

// Both go on alike: the same random numbers, the same stones.
void PlayOnAlike(Game& a, Game& b, int ticks) {
    for (int i = 0; i < ticks; ++i) {
        SimulateTick(a);
        SimulateTick(b);
    }
    EXPECT_EQ(SnapshotBytes(b), SnapshotBytes(a));
}

TEST(Snapshot, GivesBackTheSameGame) {
    TestGame a, b;
    PlaySomething(a.game);
    ASSERT_TRUE(TakeSnapshot(a.game, b.game));
    EXPECT_EQ(b.game.players[kSoloPlayer].Score, 1234);
    EXPECT_EQ(b.game.floatingTexts.TextString[a.game.floatingTexts.TextCursor], "250");
    PlayOnAlike(a.game, b.game, 100);
}

// A Pipe level with a piece in the air and the water let loose: the pipe values travel too.
TEST(Snapshot, CarriesThePipeGame) {
    TestGame a, b;
    Game& g = a.game;
    g.shell.FrameCounter = 3;
    ASSERT_TRUE(StartLevel(g, g.env, 2, kModePipe, 1, 0));
    g.input.MouseX = 40;
    g.input.MouseY = 127;
    g.input.MouseButtonDown = 1;
    SimulateTick(g);
    g.input.MouseX = 300;
    SimulateTick(g);
    g.players[kSoloPlayer].TimeLeft = 0;
    for (int i = 0; i < 9; ++i) SimulateTick(g);
    ASSERT_EQ(g.pipe.WaterRunning, 1);
    ASSERT_TRUE(TakeSnapshot(g, b.game));
    EXPECT_EQ(b.game.pipe.PipeStock, g.pipe.PipeStock);
    EXPECT_EQ(
        std::make_tuple(b.game.pipe.WaterHead, b.game.pipe.TapSoundsLeft, b.game.pipe.SourceX,
                        b.game.pipe.DrainY),
        std::make_tuple(g.pipe.WaterHead, g.pipe.TapSoundsLeft, g.pipe.SourceX, g.pipe.DrainY));
    PlayOnAlike(g, b.game, 300);
}

// A match under way: both players have fired, one of them a group; a player has won a level.
TEST(Snapshot, GivesBackAMatchThatGoesOnAlike) {
    CraftedRes res;
    res.Write(
        "lvl0004two.lvl",
        {{LatticeCell(2, 4), {0, 0}}, {LatticeCell(2, 5), {0, 6}}, {LatticeCell(3, 2), {1, 0}}});
    TestGame a(res.Dir()), b(res.Dir());
    Game& g = a.game;
    g.shell.FrameCounter = 3;
    g.rng.Seed(7);
    ASSERT_TRUE(StartMatchLevel(g, g.env, 4, 1, false, true));
    g.match.LevelsWon = {0, 1, 0};
    g.input.MouseX = 620;
    for (int i = 0; i < 10; ++i) SimulateTick(g);
    g.input.MouseButtonDown2 = 1;
    a.game.keys.Event(kButtonSpace, kFromKeyboard, true);
    for (int i = 0; i < 30; ++i) SimulateTick(g);
    a.game.keys.Event(kButtonSpace, kFromKeyboard, false);
    ASSERT_TRUE(TakeSnapshot(g, b.game));
    EXPECT_EQ(b.game.match.LevelsWon[1], 1);
    EXPECT_EQ(b.game.players[2].cannon.CannonTargetX, 620);
    EXPECT_EQ(b.game.players[1].Score, g.players[1].Score);
    EXPECT_EQ(b.game.players[2].Score, g.players[2].Score);
    PlayOnAlike(g, b.game, 200);
    EXPECT_GT(g.players[1].Score + g.players[2].Score, 0);
}

struct Damage {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> apply;
};

void PrintTo(const Damage& d, std::ostream* os) {
    *os << d.name;
}

class DamagedSnapshot : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedSnapshot, IsRefusedWholeAndLeavesTheGameAlone) {
    TestGame a, b;
    PlaySomething(a.game);
    auto bytes = SnapshotBytes(a.game);
    GetParam().apply(bytes);
    b.game.players[kSoloPlayer].Score = 77;
    const auto before = SnapshotBytes(b.game);
    std::string why;
    EXPECT_FALSE(RestoreSnapshotBytes(b.game, bytes, why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(SnapshotBytes(b.game), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedSnapshot,
    ::testing::Values(Damage{"Empty", [](auto& b) { b.clear(); }},
                      Damage{"HeaderOnly", [](auto& b) { b.resize(20); }},
                      Damage{"CutShort", [](auto& b) { b.resize(b.size() - 1); }},
                      Damage{"OneByteMore", [](auto& b) { b.push_back(0); }},
                      Damage{"FlippedByte", [](auto& b) { b[b.size() / 2] ^= 0x10; }},
                      Damage{"OtherVersion",
                             [](auto& b) { b[8] = static_cast<std::uint8_t>(b[8] + 1); }},
                      Damage{"OtherFile", [](auto& b) { b[0] = 'X'; }},
                      // A header that agrees with a payload too short for the game's state.
                      Damage{"ShortPayloadWithFittingHeader",
                             [](auto& b) {
                                 b.resize(100);
                                 const std::uint32_t n = 80;
                                 std::uint32_t h = 2166136261u;
                                 for (size_t i = 20; i < b.size(); ++i) h = (h ^ b[i]) * 16777619u;
                                 for (int i = 0; i < 4; ++i) {
                                     b[12 + i] = static_cast<std::uint8_t>(n >> (8 * i));
                                     b[16 + i] = static_cast<std::uint8_t>(h >> (8 * i));
                                 }
                             }}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

// A value the game itself never produces, written with a checksum that fits: refused all the same.
struct Impossible {
    const char* name;
    std::function<void(Game&)> apply;
};

void PrintTo(const Impossible& d, std::ostream* os) {
    *os << d.name;
}

class ImpossibleSnapshot : public ::testing::TestWithParam<Impossible> {};

TEST_P(ImpossibleSnapshot, IsRefusedWholeAndLeavesTheGameAlone) {
    TestGame a, b;
    PlaySomething(a.game);
    GetParam().apply(a.game);
    const auto bytes = SnapshotBytes(a.game);
    const auto before = SnapshotBytes(b.game);
    std::string why;
    EXPECT_FALSE(RestoreSnapshotBytes(b.game, bytes, why));
    EXPECT_EQ(SnapshotBytes(b.game), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImpossibleSnapshot,
    ::testing::Values(
        Impossible{"StoneCountBeyondTheTable", [](Game& g) { g.stones.StoneCount = 2001; }},
        Impossible{"StoneColourBeyondTheAnchor", [](Game& g) { g.stones.StoneColour[7] = 11; }},
        Impossible{"EffectAboveTheHighestInUse",
                   [](Game& g) {
                       g.effects.EffectKind[14000] = 1;
                       g.effects.EffectsInUse = 10;
                   }},
        Impossible{"EffectSpeedNotANumber",
                   [](Game& g) {
                       g.effects.EffectKind[1] = 2;
                       g.effects.EffectsInUse = std::max(g.effects.EffectsInUse, 1);
                       g.effects.EffectVy[1] = std::nan("");
                   }},
        Impossible{
            "CannonHoldsNoSuchExtra",
            [](Game& g) { g.players[kSoloPlayer].cannon.LoadedStone = kLoadedExtraBase + 51; }},
        Impossible{"ModeWithoutLevels", [](Game& g) { g.play.GameMode = 9; }},
        Impossible{"PuzzleLevelBeyondTheLast", [](Game& g) { g.play.LevelNumber = 51; }},
        Impossible{"ScoreNearTheTopOf32Bits",
                   [](Game& g) { g.players[kSoloPlayer].Score = 2147483000; }},
        Impossible{"TextCursorBeyondTheTable", [](Game& g) { g.floatingTexts.TextCursor = 101; }},
        Impossible{"WaterHeadBeyondTheStones", [](Game& g) { g.pipe.WaterHead = 2001; }},
        Impossible{"BarrelFullerThanFull", [](Game& g) { g.pipe.DrainWater = kBarrelFull + 1; }},
        Impossible{"NegativePieceStock", [](Game& g) { g.pipe.PipeStock[3] = -1; }},
        Impossible{"MatchCannonHoldsNoSuchStone",
                   [](Game& g) { g.players[2].cannon.LoadedStone = 2001; }},
        Impossible{"MatchBarBeyondFull", [](Game& g) { g.players[1].TimeLeft = 1001; }},
        Impossible{"ComputerOfNoStrength", [](Game& g) { g.computer.Strength[2] = 4; }}),
    [](const ::testing::TestParamInfo<Impossible>& info) { return std::string(info.param.name); });

// Whatever a game looks like when the window closes, its snapshot is taken back.
TEST(Snapshot, EverySnapshotOfRandomPlayIsTakenBack) {
    for (const int mode : {kModeEndless, kModePuzzle, kModePipe, kModeMatch}) {
        TestGame a;
        Game& g = a.game;
        g.shell.FrameCounter = 3;
        g.rng.Seed(7);
        if (mode == kModeMatch) {
            ASSERT_TRUE(StartMatchLevel(g, g.env, 12, 2, false, true));
        } else {
            ASSERT_TRUE(StartLevel(g, g.env, mode == kModeEndless ? 3 : 12, mode, 2, 0));
        }
        const int screen = g.shell.ScreenId;
        std::uint32_t r = 12345;
        for (int t = 1; t <= 4000; ++t) {
            r = r * 1103515245u + 12345u;
            if (t % 7 == 0) g.input.MouseX = 40 + static_cast<int>(r >> 16) % 720;
            g.input.MouseButtonDown = (r >> 8) % 3 == 0 ? 1 : 0;
            g.input.MouseButtonDown2 = g.input.MouseButtonDown;
            g.input.FireKey = (r >> 12) % 5 == 0 ? 1 : 0;
            a.game.keys.Event(kButtonSpace, kFromKeyboard, (r >> 14) % 4 == 0);
            if (g.players[kSoloPlayer].TimeLeft < 200) g.players[kSoloPlayer].TimeLeft = 800;
            for (int p = 1; p <= kMatchPlayers; ++p) {
                if (g.players[p].TimeLeft < 200) g.players[p].TimeLeft = 800;
            }
            SimulateTick(g);
            if (g.shell.ScreenId != screen) break;
            if (t % 50 != 0) continue;
            TestGame b;
            std::string why;
            ASSERT_TRUE(RestoreSnapshotBytes(b.game, SnapshotBytes(g), why))
                << "mode " << mode << " tick " << t << ": " << why;
        }
    }
}

TEST(Snapshot, AStartTakesItOnceAndSaysWhyItRefusesOne) {
    CraftedRes res;
    res.Write("lvl003.lvl", {{14, {0, 0}}, {24, {1, 0}}, {26, {2, 3}}});
    TestGame a(res.Dir());
    PlaySomething(a.game);
    ASSERT_TRUE(WriteSnapshot(a.game));
    const std::filesystem::path file = res.Dir() + "/saves/suspend.dat";
    ASSERT_TRUE(std::filesystem::exists(file));

    TestGame b(res.Dir());
    EXPECT_TRUE(ResumeFromSnapshot(b.game));
    EXPECT_EQ(b.game.shell.GameInProgress, 2);
    EXPECT_EQ(b.game.players[kSoloPlayer].Score, 1234);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(ResumeFromSnapshot(b.game));

    std::ofstream(file, std::ios::binary) << "RhombSnp but not a snapshot";
    TestGame c(res.Dir());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(ResumeFromSnapshot(c.game));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("is ignored"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_EQ(c.game.shell.GameInProgress, 1);
}

}  // namespace
