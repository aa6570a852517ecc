// The single-player game screen's picture: background, time bar, stones, extras, indicators,
// cannon, effects, corner piece and aim marker, in that order.
#pragma once

#include "presentation/render.h"

struct Game;

void RenderGameScreen(Game& game, const Scene& scene);
// One extra, from the big icon sheet of its type: column ExtraFrame, row ExtraColour (from 1).
void DrawExtra(Game& game, int slot);
// Rows of the time bar hidden by its cover: none at a full bar, all 273 at an empty one.
int TimeCoverRows(int timeLeft);
