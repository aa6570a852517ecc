#include "shell/replay_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <vector>

#include "core/languages.h"
#include "menus/record_file.h"
#include "platform/file_bytes.h"
#include "playfield/level_pack.h"

namespace fs = std::filesystem;

namespace {

// Level files are a few kilobytes; anything far larger is not one of ours.
constexpr std::size_t kMaxLevelFileBytes = 1024 * 1024;

void Fnv(std::uint64_t& h, const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        h ^= data[i];
        h *= 1099511628211ull;
    }
}

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string UserReplaysDir(const char* xdgDataHome, const char* home) {
    std::string base;
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        base = xdgDataHome;
    } else {
        base = std::string(home != nullptr && home[0] != '\0' ? home : ".") + "/.local/share";
    }
    return base + "/rhombulus2/replays";
}

std::uint64_t LevelFilesHash(const std::string& levelDir) {
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(levelDir, ec)) {
        if (entry.is_regular_file(ec)) names.push_back(entry.path().filename().string());
    }
    if (names.empty()) return 0;
    std::sort(names.begin(), names.end());
    std::uint64_t h = 14695981039346656037ull;
    for (const std::string& name : names) {
        Fnv(h, reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
        const FileBytes file = ReadFileBytes(levelDir + "/" + name, kMaxLevelFileBytes);
        Fnv(h, file.bytes.data(), file.bytes.size());
    }
    return h == 0 ? 1 : h;
}

namespace {

std::string Hex(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : bytes) {
        hex += kHex[b >> 4];
        hex += kHex[b & 15];
    }
    return hex;
}

bool Unhex(const std::string& hex, std::string& bytes) {
    if (hex.size() % 2 != 0 || hex.find_first_not_of("0123456789abcdef") != std::string::npos)
        return false;
    auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    bytes.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes += static_cast<char>(nibble(hex[i]) * 16 + nibble(hex[i + 1]));
    return true;
}

}  // namespace

bool IsPackFileName(const std::string& file) {
    return !file.empty() && file.size() <= kMaxPackFileName && file[0] != '.' &&
           file.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string ReplayHeaderText(const ReplayHeader& header) {
    char levels[32];
    std::snprintf(levels, sizeof levels, "%016llx", static_cast<unsigned long long>(header.levels));
    std::string text = "# seed " + std::to_string(header.seed) + "\n";
    if (header.language != 0) text += "# language " + std::to_string(header.language) + "\n";
    if (!header.version.empty()) text += "# version " + header.version + "\n";
    if (header.levels != 0) text += std::string("# levels ") + levels + "\n";
    if (!header.tune.empty()) text += "# tune " + header.tune + "\n";
    if (!header.packFile.empty())
        text += "# pack " + Hex(header.packFile) + " " + Hex(header.pack) + "\n";
    if (header.hasEnd) {
        char end[32];
        std::snprintf(end, sizeof end, "%016llx", static_cast<unsigned long long>(header.endHash));
        text += std::string("# end ") + end + "\n";
    }
    if (!header.state.empty()) text += "# state " + header.state + "\n";
    return text;
}

bool ReadReplayHeader(const std::string& text, ReplayHeader& header, std::string& why) {
    header = ReplayHeader{};
    std::istringstream lines(text);
    std::string line;
    bool seed = false;
    for (int n = 0; n < kMaxReplayHeaderLines && std::getline(lines, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] != '#') break;
        std::istringstream words(line.substr(1));
        std::string word;
        if (!(words >> word)) continue;
        if (word == "seed") {
            std::string digits;
            if (!(words >> digits) || digits.size() > 20 ||
                digits.find_first_not_of("0123456789") != std::string::npos) {
                why = "the seed line is damaged";
                return false;
            }
            errno = 0;
            const unsigned long long v = std::strtoull(digits.c_str(), nullptr, 10);
            if (errno != 0) {
                why = "the seed line is damaged";
                return false;
            }
            header.seed = v;
            seed = true;
        } else if (word == "language") {
            int v = 0;
            if (!(words >> v) || v < 1 || v > kLanguages) {
                why = "the language line is damaged";
                return false;
            }
            header.language = v;
        } else if (word == "version") {
            if (!(words >> header.version) || header.version.size() > 64) {
                why = "the version line is damaged";
                return false;
            }
        } else if (word == "levels") {
            std::string hex;
            if (!(words >> hex) || hex.empty() || hex.size() > 16 ||
                hex.find_first_not_of("0123456789abcdef") != std::string::npos) {
                why = "the level line is damaged";
                return false;
            }
            header.levels = std::strtoull(hex.c_str(), nullptr, 16);
        } else if (word == "tune") {
            if (!(words >> header.tune) || header.tune.size() > 256) {
                why = "the tune line is damaged";
                return false;
            }
        } else if (word == "pack") {
            std::string file, pack;
            if (!(words >> file >> pack) || file.size() > 2 * kMaxPackFileName ||
                pack.size() > 2 * levels::kMaxPackBytes || !Unhex(file, header.packFile) ||
                !Unhex(pack, header.pack) || !IsPackFileName(header.packFile)) {
                why = "the pack line is damaged";
                return false;
            }
        } else if (word == "end") {
            std::string hex;
            if (!(words >> hex) || hex.size() != 16 ||
                hex.find_first_not_of("0123456789abcdef") != std::string::npos) {
                why = "the end line is damaged";
                return false;
            }
            header.endHash = std::strtoull(hex.c_str(), nullptr, 16);
            header.hasEnd = true;
        } else if (word == "state") {
            if (!(words >> header.state) || header.state.size() > kMaxReplayStateChars ||
                header.state.size() % 2 != 0 ||
                header.state.find_first_not_of("0123456789abcdef") != std::string::npos) {
                why = "the state line is damaged";
                return false;
            }
        }
        // Other "#" lines are notes for the reader.
    }
    if (!seed) {
        why = "it names no seed";
        return false;
    }
    return true;
}

std::string ReplayMismatch(const ReplayHeader& header, const std::string& version,
                           std::uint64_t levels) {
    if (header.version.empty()) return "it names no game version";
    if (header.version != version)
        return "it was played with version " + header.version + ", this is " + version;
    if (header.levels != levels) return "it was played with other level files";
    return "";
}

int PruneReplays(const std::string& dir, const std::set<std::string>& kept, std::size_t keepLast,
                 std::uintmax_t maxBytes) {
    struct Entry {
        std::string name;
        std::uintmax_t size;
    };
    std::error_code ec;
    std::vector<Entry> entries;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (!EndsWith(name, kReplaySuffix) || !entry.is_regular_file(ec)) continue;
        const std::uintmax_t size = entry.file_size(ec);
        entries.push_back({name, ec ? 0 : size});
    }
    // Newest first: the names begin with the time of the game.
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name > b.name; });
    std::uintmax_t total = 0;
    for (const Entry& e : entries) total += e.size;
    int removed = 0;
    auto remove = [&](const Entry& e) {
        if (fs::remove(fs::path(dir) / e.name, ec)) {
            total -= e.size;
            ++removed;
            return true;
        }
        return false;
    };
    std::vector<Entry> left;
    std::size_t unkept = 0;
    for (const Entry& e : entries) {
        if (kept.count(e.name) != 0) {
            left.push_back(e);
            continue;
        }
        if (unkept < keepLast) {
            ++unkept;
            left.push_back(e);
            continue;
        }
        if (!remove(e)) left.push_back(e);
    }
    // Over the size: the oldest of those not kept go first.
    for (auto it = left.rbegin(); it != left.rend() && total > maxBytes; ++it) {
        if (kept.count(it->name) == 0) remove(*it);
    }
    return removed;
}

bool StoreReplay(const std::string& dir, const std::string& name, const std::string& text,
                 const std::set<std::string>& kept) {
    static bool told = false;
    std::error_code ec;
    fs::create_directories(dir, ec);
    const std::string path = dir + "/" + name;
    const bool ok = text.size() < kReplayFolderBytes &&
                    WriteFileAtomically(path, std::vector<std::uint8_t>(text.begin(), text.end()));
    if (!ok) {
        if (!told) std::fprintf(stderr, "rhombulus2: cannot keep the replay in %s\n", dir.c_str());
        told = true;
        return false;
    }
    PruneReplays(dir, kept);
    return true;
}
