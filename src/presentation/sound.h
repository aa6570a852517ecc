// Sound requests: during a frame the game only raises a slot's flag and notes the source's x;
// PlaySounds plays every raised slot once at the end of the frame.
#pragma once

#include <array>
#include <cstdint>

struct Game;

enum SoundSlot {
    sndExplgr = 0,
    sndTast1 = 1,
    sndTast2 = 2,
    sndEinsamm = 3,
    sndExpl2 = 5,
    sndSchies = 6,
    sndHahn = 9,
    sndHolz1 = 10,
    sndWasser3 = 12,
    sndBlubber2 = 13,
    sndBallsplit = 20,
    sndBomb = 21,
};

constexpr int kSoundSlots = 40;

struct SoundState {
    std::array<std::uint8_t, kSoundSlots> SoundRequest{};
    std::array<int, kSoundSlots> SoundX{};
};

// Raise the request of a slot with the source's x (0..800, 400 = centre).
void RequestSound(Game& game, int slot, int x);
// Play every requested slot once, panned by its x, and clear all requests.
void PlaySounds(Game& game);
