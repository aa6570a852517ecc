#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "platform/wave_gain.h"
#include "presentation/sound.h"
#include "test_support.h"

namespace {

// A game that has not ticked: PlaySounds works on the request table alone.
struct SoundGame : TestGame {
    SoundGame(int soundOn, int volume) {
        game.shell.SoundOn = static_cast<std::uint8_t>(soundOn);
        game.shell.SoundVolume = volume;
    }
    std::vector<WaveRecord> Play() {
        platform.wavesThisTick.clear();
        PlaySounds(game);
        return platform.wavesThisTick;
    }
    bool AnyRequest() const {
        for (auto r : game.sound.SoundRequest)
            if (r != 0) return true;
        return false;
    }
};

// A slot plays its waves at the setting's 40 per step less the slot's offset (one of 4000, 4200,
// 4500), panned by x.
TEST(PlaySounds, SlotPlaysItsWavesWithVolumeAndPan) {
    for (int volume : {20, 100}) {
        SoundGame t(1, volume);
        RequestSound(t.game, sndTast1, 123);
        RequestSound(t.game, sndHahn, 123);
        RequestSound(t.game, sndBomb, 123);
        const auto played = t.Play();
        ASSERT_EQ(played.size(), 4u);
        const std::pair<const char*, int> want[] = {
            {"tast1.wav", 4200}, {"hahn.wav", 4500}, {"bomb.wav", 4000}, {"dynamit2.wav", 4000}};
        for (size_t i = 0; i < played.size(); ++i) {
            EXPECT_EQ(played[i].name, want[i].first);
            EXPECT_EQ(played[i].pan, (123 - 400) * 2);
            EXPECT_EQ(played[i].volume, volume * 40 - want[i].second);
        }
        EXPECT_FALSE(t.AnyRequest());
    }
}

TEST(PlaySounds, SlotRequestedTwiceSoundsOnceFromTheLastPosition) {
    SoundGame t(1, 100);
    RequestSound(t.game, sndExplgr, 100);
    RequestSound(t.game, sndExplgr, 700);
    const auto played = t.Play();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].pan, 600);
    EXPECT_EQ(played[0].volume, 0);
}

TEST(PlaySounds, SlotsPlayInSlotOrderAtEdgesOfThePanRange) {
    SoundGame t(1, 100);
    RequestSound(t.game, sndBomb, 800);
    RequestSound(t.game, sndTast1, 0);
    RequestSound(t.game, sndExplgr, 400);
    const auto played = t.Play();
    ASSERT_EQ(played.size(), 4u);
    EXPECT_EQ(played[0].name, "explgr.wav");
    EXPECT_EQ(played[0].pan, 0);
    EXPECT_EQ(played[1].name, "tast1.wav");
    EXPECT_EQ(played[1].pan, -800);
    EXPECT_EQ(played[2].name, "bomb.wav");
    EXPECT_EQ(played[3].name, "dynamit2.wav");
    EXPECT_EQ(played[3].pan, 800);
}

class Silenced : public ::testing::TestWithParam<std::tuple<int, int>> {};

// Silenced effects still clear their requests, so nothing sounds late once they are back.
TEST_P(Silenced, PlaysNothingAndClearsEveryRequest) {
    const auto& [soundOn, volume] = GetParam();
    SoundGame t(soundOn, volume);
    for (int slot = 0; slot < kSoundSlots; ++slot) RequestSound(t.game, slot, 400);
    EXPECT_TRUE(t.Play().empty());
    EXPECT_FALSE(t.AnyRequest());
    t.game.shell.SoundOn = 1;
    t.game.shell.SoundVolume = 100;
    EXPECT_TRUE(t.Play().empty());
}

INSTANTIATE_TEST_SUITE_P(Gates, Silenced,
                         ::testing::Values(std::tuple{0, 100}, std::tuple{1, 0}, std::tuple{0, 0},
                                           std::tuple{2, 80}));

TEST(PlaySounds, SlotsWithoutWavesAreClearedSilently) {
    SoundGame t(1, 100);
    for (int slot : {4, 7, 8, 11, 14, 19, 22, 39}) RequestSound(t.game, slot, 400);
    EXPECT_TRUE(t.Play().empty());
    EXPECT_FALSE(t.AnyRequest());
}

struct GainCase {
    int pan, volume;
    double leftDb, rightDb;
};

class Gain : public ::testing::TestWithParam<GainCase> {};

TEST_P(Gain, PanLowersOnlyTheFarSideAndVolumeBoth) {
    const GainCase c = GetParam();
    const StereoGain g = WaveGain(c.pan, c.volume);
    EXPECT_NEAR(20 * std::log10(g.left), c.leftDb, 1e-9);
    EXPECT_NEAR(20 * std::log10(g.right), c.rightDb, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Table, Gain,
                         ::testing::Values(GainCase{0, 0, 0, 0}, GainCase{800, 0, -8, 0},
                                           GainCase{-800, 0, 0, -8}, GainCase{-2, 0, 0, -0.02},
                                           GainCase{0, -4000, -40, -40},
                                           GainCase{800, -500, -13, -5}, GainCase{0, 300, 0, 0}));

// Whatever the step and offset, the mixer's integer controls land within 0.25 dB of the wanted
// level on both sides, down to the quietest effect.
TEST(Gain, MixerLevelsKeepQuietWavesAccurate) {
    for (int volume = 20; volume <= 100; volume += 20) {
        for (int offset : {4000, 4200, 4500}) {
            for (int pan : {-800, -333, 0, 2, 600, 800}) {
                const StereoGain g = WaveGain(pan, volume * 40 - offset);
                const MixerLevels m = ToMixerLevels(g);
                ASSERT_GE(m.volume, 1);
                ASSERT_LE(m.volume, 128);
                const double left = m.volume / 128.0 * m.left / 255.0;
                const double right = m.volume / 128.0 * m.right / 255.0;
                EXPECT_NEAR(20 * std::log10(left / g.left), 0.0, 0.25)
                    << volume << " " << offset << " " << pan;
                EXPECT_NEAR(20 * std::log10(right / g.right), 0.0, 0.25)
                    << volume << " " << offset << " " << pan;
            }
        }
    }
}

}  // namespace
