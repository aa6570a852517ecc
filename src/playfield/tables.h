// The stone table, the effects table and the floating texts: fixed arrays indexed from 1, each
// with a slot-search cursor that the game step sets back to 0 at its start.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/tables.h"

struct Simulation;

int AddStone(Simulation& game, int x, int y, int colour, int extra);
void RemoveStone(Simulation& game, int slot);
void AddEffect(Simulation& game, int x, int y, int request, int colour);
void AddDebris(Simulation& game, int x, int y, int stoneColour);
void RemoveEffect(Simulation& game, int slot);
void EffectStep(Simulation& game);
void AddFloatingText(Simulation& game, int x, int y, const std::string& text);
void RemoveFloatingText(Simulation& game, int slot);
void FloatingTextStep(Simulation& game);
