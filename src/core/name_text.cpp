#include "core/name_text.h"

#include <glib.h>

#include <charconv>

#include "core/encoding.h"

namespace {

constexpr std::string_view kHeader = "rhombulus2 names 1";

bool HasControl(std::string_view utf8) {
    for (const char* p = utf8.data(); p < utf8.data() + utf8.size(); p = g_utf8_next_char(p))
        if (g_unichar_iscntrl(g_utf8_get_char(p))) return true;
    return false;
}

}  // namespace

bool ValidUtf8(std::string_view utf8) {
    // glib counts a NUL byte as invalid; a record's name may hold one, a character like any.
    std::size_t at = 0;
    while (true) {
        const std::size_t nul = utf8.find('\0', at);
        const std::string_view part =
            utf8.substr(at, nul == std::string_view::npos ? nul : nul - at);
        if (!g_utf8_validate_len(part.data(), part.size(), nullptr)) return false;
        if (nul == std::string_view::npos) return true;
        at = nul + 1;
    }
}

std::size_t Utf8Chars(std::string_view utf8) {
    if (!ValidUtf8(utf8)) return utf8.size();
    std::size_t chars = 0;
    for (const char* p = utf8.data(); p < utf8.data() + utf8.size(); p = g_utf8_next_char(p))
        ++chars;
    return chars;
}

void AppendCodePoint(std::string& utf8, char32_t cp) {
    char bytes[6];
    const gint n = g_unichar_to_utf8(static_cast<gunichar>(cp), bytes);
    utf8.append(bytes, static_cast<std::size_t>(n));
}

std::vector<char32_t> ValidCodePoints(std::string_view utf8) {
    std::vector<char32_t> out;
    const char* p = utf8.data();
    const char* end = utf8.data() + utf8.size();
    while (p < end) {
        // glib refuses U+0000, a character of its own here.
        if (*p == '\0') {
            out.push_back(0);
            ++p;
            continue;
        }
        const gunichar c = g_utf8_get_char_validated(p, end - p);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            ++p;
            continue;
        }
        out.push_back(static_cast<char32_t>(c));
        p = g_utf8_next_char(p);
    }
    return out;
}

std::string DropLastChar(std::string_view utf8) {
    if (utf8.empty()) return "";
    if (!ValidUtf8(utf8)) return std::string(utf8.substr(0, utf8.size() - 1));
    const char* last = g_utf8_find_prev_char(utf8.data(), utf8.data() + utf8.size());
    return std::string(utf8.data(), static_cast<std::size_t>(last - utf8.data()));
}

std::string DropFirstChar(std::string_view utf8) {
    if (utf8.empty()) return "";
    if (!ValidUtf8(utf8)) return std::string(utf8.substr(1));
    const char* second = g_utf8_next_char(utf8.data());
    return std::string(second, static_cast<std::size_t>(utf8.data() + utf8.size() - second));
}

std::string FirstChars(std::string_view utf8, std::size_t chars) {
    if (!ValidUtf8(utf8)) return std::string(utf8.substr(0, chars));
    const char* p = utf8.data();
    const char* end = utf8.data() + utf8.size();
    for (std::size_t i = 0; i < chars && p < end; ++i) p = g_utf8_next_char(p);
    return std::string(utf8.data(), static_cast<std::size_t>(p - utf8.data()));
}

bool NameCharacter(char32_t c, char32_t& stored) {
    if (c >= 'A' && c <= 'Z') {
        stored = c - 'A' + 'a';
        return true;
    }
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '-' || c == '_') {
        stored = c;
        return true;
    }
    // Beyond ASCII only letters; glib's tables are the same whatever the desktop's locale, so
    // the simulation stays the same on every machine.
    if (c < 0x80 || c > 0x10FFFF || !g_unichar_isalpha(static_cast<gunichar>(c))) return false;
    stored = static_cast<char32_t>(g_unichar_tolower(static_cast<gunichar>(c)));
    return true;
}

bool TypedName(std::string_view utf8, std::size_t chars) {
    if (!ValidUtf8(utf8) || Utf8Chars(utf8) > chars) return false;
    for (const char* p = utf8.data(); p < utf8.data() + utf8.size(); p = g_utf8_next_char(p)) {
        const char32_t c = g_utf8_get_char(p);
        char32_t stored = 0;
        if (!NameCharacter(c, stored) || stored != c) return false;
    }
    return true;
}

namespace {

// The five bytes Windows-1252 leaves unassigned stand for the code points of their number, as
// Windows reads them, so every record's bytes come back as they were.
bool Unassigned1252(unsigned c) {
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

}  // namespace

std::string NameTo1252(const std::string& utf8, std::size_t bytes) {
    if (!ValidUtf8(utf8)) return Utf8ToCp1252(utf8).substr(0, bytes);
    std::string out;
    for (const char32_t c : ValidCodePoints(utf8)) {
        if (Unassigned1252(c)) {
            out += static_cast<char>(c);
            continue;
        }
        std::string one;
        AppendCodePoint(one, c);
        // Where Windows-1252 lacks the letter, its nearest plain form ("Zhora" for "Жора").
        out += Utf8ToNearestCp1252(one);
    }
    return out.substr(0, bytes);
}

std::string NameFrom1252(const std::string& cp1252) {
    std::string out;
    for (const char c : cp1252) {
        const auto byte = static_cast<unsigned char>(c);
        if (Unassigned1252(byte))
            AppendCodePoint(out, byte);
        else
            out += Cp1252ToUtf8(std::string(1, c));
    }
    return out;
}

bool NameFits1252(const std::string& utf8, std::size_t bytes) {
    return NameFrom1252(NameTo1252(utf8, bytes)) == utf8;
}

std::string WholeNamesText(const WholeNames& names) {
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [record, whole] : names) {
        text += std::to_string(record) + "\t" + NameFrom1252(whole.form) + "\t" + whole.name + "\n";
    }
    return text;
}

WholeNames ParseWholeNames(std::string_view text, int lastRecord, std::size_t nameChars) {
    WholeNames names;
    const std::size_t firstEnd = text.find('\n');
    if (firstEnd == std::string_view::npos || text.substr(0, firstEnd) != kHeader) return names;
    std::size_t at = firstEnd + 1;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        // A last line cut short by a torn copy is still whole up to where it ends.
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) continue;
        int record = 0;
        const auto [rest, error] = std::from_chars(line.data(), line.data() + tab1, record);
        if (error != std::errc{} || rest != line.data() + tab1 || record < 1 ||
            record > lastRecord || names.count(record) != 0)
            continue;
        const std::string_view form = line.substr(tab1 + 1, tab2 - tab1 - 1);
        const std::string_view name = line.substr(tab2 + 1);
        if (!ValidUtf8(form) || !ValidUtf8(name) || HasControl(form) || HasControl(name) ||
            Utf8Chars(name) > nameChars || Utf8Chars(form) > nameChars)
            continue;
        const std::string form1252 = NameTo1252(std::string(form), std::string::npos);
        // A field that is not Windows-1252 was never written by the game.
        if (NameFrom1252(form1252) != form) continue;
        names[record] = WholeName{form1252, std::string(name)};
    }
    return names;
}

std::string NameOfRecord(const WholeNames& names, int record, const std::string& field1252) {
    const auto it = names.find(record);
    if (it != names.end() && it->second.form == field1252) return it->second.name;
    return NameFrom1252(field1252);
}
