// Level sources and level files of the Puzzle, the pipe game and the match: the readable text
// form, the 1768-byte record file the game reads, and the checks a level must pass before it ships.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/level_format.h"
#include "playfield/field_rules.h"

namespace levels {

constexpr int kRecordCount = kLevelRecords;
constexpr int kRecordBytes = kLevelRecordBytes;
constexpr int kFileBytes = kLevelFileBytes;            // 1768
constexpr int kFirstFieldCell = 10;                    // cells 0..9 are the ceiling row
constexpr int kLastBuiltCell = 200;                    // the game builds cells 10..200
constexpr int kMinSourceRow = 14;                      // row 14 (y 420) is the last above the line
constexpr int kMaxSourceRow = 20;                      // cells 10..199; cell 200 is never drawn
constexpr int kBottomLine = kPuzzleField.bottomLineY;  // a resting stone below it bursts

// The lattice a level is drawn for: the Puzzle field, or one field of the match (both fields
// of a match level are the same drawing, the right one mirrored). Depths count from the anchor
// row of the ceiling.
struct Lattice {
    const char* name;
    int topY;          // y of the ceiling's row on the screen: 0, 110
    int spacing;       // 30, 20
    int bottomDepth;   // a resting stone deeper than this bursts
    int minSourceRow;  // a source draws at least the rows down to the last above the line
    int cannonReach;   // the cannon fires into columns dx -reach .. reach
    int lowestStop;    // the deepest lattice point a shot from the cannon passes
    int ceilingFirst;  // the columns of row 0 that hold the ceiling's anchors
    int ceilingLast;
    bool match;
};
// clang-format off
inline constexpr Lattice kPuzzleLattice = {
    .name = "puzzle", .topY = 0, .spacing = kPuzzleField.spacing,
    .bottomDepth = kPuzzleField.bottomLineY, .minSourceRow = kMinSourceRow,
    .cannonReach = kPuzzleField.cannonReachLeft,
    .lowestStop = (kPuzzleField.waitingStoneY - 1) / kPuzzleField.spacing * kPuzzleField.spacing,
    .ceilingFirst = 0, .ceilingLast = 9, .match = false};
inline constexpr Lattice kMatchLattice = {
    .name = "match", .topY = kMatchCeilingY, .spacing = kMatchSpacing,
    .bottomDepth = kMatchLeftField.bottomLineY - kMatchCeilingY,
    .minSourceRow = (kMatchLeftField.bottomLineY - kMatchCeilingY) / kMatchSpacing,
    .cannonReach = kMatchLeftField.cannonReachLeft,
    .lowestStop =
        (kMatchLeftField.waitingStoneY - kMatchCeilingY - 1) / kMatchSpacing * kMatchSpacing,
    .ceilingFirst = 1, .ceilingLast = 8, .match = true};
// clang-format on
constexpr bool IsCeilingColumn(const Lattice& l, int column) {
    return column >= l.ceilingFirst && column <= l.ceilingLast;
}
constexpr int kEmptyCode = kEmptyCellCode;
constexpr int kAnchorCode = 9;
constexpr int kAnchorCodeAlt = 8;  // also an anchor; the game rewrites it to 9
constexpr int kCeilingCode = 9;    // what records 0..9 hold in files we write

using ::LevelRecord;
using Records = LevelRecords;

// What the editor's proof found for a level: the tries (of five) that cleared it, and the
// median shots and time used. Kept as a comment, "; proven: ...", which names the field it was
// found for, so a level changed by hand afterwards reads as unproven.
struct ProofMark {
    bool known = false;
    int cleared = 0;
    int shots = 0;
    int time = 0;
};
constexpr int kProofMarkTries = 5;

// A level as the tools know it: the records plus what the source said about them.
struct Level {
    bool pipe = false;  // a pipe level (its grid is the "pipe" section, on the puzzle lattice)
    const Lattice* lattice = &kPuzzleLattice;
    Records records{};
    std::string name;  // from "; name: ..."
    std::string idea;  // from "; idea: ..."
    ProofMark proof;   // from "; proven: ...", when it names this very field
    // Source line of each drawn field row (index = row), 0 when the level came from a file.
    std::array<int, kMaxSourceRow + 1> rowLine{};
};

// Why a level cannot ship, as CheckLevel finds it; the editor says it in the player's language.
enum class LevelFault {
    kNone,               // a problem of the text, not of a cell
    kUnknownCode,        // a cell code the game does not build
    kUnknownExtra,       // an extra the game does not know
    kExtraWithoutStone,  // an extra on an empty place or an anchor
    kFlashInMatch,       // the match never drops the flash
    kBelowLine,          // a stone below the bottom line
    kNoColour,           // no coloured stone at all (the whole level)
    kFloats,             // a stone nothing above holds
    kOutOfReach,         // a stone no shot can come to rest beside
    kWalledIn,           // a stone anchors close every way to
    kRisesIntoTrap,      // a stone that, floating up, could stop where it can never be joined
    kTrap,               // a place a shot can come to rest in but never be joined
    kPipe,               // what a pipe level may not hold
};

// First problem found, like a compiler's error: line 0 means the whole file. A problem of the
// checks names its cell (-1 for the whole level) and its fault.
struct Problem {
    int line = 0;
    std::string message;
    int cell = -1;
    LevelFault fault = LevelFault::kNone;
};

// --- lattice (the game's; the Puzzle's spacing unless a lattice is named) ---------------------
constexpr int RowWidth(int row) {
    return LatticeRowWidth(row);
}
constexpr int CellIndex(int row, int column) {
    return LatticeCell(row, column);
}
constexpr int CellRow(int cell) {
    return LatticeRow(cell);
}
constexpr int CellColumn(int cell) {
    return LatticeColumn(cell);
}
// Offset from the field centre in pixels and depth from the anchor row.
constexpr int CellDx(int cell, const Lattice& l = kPuzzleLattice) {
    return LatticeDx(cell, l.spacing);
}
constexpr int CellY(int cell, const Lattice& l = kPuzzleLattice) {
    return LatticeDy(cell, l.spacing);
}
// Cell at offset dx and depth y, or -1 when that is not a field cell the game builds.
int CellAt(int dx, int y, const Lattice& l = kPuzzleLattice);

constexpr bool IsColour(int code) {
    return code >= 0 && code <= 7;
}
constexpr bool IsAnchor(int code) {
    return code == kAnchorCode || code == kAnchorCodeAlt;
}

// --- text form -----------------------------------------------------------------------------
struct ParseResult {
    bool ok = false;
    Level level;
    Problem problem;
};
ParseResult ParseSource(std::string_view text, const Lattice& lattice = kPuzzleLattice);

// The canonical source for a set of records; fails for records this format cannot show
// exactly (codes outside what the game builds, anything in cells the game never reads).
struct DecompileResult {
    bool ok = false;
    std::string text;
    Problem problem;  // line holds the record number + 1 of the offending record
};
DecompileResult Decompile(const Records& records, std::string_view header = {},
                          const Lattice& lattice = kPuzzleLattice, bool pipe = false);

// The lines that carry data: comments and blank lines dropped. Two sources for the same file
// have the same body.
std::string SourceBody(std::string_view text);

// The comment line of a proof ("; proven: 5 of 5, shots 2, time 19, field 1a2b3c4d"), and
// the mark a comment's text after "proven:" gives for these records (unknown when it does not
// read or names another field).
std::string ProofComment(const ProofMark& mark, const Records& records);
ProofMark ReadProofComment(std::string_view text, const Records& records);

// --- file form -----------------------------------------------------------------------------
std::string EncodeFile(const Records& records);
struct DecodeResult {
    bool ok = false;
    Records records{};
    std::string error;
};
DecodeResult DecodeFile(std::string_view bytes);

// "lvl00" + number + ".lvl": lvl007.lvl, lvl0010.lvl; a match level "lvl000" + number +
// "two.lvl": lvl0001two.lvl, lvl00050two.lvl.
std::string LevelFileName(int number, const Lattice& lattice = kPuzzleLattice);
// The records 0..9 of a file: the ceiling's anchors where the lattice has them, else empty.
void WriteCeiling(Records& records, const Lattice& lattice);
// "pipelev" + number + ".lvl": pipelev7.lvl.
std::string PipeLevelFileName(int number);
// Whether a level file's name is that of a pipe level (pipelev7.lvl).
bool IsPipeFileName(std::string_view path);
// Level number from a source name like "levels/puzzle/07.txt", or 0 if it has none.
int SourceNumber(std::string_view path);

// --- pipe levels ---------------------------------------------------------------------------
// Cell codes: 0..5 pieces of kind code + 1 (0 and 1 the bonus straights), 6 source barrel, 7
// target barrel (by the top cell), 8 obstacle. Column 0 of every row is never built.
constexpr int kPipeSourceCode = 6;
constexpr int kPipeTargetCode = 7;
constexpr int kPipeObstacleCode = 8;
constexpr bool IsPipePiece(int code) {
    return code >= 0 && code <= 5;
}
// Offsets of the four barrel stones from the top cell and of the water's way out and in.
constexpr int kBarrelStones[4][2] = {{0, 0}, {-30, 30}, {30, 30}, {0, 60}};
constexpr int kOutletDx = 30, kOutletDy = 90;  // source: south-east of the bottom stone
constexpr int kInletDx = -30, kInletDy = 90;   // target: south-west of the bottom stone

// --- checks --------------------------------------------------------------------------------
std::vector<Problem> CheckLevel(const Level& level);
std::vector<Problem> CheckPipeLevel(const Level& level);

struct NamedLevel {
    std::string path;
    Level level;
};
// Problems across a set (duplicates); each message names the files involved.
std::vector<std::string> CheckSet(const std::vector<NamedLevel>& set);

}  // namespace levels
