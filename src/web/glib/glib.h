// The few glib calls of the names' text (src/core/name_text.cpp) for the browser build, which has
// no glib. The UTF-8 walking is plain; whether a character is a letter and its small form come
// from the page's JavaScript, whose Unicode tables, like glib's, do not depend on a locale.
#pragma once

#include <emscripten.h>

#include <cstddef>

using gunichar = unsigned int;
using gint = int;
using gchar = char;
using gssize = long;

// clang-format off
EM_JS(int, rhombulus_unichar_isalpha, (unsigned int c), {
    // Built at run time: the build's JavaScript optimizer does not know Unicode property escapes.
    const letter = new RegExp(String.fromCharCode(92) + "p{L}", "u");
    return letter.test(String.fromCodePoint(c)) ? 1 : 0;
});
EM_JS(unsigned int, rhombulus_unichar_tolower, (unsigned int c), {
    const s = String.fromCodePoint(c).toLowerCase();
    // A letter whose small form is more than one character keeps its own, as glib does.
    return [...s].length == 1 ? s.codePointAt(0) : c;
});
// clang-format on

namespace rhombulus_glib {

inline int SequenceLength(unsigned char c) {
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 1;
}

// The character at p of at most `max` bytes: -1 for a malformed one, -2 for one cut short.
inline gunichar Decode(const char* p, long max) {
    const auto c = static_cast<unsigned char>(p[0]);
    const int n = SequenceLength(c);
    if (n == 1) return c < 0x80 ? c : static_cast<gunichar>(-1);
    if (max >= 0 && max < n) return static_cast<gunichar>(-2);
    gunichar cp = c & (0x7F >> n);
    for (int k = 1; k < n; ++k) {
        const auto cc = static_cast<unsigned char>(p[k]);
        if ((cc & 0xC0) != 0x80) return static_cast<gunichar>(-1);
        cp = (cp << 6) | (cc & 0x3F);
    }
    static const gunichar kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return static_cast<gunichar>(-1);
    return cp;
}

}  // namespace rhombulus_glib

inline const char* g_utf8_next_char(const char* p) {
    return p + rhombulus_glib::SequenceLength(static_cast<unsigned char>(*p));
}

inline gunichar g_utf8_get_char(const char* p) {
    return rhombulus_glib::Decode(p, -1);
}

inline gunichar g_utf8_get_char_validated(const char* p, gssize max) {
    if (max == 0) return static_cast<gunichar>(-2);
    return rhombulus_glib::Decode(p, max);
}

inline int g_utf8_validate_len(const char* str, std::size_t len, const char** end) {
    std::size_t i = 0;
    while (i < len) {
        const gunichar c = rhombulus_glib::Decode(str + i, static_cast<long>(len - i));
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2) || c == 0) break;
        i += static_cast<std::size_t>(
            rhombulus_glib::SequenceLength(static_cast<unsigned char>(str[i])));
    }
    if (end != nullptr) *end = str + i;
    return i == len ? 1 : 0;
}

inline const char* g_utf8_find_prev_char(const char* str, const char* p) {
    for (--p; p >= str; --p)
        if ((static_cast<unsigned char>(*p) & 0xC0) != 0x80) return p;
    return nullptr;
}

inline gint g_unichar_to_utf8(gunichar c, char* out) {
    int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    if (out != nullptr) {
        static const unsigned char kFirst[5] = {0, 0x00, 0xC0, 0xE0, 0xF0};
        for (int k = n - 1; k > 0; --k) {
            out[k] = static_cast<char>(0x80 | (c & 0x3F));
            c >>= 6;
        }
        out[0] = static_cast<char>(kFirst[n] | c);
    }
    return n;
}

inline int g_unichar_iscntrl(gunichar c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0) ? 1 : 0;
}

inline int g_unichar_isalpha(gunichar c) {
    return rhombulus_unichar_isalpha(c);
}

inline gunichar g_unichar_tolower(gunichar c) {
    return rhombulus_unichar_tolower(c);
}
