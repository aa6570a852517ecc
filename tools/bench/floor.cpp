// rhombulus2-floor [TUNE]: the least a window of this game can cost on this machine, measured
// beside the game by tools/bench/cpu.sh --floor. It ticks every 15 ms through the game's own
// window platform (the sleep, the pump, the flip with its direct small updates, the mixer playing
// TUNE as the main menu does) and changes nothing but the 48x48 pixels the game's animated pointer
// takes each tick: no simulation, no scene. What the game costs above it is the game's own work.
// Writes tick periods to $RHOMBULUS2_TICK_LOG as the game does; ends when its window is closed.
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/sdl/sdl_platform.h"
#include "window/tick_log.h"

int main(int argc, char** argv) {
    SdlPlatform platform(".");
    if (!platform.Open(false)) return 1;
    platform.AudioInit();
    if (argc > 1 && platform.MusicOpen(argv[1])) {
        platform.MusicSetVolume(100);
        platform.MusicPlay();
    }
    TickLog log;
    log.Note("the floor: " + platform.PresentPath());
    Surface picture;
    SetSurfaceSize(picture, 800, 600);
    // Where the pointer rests in the benchmark: its 31x31 frames touch 3x3 of the 16-pixel tiles.
    const std::vector<Rect> changed{Rect{704, 160, 752, 208}};
    using Clock = std::chrono::steady_clock;
    constexpr auto kPeriod = std::chrono::microseconds(15000);
    auto next = Clock::now() + kPeriod;
    for (std::uint32_t tick = 0;; ++tick) {
        std::this_thread::sleep_until(next);
        const auto now = Clock::now();
        next += kPeriod;
        if (now > next) next = now + kPeriod;
        log.Tick(now);
        platform.PumpEvents();
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) return 0;
        }
        // One of 32 frames, as the pointer's animation.
        for (int y = 176; y < 207; ++y)
            for (int x = 716; x < 747; ++x) picture.At(x, y) = (tick % 32) * 0x070503u + x * 3u + y;
        platform.FlipChanged(picture, changed);
    }
}
