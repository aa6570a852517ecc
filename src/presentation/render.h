// The scene: RenderFrame draws the whole picture of a frame from the game state, then the queued
// texts, then the mouse pointer.
#pragma once

#include "presentation/sprites.h"

struct Game;

void RenderFrame(Game& game);
