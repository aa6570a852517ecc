// Every text the game draws comes from the catalogues in po/ (compiled into the game at build
// time): the English text is the id, Language (1..7) picks the translation when it is drawn.
// Tr and TrC look a text up; N_ and NC_ name one for a table that is looked up later. All four
// are what the extraction (xgettext, see po/README.md) finds in the sources.
#pragma once

#include "core/catalogue.h"

// A text named by its English id and, where one English text has two meanings, a context.
struct Words {
    const char* context = nullptr;
    const char* id = nullptr;  // nullptr: no text
};

// Marks a text for the catalogues where it is written down, to be looked up where it is drawn.
constexpr Words N_(const char* id) {
    return Words{nullptr, id};
}
constexpr Words NC_(const char* context, const char* id) {
    return Words{context, id};
}

template <typename GameT>
const char* Tr(const GameT& game, const char* id) {
    return Translate(game.shell.Language, nullptr, id);
}
template <typename GameT>
const char* TrC(const GameT& game, const char* context, const char* id) {
    return Translate(game.shell.Language, context, id);
}
template <typename GameT>
const char* Tr(const GameT& game, Words words) {
    return words.id == nullptr ? "" : Translate(game.shell.Language, words.context, words.id);
}
