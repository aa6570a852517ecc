// The single-player game screen: pause, the side panel, the time bar, the score counter and the
// level-end and game-over sequences.
#pragma once

struct Game;

// Handler of screen 1, once per tick.
void GameScreen(Game& game);
// One step of play; skipped while paused.
void GameStep(Game& game);
// The game is finished: highscore check, then the champion screen or the main menu.
void GameOver(Game& game, int score);
