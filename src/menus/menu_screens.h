// The menu screens that lead into a game and back: main menu, help-info-highscores menu, game
// choice, the match's start level and the options.
#pragma once

struct Game;

void MainMenuScreen(Game& game);
void HelpMenuScreen(Game& game);
void GameChoiceScreen(Game& game);
void StartLevelScreen(Game& game);
void OptionsScreen(Game& game);
// The options' fifth button, below "Back": the list of languages.
inline constexpr int kLanguagesButton = 5;

// Level words of the options screen, 0 "aus" / "off" .. 5 "ziemlich laut" / "very loud".
const char* OptionLevelWord(const Game& game, int level);
// The start-level screen's opponent button: "2 Spieler" / "2 Players" or "Computer: " and the
// strength (0 two players, 1..3 the strengths).
const char* OpponentLabel(const Game& game, int choice);
