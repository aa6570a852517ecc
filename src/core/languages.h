// The languages the game speaks, by the number the settings file keeps for them.
#pragma once

inline constexpr int kLanguageGerman = 1;
inline constexpr int kLanguageEnglish = 2;
inline constexpr int kLanguageFrench = 3;
inline constexpr int kLanguageSpanish = 4;
inline constexpr int kLanguageItalian = 5;
inline constexpr int kLanguageDutch = 6;
inline constexpr int kLanguageBrazilianPortuguese = 7;
inline constexpr int kLanguages = 7;

struct LanguageFacts {
    const char* code;    // its catalogue, po/<code>.po
    const char* name;    // the language's own name, in its own script
    const char* locale;  // the locale that picks it: a language, or language_TERRITORY
};

// Language 1..kLanguages; slot 0 is unused. A language the desktop asks for by its language
// alone ("pt") takes the entry whose locale is that language, not one with a territory.
inline constexpr LanguageFacts kLanguageFacts[kLanguages + 1] = {
    {"", "", ""},
    {"de", "Deutsch", "de"},
    {"en", "English", "en"},
    {"fr", "Fran\u00E7ais", "fr"},
    {"es", "Espa\u00F1ol", "es"},
    {"it", "Italiano", "it"},
    {"nl", "Nederlands", "nl"},
    {"pt_BR", "Portugu\u00EAs (Brasil)", "pt_BR"},
};

// The language the options button switches to after this one.
constexpr int NextLanguage(int language) {
    return language >= 1 && language < kLanguages ? language + 1 : 1;
}
