// The languages the game speaks, by the number the settings file keeps for them.
#pragma once

inline constexpr int kLanguageGerman = 1;
inline constexpr int kLanguageEnglish = 2;
inline constexpr int kLanguageFrench = 3;
inline constexpr int kLanguageSpanish = 4;
inline constexpr int kLanguageItalian = 5;
inline constexpr int kLanguageDutch = 6;
inline constexpr int kLanguagePortuguese = 7;
inline constexpr int kLanguages = 7;

// Catalogue name (po/<code>.po) and locale prefix of language 1..7; slot 0 is unused.
inline constexpr const char* kLanguageCodes[kLanguages + 1] = {"",   "de", "en", "fr",
                                                               "es", "it", "nl", "pt"};

// The language the options button switches to after this one.
constexpr int NextLanguage(int language) {
    return language >= 1 && language < kLanguages ? language + 1 : 1;
}
