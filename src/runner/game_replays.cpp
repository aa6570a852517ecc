#include "runner/game_replays.h"

#include <zlib.h>

#include <cstdio>
#include <ctime>
#include <memory>

#include "core/game.h"
#include "core/state_io.h"
#include "menus/highscore_replays.h"
#include "platform/file_bytes.h"
#include "playfield/level_pack.h"
#include "shell/command_line.h"
#include "shell/recorder.h"

std::string PackReplayState(const Simulation& sim) {
    const std::vector<std::uint8_t> bytes = StateBytes(sim, StatePart::kWhole);
    uLongf size = compressBound(bytes.size());
    std::vector<std::uint8_t> packed(4 + size);
    for (int i = 0; i < 4; ++i) packed[i] = static_cast<std::uint8_t>(bytes.size() >> (8 * i));
    if (compress2(packed.data() + 4, &size, bytes.data(), bytes.size(), 9) != Z_OK) return "";
    packed.resize(4 + size);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(packed.size() * 2);
    for (std::uint8_t b : packed) {
        hex += kHex[b >> 4];
        hex += kHex[b & 15];
    }
    return hex;
}

bool UnpackReplayState(const std::string& hex, Simulation& into, std::string& why,
                       PlayerOwn* oldOwn, bool* oldForm) {
    why = "the state line is damaged";
    if (hex.size() < 10 || hex.size() % 2 != 0) return false;
    std::vector<std::uint8_t> packed(hex.size() / 2);
    auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    for (std::size_t i = 0; i < packed.size(); ++i)
        packed[i] = static_cast<std::uint8_t>(nibble(hex[2 * i]) * 16 + nibble(hex[2 * i + 1]));
    uLongf size = 0;
    for (int i = 0; i < 4; ++i) size |= static_cast<uLongf>(packed[i]) << (8 * i);
    // No game of ours holds more; a larger claim is no state of it.
    if (size == 0 || size > (64u << 20)) return false;
    std::vector<std::uint8_t> bytes(size);
    const uLongf want = size;
    if (uncompress(bytes.data(), &size, packed.data() + 4, packed.size() - 4) != Z_OK ||
        size != want)
        return false;
    auto scratch = std::make_unique<Simulation>();
    bool old = false;
    if (!ReadStateBytes(bytes.data(), bytes.size(), StatePart::kWhole, *scratch, why)) {
        auto older = std::make_unique<Simulation>();
        // On the heap: clang 14 crashes on this struct's default initialisers in a local.
        auto own = std::make_unique<PlayerOwn>();
        std::string olderWhy;
        old = ReadOldWholeStateBytes(bytes.data(), bytes.size(), *older, *own, olderWhy);
        if (!old) {
            why = "its state is not one of this game: " + why;
            return false;
        }
        scratch = std::move(older);
        if (oldOwn != nullptr) *oldOwn = *own;
    }
    if (oldForm != nullptr) *oldForm = old;
    into = *scratch;
    return true;
}

ReplayHeader ThisGamesReplayHeader(const std::string& resDir, std::uint64_t seed, int language) {
    ReplayHeader header;
    header.seed = seed;
    header.language = language;
    header.version = GameVersion();
    header.levels = LevelFilesHash(resDir + "/Levelz");
    return header;
}

std::string ReplayFileName(std::uint64_t seed, int tick) {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char name[80];
    std::snprintf(name, sizeof name, "%04d%02d%02d-%02d%02d%02d-%04x-%08x%s", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<unsigned>(seed & 0xFFFF), static_cast<unsigned>(tick), kReplaySuffix);
    return name;
}

void GameReplays::Keep(const Game& game) {
    if (!recording) return;
    StoreReplay(dir, game.replayName, recorder.Text(), LinkedReplayFiles(game));
    recording = false;
}

void GameReplays::AfterTick(Game& game) {
    if (game.session.GameEnded) {
        game.session.GameEnded = false;
        if (recording) {
            // The tick that ended the game is the replay's last: its watcher plays to it.
            recorder.EndKept(game.shell.FrameCounter);
            Keep(game);
        }
    }
    if (!game.session.GameStarted) return;
    game.session.GameStarted = false;
    Keep(game);
    ReplayHeader h = header;
    h.state = PackReplayState(game.sim());
    h.tune = game.music.lastFile;
    if (!game.packGame.File.empty()) {
        const FileBytes pack =
            ReadFileBytes(game.env.levelsDir + "/" + game.packGame.File, levels::kMaxPackBytes);
        if (pack.Ok()) {
            h.packFile = game.packGame.File;
            h.pack.assign(pack.bytes.begin(), pack.bytes.end());
        }
    }
    recorder.KeepText(ReplayHeaderText(h), game.shell.FrameCounter + 1);
    game.replayName = ReplayFileName(header.seed, game.shell.FrameCounter);
    recording = true;
}
