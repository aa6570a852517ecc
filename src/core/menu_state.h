// What the menu screens keep between frames: the option levels, the highscore tables, the save
// slots and the names being typed on the champion and save screens.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/fields.h"

constexpr int kHighscoreTables = 4;  // one per game mode
constexpr int kHighscorePlaces = 7;
constexpr int kHighscoreNameCapacity = 10;
constexpr int kSaveSlots = 7;
constexpr int kSlotNameCapacity = 20;

struct MenuState {
    // Options screen: music level [1] and sound level [2], 0..5.
    std::array<int, 3> OptionLevel{};

    // [table 1..4][place 1..7]; names are UTF-8, at most 10 characters.
    std::array<std::array<std::string, kHighscorePlaces + 1>, kHighscoreTables + 1> HighscoreName{};
    std::array<std::array<std::int32_t, kHighscorePlaces + 1>, kHighscoreTables + 1>
        HighscoreScore{};
    std::uint8_t NewHighscore = 0;
    int EntryRank = 0;
    // Keys the name editor (champion or save screen) has accepted since it was opened.
    int TypedCount = 0;

    // The save slots 1..7 as listed in names.dat; "noname" marks a slot never used.
    std::array<std::string, kSaveSlots + 1> SlotName{};
    std::array<int, kSaveSlots + 1> SlotLevel{};
    std::array<int, kSaveSlots + 1> SlotMode{};
    // The list was read in this run, so writing it back cannot replace stored slots with blanks.
    bool SlotNamesRead = false;
    int SelectedSlot = 0;
    std::uint8_t SlotSaved = 0;
};

template <typename V>
void VisitFields(MenuState& m, V& v) {
    v("OptionLevel", m.OptionLevel, Bounds{0, 5});
    // Names are UTF-8: up to 10 characters of up to 4 bytes each; slot names up to 20.
    v("HighscoreName", m.HighscoreName, Bounds{0, 4 * kHighscoreNameCapacity});
    v("HighscoreScore", m.HighscoreScore, kAnyInt);
    v("NewHighscore", m.NewHighscore, kFlag, DumpAt{37});
    v("EntryRank", m.EntryRank, Bounds{0, kHighscorePlaces}, DumpAt{38});
    v("TypedCount", m.TypedCount, kAnyInt, DumpAt{39});
    v("SlotName", m.SlotName, Bounds{0, 4 * kSlotNameCapacity});
    v("SlotLevel", m.SlotLevel, kAnyInt);
    v("SlotMode", m.SlotMode, kAnyInt);
    v("SlotNamesRead", m.SlotNamesRead, kFlag);
    v("SelectedSlot", m.SelectedSlot, Bounds{0, kSaveSlots});
    v("SlotSaved", m.SlotSaved, kFlag);
}
