// The three settings that survive between runs: music volume, effects volume and language.
#pragma once

#include <string>

struct Game;

inline constexpr const char* kSettingsFile = "res\\saves\\settings.dat";
constexpr int kSettingsFileSize = 16;

// Reads records 1..3; a missing or damaged file (wrong size, a value out of range) keeps the
// values in memory and gives false.
bool ReadSettings(Game& game, const std::string& gamePath);
// Writes the 16-byte file (record 0 is a zero gap).
bool WriteSettings(Game& game, const std::string& gamePath);

// Our own setting beside the settings file, whose format stays as it is: the opponent the
// start-level screen offers (0 two players, 1..3 the computer's strength).
inline constexpr const char* kOpponentFile = "res\\saves\\opponent.dat";
// The opponent files (the choice, and the one beside each slot): record 0 empty, record 1 the
// strength.
inline constexpr int kOpponentFileSize = 8;
// A missing, short or damaged file leaves two players and gives false.
bool ReadOpponentChoice(Game& game, const std::string& gamePath);
// Writes the 8-byte file (record 0 is a zero gap, record 1 the choice).
bool WriteOpponentChoice(Game& game, const std::string& gamePath);
