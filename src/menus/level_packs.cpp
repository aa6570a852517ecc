#include "menus/level_packs.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/mode_facts.h"
#include "menus/record_file.h"
#include "platform/file_bytes.h"

namespace fs = std::filesystem;

namespace {

std::string FaultCode(const levels::PackResult& r) {
    using levels::PackFault;
    switch (r.fault) {
        case PackFault::kTooLarge:
            return "too-large";
        case PackFault::kNotText:
            return "not-text";
        case PackFault::kNotPack:
            return "not-a-pack";
        case PackFault::kHeader:
            // A name too long is said as such: the player can mend it without knowing the format.
            if (r.problem.message.find("the pack's name is longer") != std::string::npos)
                return "name-too-long";
            if (r.problem.message.find("the author's name is longer") != std::string::npos)
                return "author-too-long";
            return "header";
        case PackFault::kLevel:
            return "level " + std::to_string(r.level);
        case PackFault::kTooManyLevels:
            return "too-many-levels";
        case PackFault::kNoLevel:
            return "no-level";
        case PackFault::kNone:
            break;
    }
    return "unreadable";
}

PackListing ReadPackFile(const fs::path& path) {
    PackListing l;
    l.file = path.filename().string();
    // One byte more than a pack may have tells a file that is too large.
    const FileBytes file = ReadFileBytes(path.string(), levels::kMaxPackBytes + 1);
    if (file.problem == FileProblem::kTooLong) {
        l.message = "the file is larger than " + std::to_string(levels::kMaxPackBytes / 1024) +
                    " KiB, more than a pack may have";
        l.fault = "too-large";
        return l;
    }
    if (!file.Ok()) {
        l.message = std::string("the file ") + DescribeFileProblem(file.problem);
        l.fault = "unreadable";
        return l;
    }
    const std::string text(file.bytes.begin(), file.bytes.end());
    levels::PackResult r = levels::ParsePack(text);
    if (!r.ok) {
        l.message = (r.problem.line > 0 ? "line " + std::to_string(r.problem.line) + ": " : "") +
                    r.problem.message;
        l.fault = FaultCode(r);
        return l;
    }
    l.ok = true;
    l.pack = std::move(r.pack);
    return l;
}

}  // namespace

std::vector<PackListing> ListLevelPacks(const std::string& levelsDir) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(levelsDir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.extension() == ".txt" && p.filename().string()[0] != '.') files.push_back(p);
    }
    std::sort(files.begin(), files.end());
    if (files.size() > static_cast<size_t>(kMaxListedPacks)) files.resize(kMaxListedPacks);
    std::vector<PackListing> list;
    for (const fs::path& p : files) list.push_back(ReadPackFile(p));
    return list;
}

PackListing ReadLevelPack(const std::string& levelsDir, const std::string& file) {
    if (file.empty() || file.find('/') != std::string::npos || file[0] == '.') {
        PackListing l;
        l.file = file;
        l.message = "'" + file + "' is not a file name in the levels folder";
        l.fault = "unreadable";
        return l;
    }
    return ReadPackFile(fs::path(levelsDir) / file);
}

PackListing ShippedPuzzlePack(const std::string& resDir) {
    PackListing l;
    l.readOnly = true;
    l.pack.name = "Rhombulus 2";
    const ModeFacts& facts = FactsOfMode(kModePuzzle);
    for (int n = 1; n <= facts.lastLevel; ++n) {
        std::string relative = LevelFilePath(facts, n).substr(4);  // after "res\"
        std::replace(relative.begin(), relative.end(), '\\', '/');
        const FileBytes file = ReadFileBytes(resDir + "/" + relative, kLevelFileBytes);
        levels::Level level;
        if (!file.Ok() ||
            !DecodeLevelRecords(std::string(file.bytes.begin(), file.bytes.end()), level.records)) {
            l.message = "level " + std::to_string(n) + " of the game is missing or damaged";
            l.fault = "level " + std::to_string(n);
            l.pack.levels.clear();
            return l;
        }
        level.name = "Level " + std::to_string(n);
        l.pack.levels.push_back(level);
    }
    l.ok = true;
    return l;
}

std::string PackFileName(std::string_view packName) {
    std::string name;
    bool gap = false;
    for (char c : packName) {
        const bool letter =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letter) {
            gap = !name.empty();
            continue;
        }
        if (gap) name += '-';
        gap = false;
        name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (name.size() >= levels::kMaxPackName) break;
    }
    return (name.empty() ? "pack" : name) + ".txt";
}

bool SaveLevelPack(const std::string& levelsDir, const std::string& file, const levels::Pack& pack,
                   std::string& error) {
    std::string text;
    if (!levels::WritePack(pack, text, error)) return false;
    if (file.empty() || file.find('/') != std::string::npos || file[0] == '.') {
        error = "'" + file + "' is not a file name in the levels folder";
        return false;
    }
    std::error_code ec;
    fs::create_directories(levelsDir, ec);
    if (!WriteFileAtomically(levelsDir + "/" + file,
                             std::vector<std::uint8_t>(text.begin(), text.end()))) {
        error = "cannot write " + levelsDir + "/" + file;
        return false;
    }
    return true;
}
