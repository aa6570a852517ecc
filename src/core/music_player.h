// The one music player: whether it was created and the last tune started.
#pragma once

#include <string>

struct MusicPlayer {
    bool created = false;
    std::string lastFile;  // the name of the last file started, as the game wrote it
};
