// A text of the game named by its English id and, where one English text has two meanings, a
// context; the catalogues give it in each language (presentation/words.h looks it up).
#pragma once

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
