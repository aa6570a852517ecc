// The game names its files the way they are stored with it ("res\saves\groar.dat"); on disk that
// is the same path with '/' below the folder used as res/.
#pragma once

#include <string>

struct Game;

std::string ResolveGamePath(const Game& game, const std::string& gamePath);
// A game path of a file that ships with the game (a level file), never one of the saves.
std::string ResolveResPath(const std::string& resDir, const std::string& gamePath);

// The res folder of a game whose program lies in exeDir: exeDir/res after a build,
// exeDir/../share/rhombulus2/res when installed. exeDir/res when neither holds the pictures.
std::string FindResDir(const std::string& exeDir);
