// The catalogues of po/, compiled into the game: the translation of an English text.
#pragma once

#include <initializer_list>
#include <string>

#include "core/languages.h"

// One text of the catalogues: its context (nullptr: none), its English id and its translation
// in every language (index 1..kLanguages).
struct CatalogueEntry {
    const char* context;
    const char* id;
    const char* text[kLanguages + 1];
};

// The entries sorted by context (none first) and id, as the build writes them from po/*.po.
extern const CatalogueEntry kCatalogue[];
extern const int kCatalogueSize;

// The text in that language; the English id itself for a language or text the catalogues lack.
const char* Translate(int language, const char* context, const char* id);

// A translated text with its "%s" filled in order, or "%1$s", "%2$s" by number; "%%" is "%".
std::string FillIn(const char* format, std::initializer_list<std::string> values);
