// Endless sets: tall random fields that slide into view from above.
#pragma once

struct Simulation;

// Difficulty of a set: 0, 1, 2 for sets 1, 2, 3 and 3 from set 4 on.
int EndlessDifficulty(int set);
// Fills the level cell table with a random set and builds it in the stone table.
void GenerateEndlessField(Simulation& game, int set);
