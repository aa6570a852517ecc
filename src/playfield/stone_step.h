// Rising shots and loose stones: stopping, tip hits, groups of one colour and their explosions.
#pragma once

struct Simulation;

void StoneStep(Simulation& game);
// Flood fill of the group of the given stone's colour; adds to GroupSize.
void MarkGroup(Simulation& game, int slot);
