// Screen transitions: each empties the button table, lays out its screen's buttons and stores the
// new ScreenId; the next tick runs the new screen.
#pragma once

struct Game;

// Main menu; the menu tune starts afresh or the music is left alone.
void ShowMainMenu(Game& game, bool restartTune);
// The help, credits and highscores menu.
void ShowHelpMenu(Game& game);
// The game choice; buttons 6 and 7 open the level editor and the network match screen.
void ShowGameChoice(Game& game);
void ShowEditor(Game& game);
// Start level of the two-player match; its button 9 chooses who plays the right field.
constexpr int kOpponentButton = 9;
void ShowStartLevel(Game& game);
// The network match screen (menus/net_menu.h).
void ShowNetMatch(Game& game);
void ShowOptions(Game& game);
// The options' list of languages (menus/language_screen.h), on the page of the current one.
void ShowLanguages(Game& game);
void ShowHighscores(Game& game);
void ShowInfo(Game& game);
void ShowHelp(Game& game);
// The save-slot screens; the click that opened them selects or loads nothing.
void ShowLoadScreen(Game& game);
void ShowSaveScreen(Game& game);
// The champion screen: enters `score` into `table` at EntryRank and opens the name editor.
void InsertHighscore(Game& game, int table, bool restartTune, int score);
