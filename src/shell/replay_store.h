// The replays folder: every game of the window is kept as one plain text file in the runner's
// input-script format, headed by the seed, the language of a first start, the game version and a
// hash of the level files, so that a replay from another version or level set can say so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

// $XDG_DATA_HOME/rhombulus2/replays (~/.local/share/rhombulus2/replays), like the saves.
std::string UserReplaysDir(const char* xdgDataHome, const char* home);

// 64-bit FNV-1a over the names and bytes of the files in levelDir, in name order; 0 when the
// folder cannot be read.
std::uint64_t LevelFilesHash(const std::string& levelDir);

struct ReplayHeader {
    std::uint64_t seed = 0;
    int language = 0;          // 0: none named
    std::string version;       // empty: none named
    std::uint64_t levels = 0;  // the level files' hash; 0: none named
    // A game's replay starts where its game started: the whole simulation then, packed
    // (hex of its zlib-compressed state bytes), and the tune that was playing. Empty: the
    // replay starts with the program.
    std::string state;
    std::string tune;
    // A pack game's pack: its file name in the levels folder and its text, so that the replay
    // plays where that folder holds another version of it, or none. Empty: no pack.
    std::string packFile;
    std::string pack;
    // A network match: the state hash both machines ended it with, which its replay must reach.
    bool hasEnd = false;
    std::uint64_t endHash = 0;
};
// A name a pack game's replay may give its pack's file: no folder, not hidden.
inline constexpr std::size_t kMaxPackFileName = 255;
bool IsPackFileName(const std::string& file);
// The longest state line read.
inline constexpr std::size_t kMaxReplayStateChars = 16u << 20;

// The header lines ("# seed N", "# language N", "# version V", "# levels HEX", "# tune PATH",
// "# pack HEX HEX" (the pack's file name and text), "# end HEX", "# state HEX").
std::string ReplayHeaderText(const ReplayHeader& header);
// Reads the "#" lines at the top of a replay. False, with the reason, when it names no seed or a
// header line is malformed; only the first kMaxReplayHeaderLines lines are looked at.
inline constexpr int kMaxReplayHeaderLines = 16;
bool ReadReplayHeader(const std::string& text, ReplayHeader& header, std::string& why);
// Why a replay cannot show the game it claims here; empty when its version and level set match.
std::string ReplayMismatch(const ReplayHeader& header, const std::string& version,
                           std::uint64_t levels);

// The suffix of replay files; the name before it sorts by the time of the game.
inline constexpr const char* kReplaySuffix = ".r2replay";
inline constexpr std::size_t kKeptReplays = 30;
inline constexpr std::uintmax_t kReplayFolderBytes = 20u * 1024 * 1024;

// Removes the oldest replays beyond the newest `keepLast` and, while the folder holds more than
// `maxBytes`, the oldest others; never one named in `kept` (file names). Returns the number
// removed.
int PruneReplays(const std::string& dir, const std::set<std::string>& kept,
                 std::size_t keepLast = kKeptReplays, std::uintmax_t maxBytes = kReplayFolderBytes);

// Writes the replay atomically into dir under `name` and prunes the folder. On failure one line
// on stderr (once per run) and false; the game never notices.
bool StoreReplay(const std::string& dir, const std::string& name, const std::string& text,
                 const std::set<std::string>& kept);
