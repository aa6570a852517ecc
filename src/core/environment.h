// What the rules may read from outside the simulation, read-only: where the level files lie and
// the source that reads them. The simulation stays a value; a trial copy of it plays with the
// same environment.
#pragma once

#include <string>

class LevelSource;

struct Environment {
    LevelSource* levels = nullptr;  // the level files (DiskLevels unless a test play)
    std::string resDir = "res";     // the folder used as res/
    // The player's level packs: res/levels for the runner, the user's data folder for the game.
    std::string levelsDir = "res/levels";
};
