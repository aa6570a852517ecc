// What the menu screens keep between frames: the option levels, the champion's place and the
// save screen's slot, and the name being typed on the champion and save screens. The tables and
// the slot list it is typed into are the player's own (core/player_own.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/fields.h"
#include "core/player_own.h"

struct MenuState {
    // Options screen: music level [1] and sound level [2], 0..5.
    std::array<int, 3> OptionLevel{};

    std::uint8_t NewHighscore = 0;
    int EntryRank = 0;
    // Keys the name editor (champion or save screen) has accepted since it was opened.
    int TypedCount = 0;

    int SelectedSlot = 0;
    std::uint8_t SlotSaved = 0;
    // The champion's name or the selected slot's, as typed so far (UTF-8).
    std::string TypedName;
};

template <typename V>
void VisitFields(MenuState& m, V& v) {
    v("OptionLevel", m.OptionLevel, Bounds{0, 5});
    v("NewHighscore", m.NewHighscore, kFlag, DumpAt{37});
    v("EntryRank", m.EntryRank, Bounds{0, kHighscorePlaces}, DumpAt{38});
    v("TypedCount", m.TypedCount, kAnyInt, DumpAt{39});
    v("SelectedSlot", m.SelectedSlot, Bounds{0, kSaveSlots});
    v("SlotSaved", m.SlotSaved, kFlag);
    // Names are UTF-8: up to 20 characters of up to 4 bytes each.
    v("TypedName", m.TypedName, Bounds{0, 4 * kSlotNameCapacity});
}

// The menus as whole states written before the tables and the slot list became the player's
// own held them (replays of that time): those fields among the menus', no typed name apart.
struct MenusWithOwn {
    MenuState& menus;
    PlayerOwn& own;
};

template <typename V>
void VisitFields(MenusWithOwn& f, V& v) {
    MenuState& m = f.menus;
    PlayerOwn& o = f.own;
    v("OptionLevel", m.OptionLevel, Bounds{0, 5});
    v("HighscoreName", o.HighscoreName, Bounds{0, 4 * kHighscoreNameCapacity});
    v("HighscoreScore", o.HighscoreScore, kAnyInt);
    v("NewHighscore", m.NewHighscore, kFlag, DumpAt{37});
    v("EntryRank", m.EntryRank, Bounds{0, kHighscorePlaces}, DumpAt{38});
    v("TypedCount", m.TypedCount, kAnyInt, DumpAt{39});
    v("SlotName", o.SlotName, Bounds{0, 4 * kSlotNameCapacity});
    v("SlotLevel", o.SlotLevel, kAnyInt);
    v("SlotMode", o.SlotMode, kAnyInt);
    v("SlotNamesRead", o.SlotNamesRead, kFlag);
    v("SelectedSlot", m.SelectedSlot, Bounds{0, kSaveSlots});
    v("SlotSaved", m.SlotSaved, kFlag);
}
