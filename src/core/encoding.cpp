#include "core/encoding.h"

#include <algorithm>
#include <iterator>

namespace {

// Code points of Windows-1252 bytes 0x80..0x9F (0 where the byte is unassigned).
constexpr char32_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Latin Extended-A, U+0100..U+017F, as plain letters (Œ œ Š š Ÿ Ž ž are in the code page
// and never reach this table).
constexpr const char* kLatinA[128] = {
    "A", "a", "A",  "a",  "A", "a", "C", "c", "C", "c", "C", "c", "C", "c", "D", "d",
    "D", "d", "E",  "e",  "E", "e", "E", "e", "E", "e", "E", "e", "G", "g", "G", "g",
    "G", "g", "G",  "g",  "H", "h", "H", "h", "I", "i", "I", "i", "I", "i", "I", "i",
    "I", "i", "IJ", "ij", "J", "j", "K", "k", "k", "L", "l", "L", "l", "L", "l", "L",
    "l", "L", "l",  "N",  "n", "N", "n", "N", "n", "n", "N", "n", "O", "o", "O", "o",
    "O", "o", "OE", "oe", "R", "r", "R", "r", "R", "r", "S", "s", "S", "s", "S", "s",
    "S", "s", "T",  "t",  "T", "t", "T", "t", "U", "u", "U", "u", "U", "u", "U", "u",
    "U", "u", "U",  "u",  "W", "w", "Y", "y", "Y", "Z", "z", "Z", "z", "Z", "z", "s"};

// Cyrillic U+0410..U+044F transliterated.
constexpr const char* kCyrillic[64] = {
    "A", "B", "V", "G", "D", "E", "Zh", "Z",  "I",  "Y",    "K", "L", "M", "N", "O",  "P",
    "R", "S", "T", "U", "F", "H", "Ts", "Ch", "Sh", "Shch", "",  "Y", "",  "E", "Yu", "Ya",
    "a", "b", "v", "g", "d", "e", "zh", "z",  "i",  "y",    "k", "l", "m", "n", "o",  "p",
    "r", "s", "t", "u", "f", "h", "ts", "ch", "sh", "shch", "",  "y", "",  "e", "yu", "ya"};

// Greek U+0391..U+03C9 transliterated (U+03A2 is unassigned, U+03C2 is the final sigma).
constexpr const char* kGreek[57] = {"A", "V", "G", "D",  "E", "Z", "I",  "Th", "I", "K", "L",  "M",
                                    "N", "X", "O", "P",  "R", "",  "S",  "T",  "Y", "F", "Ch", "Ps",
                                    "O", "",  "",  "",   "",  "",  "",   "",   "a", "v", "g",  "d",
                                    "e", "z", "i", "th", "i", "k", "l",  "m",  "n", "x", "o",  "p",
                                    "r", "s", "s", "t",  "y", "f", "ch", "ps", "o"};

// The nearest Latin letters of a character outside the code page ("" for the Cyrillic signs
// that transliteration leaves out); "?" when there are none.
std::string NearestLatin(char32_t cp) {
    if (cp >= 0x100 && cp <= 0x17F) return kLatinA[cp - 0x100];
    switch (cp) {
        case 0x218:
            return "S";
        case 0x219:
            return "s";
        case 0x21A:
            return "T";
        case 0x21B:
            return "t";
        case 0x401:
            return "Yo";
        case 0x451:
            return "yo";
        case 0x404:
            return "Ye";
        case 0x454:
            return "ye";
        case 0x406:
            return "I";
        case 0x456:
            return "i";
        case 0x407:
            return "Yi";
        case 0x457:
            return "yi";
        case 0x408:
            return "J";
        case 0x458:
            return "j";
        case 0x402:
        case 0x40B:
            return "Dj";
        case 0x452:
        case 0x45B:
            return "dj";
        case 0x409:
            return "Lj";
        case 0x459:
            return "lj";
        case 0x40A:
            return "Nj";
        case 0x45A:
            return "nj";
        case 0x40F:
            return "Dz";
        case 0x45F:
            return "dz";
        case 0x490:
            return "G";
        case 0x491:
            return "g";
        case 0x386:
            return "A";
        case 0x388:
            return "E";
        case 0x389:
            return "I";
        case 0x38A:
            return "I";
        case 0x38C:
            return "O";
        case 0x38E:
            return "Y";
        case 0x38F:
            return "O";
        case 0x390:
            return "i";
        case 0x3AA:
            return "I";
        case 0x3AB:
            return "Y";
        case 0x3AC:
            return "a";
        case 0x3AD:
            return "e";
        case 0x3AE:
            return "i";
        case 0x3AF:
            return "i";
        case 0x3B0:
            return "y";
        case 0x3CA:
            return "i";
        case 0x3CB:
            return "y";
        case 0x3CC:
            return "o";
        case 0x3CD:
            return "y";
        case 0x3CE:
            return "o";
        default:
            break;
    }
    if (cp >= 0x410 && cp <= 0x44F) return kCyrillic[cp - 0x410];
    if (cp >= 0x391 && cp <= 0x3C9 && cp != 0x3A2) return kGreek[cp - 0x391];
    return "?";
}

}  // namespace

char32_t Cp1252CodePoint(unsigned char byte) {
    if (byte < 0x80 || byte >= 0xA0) return byte;
    const char32_t cp = kHigh[byte - 0x80];
    return cp != 0 ? cp : U'\uFFFD';
}

unsigned char Cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
    const auto* at = std::find(std::begin(kHigh), std::end(kHigh), cp);
    if (cp == 0 || at == std::end(kHigh)) return 0;
    return static_cast<unsigned char>(0x80 + (at - std::begin(kHigh)));
}

char32_t NextCodePoint(std::string_view utf8, std::size_t& i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    char32_t cp = 0;
    int extra = 0;
    if (c < 0x80) {
        ++i;
        return c;
    } else if ((c & 0xE0) == 0xC0) {
        cp = c & 0x1F;
        extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
        cp = c & 0x0F;
        extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
        cp = c & 0x07;
        extra = 3;
    } else {
        ++i;
        return U'\uFFFD';
    }
    if (i + extra >= utf8.size()) {
        ++i;
        return U'\uFFFD';
    }
    for (int k = 1; k <= extra; ++k) {
        const unsigned char cc = static_cast<unsigned char>(utf8[i + k]);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return U'\uFFFD';
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += 1 + extra;
    return cp;
}

std::u32string CodePoints(std::string_view utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) out += NextCodePoint(utf8, i);
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf8Of(std::u32string_view text) {
    std::string out;
    for (char32_t cp : text) AppendUtf8(out, cp);
    return out;
}

std::string Utf8ToCp1252(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char b = Cp1252Byte(NextCodePoint(utf8, i));
        out += b != 0 || utf8[i - 1] == '\0' ? static_cast<char>(b) : '?';
    }
    return out;
}

std::string Cp1252ToUtf8(const std::string& cp1252) {
    std::string out;
    for (char ch : cp1252) {
        const char32_t cp = Cp1252CodePoint(static_cast<unsigned char>(ch));
        AppendUtf8(out, cp == U'\uFFFD' ? U'?' : cp);
    }
    return out;
}

std::string Utf8ToNearestCp1252(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = NextCodePoint(utf8, i);
        const unsigned char b = Cp1252Byte(cp);
        if (b != 0 || cp == 0) {
            out += static_cast<char>(b);
            continue;
        }
        out += NearestLatin(cp);
    }
    return out;
}
