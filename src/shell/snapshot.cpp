#include "shell/snapshot.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <type_traits>

#include "core/game.h"
#include "core/paths.h"
#include "core/value_ranges.h"
#include "menus/record_file.h"
#include "modes/mode_table.h"
#include "platform/file_bytes.h"

namespace {

constexpr char kMagic[8] = {'R', 'h', 'o', 'm', 'b', 'S', 'n', 'p'};
constexpr size_t kHeaderBytes = 8 + 4 + 4 + 4;
// Far more than any snapshot of this game holds (about 1.5 MB); a larger file is not one.
constexpr size_t kMaxSnapshotBytes = 8 * 1024 * 1024;

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
    PipeState pipe;
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
    w.Raw(g.pipe);
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
              r.Raw(s.match) && r.Raw(s.computer) && r.Raw(s.stones) && r.Raw(s.pipe) &&
              r.Raw(s.effects) && r.Raw(t.TextX) && r.Raw(t.TextY) && r.Raw(t.TextVy) &&
              r.Raw(t.TextLife);
    for (std::string& text : t.TextString) ok = ok && r.Text(text);
    return ok && r.Raw(t.TextCursor) && r.Raw(s.MusicOn) && r.Raw(s.rng) && r.AtEnd();
}

// Every value that the rules, the renderer or a level start use as a slot, a count, a sprite cell
// or a level must be one the game itself can produce: a snapshot holding anything else is
// damaged, whatever its checksum says.
bool In(std::int64_t v, std::int64_t low, std::int64_t high) {
    return v >= low && v <= high;
}
bool Finite(double v, double limit) {
    return std::isfinite(v) && std::fabs(v) <= limit;
}
// Screen positions, generously: stones slide in from far above in Endless.
constexpr int kFar = 100000;

// A stone's extra is none when 0 or negative (level files may hold any negative number).
bool StonesSound(const StoneTable& t) {
    if (!In(t.StoneCount, 0, kMaxStones) || !In(t.StoneCursor, 0, kMaxStones)) return false;
    for (int i = 1; i <= kMaxStones; ++i) {
        if (!In(t.StoneState[i], 0, 1) || !In(t.StoneColour[i], 0, kAnchorColour) ||
            t.StoneExtra[i] > kExtraFlash || !In(t.StoneMotion[i], 0, 2) ||
            !In(t.StoneLook[i], 0, 2) || t.StoneMarked[i] > 1 || t.StoneFilled[i] > 1 ||
            t.StonePreset[i] > 1 || !In(t.StoneX[i], -kFar, kFar) || !In(t.StoneY[i], -kFar, kFar))
            return false;
    }
    return true;
}

bool EffectsSound(const EffectTable& e) {
    if (!In(e.EffectCursor, 0, kMaxEffects) || !In(e.EffectsInUse, 0, kMaxEffects)) return false;
    for (int i = 1; i <= kMaxEffects; ++i) {
        if (e.EffectKind[i] == 0) continue;
        if (i > e.EffectsInUse || !In(e.EffectKind[i], 1, 9) || !In(e.EffectFrame[i], 0, 20) ||
            !In(e.EffectColour[i], 0, 8) || !In(e.EffectW[i], 0, 75) || !In(e.EffectH[i], 0, 75) ||
            !In(e.EffectHalfW[i], 0, 37) || !In(e.EffectHalfH[i], 0, 37) ||
            !In(e.EffectX[i], -kFar, kFar) || !In(e.EffectY[i], -kFar, kFar) ||
            !Finite(e.EffectXf[i], kFar) || !Finite(e.EffectYf[i], kFar) ||
            !Finite(e.EffectVx[i], 100) || !Finite(e.EffectVy[i], 100))
            return false;
    }
    return true;
}

bool ExtrasSound(const ExtrasTable& x) {
    if (!In(x.ExtraCursor, 0, kMaxExtras)) return false;
    for (int i = 1; i <= kMaxExtras; ++i) {
        if (!In(x.ExtraType[i], 0, kExtraFlash)) return false;
        if (x.ExtraType[i] == 0) continue;
        if (!In(x.ExtraPhase[i], 0, 4) || !In(x.ExtraFrame[i], 0, 16) ||
            !In(x.ExtraAnimDir[i], 0, 2) || !In(x.ExtraColour[i], 0, 5) ||
            !In(x.ExtraW[i], 0, 100) || !In(x.ExtraH[i], 0, 100) || !In(x.ExtraHalfW[i], 0, 50) ||
            !In(x.ExtraX[i], -kFar, kFar) || !In(x.ExtraY[i], -kFar, kFar) ||
            !Finite(x.ExtraYf[i], kFar) || !Finite(x.ExtraVy[i], 100))
            return false;
    }
    return true;
}

bool TextsSound(const FloatingTextTable& t) {
    if (!In(t.TextCursor, 0, kMaxFloatingTexts)) return false;
    for (int i = 1; i <= kMaxFloatingTexts; ++i) {
        if (!In(t.TextLife[i], 0, 30) || !Finite(t.TextVy[i], 100) ||
            !In(t.TextX[i], -kFar, kFar) || !In(t.TextY[i], -kFar, kFar) ||
            t.TextString[i].size() > 16)
            return false;
    }
    return true;
}

bool CannonSound(const CannonState& c) {
    const bool loadedOk = In(c.LoadedStone, 0, kMaxStones) ||
                          In(c.LoadedStone, kLoadedExtraBase + 1, kLoadedExtraBase + kMaxExtras);
    return loadedOk && In(c.CannonLoad, 1, 8) && In(c.NextColour, 0, kAnchorColour) &&
           In(c.CannonX, -kFar, kFar) && Finite(c.CannonXf, kFar) &&
           In(c.CannonTargetX, -kFar, kFar) && In(c.AimY, -kFar, kFar) &&
           In(c.AimTargetY, -kFar, kFar) && c.NothingFlying <= 1 && In(c.NeedReload, 0, 1);
}

bool PlayAndCannonSound(const State& s) {
    const PlayfieldState& p = s.play;
    return FindModeRow(p.GameMode) != nullptr && LevelRangeOf(p.GameMode).Holds(p.LevelNumber) &&
           kLapRange.Holds(p.LapNumber) && kScoreRange.Holds(p.Score) &&
           kScoreRange.Holds(p.ShownScore) && kTimeRange.Holds(p.TimeLeft) &&
           In(p.FieldCentreX, 0, 800) && p.LevelCleared <= 1 && p.TimeUp <= 1 &&
           In(p.ClearedTimer, 0, 300) && In(p.TimeUpTimer, 0, 200) &&
           In(p.StonesLeft, 0, kMaxStones) && In(p.GroupSize, 0, kMaxStones) &&
           In(p.ShakeFrames, 0, 1000) && In(p.DoubleFrames, 0, 1000) &&
           In(p.FlashFrames, 0, 1000) && (p.PauseState == -1 || p.PauseState == 1) &&
           In(p.EndlessOffset, -kFar, 0) && CannonSound(s.cannon);
}

// Each match player's cannon, bar and counters, as the single-player ones.
bool MatchSound(const MatchState& m) {
    for (int p = 1; p <= kMatchPlayers; ++p) {
        if (!CannonSound(m.MatchCannon[p]) || !In(m.MatchCentreX[p], 0, 800) ||
            !In(m.MatchGroupSize[p], 0, kMaxStones) || !In(m.MatchShakeFrames[p], 0, 1000) ||
            !kTimeRange.Holds(m.MatchTimeLeft[p]) || !In(m.MatchStonesLeft[p], 0, kMaxStones) ||
            !kScoreRange.Holds(m.MatchScore[p]) || !kScoreRange.Holds(m.MatchShownScore[p]) ||
            !kScoreRange.Holds(m.MatchLevelStartScore[p]) || !In(m.MatchDoubleFrames[p], 0, 1000) ||
            !In(m.MatchFlashFrames[p], 0, 1000) || !In(m.LevelsWon[p], 0, 1'000'000) ||
            m.MatchFire[p] > 1)
            return false;
    }
    return In(m.LevelWinCounted, 0, 1);
}

// The water head names a stone slot; barrel heights and the tap's sounds are counted down from
// their starting values.
bool PipeSound(const PipeState& p) {
    for (int kind = 1; kind <= kPipeStockKinds; ++kind) {
        if (!In(p.PipeStock[kind], 0, 999)) return false;
    }
    return In(p.PipeChoice, -kFar, kFar) && In(p.PipeChoicePrev, -kFar, kFar) &&
           In(p.WaterRunning, 0, 1) &&
           (p.WaterHead == kWaterNotStarted || In(p.WaterHead, 0, kMaxStones)) &&
           In(p.TapSoundsLeft, 0, 3) && In(p.SourceWater, 0, kBarrelFull) &&
           In(p.DrainWater, 0, kBarrelFull) && In(p.SourceX, -kFar, kFar) &&
           In(p.SourceY, -kFar, kFar) && In(p.DrainX, -kFar, kFar) && In(p.DrainY, -kFar, kFar);
}

// The strengths index the computer's traits; its thoughts are columns, pointer places and counts.
bool ComputerSound(const ComputerState& c) {
    for (int p = 1; p <= kMatchPlayers; ++p) {
        const ComputerMind& m = c.Mind[p];
        if (!In(c.Strength[p], kNoComputer, kComputerHard) || !In(m.PointerX, -kFar, kFar) ||
            !In(m.PointerY, -kFar, kFar) || m.Pressed > 1 || !In(m.Phase, 0, 3) ||
            !In(m.NextTrial, 0, 1000) || !In(m.BestColumn, -kFar, kFar) ||
            !In(m.SecondColumn, -kFar, kFar) || !In(m.Target, -kFar, kFar) ||
            !In(m.ReactTicks, 0, 100000) || !In(m.SettleTicks, 0, 100000) ||
            !std::isfinite(m.BestValue) || !std::isfinite(m.SecondValue))
            return false;
    }
    return true;
}

bool StateSound(const State& s) {
    return PlayAndCannonSound(s) && MatchSound(s.match) && ComputerSound(s.computer) &&
           StonesSound(s.stones) && PipeSound(s.pipe) && EffectsSound(s.effects) &&
           ExtrasSound(s.extras) && TextsSound(s.texts) && (s.MusicOn == 1 || s.MusicOn == -1);
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, size_t at) {
    return static_cast<std::uint32_t>(GetInt32(b, at));
}

}  // namespace

std::vector<std::uint8_t> WrapSnapshotPayload(const std::uint8_t* payload, size_t size) {
    std::vector<std::uint8_t> bytes(kMagic, kMagic + 8);
    PutInt32(bytes, 8, static_cast<std::int32_t>(kSnapshotVersion));
    PutInt32(bytes, 12, static_cast<std::int32_t>(size));
    PutInt32(bytes, 16, static_cast<std::int32_t>(Checksum(payload, size)));
    bytes.insert(bytes.end(), payload, payload + size);
    return bytes;
}

std::vector<std::uint8_t> SnapshotBytes(const Game& game) {
    Writer payload;
    Put(payload, game);
    return WrapSnapshotPayload(payload.bytes.data(), payload.bytes.size());
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
    if (!Get(reader, *state) || !StateSound(*state)) {
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
    game.pipe = state->pipe;
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
    const FileBytes file = ReadFileBytes(path, kMaxSnapshotBytes);
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
