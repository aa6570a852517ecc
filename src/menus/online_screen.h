// "Online" on the game choice: the player's name, the online games (Endless, Puzzle, Pipe, the
// daily challenge), the boards, and what the server said of the last game. The screen only asks
// (Game::online); the online session talks to the server and says what it heard.
#pragma once

#include <string>

struct Game;

enum OnlineButton {
    kOnlineEndlessButton = 1,
    kOnlinePuzzleButton = 2,
    kOnlinePipeButton = 3,
    kOnlineDailyButton = 4,
    kOnlineBoardsButton = 5,
    kOnlineBackButton = 6,
};
// A name the server takes: 2 to 16 of letters, digits, space, '-', '_' and '.'.
constexpr int kOnlineNameChars = 16;

void ShowOnline(Game& game);
void OnlineScreen(Game& game);
// A typed character (a code point, Backspace 8) for the name.
void OnlineNameKey(Game& game, char32_t ch);
// Whether the server takes `name` (its rule, without the case).
bool OnlineNameOk(const std::string& name);
