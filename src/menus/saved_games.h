// Seven named save slots: the slot list in names.dat, one 48-byte file per slot holding the level
// a game was at when it began (loading restarts that level), and the save and load screens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/requests.h"

struct Game;

inline constexpr const char* kSlotNamesFile = "res\\saves\\names.dat";
// The game left running when the window was closed.
inline constexpr const char* kClosedGameFile = "res\\saves\\ave.dat";
constexpr int kSlotNamesFileSize = 160;
constexpr int kSavedGameFileSize = 48;

// "res\saves\ave<slot>.dat"
std::string SlotFile(int slot);

std::vector<std::uint8_t> SavedGameBytes(const Game& game);
// The small file beside a saved game that names who played the match's right field:
// "res\saves\ave3.dat" has "res\saves\ave3opp.dat".
std::string OpponentFileOf(const std::string& gamePath);
// The one that names the level pack a Puzzle game played: "res\saves\ave3pack.dat", the
// pack's file name in the levels folder, empty for the game's own levels.
std::string PackFileOf(const std::string& gamePath);
bool WriteSavedGame(Game& game, const std::string& gamePath);
// Whether the bytes are a saved game the game can start: 48 bytes, every value in its range.
bool SavedGameValid(const std::vector<std::uint8_t>& bytes);
// Into a level start of the saved game (its level, mode, lap, scores, time and opponent); false
// (nothing changed) when the file is missing or damaged.
bool ReadSavedGame(Game& game, const std::string& gamePath, LevelStartRequest& start);
std::vector<std::uint8_t> SlotNamesBytes(const Game& game, bool reset);
// names.dat, and beside it names-utf8.txt with the names its Windows-1252 cannot hold.
bool WriteSlotNames(Game& game, bool reset);
// Whether the bytes are a slot list: 160 bytes, names of at most 10 characters, each slot unused
// (level and mode 0) or a mode with one of its levels.
bool SlotNamesValid(const std::vector<std::uint8_t>& bytes);
// A missing or damaged names.dat reads as the reset content: every slot "noname", level and mode
// 0. A name kept whole in names-utf8.txt is taken while its slot still holds its Windows-1252
// form.
void ReadSlotNames(Game& game);

// A typed character (a code point, Backspace 8) for the slot name on the save screen.
void SaveNameKey(Game& game, char32_t ch);
// The shell's part of a save: the game on the field into `slot` under `name`, its files and the
// slot list written.
void SaveIntoSlot(Game& game, int slot, const std::string& name);

void SaveScreen(Game& game);
void LoadScreen(Game& game);
