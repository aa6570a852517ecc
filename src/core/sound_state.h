// Sound requests: a flag and the source's x per named slot, raised during a frame.
#pragma once

#include <array>
#include <cstdint>

#include "core/fields.h"

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

template <typename V>
void VisitFields(SoundState& s, V& v) {
    v("SoundRequest", s.SoundRequest, kByte);
    v("SoundX", s.SoundX, kAnyInt);
}

struct Simulation;
// Raise the request of a slot with the source's x (0..800, 400 = centre); PlaySounds plays every
// raised slot once at the end of the frame.
void RequestSound(Simulation& sim, int slot, int x);
