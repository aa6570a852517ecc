// The languages the game speaks, by the number the settings file keeps for them.
#pragma once

inline constexpr int kLanguageGerman = 1;
inline constexpr int kLanguageEnglish = 2;
inline constexpr int kLanguageFrench = 3;
inline constexpr int kLanguageSpanish = 4;
inline constexpr int kLanguageItalian = 5;
inline constexpr int kLanguageDutch = 6;
inline constexpr int kLanguageBrazilianPortuguese = 7;
inline constexpr int kLanguages = 33;

struct LanguageFacts {
    const char* code;    // its catalogue, po/<code>.po
    const char* name;    // the language's own name, in its own script
    const char* locale;  // the locale that picks it: a language, or language_TERRITORY
};

// Language 1..kLanguages; slot 0 is unused. The numbers are kept in settings.dat, so a new
// language takes the next number. A locale picks the language with its territory, else the one
// of its language alone, else the first of its language with any territory.
inline constexpr LanguageFacts kLanguageFacts[kLanguages + 1] = {
    {"", "", ""},
    {"de", "Deutsch", "de"},
    {"en", "English", "en"},
    {"fr", "Fran\u00E7ais", "fr"},
    {"es", "Espa\u00F1ol", "es"},
    {"it", "Italiano", "it"},
    {"nl", "Nederlands", "nl"},
    {"pt_BR", "Portugu\u00EAs (Brasil)", "pt_BR"},
    {"sv", "Svenska", "sv"},
    {"da", "Dansk", "da"},
    {"nb", "Norsk bokm\u00E5l", "nb"},
    {"fi", "Suomi", "fi"},
    {"is", "\u00CDslenska", "is"},
    {"pl", "Polski", "pl"},
    {"cs", "\u010Ce\u0161tina", "cs"},
    {"sk", "Sloven\u010Dina", "sk"},
    {"hu", "Magyar", "hu"},
    {"ro", "Rom\u00E2n\u0103", "ro"},
    {"hr", "Hrvatski", "hr"},
    {"sl", "Sloven\u0161\u010Dina", "sl"},
    {"tr", "T\u00FCrk\u00E7e", "tr"},
    {"lt", "Lietuvi\u0173", "lt"},
    {"lv", "Latvie\u0161u", "lv"},
    {"et", "Eesti", "et"},
    {"ca", "Catal\u00E0", "ca"},
    {"el", "\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC", "el"},
    {"ru", "\u0420\u0443\u0441\u0441\u043A\u0438\u0439", "ru"},
    {"uk", "\u0423\u043A\u0440\u0430\u0457\u043D\u0441\u044C\u043A\u0430", "uk"},
    {"bg", "\u0411\u044A\u043B\u0433\u0430\u0440\u0441\u043A\u0438", "bg"},
    {"sr", "\u0421\u0440\u043F\u0441\u043A\u0438", "sr"},
    {"zh_CN", "\u7B80\u4F53\u4E2D\u6587", "zh_CN"},
    {"ja", "\u65E5\u672C\u8A9E", "ja"},
    {"ko", "\uD55C\uAD6D\uC5B4", "ko"},
    {"pt", "Portugu\u00EAs (Portugal)", "pt"},
};

// The language the options button switches to after this one.
constexpr int NextLanguage(int language) {
    return language >= 1 && language < kLanguages ? language + 1 : 1;
}
