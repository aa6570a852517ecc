#include "menus/record_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "core/game.h"
#include "platform/file_bytes.h"
#include "platform/platform.h"

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    return ReadFileBytes(path, bytes);
}

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    const std::string temp = path + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fflush(f) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (ok) {
        fs::rename(temp, target, ec);
        ok = !ec;
    }
    if (!ok) fs::remove(temp, ec);
    return ok;
}

bool WriteGameFile(Game& game, const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (WriteFileAtomically(path, bytes)) return true;
    if (!game.shell.WriteErrorShown) {
        game.shell.WriteErrorShown = true;
        game.platform->ShowMessage("Rhombulus2 could not write \"" + path +
                                   "\". The game goes on, but this will not be kept.");
    }
    return false;
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
