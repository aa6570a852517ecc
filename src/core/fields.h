// How the state structs list their fields: each struct names each field once, in its
// `VisitFields`, with the key the dumps and traces show it under, the values it may take and
// where the dump puts it. The snapshot, its checks, the dump, the trace and the state hash are
// all walks over these lists.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

// The values a field may take: whole numbers low..high; a real number must be finite and within
// -high..high; a text's length must lie within low..high. A 64-bit generator state need only be
// at least low.
struct Bounds {
    std::int64_t low = INT32_MIN;
    std::int64_t high = INT32_MAX;

    constexpr bool Holds(std::int64_t v) const { return v >= low && v <= high; }
};

// Any 32-bit value: the field is no index, count or cell, so nothing it holds can hurt.
inline constexpr Bounds kAnyInt{INT32_MIN, INT32_MAX};
inline constexpr Bounds kFlag{0, 1};
inline constexpr Bounds kByte{0, 255};
// Screen positions, generously: stones slide in from far above in Endless.
inline constexpr Bounds kPosition{-100000, 100000};
// Any finite real number.
inline constexpr Bounds kAnyReal{0, INT64_MAX};
// Counted-down frames of a running X2, flash or shake.
inline constexpr Bounds kFrames{0, 1000};

// Where the dump and the trace show a field: `at` in the list of single values (0: not shown),
// `perPlayer` in the list of the match players' values (0: not shown).
struct DumpAt {
    int at = 0;
    int perPlayer = 0;
};

// Where the walk is: inside each player's own struct (the match's cannons, the computer's minds)
// `player` names the player and `prefix` goes before the keys in the dump.
struct FieldPlace {
    const char* prefix = "";
    int player = -1;  // -1: not one player's
};

// A field of a table or of each player: the same bounds for every slot.
template <typename T>
struct IsStdArray : std::false_type {};
template <typename T, std::size_t N>
struct IsStdArray<std::array<T, N>> : std::true_type {};

template <typename T>
inline constexpr bool kIsStdArray = IsStdArray<std::remove_const_t<T>>::value;

// Calls `leaf(key, value, bounds)` for every whole number, real number and text in `value`,
// going through arrays slot by slot (slot 0 included: it is part of the state, if unused).
template <typename T, typename Leaf>
void ForEachLeaf(const char* key, T& value, const Bounds& bounds, Leaf&& leaf) {
    if constexpr (IsStdArray<std::remove_const_t<T>>::value) {
        for (auto& slot : value) ForEachLeaf(key, slot, bounds, leaf);
    } else {
        leaf(key, value, bounds);
    }
}

// The walk over a state struct's list: `Leaf` is told of every field (a value or an array of
// values) with its place; nested structs, each player's struct and lists of structs are walked
// through. Slot 0 of each player's array is walked too: it is part of the state, if unused.
template <typename Leaf>
class FieldWalker {
  public:
    explicit FieldWalker(Leaf& leaf) : leaf_(leaf) {}

    template <typename T>
    void operator()(const char* key, T& field, const Bounds& bounds, DumpAt dump = {}) {
        if (only_ != nullptr && std::string_view(key) != only_) return;
        leaf_.Field(key, field, bounds, dump, place_);
    }
    template <typename S>
    void Nested(S& s) {
        VisitFields(s, *this);
    }
    // One field of a struct alone.
    template <typename S>
    void Only(const char* key, S& s) {
        only_ = key;
        VisitFields(s, *this);
        only_ = nullptr;
    }
    template <typename S, std::size_t N>
    void Players(const char* prefix, std::array<S, N>& players) {
        const FieldPlace outer = place_;
        for (std::size_t p = 0; p < N; ++p) {
            place_ = FieldPlace{prefix, static_cast<int>(p)};
            VisitFields(players[p], *this);
        }
        place_ = outer;
    }
    template <typename Items>
    void List(const char* key, Items& items, std::size_t maxCount) {
        leaf_.ListBegin(key, items, maxCount);
        for (auto& item : items) VisitFields(item, *this);
    }

  private:
    Leaf& leaf_;
    FieldPlace place_;
    const char* only_ = nullptr;
};
