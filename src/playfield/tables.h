// The stone table, the effects table and the floating texts: fixed arrays indexed from 1, each
// with a slot-search cursor that the game step sets back to 0 at its start.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/tables.h"

int AddStone(Game& game, int x, int y, int colour, int extra);
void RemoveStone(Game& game, int slot);
void AddEffect(Game& game, int x, int y, int request, int colour);
void AddDebris(Game& game, int x, int y, int stoneColour);
void RemoveEffect(Game& game, int slot);
void EffectStep(Game& game);
void AddFloatingText(Game& game, int x, int y, const std::string& text);
void RemoveFloatingText(Game& game, int slot);
void FloatingTextStep(Game& game);
