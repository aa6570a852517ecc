// The runner's view of the game state: one JSON object per dump, one line per tick for traces.
#pragma once

#include <string>

struct Game;
class HeadlessPlatform;

std::string DumpJson(const Game& game, const HeadlessPlatform& platform);
std::string TraceLine(const Game& game);
