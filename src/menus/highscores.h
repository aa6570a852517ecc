// The four highscore tables (one per game mode, seven places each), their file, the check at the
// end of a game, the champion screen with its name editor and the highscore screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Game;

inline constexpr const char* kHighscoreFile = "res\\saves\\groar.dat";
constexpr int kHighscoreRecordSize = 24;
constexpr int kHighscoreFileSize = 29 * kHighscoreRecordSize;

// Every place of every table: "quarzbau" with 80000 - 10000 * place points.
void ResetHighscores(Game& game);
// The file's bytes for the tables in memory (record 0 is a zero gap).
std::vector<std::uint8_t> HighscoreFileBytes(const Game& game);
// Loads all 28 entries; false (tables untouched) when the file is missing, unreadable or
// damaged (not 696 bytes, a score or name length out of range). A name the file's Windows-1252
// cannot hold is read whole from the side file beside it (HighscoreNamesFileOf).
bool ReadHighscores(Game& game, const std::string& gamePath);
// The side file of a highscore file: "groar.dat" keeps its whole names in "groar-utf8.txt".
std::string HighscoreNamesFileOf(const std::string& gamePath);
// With reset the tables first get the default content; then the whole file is written, and the
// side file with the names the file holds only in their nearest Windows-1252 form (removed
// when there is none).
bool WriteHighscores(Game& game, const std::string& gamePath, bool reset);
// Start-up: the defaults, then the file (a damaged one keeps the defaults).
void LoadHighscoresAtStartUp(Game& game);
// The end of start-up: a missing file is written with the defaults.
void CreateMissingHighscoreFile(Game& game);

// The check at the end of a game: a score above place 7 of the mode's table goes to the
// champion screen, anything else back to the main menu.
void CheckHighscore(Game& game, int score);
// Moves the places below `rank` down one (the old place 7 drops) and puts an unnamed entry
// with `score` at `rank`.
void EnterHighscore(Game& game, int table, int rank, int score);
// A typed character (a code point, Backspace 8) for the name on the champion screen.
void ChampionNameKey(Game& game, char32_t ch);
// The shell's part once the champion's name is typed: the name into place `rank` of `table` (a
// mode's or the pack's; rank 0 none), and the table's file written.
void EnterChampionName(Game& game, int table, int rank, const std::string& name);

void ChampionScreen(Game& game);
void HighscoreScreen(Game& game);
