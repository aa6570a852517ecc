// The game names its files the way they are stored with it ("res\saves\groar.dat"); on disk that
// is the same path with '/' below the folder used as res/.
#pragma once

#include <string>

struct Game;

std::string ResolveGamePath(const Game& game, const std::string& gamePath);
