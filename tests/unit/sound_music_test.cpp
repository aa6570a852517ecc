#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "menus/transitions.h"
#include "presentation/music.h"
#include "test_support.h"

namespace {

// The menu has been reached and its tune faded in completely.
struct MenuGame : TestGame {
    MenuGame() {
        TickTo(202);
        TickTo(320);
    }
};

TEST(Music, TheMainMenuRestartsItsTuneOnlyWhenAsked) {
    MenuGame t;
    t.platform.musicPosition = 12.3;
    ShowMainMenu(t.game, false);
    EXPECT_EQ(t.platform.musicVolume, 100);
    EXPECT_DOUBLE_EQ(t.platform.musicPosition, 12.3);
    EXPECT_TRUE(t.platform.musicPlaying);

    StartTune(t.game, "res\\Musik\\sr06.mp3");
    EXPECT_EQ(t.game.music.lastFile, "res\\Musik\\sr06.mp3");
    t.platform.musicPosition = 40.0;
    t.platform.musicVolume = 77;
    ShowMainMenu(t.game, true);
    EXPECT_EQ(t.game.music.lastFile, "res\\Musik\\vi02.mp3");
    EXPECT_EQ(t.platform.musicVolume, 0);
    EXPECT_DOUBLE_EQ(t.platform.musicPosition, 0.0);
    EXPECT_TRUE(t.platform.musicPlaying);
}

struct RoundCase {
    double seconds;
    int whole;
};

class WholeSeconds : public ::testing::TestWithParam<RoundCase> {};

// Position and length are whole seconds to the nearest, ties to even, never truncated.
TEST_P(WholeSeconds, PositionAndLengthRoundToNearest) {
    MenuGame t;
    t.platform.musicPosition = GetParam().seconds;
    t.platform.musicLength = GetParam().seconds;
    EXPECT_EQ(MusicGetPosition(t.game), GetParam().whole);
    EXPECT_EQ(MusicGetLength(t.game), GetParam().whole);
}

INSTANTIATE_TEST_SUITE_P(Table, WholeSeconds,
                         ::testing::Values(RoundCase{0.49, 0}, RoundCase{0.5, 0},
                                           RoundCase{0.51, 1}, RoundCase{1.5, 2}, RoundCase{2.5, 2},
                                           RoundCase{92.7, 93}, RoundCase{96.499, 96}));

// The tune restarts on the first tick its rounded position reaches its rounded length.
TEST(Music, LoopsAtHalfASecondBeforeTheRoundedEnd) {
    MenuGame t;
    t.platform.musicLength = 92.8;  // rounds to 93: the restart is due from just after 92.5
    t.platform.musicPosition = 92.49;
    FrameTick(t.game);
    EXPECT_NEAR(t.platform.musicPosition, 92.505, 1e-9);  // played on, one tick later
    t.platform.musicPosition = 92.5;                      // ties to the even 92
    FrameTick(t.game);
    EXPECT_NEAR(t.platform.musicPosition, 92.515, 1e-9);
    t.platform.musicPosition = 92.501;
    FrameTick(t.game);
    EXPECT_NEAR(t.platform.musicPosition, 0.015, 1e-9);  // rewound, then one tick played
}

TEST(Music, TuneThatCannotBeOpenedLeavesTheGameRunningInSilence) {
    MenuGame t;
    EXPECT_FALSE(MusicPlayFile(t.game, "res\\Musik\\nichtda.mp3"));
    EXPECT_EQ(t.game.music.lastFile, "res\\Musik\\nichtda.mp3");
    EXPECT_FALSE(t.platform.musicPlaying);
    MusicSetVolume(t.game, 10);
    for (int i = 0; i < 20; ++i) FrameTick(t.game);
    EXPECT_EQ(MusicGetPosition(t.game), 0);
    EXPECT_EQ(MusicGetLength(t.game), 0);
    EXPECT_EQ(t.platform.musicVolume, 30);  // the fade carries on without a stream
    EXPECT_EQ(t.game.shell.ScreenId, kScreenMainMenu);
    StartMenuMusic(t.game);
    EXPECT_TRUE(t.platform.musicPlaying);
}

// An audio library older than the one the game was built for stops the start-up.
struct OldAudioPlatform : HeadlessPlatform {
    bool AudioVersionOk() const override { return false; }
};

TEST(Music, OldAudioLibraryShowsVersionErrorAndQuits) {
    OldAudioPlatform platform;
    auto owned = std::make_unique<Game>();
    Game& game = *owned;
    InitGame(game, platform, RHOMBULUS_RES_DIR, 1);
    for (int i = 0; i < 5 && !game.session.WindowClosed; ++i) FrameTick(game);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], "Versionsfehler");
    EXPECT_TRUE(game.session.WindowClosed);
    EXPECT_NE(game.shell.ScreenId, kScreenSplash);
    EXPECT_FALSE(platform.musicPlaying);
}

}  // namespace
