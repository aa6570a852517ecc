// Sound requests: during a frame the game only raises a slot's flag and notes the source's x;
// PlaySounds plays every raised slot once at the end of the frame.
#pragma once

#include <array>
#include <cstdint>

#include "core/sound_state.h"

struct Game;

// Play every requested slot once, panned by its x, and clear all requests.
void PlaySounds(Game& game);
