#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/paths.h"
#include "menus/record_file.h"
#include "menus/transitions.h"
#include "menus_fixture.h"

namespace {

namespace fs = std::filesystem;

TEST(FrameLoop, StartUpOnSecondTickAndFirstHandlerCallOnThird) {
    TestGame t;
    FrameTick(t.game);
    EXPECT_EQ(t.game.shell.ScreenId, kScreenNone);
    EXPECT_FALSE(t.game.bitmaps.loaded);
    FrameTick(t.game);
    EXPECT_EQ(t.game.shell.ScreenId, kScreenSplash);
    EXPECT_EQ(t.game.shell.SplashFrames, 0);  // no handler call yet
    EXPECT_TRUE(t.game.session.TimerEnabled);
    FrameTick(t.game);
    EXPECT_EQ(t.game.shell.SplashFrames, 1);
}

TEST(FrameLoop, EscapeEndsSplashAtOnce) {
    TestGame t;
    t.TickTo(10);
    t.game.keys.Event(6, kFromKeyboard, true);
    FrameTick(t.game);
    EXPECT_EQ(t.game.shell.ScreenId, kScreenMainMenu);
    EXPECT_EQ(t.game.input.KeyEscape, 0);  // the transition consumed it
}

TEST(FrameLoop, MusicVolumeStepsByOneWithoutOvershoot) {
    TestGame t;
    t.TickTo(202);
    t.game.shell.MusicVolumeSetting = 3;
    t.platform.musicVolume = 6;
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        FrameTick(t.game);
        seen.push_back(t.platform.musicVolume);
    }
    EXPECT_EQ(seen, (std::vector<int>{5, 4, 3, 3, 3}));
}

TEST(FrameLoop, UnknownScreenOnlyRendersAndFlips) {
    TestGame t;
    t.TickTo(5);
    t.game.shell.ScreenId = 17;
    t.TickTo(20);
    EXPECT_EQ(t.game.shell.ScreenId, 17);
    EXPECT_EQ(t.platform.LastFrame().width, 800);
}

TEST(FrameLoop, MissingBitmapStopsStartUpWithMessageNamingIt) {
    TempRes res;
    fs::remove(res.Dir() + "/steine3.bmp");
    TestGame t(res.Dir());
    t.TickTo(5);
    EXPECT_TRUE(t.game.session.WindowClosed);
    EXPECT_EQ(t.game.session.ExitStatus, 1);
    ASSERT_EQ(t.platform.messages.size(), 1u);
    EXPECT_NE(t.platform.messages[0].find("steine3.bmp"), std::string::npos);
}

TEST(Quit, ResizeWithinTenTicksIsIgnoredLaterSavesSettingsAndQuits) {
    TempRes res;
    TestGame t(res.Dir());
    t.TickTo(10);
    DXDraw1Resize(t.game);
    EXPECT_FALSE(t.game.session.WindowClosed);
    FrameTick(t.game);
    t.game.shell.Language = 2;
    t.game.shell.SoundVolume = 40;
    DXDraw1Resize(t.game);
    EXPECT_TRUE(t.game.session.WindowClosed);
    EXPECT_TRUE(t.platform.closed);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadRecordFile(res.Saves("settings.dat"), 16, bytes));
    ASSERT_EQ(bytes.size(), 16u);
    EXPECT_EQ(GetInt32(bytes, 0), 0);
    EXPECT_EQ(GetInt32(bytes, 4), 100);
    EXPECT_EQ(GetInt32(bytes, 8), 40);
    EXPECT_EQ(GetInt32(bytes, 12), 2);
}

TEST(Quit, CloseButtonBeforeStartUpDoesNotOverwriteSettings) {
    TempRes res;
    res.WriteSettingsFile(60, 20, 2);
    TestGame early(res.Dir());
    FrameTick(early.game);
    WindowCloseRequested(early.game);
    EXPECT_TRUE(early.game.session.WindowClosed);

    TestGame later(res.Dir());
    later.TickTo(3);
    EXPECT_EQ(later.game.shell.MusicVolumeSetting, 60);
    EXPECT_EQ(later.game.shell.SoundVolume, 20);
    EXPECT_EQ(later.game.shell.Language, 2);
    WindowCloseRequested(later.game);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadRecordFile(res.Saves("settings.dat"), 16, bytes));
    EXPECT_EQ(GetInt32(bytes, 4), 60);
}

// A press and its release between two ticks: the next tick sees the button down, as on the
// first tick of a held click, and the release follows after that tick.
struct QuickTap {
    const char* name;
    int presses;  // down/up pairs before one tick
};

class QuickClick : public ::testing::TestWithParam<QuickTap> {};

TEST_P(QuickClick, PressesAMenuButtonOnceAndIsReleasedAfterTheTick) {
    TestGame t;
    t.TickTo(3);
    ShowOptions(t.game);
    t.TickTo(30);
    DXDraw1MouseMove(t.game, t.game.buttons.ButtonX[1], t.game.buttons.ButtonY[1] + 5);
    const int level = t.game.menus.OptionLevel[1];
    for (int i = 0; i < GetParam().presses; ++i) {
        DXDraw1MouseDown(t.game);
        DXDraw1MouseUp(t.game);
    }
    EXPECT_EQ(t.game.input.MouseButtonDown, 1) << "the release waits for a tick";
    FrameTick(t.game);
    EXPECT_EQ(t.game.menus.OptionLevel[1], (level + 1) % 6) << "pressed once";
    EXPECT_EQ(t.game.input.MouseButtonDown, 0);
    EXPECT_EQ(t.game.input.MouseButtonDown2, 0);
    EXPECT_EQ(t.game.input.ButtonHeldFrames, 0);
    t.TickTo(60);
    EXPECT_EQ(t.game.menus.OptionLevel[1], (level + 1) % 6) << "and never again";
}

INSTANTIATE_TEST_SUITE_P(Input, QuickClick,
                         ::testing::Values(QuickTap{"OnePress", 1}, QuickTap{"TwoPresses", 2}),
                         [](const auto& info) { return info.param.name; });

TEST(Input, ReleaseAfterATickSawThePressActsAtOnce) {
    TestGame t;
    t.TickTo(3);
    DXDraw1MouseDown(t.game);
    FrameTick(t.game);
    EXPECT_EQ(t.game.input.ButtonHeldFrames, 1);
    DXDraw1MouseUp(t.game);
    EXPECT_EQ(t.game.input.MouseButtonDown, 0);
    EXPECT_EQ(t.game.input.ButtonHeldFrames, 0);
    // A new press after a pending release cancels it: the button is held again.
    DXDraw1MouseDown(t.game);
    DXDraw1MouseUp(t.game);
    DXDraw1MouseDown(t.game);
    FrameTick(t.game);
    FrameTick(t.game);
    EXPECT_EQ(t.game.input.MouseButtonDown, 1);
    EXPECT_EQ(t.game.input.ButtonHeldFrames, 2);
}

// A key tapped between two ticks reads as down in the next tick and up after it.
TEST(Input, KeyTapBetweenTicksIsSeenForOneTick) {
    TestGame t;
    t.TickTo(3);
    for (int button : {kButtonP, kButtonLeft}) {
        t.game.keys.Event(button, kFromKeyboard, true);
        t.game.keys.Event(button, kFromKeyboard, false);
    }
    PollKeyboard(t.game);
    EXPECT_EQ(t.game.input.PauseKeyFrames, 1);
    EXPECT_EQ(t.game.input.KeyLeft, 1);
    PollKeyboard(t.game);
    EXPECT_EQ(t.game.input.PauseKeyFrames, 0);
    EXPECT_EQ(t.game.input.KeyLeft, 0);
}

TEST(Input, HeldButtonCountsTicksAndSurvivesMoves) {
    TestGame t;
    t.TickTo(3);
    DXDraw1MouseMove(t.game, 10, 20);
    EXPECT_EQ(t.game.input.MouseMoved, 1);
    DXDraw1MouseDown(t.game);
    EXPECT_EQ(t.game.input.MouseMoved, 0);
    FrameTick(t.game);
    EXPECT_EQ(t.game.input.ButtonHeldFrames, 1);
    DXDraw1MouseMove(t.game, 30, 40);
    FrameTick(t.game);
    EXPECT_EQ(t.game.input.ButtonHeldFrames, 2);
    EXPECT_EQ(t.game.input.MouseButtonDown, 1);
    EXPECT_EQ(t.game.input.MouseX, 30);
    DXDraw1MouseUp(t.game);
    EXPECT_EQ(t.game.input.ButtonHeldFrames, 0);
}

TEST(Input, KeysAreLevelsAndPauseCountsConsecutiveTicks) {
    TestGame t;
    t.TickTo(3);
    t.game.keys.Event(7, kFromKeyboard, true);  // P
    t.game.keys.Event(0, kFromKeyboard, true);  // Left
    for (int i = 1; i <= 3; ++i) {
        PollKeyboard(t.game);
        EXPECT_EQ(t.game.input.PauseKeyFrames, i);
        EXPECT_EQ(t.game.input.KeyLeft, 1);
    }
    t.game.keys.Event(7, kFromKeyboard, false);
    t.game.keys.Event(2, kFromKeyboard, true);  // Up is not read into any flag
    PollKeyboard(t.game);
    EXPECT_EQ(t.game.input.PauseKeyFrames, 0);
    t.game.keys.Event(7, kFromKeyboard, true);
    PollKeyboard(t.game);
    EXPECT_EQ(t.game.input.PauseKeyFrames, 1);
}

TEST(Paths, GamePathsResolveBelowResFolder) {
    TestGame t("/tmp/r");
    EXPECT_EQ(ResolveGamePath(t.game, "res\\saves\\groar.dat"), "/tmp/r/saves/groar.dat");
    EXPECT_EQ(ResolveGamePath(t.game, "res\\Levelz\\lvl0010.lvl"), "/tmp/r/Levelz/lvl0010.lvl");
}

}  // namespace
