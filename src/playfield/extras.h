// Extras that fall out of destroyed stones: clock, bomb, colourer, arrow, rainbow, X2, flash.
#pragma once

#include <array>

#include "core/extras_table.h"

struct Simulation;

void AddExtra(Simulation& game, int x, int y, int type);
void RemoveExtra(Simulation& game, int slot);
// The stone's extra (1..7) falls out at its centre.
void ReleaseExtra(Simulation& game, int stoneSlot);
int ColourerColour(int code);
// A random colour among those present in the field (the reload's set); 0 when none is present.
int RandomPresentColour(Simulation& game);
void ExtrasStep(Simulation& game);
