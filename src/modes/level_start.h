// Starting a single-player level: resets the per-level state, builds the field and enters the
// game screen. Also the order in which levels and laps follow one another.
#pragma once

#include <array>

#include "core/level_state.h"

struct Game;

// Starts level `level` of `mode` in lap `lap`; music -99 restarts the tune, 0 keeps it.
// Returns false when the level could not be built (its file is missing or short); the player has
// then been told and is back in the main menu.
bool StartLevel(Game& game, int level, int mode, int lap, int music);

// Last level of a mode, 0 when it has none (Endless).
int LastLevelOf(int mode);
