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
