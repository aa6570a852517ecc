// The single-player game screen's picture: background, time bar, stones, extras, indicators,
// cannon, effects, corner piece and aim marker, in that order.
#pragma once

#include "presentation/scene.h"

struct Game;

void RenderGameScreen(Game& game, const Scene& scene);
// One extra from the icon sheet `icon` gives for its type (the big ones, or the match's small
// ones): column ExtraFrame, row ExtraColour (from 1).
void DrawExtra(Game& game, int slot, int (*icon)(int type));
// Every extra; the X2 glows, drawn translucent.
void DrawExtras(Game& game, int (*icon)(int type));
// Rows of the time bar hidden by its cover: none at a full bar, all 273 at an empty one.
int TimeCoverRows(int timeLeft);
// Effects of every kind: flashes, debris and smoke, sparkles.
void DrawEffects(Game& game);
