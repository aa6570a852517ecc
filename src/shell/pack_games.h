// The shell's side of the level packs: the "My Levels" list read from the levels folder into
// the simulation, and a level start's pack read before its first level.
#pragma once

struct Game;
struct LevelStartRequest;

// The game's own levels, then every pack of Game::levelsDir, into Simulation::packList.
void ReadPackList(Game& game);
// Sets Simulation::packGame for a new, loaded or test level start: the request's pack, read
// from the levels folder, or none. False (the player told why, the main menu asked for) when
// the pack is gone or damaged; the game in memory is then as it was.
bool BeginPackGame(Game& game, const LevelStartRequest& start);
