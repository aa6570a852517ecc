// Suspend and resume: closing the window during a game (or while one waits under the main menu)
// writes the whole simulation state to a file of our own beside the saves; the next start
// restores it, waiting under the main menu to be resumed. Pictures, sounds and the back buffer
// are resources and are not part of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Game;

inline constexpr const char* kSnapshotFile = "res\\saves\\suspend.dat";
// The layout of the state it holds, from the names and kinds of its fields: a snapshot of
// another layout is not read.
std::uint32_t SnapshotVersion();

// The file's bytes: magic word, version, payload size, payload checksum, then the payload.
std::vector<std::uint8_t> SnapshotBytes(const Game& game);
// The same header around any payload (what the fuzz target feeds the checks behind it).
std::vector<std::uint8_t> WrapSnapshotPayload(const std::uint8_t* payload, std::size_t size);
// Takes the state from the bytes; false, with the reason, and the game untouched when they are
// not a whole snapshot of this version.
bool RestoreSnapshotBytes(Game& game, const std::vector<std::uint8_t>& bytes, std::string& why);

bool WriteSnapshot(Game& game);
// Start-up: restores and removes a snapshot when there is one; one line on stderr when it is
// ignored. True when a game was restored.
bool ResumeFromSnapshot(Game& game);
