// The sprite routines: each cuts a cell out of a sprite sheet, centres it on a point and clips it
// against the screen, since DrawRect itself does not clip.
#pragma once

struct Game;

// One row of w x h cells, frame from 0; keyed / opaque.
void DrawCell(Game& game, int bitmap, int cx, int cy, int frame, int h, int w);
void DrawCellOpaque(Game& game, int bitmap, int cx, int cy, int frame, int h, int w);
// Grid of 57 x 57 cells, column and row from 1; rows 1..9 are cut one pixel taller; shaken
// while ShakeFrames > 0.
void DrawStone(Game& game, int bitmap, int cx, int cy, int column, int row);
// The match's grid of 38 x 38 cells, cut like DrawStone; a stone left of x 400 shakes while
// player 1's MatchShakeFrames last, one from x 401 on while player 2's do.
void DrawSmallStone(Game& game, int bitmap, int cx, int cy, int column, int row);
// Effect slot of kind 2 from "expl3.bmp": column EffectColour, row EffectFrame (from 1).
void DrawDebris(Game& game, int slot);
// Translucent cell (frame from 0) stretched over (cx-hw, cy-hh)-(cx+hw, cy+hh).
void DrawEffectSprite(Game& game, int bitmap, int cx, int cy, int alpha, int frame, int h, int w);
// The clipped cell (sx, sy, w, h) of a sheet centred on (cx, cy), with extraRows more source rows
// below the cell where they fit.
void DrawClipped(Game& game, int bitmap, int sx, int sy, int w, int h, int cx, int cy, bool keyed,
                 int extraRows = 0);
