// A machine without a sound device: the game says so in one line of its own and plays on in
// silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/sdl/sdl_platform.h"

namespace {

TEST(NoSoundDevice, OneLineOfOurOwnAndTheGamePlaysOnSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-sound-driver", 1);
    SdlPlatform platform(RHOMBULUS_RES_DIR);
    testing::internal::CaptureStderr();
    platform.AudioInit();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("rhombulus2: no sound device, playing without sound", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    // Sounds and the tune are asked for as usual and simply not heard.
    EXPECT_FALSE(platform.MusicOpen(std::string(RHOMBULUS_RES_DIR) + "/Musik/vi02.mp3"));
    platform.PlayWave("explgr.wav", 0, 0);
    platform.MusicSetVolume(50);
    EXPECT_EQ(platform.MusicGetVolume(), 50);
    EXPECT_EQ(platform.MusicPositionSeconds(), 0.0);
    platform.AudioShutdown();
    SDL_Quit();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

}  // namespace
