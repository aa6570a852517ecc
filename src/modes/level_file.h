// Level files as the game reads them into its level cell table, and the Puzzle field builder.
#pragma once

#include <string>

#include "core/level_format.h"

class LevelSource;
struct Simulation;

// The records that describe the field; the others are read but never built.
constexpr int kFirstFieldCell = 10;
constexpr int kLastFieldCell = 200;

// Reads records 0..220 of a level file from the source (a longer file is read up to record 220).
// False when the file is missing, not a file, unreadable or holds fewer than 221 records; `records`
// is then unchanged.
bool LoadLevelRecords(LevelSource& source, const std::string& path, LevelRecords& records);
// True when every field cell (10..200) holds a code the builder of the mode knows (empty when
// negative) and an extra 1..7 or none; false for a mode without level files.
bool LevelRecordsValid(const LevelRecords& records, int mode);
// Puts loaded records into the level cell table: entries 1..220 become -1 first (entry 0 is not
// reset), then 0..220 take the records.
void StoreLevelRecords(Simulation& game, const LevelRecords& records);

// Fills the stone table from the level cell table: the ceiling of ten anchors, then cells
// 10..200 in cell order.
void BuildPuzzleField(Simulation& game);
// Both fields of the match from the level cell table: each one's ceiling of eight anchors, then
// every cell 10..200 twice, on player 1's field and mirrored on player 2's.
void BuildMatchField(Simulation& game);
