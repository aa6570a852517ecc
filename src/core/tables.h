// The stone table, the effects table and the floating texts: fixed arrays indexed from 1, each
// with a slot-search cursor.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/fields.h"

constexpr int kMaxStones = 2000;
constexpr int kMaxEffects = 15000;
constexpr int kMaxFloatingTexts = 100;
constexpr int kRemoveAll = -99999;
constexpr int kAnchorColour = 10;

struct StoneTable {
    std::array<int, kMaxStones + 1> StoneState{};
    std::array<int, kMaxStones + 1> StoneX{};
    std::array<int, kMaxStones + 1> StoneY{};
    std::array<int, kMaxStones + 1> StoneColour{};
    std::array<int, kMaxStones + 1> StoneExtra{};
    std::array<int, kMaxStones + 1> StoneMotion{};
    std::array<int, kMaxStones + 1> StoneLook{};
    std::array<std::uint8_t, kMaxStones + 1> StoneMarked{};
    std::array<std::uint8_t, kMaxStones + 1> StoneFilled{};
    std::array<std::uint8_t, kMaxStones + 1> StonePreset{};
    int StoneCursor = 0;
    int StoneCount = 0;
};

// Effect kinds: 1 explosion flash, 2 debris (and smoke puff), 3..9 sparkles.
struct EffectTable {
    std::array<int, kMaxEffects + 1> EffectKind{};
    std::array<int, kMaxEffects + 1> EffectX{};
    std::array<int, kMaxEffects + 1> EffectY{};
    std::array<double, kMaxEffects + 1> EffectXf{};
    std::array<double, kMaxEffects + 1> EffectYf{};
    std::array<double, kMaxEffects + 1> EffectVx{};
    std::array<double, kMaxEffects + 1> EffectVy{};
    std::array<int, kMaxEffects + 1> EffectFrame{};
    std::array<int, kMaxEffects + 1> EffectW{};
    std::array<int, kMaxEffects + 1> EffectH{};
    std::array<int, kMaxEffects + 1> EffectHalfW{};
    std::array<int, kMaxEffects + 1> EffectHalfH{};
    std::array<int, kMaxEffects + 1> EffectColour{};
    int EffectCursor = 0;
    // No slot above this one is in use: the step and the renderer scan no further.
    int EffectsInUse = 0;
};

// The rising point numbers.
struct FloatingTextTable {
    std::array<int, kMaxFloatingTexts + 1> TextX{};
    std::array<int, kMaxFloatingTexts + 1> TextY{};
    std::array<double, kMaxFloatingTexts + 1> TextVy{};
    std::array<int, kMaxFloatingTexts + 1> TextLife{};
    std::array<std::string, kMaxFloatingTexts + 1> TextString{};
    int TextCursor = 0;
};

template <typename V>
void VisitFields(StoneTable& t, V& v) {
    v("StoneState", t.StoneState, kFlag);
    v("StoneX", t.StoneX, kPosition);
    v("StoneY", t.StoneY, kPosition);
    v("StoneColour", t.StoneColour, Bounds{0, kAnchorColour});
    // 0 or negative is none: level files may hold any negative number.
    v("StoneExtra", t.StoneExtra, Bounds{INT32_MIN, 7});
    v("StoneMotion", t.StoneMotion, Bounds{0, 2});
    v("StoneLook", t.StoneLook, Bounds{0, 2});
    v("StoneMarked", t.StoneMarked, kFlag);
    v("StoneFilled", t.StoneFilled, kFlag);
    v("StonePreset", t.StonePreset, kFlag);
    v("StoneCursor", t.StoneCursor, Bounds{0, kMaxStones});
    v("StoneCount", t.StoneCount, Bounds{0, kMaxStones}, DumpAt{23});
}

template <typename V>
void VisitFields(EffectTable& e, V& v) {
    v("EffectKind", e.EffectKind, Bounds{0, 9});
    v("EffectX", e.EffectX, kPosition);
    v("EffectY", e.EffectY, kPosition);
    v("EffectXf", e.EffectXf, kPosition);
    v("EffectYf", e.EffectYf, kPosition);
    v("EffectVx", e.EffectVx, Bounds{0, 100});
    v("EffectVy", e.EffectVy, Bounds{0, 100});
    v("EffectFrame", e.EffectFrame, Bounds{0, 21});
    v("EffectW", e.EffectW, Bounds{0, 75});
    v("EffectH", e.EffectH, Bounds{0, 75});
    v("EffectHalfW", e.EffectHalfW, Bounds{0, 37});
    v("EffectHalfH", e.EffectHalfH, Bounds{0, 37});
    v("EffectColour", e.EffectColour, Bounds{0, 8});
    v("EffectCursor", e.EffectCursor, Bounds{0, kMaxEffects});
    v("EffectsInUse", e.EffectsInUse, Bounds{0, kMaxEffects});
}

template <typename V>
void VisitFields(FloatingTextTable& t, V& v) {
    v("TextX", t.TextX, kPosition);
    v("TextY", t.TextY, kPosition);
    v("TextVy", t.TextVy, Bounds{0, 100});
    v("TextLife", t.TextLife, Bounds{0, 30});
    v("TextString", t.TextString, Bounds{0, 16});
    v("TextCursor", t.TextCursor, Bounds{0, kMaxFloatingTexts});
}

struct Game;

// The slot-search rule of every table: advance the cursor until it names a free slot (field 0)
// or the last slot, which is then reused even when it is in use.
template <typename Field>
int NextFreeSlot(const Field& used, int cursor, int last) {
    if (cursor < 0) cursor = 0;
    do {
        if (cursor < last) ++cursor;
    } while (used[cursor] != 0 && cursor != last);
    return cursor;
}

// Effect requests of AddEffect.
enum EffectRequest { kEffectFlash = 1, kEffectDebris = 2, kEffectSmoke = 3, kEffectSparkle = 4 };
