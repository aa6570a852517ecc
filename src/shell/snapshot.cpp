#include "shell/snapshot.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "core/game.h"
#include "core/paths.h"
#include "core/state_io.h"
#include "menus/record_file.h"
#include "platform/file_bytes.h"

namespace {

constexpr char kMagic[8] = {'R', 'h', 'o', 'm', 'b', 'S', 'n', 'p'};
constexpr size_t kHeaderBytes = 8 + 4 + 4 + 4;
// Far more than any snapshot of this game holds (about 1.5 MB); a larger file is not one.
// The suspend file on disk; a snapshot sent over the network has its own, smaller bound.
constexpr size_t kMaxSnapshotFileBytes = 8 * 1024 * 1024;

// FNV-1a over the payload.
std::uint32_t Checksum(const std::uint8_t* data, size_t n) {
    std::uint32_t h = 2166136261u;
    for (size_t i = 0; i < n; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, size_t at) {
    return static_cast<std::uint32_t>(GetInt32(b, at));
}

}  // namespace

std::uint32_t SnapshotVersion() {
    static const std::uint32_t version = StateLayout(StatePart::kGameInProgress);
    return version;
}

std::vector<std::uint8_t> WrapSnapshotPayload(const std::uint8_t* payload, size_t size) {
    std::vector<std::uint8_t> bytes(kMagic, kMagic + 8);
    PutInt32(bytes, 8, static_cast<std::int32_t>(SnapshotVersion()));
    PutInt32(bytes, 12, static_cast<std::int32_t>(size));
    PutInt32(bytes, 16, static_cast<std::int32_t>(Checksum(payload, size)));
    bytes.insert(bytes.end(), payload, payload + size);
    return bytes;
}

std::vector<std::uint8_t> SnapshotBytes(const Game& game) {
    const std::vector<std::uint8_t> payload = StateBytes(game, StatePart::kGameInProgress);
    return WrapSnapshotPayload(payload.data(), payload.size());
}

bool RestoreSnapshotBytes(Game& game, const std::vector<std::uint8_t>& bytes, std::string& why) {
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), kMagic, 8) != 0) {
        why = "not a snapshot";
        return false;
    }
    if (Get32(bytes, 8) != SnapshotVersion()) {
        why = "layout " + std::to_string(Get32(bytes, 8)) + ", this game reads layout " +
              std::to_string(SnapshotVersion());
        return false;
    }
    const size_t size = Get32(bytes, 12);
    if (bytes.size() - kHeaderBytes != size) {
        why = "it holds " + std::to_string(bytes.size() - kHeaderBytes) +
              " bytes, its header says " + std::to_string(size);
        return false;
    }
    if (Checksum(bytes.data() + kHeaderBytes, size) != Get32(bytes, 16)) {
        why = "damaged (checksum)";
        return false;
    }
    // Everything is read into a state of its own first: a snapshot is taken whole or not at all.
    auto state = std::make_unique<Simulation>(game.sim());
    if (!ReadStateBytes(bytes.data() + kHeaderBytes, size, StatePart::kGameInProgress, *state,
                        why)) {
        why = "its contents do not fit this game (" + why + ")";
        return false;
    }
    // The start-level screen's choice of opponent is the setting's, not the snapshot's.
    state->computer.OpponentChoice = game.computer.OpponentChoice;
    game.sim() = *state;
    return true;
}

bool WriteSnapshot(Game& game) {
    return WriteGameFile(game, ResolveGamePath(game, kSnapshotFile), SnapshotBytes(game));
}

bool ResumeFromSnapshot(Game& game) {
    const std::string path = ResolveGamePath(game, kSnapshotFile);
    const FileBytes file = ReadFileBytes(path, kMaxSnapshotFileBytes);
    if (file.problem == FileProblem::kMissing) return false;
    if (file.problem == FileProblem::kNotAFile || file.problem == FileProblem::kUnreadable) {
        std::fprintf(stderr, "rhombulus2: %s is ignored: it %s\n", path.c_str(),
                     DescribeFileProblem(file.problem));
        return false;
    }
    const std::vector<std::uint8_t>& bytes = file.bytes;
    // One start takes it: a game finished or abandoned later is not offered again.
    std::error_code ec;
    std::filesystem::remove(path, ec);
    std::string why;
    if (!RestoreSnapshotBytes(game, bytes, why)) {
        std::fprintf(stderr, "rhombulus2: %s is ignored: %s\n", path.c_str(), why.c_str());
        return false;
    }
    game.shell.GameInProgress = 2;
    return true;
}
