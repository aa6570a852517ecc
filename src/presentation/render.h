// The scene: RenderFrame draws the whole picture of a frame from the game state, then the queued
// texts, then the mouse pointer. The sprite routines cut a cell out of a sheet, centre it on a
// point and clip it against the screen, since DrawRect itself does not clip.
#pragma once

struct Game;

// Starts with the frame's black fill, then draws the scene.
void RenderFrame(Game& game);
// The black fill of a new frame, leaving out the pixels that the background of the screen about
// to be drawn covers opaquely.
void ClearBackBuffer(Game& game);

// One row of w x h cells, frame from 0; keyed / opaque.
void DrawCell(Game& game, int bitmap, int cx, int cy, int frame, int h, int w);
void DrawCellOpaque(Game& game, int bitmap, int cx, int cy, int frame, int h, int w);
// Grid of 57 x 57 cells, column and row from 1; rows 1..9 are cut one pixel taller; shaken
// while ShakeFrames > 0.
void DrawStone(Game& game, int bitmap, int cx, int cy, int column, int row);
// Effect slot of kind 2 from "expl3.bmp": column EffectColour, row EffectFrame (from 1).
void DrawDebris(Game& game, int slot);
// Translucent cell (frame from 0) stretched over (cx-hw, cy-hh)-(cx+hw, cy+hh).
void DrawEffectSprite(Game& game, int bitmap, int cx, int cy, int alpha, int frame, int h, int w);
// The clipped cell (sx, sy, w, h) of a sheet centred on (cx, cy), with extraRows more source rows
// below the cell where they fit.
void DrawClipped(Game& game, int bitmap, int sx, int sy, int w, int h, int cx, int cy, bool keyed,
                 int extraRows = 0);
