// Trial shots of the level bots: the simulation of the game being played, copied into a game of
// the bot's own whose session (folders, level starts) is the same but holds no pictures.
#pragma once

#include "core/game.h"

inline void CopyIntoTrial(Game& trial, const Game& from) {
    trial.sim() = from.sim();
    trial.resDir = from.resDir;
    trial.savesDir = from.savesDir;
    trial.startLevel = from.startLevel;
    trial.startMatchLevel = from.startMatchLevel;
    trial.clockSeed = from.clockSeed;
}
