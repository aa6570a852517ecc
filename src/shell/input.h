// Input: six keys polled once per tick into flags, and the mouse state stored by the window's
// events between ticks.
#pragma once

#include <cstdint>

#include "core/input_state.h"

struct Game;

void PollKeyboard(Game& game);
void DXDraw1MouseMove(Game& game, int x, int y);
void DXDraw1MouseDown(Game& game);
void DXDraw1MouseUp(Game& game);
// A typed character (Windows-1252; Backspace arrives as 8) for the name editors.
void DXDraw1KeyPress(Game& game, unsigned char ch);
