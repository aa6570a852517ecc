// The shell's side of the level packs: the "My Levels" list read from the levels folder into
// the simulation, and a level start's pack read before its first level.
#pragma once

#include <string>

struct Game;
struct LevelStartRequest;

// The game's own levels, then every pack of Game::levelsDir, into Simulation::packList.
void ReadPackList(Game& game);
// The names, sizes and times of the levels folder's files, in one text that changes with any.
std::string LevelsFolderStamp(const std::string& levelsDir);
// While "My Levels" is open, once a second: a folder changed since it was read is read again and
// the list shown anew (a pack dropped in appears, a repaired one plays).
void WatchLevelsFolder(Game& game);
// Sets Simulation::packGame for a new, loaded or test level start: the request's pack, read
// from the levels folder, or none. False (the player told why, the main menu asked for) when
// the pack is gone or damaged; the game in memory is then as it was.
bool BeginPackGame(Game& game, const LevelStartRequest& start);
