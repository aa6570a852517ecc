// The player's level packs on disk: the levels folder ($XDG_DATA_HOME/rhombulus2/levels, or
// DIR/levels under --res DIR), one pack a file, and the shipped Puzzle levels as a pack of
// their own that can be played and copied but never written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "playfield/level_pack.h"

// A pack as the list shows it: read, or refused with the reason.
struct PackListing {
    std::string file;  // the file name in the levels folder; empty for the shipped pack
    bool ok = false;
    bool readOnly = false;  // the shipped levels
    levels::Pack pack;      // empty unless ok
    std::string message;    // why a damaged pack was refused ("line 12: ..."), for the log
    // The same as one of a few kinds that the list says in the player's language: "too-large",
    // "not-text", "unreadable", "not-a-pack", "header", "level N", "too-many-levels",
    // "no-level" (PackFaultWords reads it).
    std::string fault;
};

// Every "*.txt" of the folder in name order, each read on its own: a pack that is too large,
// unreadable or damaged is listed with its message, and the others are read all the same. At
// most kMaxListedPacks files are looked at.
constexpr int kMaxListedPacks = 64;
std::vector<PackListing> ListLevelPacks(const std::string& levelsDir);

// One pack of the folder by its file name, read as the list reads it.
PackListing ReadLevelPack(const std::string& levelsDir, const std::string& file);

// The shipped Puzzle levels (res/Levelz/lvl001.lvl ...), named "Level N", as a read-only pack.
PackListing ShippedPuzzlePack(const std::string& resDir);

// The file name for a pack's name: its letters and digits in lower case, other runs of
// characters as one "-", ".txt" after it; "pack.txt" when nothing is left.
std::string PackFileName(std::string_view packName);

// Writes the pack to levelsDir/file atomically, making the folder when needed. False and
// `error` set when the pack cannot be written or the disk refuses.
bool SaveLevelPack(const std::string& levelsDir, const std::string& file, const levels::Pack& pack,
                   std::string& error);
