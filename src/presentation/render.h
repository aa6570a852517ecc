// The scene: RenderScene draws the whole picture of a frame from the game state, then the queued
// texts, then the mouse pointer.
#pragma once

#include "presentation/scene.h"
#include "presentation/sprites.h"

struct Game;

// Draws the frame, starting with its black fill: the backdrop and its scene, the queued texts,
// the pointer. The frame is first listed (platform/scene_list.h) and compared with the last
// one's list: only the tiles that an added, removed or changed item touches are drawn again,
// and game.scene.changed says which parts of the picture changed, for the flip.
void RenderScene(Game& game, const Scene& scene);
// The back buffer was changed or replaced outside RenderScene (a dimmed picture, an overlay,
// new bitmaps): the next frame is drawn and sent whole.
void ForgetShownScene(Game& game);
// The frame drawn whole over the back buffer, as RenderScene draws it with DrawRoutines::
// fullRedraw, touching nothing of what RenderScene keeps.
void DrawSceneWhole(Game& game, const Scene& scene);
// The black fill of a new frame, leaving out the pixels that the scene's background covers
// opaquely.
void ClearBackBuffer(Game& game, const Scene& scene);
