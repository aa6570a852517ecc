#include "shell/disk_levels.h"

#include "platform/file_bytes.h"
#include "playfield/level_pack.h"

namespace {

// Level n of a pack file as the record file the game reads; false when the pack does not read
// or has no such level.
bool ReadPackLevel(const std::string& packPath, int level, std::string& bytes) {
    const FileBytes file = ReadFileBytes(packPath, levels::kMaxPackBytes);
    if (!file.Ok()) return false;
    const levels::PackResult r = levels::ParsePack(
        std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()));
    if (!r.ok || r.pack.match || level > static_cast<int>(r.pack.levels.size())) return false;
    levels::Records records = r.pack.levels[level - 1].records;
    // The ceiling is the lattice's, as the shipped levels' files have it.
    levels::WriteCeiling(records, levels::kPuzzleLattice);
    bytes = EncodeLevelRecords(records);
    return true;
}

}  // namespace

bool DiskLevelSource::Read(const std::string& path, std::size_t maxBytes, std::string& bytes) {
    std::string packPath;
    int level = 0;
    if (SplitPackLevelPath(path, packPath, level)) {
        if (!ReadPackLevel(packPath, level, bytes)) return false;
        if (bytes.size() > maxBytes) bytes.resize(maxBytes);
        return true;
    }
    const FileBytes file = ReadFileBytes(path, maxBytes);
    if (!(file.Ok() || file.problem == FileProblem::kTooLong)) return false;
    bytes.assign(file.bytes.begin(), file.bytes.end());
    return true;
}

LevelSource& DiskLevels() {
    static DiskLevelSource disk;
    return disk;
}
