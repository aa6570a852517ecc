// The splash screen: the title picture after start-up, for 200 ticks or until Escape, then the
// main menu.
#pragma once

struct Game;

void ShowSplash(Game& game);
void SplashScreen(Game& game);
