// What every menu screen shares: the steps of its transition, its title and taking Escape.
#pragma once

#include "core/words.h"

struct Game;

// The steps every transition shares before its buttons: page base (for the paged screens),
// the click and an empty table.
void BeginTransition(Game& game, bool setsPageTop);
// The steps after the buttons. Clearing Escape keeps the key that led here from acting again
// on the new screen in the same frame.
void EndTransition(Game& game, int screen, bool setsPageNumber, bool clearsEscape);
// A column of buttons centred at x 400, slot i at y base + step * i.
void ButtonColumn(Game& game, int count, int base, int step, int halfWidth, int height);
// The three buttons of the paged screens: previous, next and back.
void PageButtons(Game& game, int y, int sideX, int sideY);
// A menu's title, centred.
void DrawTitle(Game& game, int y, Words words);
// Escape, cleared so that the next screen does not see it again in this frame.
bool TakeEscape(Game& game);
