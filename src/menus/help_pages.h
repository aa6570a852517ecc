// The paged text screens: the game help (three pages) and the info and credits pages.
#pragma once

struct Game;

void HelpScreen(Game& game);
void InfoScreen(Game& game);
