// Level packs: one text file that holds a player's levels, so a pack is shared by sending one
// file. A header names the pack, its author and its lattice; then each level follows in the
// source format of levels/puzzle/NN.txt, after a line "level":
//
//   pack: Cold Caves
//   author: Anna
//   kind: puzzle            (or match)
//
//   level
//   ; name: Icicles
//   ; idea: Land beside a tip, never under it.
//   field
//   |# # # # # # # # # #|
//   ...
//
// A pack comes from anywhere, so it is read with every value checked and its size bounded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "playfield/level_text.h"

namespace levels {

constexpr std::size_t kMaxPackBytes = 256 * 1024;  // a hundred full levels fit five times
constexpr int kMaxPackLevels = 99;
constexpr std::size_t kMaxPackName = 40;    // bytes of the pack's and the author's name
constexpr std::size_t kMaxLevelIdea = 120;  // bytes of a level's name or idea

struct Pack {
    std::string name;    // UTF-8, as in the file
    std::string author;  // may be empty
    bool match = false;  // the match lattice, else the Puzzle's
    std::vector<Level> levels;
};

// What kind of fault refused a pack: few enough for the game to say each in every language,
// while Problem::message keeps the exact detail for levelc and the log.
enum class PackFault {
    kNone,
    kTooLarge,       // more than kMaxPackBytes
    kNotText,        // holds a zero byte
    kNotPack,        // no "pack:" line first
    kHeader,         // a header line that is unknown, repeated or of a wrong value
    kLevel,          // a level that does not read (PackResult::level says which)
    kTooManyLevels,  // more than kMaxPackLevels
    kNoLevel,
};

struct PackResult {
    bool ok = false;
    Pack pack;
    Problem problem;  // the first problem; its line counts in the whole file
    PackFault fault = PackFault::kNone;
    int level = 0;  // the faulty level, from 1, for PackFault::kLevel
};

// Whether a text is a pack rather than one level's source: its first line that is neither
// blank nor a comment starts with "pack:".
bool IsPackText(std::string_view text);
// Reads a pack: header, then 1..kMaxPackLevels levels, each one read as a source (its problems'
// lines and rows counted in the whole file) and named. The checks of CheckLevel are not run:
// a pack may hold a level still being built.
PackResult ParsePack(std::string_view text);
// The pack as text; ParsePack reads it back to the same pack. False (and `error` says why)
// for a pack that cannot be written so: a name that is empty or too long, no level, too many.
bool WritePack(const Pack& pack, std::string& text, std::string& error);

}  // namespace levels
