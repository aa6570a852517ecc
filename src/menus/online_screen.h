// "Online" on the game choice: the player's name, the online games (Endless, Puzzle, Pipe, the
// daily challenge), the boards, and what the server said of the last game. The screen only asks
// (Game::online); the online session talks to the server and says what it heard.
#pragma once

struct Game;

void OnlineScreen(Game& game);
// A typed character (a code point, Backspace 8) for the name.
void OnlineNameKey(Game& game, char32_t ch);
