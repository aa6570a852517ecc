#include "shell/snapshot.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <type_traits>

#include "core/game.h"
#include "core/paths.h"
#include "menus/record_file.h"

namespace {

constexpr char kMagic[8] = {'R', 'h', 'o', 'm', 'b', 'S', 'n', 'p'};
constexpr size_t kHeaderBytes = 8 + 4 + 4 + 4;

// FNV-1a over the payload.
std::uint32_t Checksum(const std::uint8_t* data, size_t n) {
    std::uint32_t h = 2166136261u;
    for (size_t i = 0; i < n; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

class Writer {
  public:
    template <typename T>
    void Raw(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
        bytes.insert(bytes.end(), p, p + sizeof(T));
    }
    void Text(const std::string& s) {
        Raw(static_cast<std::uint32_t>(s.size()));
        bytes.insert(bytes.end(), s.begin(), s.end());
    }
    std::vector<std::uint8_t> bytes;
};

class Reader {
  public:
    Reader(const std::uint8_t* data, size_t size) : data_(data), size_(size) {}
    template <typename T>
    bool Raw(T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        if (size_ - at_ < sizeof(T)) return false;
        std::memcpy(&value, data_ + at_, sizeof(T));
        at_ += sizeof(T);
        return true;
    }
    bool Text(std::string& s) {
        std::uint32_t n = 0;
        if (!Raw(n) || size_ - at_ < n) return false;
        s.assign(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return true;
    }
    bool AtEnd() const { return at_ == size_; }

  private:
    const std::uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// The simulation state of a game in progress, in one place for both directions.
struct State {
    PlayfieldState play;
    CannonState cannon;
    ExtrasTable extras;
    LevelState level;
    MatchState match;
    ComputerState computer;
    StoneTable stones;
    EffectTable effects;
    FloatingTextTable texts;
    int MusicOn = 1;
    std::uint64_t rng = 1;
};

void Put(Writer& w, const Game& g) {
    w.Raw(g.play);
    w.Raw(g.cannon);
    w.Raw(g.extras);
    w.Raw(g.level);
    w.Raw(g.match);
    w.Raw(g.computer);
    w.Raw(g.stones);
    w.Raw(g.effects);
    const FloatingTextTable& t = g.floatingTexts;
    w.Raw(t.TextX);
    w.Raw(t.TextY);
    w.Raw(t.TextVy);
    w.Raw(t.TextLife);
    for (const std::string& s : t.TextString) w.Text(s);
    w.Raw(t.TextCursor);
    w.Raw(g.shell.MusicOn);
    w.Raw(g.rng.State());
}

bool Get(Reader& r, State& s) {
    FloatingTextTable& t = s.texts;
    bool ok = r.Raw(s.play) && r.Raw(s.cannon) && r.Raw(s.extras) && r.Raw(s.level) &&
              r.Raw(s.match) && r.Raw(s.computer) && r.Raw(s.stones) && r.Raw(s.effects) &&
              r.Raw(t.TextX) && r.Raw(t.TextY) && r.Raw(t.TextVy) && r.Raw(t.TextLife);
    for (std::string& text : t.TextString) ok = ok && r.Text(text);
    return ok && r.Raw(t.TextCursor) && r.Raw(s.MusicOn) && r.Raw(s.rng) && r.AtEnd();
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, size_t at) {
    return static_cast<std::uint32_t>(GetInt32(b, at));
}

}  // namespace

std::vector<std::uint8_t> SnapshotBytes(const Game& game) {
    Writer payload;
    Put(payload, game);
    std::vector<std::uint8_t> bytes(kMagic, kMagic + 8);
    PutInt32(bytes, 8, static_cast<std::int32_t>(kSnapshotVersion));
    PutInt32(bytes, 12, static_cast<std::int32_t>(payload.bytes.size()));
    PutInt32(bytes, 16,
             static_cast<std::int32_t>(Checksum(payload.bytes.data(), payload.bytes.size())));
    bytes.insert(bytes.end(), payload.bytes.begin(), payload.bytes.end());
    return bytes;
}

bool RestoreSnapshotBytes(Game& game, const std::vector<std::uint8_t>& bytes, std::string& why) {
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), kMagic, 8) != 0) {
        why = "not a snapshot";
        return false;
    }
    if (Get32(bytes, 8) != kSnapshotVersion) {
        why = "version " + std::to_string(Get32(bytes, 8)) + ", this game reads version " +
              std::to_string(kSnapshotVersion);
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
    auto state = std::make_unique<State>();
    Reader reader(bytes.data() + kHeaderBytes, size);
    if (!Get(reader, *state)) {
        why = "its contents do not fit this game";
        return false;
    }
    game.play = state->play;
    game.cannon = state->cannon;
    game.extras = state->extras;
    game.level = state->level;
    game.match = state->match;
    // The match's opponent and its thoughts; the start-level screen's choice is the setting's.
    game.computer.Strength = state->computer.Strength;
    game.computer.Mind = state->computer.Mind;
    game.stones = state->stones;
    game.effects = state->effects;
    game.floatingTexts = state->texts;
    game.shell.MusicOn = state->MusicOn;
    game.rng.SetState(state->rng);
    return true;
}

bool WriteSnapshot(Game& game) {
    return WriteGameFile(game, ResolveGamePath(game, kSnapshotFile), SnapshotBytes(game));
}

bool ResumeFromSnapshot(Game& game) {
    const std::string path = ResolveGamePath(game, kSnapshotFile);
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) return false;
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
