// The match screen's picture on sheets of plain colours: both time bar covers, the empty
// indicator covers, the pointer between the fields and the shake of each half.
#include "presentation/render_match.h"

#include <gtest/gtest.h>

#include <tuple>

#include "presentation/render.h"
#include "shell/screens.h"
#include "test_support.h"

namespace {

constexpr std::uint32_t kBackground = 0x101010, kCover = 0x202020, kIndicator = 0x303030,
                        kStone = 0x404040, kPointer = 0x808080;

struct MatchScene {
    TestGame t;
    Game& g = t.game;
    MatchScene() {
        for (int id = 0; id < kBitmapCount; ++id) g.bitmaps[id] = Plain(1, 1, kMagenta);
        g.bitmaps[kBmpMatchBackground] = Plain(800, 600, kBackground);
        g.bitmaps[kBmpMatchTimeCover] = Plain(80, 271, kCover);
        for (int id = kBmpMatchIndicator1; id <= kBmpMatchIndicator4; ++id)
            g.bitmaps[id] = Plain(66, 65, kIndicator);
        g.bitmaps[kBmpSmallStones] = Plain(76, 380, kStone);
        g.bitmaps[kBmpPointer] = Plain(32 * 31, 31, kPointer);
        g.bitmaps.loaded = true;
        g.shell.ScreenId = kScreenMatch;
        g.play.GameMode = kModeMatch;
        g.players[1].TimeLeft = 1000;
        g.players[2].TimeLeft = 1000;
        g.input.MouseX = 100;
        g.input.MouseY = 200;
    }
    std::uint32_t Render(int x, int y) {
        RenderFrame(g);
        return g.backBuffer.At(x, y);
    }
};

using CoverCase = std::tuple<int, int>;  // MatchTimeLeft, rows hidden
class MatchTimeCover : public ::testing::TestWithParam<CoverCase> {};

TEST_P(MatchTimeCover, EachBarIsHiddenFromTheTopByItsOwnTime) {
    const auto [timeLeft, rows] = GetParam();
    EXPECT_EQ(MatchTimeCoverRows(timeLeft), rows);
    for (int p = 1; p <= 2; ++p) {
        MatchScene s;
        s.g.players[p].TimeLeft = timeLeft;
        const int x = p == 1 ? 359 : 408;
        const int otherX = p == 1 ? 420 : 370;
        if (rows > 0) {
            EXPECT_EQ(s.Render(x, 114 + rows - 1), kCover) << "player " << p;
            EXPECT_EQ(s.Render(x + (p == 1 ? 34 : 30), 114), kCover) << "player " << p;
        }
        EXPECT_EQ(s.Render(x, 114 + rows), kBackground) << "player " << p;
        EXPECT_EQ(s.Render(otherX, 114), kBackground) << "player " << p;  // the other bar is full
    }
}

INSTANTIATE_TEST_SUITE_P(Times, MatchTimeCover,
                         ::testing::Values(CoverCase{1000, 0}, CoverCase{998, 1},
                                           CoverCase{500, 136}, CoverCase{0, 271}));

using IndicatorCase = std::tuple<int, int, int, int>;  // X2 1, flash 1, flash 2, X2 2 frames
class MatchIndicators : public ::testing::TestWithParam<IndicatorCase> {};

TEST_P(MatchIndicators, AnEmptyCoverLiesOverEachLampThatIsOff) {
    const auto [double1, flash1, flash2, double2] = GetParam();
    MatchScene s;
    s.g.players[1].DoubleFrames = double1;
    s.g.players[2].DoubleFrames = double2;
    s.g.players[1].FlashFrames = flash1;
    s.g.players[2].FlashFrames = flash2;
    EXPECT_EQ(s.Render(57, 69) == kIndicator, double1 == 0);
    EXPECT_EQ(s.Render(293, 58) == kIndicator, flash1 == 0);
    EXPECT_EQ(s.Render(509, 57) == kIndicator, flash2 == 0);
    EXPECT_EQ(s.Render(743, 69) == kIndicator, double2 == 0);
}

INSTANTIATE_TEST_SUITE_P(Lamps, MatchIndicators,
                         ::testing::Values(IndicatorCase{0, 0, 0, 0}, IndicatorCase{1000, 0, 0, 0},
                                           IndicatorCase{0, 0, 0, 1}, IndicatorCase{5, 0, 7, 0}));

class MatchPointerShown : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(MatchPointerShown, OnlyBetweenTheFields) {
    const auto [x, shown] = GetParam();
    MatchScene s;
    s.g.input.MouseX = x;
    EXPECT_EQ(s.Render(x + 16, 216) == kPointer, shown);
}

INSTANTIATE_TEST_SUITE_P(Places, MatchPointerShown,
                         ::testing::Values(std::tuple{349, false}, std::tuple{350, true},
                                           std::tuple{450, true}, std::tuple{451, false}));

class MatchShake : public ::testing::TestWithParam<int> {};

TEST_P(MatchShake, EachHalfShakesWithItsOwnPlayersGroups) {
    const int shaking = GetParam();
    MatchScene s;
    s.g.players[shaking].ShakeFrames = 20;
    AddStone(s.g, 200, 300, 1, 0);
    AddStone(s.g, 600, 300, 1, 0);
    s.g.stones.StoneCount = 200;
    // An unshaken stone's cell spans x -19 .. +18 around its centre.
    bool moved[3] = {false, false, false};
    for (int f = 1; f <= 40; ++f) {
        s.g.shell.FrameCounter = f;
        RenderFrame(s.g);
        for (int p = 1; p <= 2; ++p) {
            const int cx = p == 1 ? 200 : 600;
            const bool atPlace = s.g.backBuffer.At(cx - 19, 300) == kStone &&
                                 s.g.backBuffer.At(cx - 20, 300) == kBackground &&
                                 s.g.backBuffer.At(cx, 281) == kStone &&
                                 s.g.backBuffer.At(cx, 280) == kBackground;
            moved[p] = moved[p] || !atPlace;
        }
    }
    EXPECT_EQ(moved[1], shaking == 1);
    EXPECT_EQ(moved[2], shaking == 2);
}

INSTANTIATE_TEST_SUITE_P(Players, MatchShake, ::testing::Values(1, 2));

}  // namespace
