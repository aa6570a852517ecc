// Screen transitions: each empties the button table, lays out its screen's buttons and stores the
// new ScreenId; the next tick runs the new screen.
#pragma once

struct Game;

// Main menu; music -99 restarts the menu tune, 0 leaves the music alone.
void ShowMainMenu(Game& game, int music);
