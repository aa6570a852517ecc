// Trial shots of the level bots: the simulation of the game being played, copied into a game of
// the bot's own whose session (its folders and level source) is the same but holds no pictures.
#pragma once

#include "core/game.h"

inline void CopyIntoTrial(Game& trial, const Game& from) {
    trial.sim() = from.sim();
    trial.own = from.own;
    trial.env = from.env;
    trial.savesDir = from.savesDir;
    trial.clockSeed = from.clockSeed;
}
