#include "core/state_io.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <type_traits>

#include "core/simulation.h"
#include "core/value_ranges.h"

namespace {

template <typename Leaf>
void Walk(Simulation& sim, StatePart part, Leaf& leaf, PlayerOwn* oldOwn = nullptr) {
    FieldWalker<Leaf> walker(leaf);
    VisitSimulation(sim, walker, part == StatePart::kGameInProgress, oldOwn);
}

template <typename Leaf>
void Walk(const Simulation& sim, StatePart part, Leaf& leaf) {
    // The walkers that only read share the one list with the reader.
    Walk(const_cast<Simulation&>(sim), part, leaf);
}

// Every value as little-endian bytes into a sink: whole numbers as 4 bytes, flags and bytes as
// 1, real numbers as their 8-byte IEEE pattern, texts and lists as a 4-byte count and then
// their bytes or items.
template <typename Sink>
class Writer {
  public:
    explicit Writer(Sink& sink) : sink_(sink) {}

    template <typename T>
    void Field(const char*, T& field, const Bounds&, DumpAt, FieldPlace) {
        ForEachLeaf("", field, Bounds{}, [this](const char*, auto& v, const Bounds&) { Put(v); });
    }
    template <typename List>
    void ListBegin(const char*, List& items, std::size_t) {
        Put(static_cast<std::uint32_t>(items.size()));
    }

  private:
    void Bytes(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) sink_.Byte(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void Put(int v) { Bytes(static_cast<std::uint32_t>(v), 4); }
    void Put(std::uint32_t v) { Bytes(v, 4); }
    void Put(std::uint8_t v) { sink_.Byte(v); }
    void Put(bool v) { sink_.Byte(v ? 1 : 0); }
    void Put(std::uint64_t v) { Bytes(v, 8); }
    void Put(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Bytes(bits, 8);
    }
    void Put(const std::string& s) {
        Put(static_cast<std::uint32_t>(s.size()));
        for (unsigned char c : s) sink_.Byte(c);
    }

    Sink& sink_;
};

struct ByteSink {
    std::vector<std::uint8_t> bytes;
    void Byte(std::uint8_t b) { bytes.push_back(b); }
};

struct HashSink {
    std::uint64_t h = 14695981039346656037ull;
    void Byte(std::uint8_t b) { h = (h ^ b) * 1099511628211ull; }
};

class Reader {
  public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    template <typename T>
    void Field(const char* key, T& field, const Bounds&, DumpAt, FieldPlace) {
        ForEachLeaf(key, field, Bounds{},
                    [this](const char* k, auto& v, const Bounds&) { Get(k, v); });
    }
    template <typename List>
    void ListBegin(const char* key, List& items, std::size_t maxCount) {
        std::uint32_t n = 0;
        Get(key, n);
        if (n > maxCount) Fail(key, "too many entries");
        items.resize(ok_ ? n : 0);
    }
    bool ok() const { return ok_; }
    bool AtEnd() const { return at_ == size_; }
    const std::string& why() const { return why_; }

  private:
    void Fail(const char* key, const char* what) {
        if (ok_) why_ = std::string(key) + ": " + what;
        ok_ = false;
    }
    bool Bytes(const char* key, std::uint64_t& v, int n) {
        v = 0;
        if (!ok_ || size_ - at_ < static_cast<std::size_t>(n)) {
            Fail(key, "the data ends early");
            return false;
        }
        for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(data_[at_ + i]) << (8 * i);
        at_ += n;
        return true;
    }
    void Get(const char* key, int& out) {
        std::uint64_t v;
        if (Bytes(key, v, 4)) out = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    }
    void Get(const char* key, std::uint32_t& out) {
        std::uint64_t v;
        if (Bytes(key, v, 4)) out = static_cast<std::uint32_t>(v);
    }
    void Get(const char* key, std::uint8_t& out) {
        std::uint64_t v;
        if (Bytes(key, v, 1)) out = static_cast<std::uint8_t>(v);
    }
    void Get(const char* key, bool& out) {
        std::uint64_t v;
        if (!Bytes(key, v, 1)) return;
        if (v > 1) Fail(key, "not a flag");
        out = v == 1;
    }
    void Get(const char* key, std::uint64_t& out) { Bytes(key, out, 8); }
    void Get(const char* key, double& out) {
        std::uint64_t bits;
        if (Bytes(key, bits, 8)) std::memcpy(&out, &bits, sizeof out);
    }
    void Get(const char* key, std::string& out) {
        std::uint32_t n = 0;
        Get(key, n);
        // No text of the game comes near this; a longer one is damage, not a text.
        if (ok_ && (n > 65536 || size_ - at_ < n)) Fail(key, "text longer than the data");
        if (!ok_) return;
        out.assign(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool ok_ = true;
    std::string why_;
};

class BoundsCheck {
  public:
    template <typename T>
    void Field(const char* key, T& field, const Bounds& bounds, DumpAt, FieldPlace) {
        ForEachLeaf(key, field, bounds,
                    [this](const char* k, auto& v, const Bounds& b) { Check(k, v, b); });
    }
    template <typename List>
    void ListBegin(const char* key, List& items, std::size_t maxCount) {
        if (items.size() > maxCount) Fail(key);
    }
    bool ok() const { return ok_; }
    const std::string& why() const { return why_; }

  private:
    void Fail(const char* key) {
        if (ok_) why_ = std::string(key) + " holds a value the game cannot have";
        ok_ = false;
    }
    template <typename T>
    void Check(const char* key, const T& v, const Bounds& b) {
        if constexpr (std::is_same_v<T, double>) {
            if (!std::isfinite(v) || std::fabs(v) > static_cast<double>(b.high)) Fail(key);
        } else if constexpr (std::is_same_v<T, std::string>) {
            if (!b.Holds(static_cast<std::int64_t>(v.size()))) Fail(key);
        } else if constexpr (std::is_same_v<T, std::uint64_t>) {
            if (v < static_cast<std::uint64_t>(b.low)) Fail(key);
        } else {
            if (!b.Holds(static_cast<std::int64_t>(v))) Fail(key);
        }
    }

    bool ok_ = true;
    std::string why_;
};

// The names and kinds of the fields in their order.
class LayoutHash {
  public:
    template <typename T>
    void Field(const char* key, T& field, const Bounds&, DumpAt, FieldPlace place) {
        Text(place.prefix);
        Text(key);
        Number(sizeof(T));
        (void)field;
    }
    template <typename List>
    void ListBegin(const char* key, List&, std::size_t maxCount) {
        Text(key);
        Number(maxCount);
    }
    std::uint32_t value() const { return static_cast<std::uint32_t>(sink_.h ^ (sink_.h >> 32)); }

  private:
    void Text(const char* s) {
        for (; *s != 0; ++s) sink_.Byte(static_cast<std::uint8_t>(*s));
        sink_.Byte(0);
    }
    void Number(std::size_t n) {
        for (int i = 0; i < 8; ++i) sink_.Byte(static_cast<std::uint8_t>(n >> (8 * i)));
    }
    HashSink sink_;
};

// What field bounds cannot say: how fields of a game in progress fit together.
bool GameInProgressFits(const Simulation& s, std::string& why) {
    const PlayfieldState& p = s.play;
    auto loadFits = [](const CannonState& c) {
        return (c.LoadedStone >= 0 && c.LoadedStone <= kMaxStones) ||
               (c.LoadedStone > kLoadedExtraBase && c.LoadedStone <= kLoadedExtraBase + kMaxExtras);
    };
    const ValueRange levels =
        PlaysPack(s) ? ValueRange{1, s.packGame.Levels} : LevelRangeOf(p.GameMode);
    bool ok = kModeRange.Holds(p.GameMode) && levels.Holds(p.LevelNumber) && p.PauseState != 0 &&
              s.shell.MusicOn != 0 &&
              (s.pipe.WaterHead == kWaterNotStarted || s.pipe.WaterHead >= 0);
    for (const Player& player : s.players) ok = ok && loadFits(player.cannon);
    // The step and the renderer scan no further than EffectsInUse.
    for (int i = s.effects.EffectsInUse + 1; ok && i <= kMaxEffects; ++i)
        ok = s.effects.EffectKind[i] == 0;
    if (!ok) why = "its values do not fit together as a game";
    return ok;
}

}  // namespace

std::vector<std::uint8_t> StateBytes(const Simulation& sim, StatePart part) {
    ByteSink sink;
    Writer<ByteSink> writer(sink);
    Walk(sim, part, writer);
    return std::move(sink.bytes);
}

bool StateInBounds(const Simulation& sim, StatePart part, std::string& why) {
    BoundsCheck check;
    Walk(sim, part, check);
    if (!check.ok()) {
        why = check.why();
        return false;
    }
    return part == StatePart::kWhole || GameInProgressFits(sim, why);
}

bool ReadStateBytes(const std::uint8_t* data, std::size_t size, StatePart part, Simulation& into,
                    std::string& why) {
    Reader reader(data, size);
    Walk(into, part, reader);
    if (!reader.ok()) {
        why = reader.why();
        return false;
    }
    if (!reader.AtEnd()) {
        why = "more data than the fields hold";
        return false;
    }
    return StateInBounds(into, part, why);
}

bool ReadOldWholeStateBytes(const std::uint8_t* data, std::size_t size, Simulation& into,
                            PlayerOwn& own, std::string& why) {
    Reader reader(data, size);
    Walk(into, StatePart::kWhole, reader, &own);
    if (!reader.ok() || !reader.AtEnd()) {
        why = reader.ok() ? "more data than the fields hold" : reader.why();
        return false;
    }
    BoundsCheck check;
    Walk(into, StatePart::kWhole, check, &own);
    why = check.why();
    return check.ok();
}

std::uint64_t OldStateHash(const Simulation& sim, const PlayerOwn& own) {
    HashSink sink;
    Writer<HashSink> writer(sink);
    PlayerOwn copy = own;
    Walk(const_cast<Simulation&>(sim), StatePart::kWhole, writer, &copy);
    return sink.h;
}

std::uint32_t StateLayout(StatePart part) {
    auto scratch = std::make_unique<Simulation>();
    LayoutHash layout;
    Walk(*scratch, part, layout);
    return layout.value();
}

std::uint64_t StateHash(const Simulation& sim) {
    HashSink sink;
    Writer<HashSink> writer(sink);
    Walk(sim, StatePart::kWhole, writer);
    return sink.h;
}
