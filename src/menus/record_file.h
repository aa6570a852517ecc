// Small record files under res/saves: read whole, written whole through a temporary file that is
// renamed over the old one, so a crash mid-write never leaves a damaged file behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Game;

// The file's bytes; false when it is missing or unreadable.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);
// Writes the bytes atomically, creating the folder when needed; false on failure.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);
// Writes the file; on failure the player is told once per run with a message box and the game
// goes on with what it has in memory.
bool WriteGameFile(Game& game, const std::string& path, const std::vector<std::uint8_t>& bytes);

void PutInt32(std::vector<std::uint8_t>& bytes, size_t offset, std::int32_t value);
std::int32_t GetInt32(const std::vector<std::uint8_t>& bytes, size_t offset);
