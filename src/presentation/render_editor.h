// The level editor's picture: the Puzzle field as the game draws it, the stones the checks name
// outlined, the cell under the pointer, and the palette below the bottom line.
#pragma once

struct Game;

void RenderEditorScreen(Game& game);
