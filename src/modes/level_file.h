// Level files: 221 records of 8 bytes (cell, extra; signed 32-bit little-endian), record k for
// lattice cell k. The level lattice maps cell numbers to stone centres.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct Game;

constexpr int kLevelRecords = 221;
constexpr int kLevelRecordBytes = 8;
constexpr int kLevelFileBytes = kLevelRecords * kLevelRecordBytes;
// The records that describe the field; the others are read but never built.
constexpr int kFirstFieldCell = 10;
constexpr int kLastFieldCell = 200;

struct LevelRecords {
    std::array<int, kLevelRecords> cell{};
    std::array<int, kLevelRecords> extra{};
};

// Reads records 0..220 of a level file (a longer file is read up to record 220). False when the
// file is missing, not a file, unreadable or holds fewer than 221 records; `records` is then
// unchanged.
bool LoadLevelRecords(const std::string& path, LevelRecords& records);
// The 221 records from the first kLevelFileBytes bytes of a level file.
void ParseLevelRecords(const std::uint8_t* bytes, LevelRecords& records);
// True when every field cell (10..200) holds a code the builder of the mode knows (empty when
// negative) and an extra 1..7 or none; false for a mode without level files.
bool LevelRecordsValid(const LevelRecords& records, int mode);
// Puts loaded records into the level cell table: entries 1..220 become -1 first (entry 0 is not
// reset), then 0..220 take the records.
void StoreLevelRecords(Game& game, const LevelRecords& records);
// Both of the above for a game path ("res\Levelz\lvl001.lvl"); false (table untouched) on failure.
bool ReadLevelFile(Game& game, const std::string& gamePath);

// The game paths of the level files.
std::string PuzzleLevelPath(int level);
std::string PipeLevelPath(int level);

// Walks the level lattice cell by cell: rows of 10 and 9 cells, the rows of 9 shifted 30 px.
class LatticeWalk {
  public:
    LatticeWalk(int fieldCentreX, int top) : centreX_(fieldCentreX), rowY_(top) {}
    // Moves to the next cell (the first call gives cell 0).
    void Next() {
        ++column_;
        if (column_ > rowLength_) {
            column_ = 0;
            if (rowLength_ == 9) {
                rowLength_ = 8;
                shift_ = 30;
            } else {
                rowLength_ = 9;
                shift_ = 0;
            }
            rowY_ += 30;
        }
    }
    int X() const { return centreX_ - 270 + 60 * column_ + shift_; }
    int Y() const { return rowY_; }

  private:
    int centreX_;
    int rowLength_ = 9;  // highest column number of the row
    int column_ = -1;
    int rowY_;
    int shift_ = 0;
};

// Fills the stone table from the level cell table: the ceiling of ten anchors, then cells
// 10..200 in cell order.
void BuildPuzzleField(Game& game);
