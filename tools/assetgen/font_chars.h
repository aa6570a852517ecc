// The character lines of the bitmap font, shared by the font generator, pocompile and the tests.
#pragma once

#include <string>
#include <string_view>

namespace assetgen {

// Unicode text of res/font1.txt's first line (written as Windows-1252). The line holds 96
// entries: characters 40..67 always take the symbol texture, so that stretch holds the two
// music symbols, the apostrophe of the translations and characters the game shows rarely or
// never; the closing "$" gets an empty
// box, so every character missing from the line (and the space) draws nothing.
inline constexpr std::u32string_view kFontLine =
    U"ABCDEFGHIKLMNOPRSTUVWXYZ0123456789.,!-a"                                          // 1..39
    U"{}<>_:=?JQ\u00C4\u00D6\u00DC\u00DF"                                               // 40..53
    U"\u00A7\u00B0\u00A9\u00AE\u00B1\u00D7\u00F7\u00AB\u00BB'\u2022\u2020\u00B6\u00B5"  // 54..67
    U"bcdefghijklmnopqrstuvwxyz\u00E4\u00F6\u00FC"                                      // 68..95
    U"$";                                                                               // 96

// Unicode text of font1.txt's second line: the letters and punctuation the first translations
// needed, added after the first line so that its glyph numbers stay; closed by "$", which gets
// no glyph. From this line on font1.txt is UTF-8.
inline constexpr std::u32string_view kFontExtraLine =
    U"\u00E0\u00E2\u00E7\u00E8\u00E9\u00EA\u00EB\u00EE\u00EF\u00F4\u00F9\u00FB\u00FF"  // àâçèéêëîïôùûÿ
    U"\u0153\u00E1\u00ED\u00F3\u00FA\u00F1\u00E3\u00F5\u00EC\u00F2"  // œáíóúñãõìò
    U"\u00C1\u00C9\u00CD\u00D3\u00DA\u00C0\u00C8\u00CC\u00D2\u00D9"  // ÁÉÍÓÚÀÈÌÒÙ
    U"\u00C7\u00D1\u00C3\u00D5\u00CA\u00D4\u00C2\u00CB\u00CE\u00CF\u00DB\u0152"  // ÇÑÃÕÊÔÂËÎÏÛŒ
    U"\u00BF\u00A1();/%&+\"\u2026"                                               // ¿¡();/%&+"…
    U"$";

// The letters and signs of the later languages, after the second line: the rest of Latin-1 and
// Latin Extended-A, the comma-below letters of Romanian, typographic quotes and dashes, a few
// signs, Greek, Cyrillic (Russian, Ukrainian, Belarusian, Bulgarian, Serbian) and the Japanese
// kana with their marks. Chinese characters and Hangul syllables are not listed: the generator
// draws exactly those the catalogues use.
inline constexpr char32_t kFontAddedRanges[][2] = {
    {U'\u00C0', U'\u00FF'},  // Latin-1 letters (those already drawn are left out)
    {U'\u0100', U'\u017F'},  // Latin Extended-A
    {U'\u0218', U'\u021B'},  // Ș ș Ț ț
    {U'\u2013', U'\u2014'},  // – —
    {U'\u2018', U'\u201E'},  // ‘ ’ ‚ ‛ “ ” „
    {U'\u2039', U'\u203A'},  // ‹ ›
    {U'\u0386', U'\u0386'},  // Greek
    {U'\u0388', U'\u038A'}, {U'\u038C', U'\u038C'}, {U'\u038E', U'\u03A1'},
    {U'\u03A3', U'\u03CE'}, {U'\u0400', U'\u045F'},  // Cyrillic
    {U'\u0490', U'\u0491'},                          // Ґ ґ
    {U'\u3041', U'\u3096'},                          // hiragana
    {U'\u309B', U'\u309E'}, {U'\u30A1', U'\u30FE'},  // katakana, the middle dot and the long vowel
                                                     // mark
};
inline constexpr std::u32string_view kFontAddedSigns =
    U"#*@[]|~\u00B7\u20AC\u2116\u3001\u3002\u300C\u300D";

// Windows-1252 byte of a character of the line; 0 if it has none.
constexpr unsigned char ToCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    switch (c) {
        case 0x2022:
            return 0x95;
        case 0x2020:
            return 0x86;
        case 0x20AC:
            return 0x80;
        case 0x2026:
            return 0x85;
        case 0x0153:
            return 0x9C;
        case 0x0152:
            return 0x8C;
        default:
            return 0;
    }
}

}  // namespace assetgen
