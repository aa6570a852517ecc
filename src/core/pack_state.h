// The player's level packs in the simulation: the list on the "My Levels" screen as the shell
// read it from the levels folder, the pack a Puzzle game is playing, and that pack's own
// highscore table of seven.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/fields.h"

constexpr int kMaxPackRows = 65;     // the shipped levels and at most 64 packs of the player's
constexpr int kPackRowsShown = 6;    // rows on one page of the list
constexpr int kPackTextChars = 160;  // bytes of a name, an author or a message kept here
constexpr int kMaxPackLevelCount = 99;

// The list, row 1 the shipped Puzzle levels. A row with a message is a damaged pack.
struct PackList {
    int Count = 0;
    std::array<std::string, kMaxPackRows + 1> File{};  // in the levels folder; "" the shipped
    std::array<std::string, kMaxPackRows + 1> Name{};  // UTF-8, as in the pack
    std::array<std::string, kMaxPackRows + 1> Author{};
    std::array<int, kMaxPackRows + 1> Levels{};
    std::array<std::string, kMaxPackRows + 1> Message{};  // why the pack was refused
    int Page = 1;
    int Chosen = 1;  // the row "Edit" works on: the one the pointer was on last
    // The table of the pack played last: names Windows-1252 as the other tables', "" unused.
    std::string TableOf;  // the pack's file; "" when no table is in memory
    std::string TableTitle;
    std::array<std::string, 8> TableName{};
    std::array<std::int32_t, 8> TableScore{};
};

// The pack a Puzzle game plays; File "" for the game's own levels.
struct PackGame {
    std::string File;
    std::string Name;
    int Levels = 0;  // its last level, after which the next lap starts
};

template <typename V>
void VisitFields(PackList& l, V& v) {
    v("PackListCount", l.Count, Bounds{0, kMaxPackRows});
    v("PackListFile", l.File, Bounds{0, kPackTextChars});
    v("PackListName", l.Name, Bounds{0, kPackTextChars});
    v("PackListAuthor", l.Author, Bounds{0, kPackTextChars});
    v("PackListLevels", l.Levels, Bounds{0, kMaxPackLevelCount});
    v("PackListMessage", l.Message, Bounds{0, kPackTextChars});
    v("PackListPage", l.Page, Bounds{1, kMaxPackRows});
    v("PackListChosen", l.Chosen, Bounds{1, kMaxPackRows});
    v("PackTableOf", l.TableOf, Bounds{0, kPackTextChars});
    v("PackTableTitle", l.TableTitle, Bounds{0, kPackTextChars});
    v("PackTableName", l.TableName, Bounds{0, 4 * 10});  // UTF-8, 10 characters
    v("PackTableScore", l.TableScore, kAnyInt);
}

template <typename V>
void VisitFields(PackGame& g, V& v) {
    v("PackFile", g.File, Bounds{0, kPackTextChars});
    v("PackName", g.Name, Bounds{0, kPackTextChars});
    v("PackLevels", g.Levels, Bounds{0, kMaxPackLevelCount});
}
