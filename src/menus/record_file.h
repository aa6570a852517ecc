// Small record files under res/saves: read only when they hold exactly their format's size, and
// written whole through a temporary file of their own that is renamed over the old one, so a crash
// or a power cut mid-write never leaves a damaged file behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/name_text.h"

struct Game;

// The folder of the settings, highscores and saved games.
inline constexpr const char* kSavesFolder = "res\\saves";

// The file's bytes when it is a regular file of exactly `size` bytes; false (bytes empty) when it
// is missing, not a file, unreadable, shorter or longer.
bool ReadRecordFile(const std::string& path, std::size_t size, std::vector<std::uint8_t>& bytes);
// Writes the bytes atomically, creating the folder when needed: a new temporary file beside the
// target (never an existing file or link), flushed to disk, renamed over the target, and the
// folder flushed too. False on failure, with the target untouched.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);
// Removes the temporary files that a write cut short by a crash left in `folder`.
void RemoveStaleTemporaries(const std::string& folder);
// Writes the file; on failure the player is told once per run with a message box and the game
// goes on with what it has in memory.
bool WriteGameFile(Game& game, const std::string& path, const std::vector<std::uint8_t>& bytes);

void PutInt32(std::vector<std::uint8_t>& bytes, size_t offset, std::int32_t value);
std::int32_t GetInt32(const std::vector<std::uint8_t>& bytes, size_t offset);

// The side file of a record file with names: "groar.dat" keeps its whole names in
// "groar-utf8.txt", "names.dat" in "names-utf8.txt".
std::string WholeNamesFileOf(const std::string& gamePath);
// The side file's names (core/name_text.h); none when it is missing, too long or unreadable.
WholeNames ReadWholeNames(Game& game, const std::string& gamePath, int lastRecord,
                          std::size_t nameChars);
// Writes the side file; with no names it is removed, as the record file alone says everything.
bool WriteWholeNames(Game& game, const std::string& gamePath, const WholeNames& names);
