// Level files and the level lattice, one home for the game and the level tools alike. A level
// file is 221 records of 8 bytes (cell code, extra; signed 32-bit little-endian); record k
// belongs to lattice cell k. The cells fill rows of 10 and 9 from the top, the rows of 9 shifted
// by one spacing, rows one spacing apart (30 px in single player, 20 in the match).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

constexpr int kLevelRecords = 221;
constexpr int kLevelRecordBytes = 8;
constexpr int kLevelFileBytes = kLevelRecords * kLevelRecordBytes;  // 1768
constexpr int kEmptyCellCode = -1;

struct LevelRecord {
    std::int32_t cell = kEmptyCellCode;
    std::int32_t extra = 0;
    bool operator==(const LevelRecord&) const = default;
};
using LevelRecords = std::array<LevelRecord, kLevelRecords>;

// --- the lattice ---------------------------------------------------------------------------
// Rows alternate 10 and 9 cells; rows 2p and 2p+1 hold cells 19p..19p+18.
constexpr int LatticeRowWidth(int row) {
    return row % 2 == 0 ? 10 : 9;
}
constexpr int LatticeCell(int row, int column) {
    return 19 * (row / 2) + (row % 2 == 0 ? 0 : 10) + column;
}
constexpr int LatticeRow(int cell) {
    return 2 * (cell / 19) + (cell % 19 >= 10 ? 1 : 0);
}
constexpr int LatticeColumn(int cell) {
    return cell % 19 >= 10 ? cell % 19 - 10 : cell % 19;
}
// Offset of a cell's centre from the field centre, and its depth below the top row.
constexpr int LatticeDx(int cell, int spacing = 30) {
    return -9 * spacing + 2 * spacing * LatticeColumn(cell) +
           (LatticeRow(cell) % 2 == 0 ? 0 : spacing);
}
constexpr int LatticeDy(int cell, int spacing = 30) {
    return spacing * LatticeRow(cell);
}

// The match lattice: cells 40 px apart in a row, rows 20 px apart from the ceiling row at y 110.
// Its ceiling is eight anchors, columns 1..8 of row 0; player 2's field is player 1's mirrored.
constexpr int kMatchSpacing = 20;
constexpr int kMatchCeilingY = 110;
constexpr bool MatchCeilingColumn(int column) {
    return column >= 1 && column <= 8;
}

// Walks the cells in order from cell 0, giving each one's place on the screen; a mirrored walk
// lays the columns out from right to left.
class LatticeWalk {
  public:
    LatticeWalk(int fieldCentreX, int top, int spacing = 30, bool mirrored = false)
        : centreX_(fieldCentreX), top_(top), spacing_(spacing), mirrored_(mirrored) {}
    // Moves to the next cell (the first call gives cell 0).
    void Next() { ++cell_; }
    int Cell() const { return cell_; }
    int X() const {
        const int dx = LatticeDx(cell_, spacing_);
        return mirrored_ ? centreX_ - dx : centreX_ + dx;
    }
    int Y() const { return top_ + LatticeDy(cell_, spacing_); }

  private:
    int centreX_;
    int top_;
    int spacing_;
    bool mirrored_;
    int cell_ = -1;
};

// --- the file ------------------------------------------------------------------------------
inline std::string EncodeLevelRecords(const LevelRecords& records) {
    std::string bytes(kLevelFileBytes, '\0');
    for (int k = 0; k < kLevelRecords; ++k) {
        const std::int32_t fields[2] = {records[k].cell, records[k].extra};
        for (int f = 0; f < 2; ++f) {
            const auto v = static_cast<std::uint32_t>(fields[f]);
            for (int b = 0; b < 4; ++b)
                bytes[k * kLevelRecordBytes + f * 4 + b] = static_cast<char>((v >> (8 * b)) & 255);
        }
    }
    return bytes;
}

// Reads records 0..220 (bytes beyond them are not looked at); false, `records` untouched, when
// there are fewer than 221 records.
inline bool DecodeLevelRecords(std::string_view bytes, LevelRecords& records) {
    if (bytes.size() < static_cast<size_t>(kLevelFileBytes)) return false;
    for (int k = 0; k < kLevelRecords; ++k) {
        std::int32_t fields[2];
        for (int f = 0; f < 2; ++f) {
            std::uint32_t v = 0;
            for (int b = 0; b < 4; ++b)
                v |= static_cast<std::uint32_t>(
                         static_cast<unsigned char>(bytes[k * kLevelRecordBytes + f * 4 + b]))
                     << (8 * b);
            fields[f] = static_cast<std::int32_t>(v);
        }
        records[k] = {fields[0], fields[1]};
    }
    return true;
}
