// What is the player's own and never part of the game in play: the highscore tables and the save
// slots' list, read from and written to the player's files, and the level editor's history. It
// lives beside the simulation, so a network match, a replay or a verifier agrees on the game
// whatever tables each machine holds. The screens read it; they change it only by asking (OwnAsks),
// and the shell carries the asks out after the tick.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/editor_state.h"
#include "core/fields.h"

constexpr int kHighscoreTables = 4;  // one per game mode
constexpr int kHighscorePlaces = 7;
constexpr int kHighscoreNameCapacity = 10;
constexpr int kSaveSlots = 7;
constexpr int kSlotNameCapacity = 20;

struct PlayerOwn {
    // [table 1..4][place 1..7]; names are UTF-8, at most 10 characters.
    std::array<std::array<std::string, kHighscorePlaces + 1>, kHighscoreTables + 1> HighscoreName{};
    std::array<std::array<std::int32_t, kHighscorePlaces + 1>, kHighscoreTables + 1>
        HighscoreScore{};
    // The save slots 1..7 as listed in names.dat; "noname" marks a slot never used.
    std::array<std::string, kSaveSlots + 1> SlotName{};
    std::array<int, kSaveSlots + 1> SlotLevel{};
    std::array<int, kSaveSlots + 1> SlotMode{};
    // The list was read in this run, so writing it back cannot replace stored slots with blanks.
    bool SlotNamesRead = false;
    // The editor's levels that can be taken back, as text (two characters a cell), in the ring
    // whose place EditorState keeps.
    std::array<std::string, kEditorHistory> EditorHistory{};
};

// What this tick's screens asked of the player's own and files; empty between ticks.
struct OwnAsks {
    bool writeSettings = false;
    bool writeOpponent = false;
    bool readSlotNames = false;
    // The champion's typed name into place `rank` of `table` (rank 0: none), then the table's
    // file written.
    bool writeTable = false;
    int table = 0;
    int rank = 0;
    std::string name;
    // The game on the field into this slot under `slotName`, then the slot list written.
    int saveSlot = 0;
    std::string slotName;
    // Editor levels into places of the history's ring, in the order they were kept.
    std::vector<std::pair<int, std::string>> editorSteps;
};

// The editor's history as a screen sees it in a tick: the player's kept texts, under the steps
// asked for in this tick (the newest first).
struct EditorSteps {
    const std::array<std::string, kEditorHistory>& kept;
    std::vector<std::pair<int, std::string>>& asked;

    const std::string& At(int slot) const {
        for (auto it = asked.rbegin(); it != asked.rend(); ++it)
            if (it->first == slot) return it->second;
        return kept[slot];
    }
    void Put(int slot, std::string text) { asked.emplace_back(slot, std::move(text)); }
};
