#include "menus/record_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/game.h"
#include "core/paths.h"
#include "platform/file_bytes.h"
#include "platform/platform.h"

namespace {

// Temporary names are "<target>.<pid>-<n>.tmp": unique per process and write, so no other file
// can be there already, and the pid tells whether the writer is still alive.
constexpr const char* kTempSuffix = ".tmp";

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // some file systems refuse this; the data itself is already on disk
    ::close(fd);
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The pid in "<name>.dat.<pid>-<n>.tmp"; 0 for the older "<name>.dat.tmp"; -1 for other names.
long TemporaryWriterPid(const std::string& name) {
    if (!EndsWith(name, kTempSuffix)) return -1;
    const std::string stem = name.substr(0, name.size() - 4);
    if (EndsWith(stem, ".dat")) return 0;
    const std::size_t dot = stem.rfind('.');
    const std::size_t dash = stem.rfind('-');
    if (dot == std::string::npos || dash == std::string::npos || dash < dot ||
        !EndsWith(stem.substr(0, dot), ".dat"))
        return -1;
    const std::string pid = stem.substr(dot + 1, dash - dot - 1);
    const std::string count = stem.substr(dash + 1);
    if (pid.empty() || pid.size() > 9 || count.empty()) return -1;
    for (char c : pid + count) {
        if (c < '0' || c > '9') return -1;
    }
    return std::strtol(pid.c_str(), nullptr, 10);
}

}  // namespace

bool ReadRecordFile(const std::string& path, std::size_t size, std::vector<std::uint8_t>& bytes) {
    FileBytes file = ReadFileBytes(path, size);
    if (!file.Ok() || file.bytes.size() != size) {
        bytes.clear();
        return false;
    }
    bytes = std::move(file.bytes);
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    namespace fs = std::filesystem;
    static unsigned long writes = 0;
    std::error_code ec;
    const fs::path target(path);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp =
            path + "." + std::to_string(::getpid()) + "-" + std::to_string(++writes) + kTempSuffix;
        // A new file only: never one that is there already, never through a link.
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

void RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const long pid = TemporaryWriterPid(name);
        if (pid < 0) continue;
        // A writer that is still running (another copy of the game) keeps its file.
        if (pid > 0 && pid != ::getpid() &&
            (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM))
            continue;
        ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

bool WriteGameFile(Game& game, const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (WriteFileAtomically(path, bytes)) return true;
    if (!game.session.WriteErrorShown) {
        game.session.WriteErrorShown = true;
        game.platform->ShowMessage("Rhombulus2 could not write \"" + path +
                                   "\". The game goes on, but this will not be kept.");
    }
    return false;
}

std::string WholeNamesFileOf(const std::string& gamePath) {
    const std::string dat = ".dat";
    const bool endsInDat = gamePath.size() >= dat.size() &&
                           gamePath.compare(gamePath.size() - dat.size(), dat.size(), dat) == 0;
    return (endsInDat ? gamePath.substr(0, gamePath.size() - dat.size()) : gamePath) + "-utf8.txt";
}

WholeNames ReadWholeNames(Game& game, const std::string& gamePath, int lastRecord,
                          std::size_t nameChars) {
    const FileBytes file = ReadFileBytes(ResolveGamePath(game, gamePath), kMaxWholeNamesBytes);
    if (!file.Ok()) return {};
    return ParseWholeNames(
        std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()),
        lastRecord, nameChars);
}

bool WriteWholeNames(Game& game, const std::string& gamePath, const WholeNames& names) {
    const std::string path = ResolveGamePath(game, gamePath);
    if (names.empty()) {
        std::error_code ec;
        // Only a file of ours goes; anything else in its place is left alone.
        if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec)))
            std::filesystem::remove(path, ec);
        return true;
    }
    const std::string text = WholeNamesText(names);
    return WriteGameFile(game, path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void PutInt32(std::vector<std::uint8_t>& bytes, size_t offset, std::int32_t value) {
    if (bytes.size() < offset + 4) bytes.resize(offset + 4, 0);
    const std::uint32_t v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 255);
}

std::int32_t GetInt32(const std::vector<std::uint8_t>& bytes, size_t offset) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    return static_cast<std::int32_t>(v);
}
