// Rising shots and loose stones: stopping, tip hits, groups of one colour and their explosions.
#pragma once

struct Game;

void StoneStep(Game& game);
// Flood fill of the group of the given stone's colour; adds to GroupSize.
void MarkGroup(Game& game, int slot);
