#include "shell/disk_levels.h"

#include "platform/file_bytes.h"

bool DiskLevelSource::Read(const std::string& path, std::size_t maxBytes, std::string& bytes) {
    const FileBytes file = ReadFileBytes(path, maxBytes);
    if (!(file.Ok() || file.problem == FileProblem::kTooLong)) return false;
    bytes.assign(file.bytes.begin(), file.bytes.end());
    return true;
}

LevelSource& DiskLevels() {
    static DiskLevelSource disk;
    return disk;
}
