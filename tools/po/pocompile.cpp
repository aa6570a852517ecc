// The catalogues of po/ at build and test time.
//
//   pocompile table OUT.cpp PO_DIR FONT1_TXT
//                                    writes the game's text table from PO_DIR/<code>.po of every
//                                    language, after checking that the font (its character file
//                                    FONT1_TXT) draws every text
//   pocompile check POT PO...        fails when a catalogue lacks an id of POT (the extraction
//                                    from the sources), holds one POT has not, or leaves one
//                                    untranslated or fuzzy
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/encoding.h"
#include "core/languages.h"

namespace {

struct PoEntry {
    std::string context;  // empty: none
    bool hasContext = false;
    std::string id;
    std::string text;
    bool fuzzy = false;
    bool format = false;  // c-format: "%s" and "%1$s" are filled in, "%%" is a "%"
    int line = 0;
};

using Key = std::pair<std::string, std::string>;  // context (with a mark when present), id

std::string Unescape(const std::string& s);

// Keyed by the bytes the game looks up, so the table is in the order the lookup's strcmp
// expects: an escape such as \" sorts by the character it stands for.
Key KeyOf(const PoEntry& e) {
    return {e.hasContext ? "\x01" + Unescape(e.context) : std::string(), Unescape(e.id)};
}

std::string Describe(const PoEntry& e) {
    std::string s = "\"" + e.id + "\"";
    if (e.hasContext) s += " (context \"" + e.context + "\")";
    return s;
}

// The text of a quoted .po string, escapes kept as C escapes.
bool Unquote(const std::string& s, std::string& out) {
    const size_t a = s.find('"');
    const size_t b = s.rfind('"');
    if (a == std::string::npos || b <= a) return false;
    out += s.substr(a + 1, b - a - 1);
    return true;
}

// Reads a catalogue; prints a problem and returns false on a line it cannot read.
bool ReadPo(const std::string& path, std::vector<PoEntry>& entries) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "%s: cannot be read\n", path.c_str());
        return false;
    }
    PoEntry cur;
    std::string* field = nullptr;
    bool any = false;
    bool fuzzyNext = false;
    bool formatNext = false;
    std::string line;
    int number = 0;
    auto finish = [&]() {
        if (any && !(cur.id.empty() && !cur.hasContext)) entries.push_back(cur);
        cur = PoEntry{};
        field = nullptr;
        any = false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("#~", 0) == 0) continue;  // obsolete entries are not the catalogue's
        if (line.rfind("#,", 0) == 0) {
            if (any && field != nullptr && field != &cur.context) finish();
            fuzzyNext = line.find("fuzzy") != std::string::npos;
            formatNext = line.find(" c-format") != std::string::npos;
            continue;
        }
        if (line.empty() || line[0] == '#') {
            if (line.empty() && any) finish();
            continue;
        }
        if (line.rfind("msgctxt ", 0) == 0) {
            if (any) finish();
            cur.hasContext = true;
            cur.line = number;
            field = &cur.context;
        } else if (line.rfind("msgid ", 0) == 0) {
            if (any && !(field == &cur.context)) finish();
            if (cur.line == 0) cur.line = number;
            field = &cur.id;
        } else if (line.rfind("msgstr ", 0) == 0) {
            field = &cur.text;
        } else if (line[0] != '"') {
            std::fprintf(stderr, "%s:%d: cannot read this line\n", path.c_str(), number);
            return false;
        }
        if (field == nullptr || !Unquote(line, *field)) {
            std::fprintf(stderr, "%s:%d: cannot read this line\n", path.c_str(), number);
            return false;
        }
        if (!any) {
            cur.fuzzy = fuzzyNext;
            cur.format = formatNext;
        }
        fuzzyNext = false;
        formatNext = false;
        any = true;
    }
    finish();
    return true;
}

// The C escapes of a .po string resolved to the UTF-8 bytes they stand for.
std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const char c = s[++i];
        out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    return out;
}

// A format's text as drawn: its directives filled with digits.
std::string Filled(const std::string& format) {
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        size_t j = i + 1;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9') ++j;
        if (j < format.size() && format[j] == '$') ++j;
        if (format[i + 1] == '%') {
            out += '%';
            i += 1;
        } else if (j < format.size() && format[j] == 's') {
            out += '0';
            i = j;
        } else {
            out += '%';
        }
    }
    return out;
}

// The characters of a font's character file: its first line (Windows-1252) and the lines after
// it (UTF-8), each up to its "$".
std::set<char32_t> FontCharacters(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::set<char32_t> out;
    std::string line;
    for (bool first = true; std::getline(in, line); first = false) {
        const size_t dollar = line.find('$');
        if (dollar == std::string::npos) break;
        // The first line's "$" is a character of its own, drawn as nothing.
        line.resize(first ? dollar + 1 : dollar);
        if (first) {
            for (unsigned char c : line) out.insert(Cp1252CodePoint(c));
        } else {
            for (char32_t c : CodePoints(line)) out.insert(c);
        }
    }
    return out;
}

// The characters of a text the font cannot draw.
std::string Undrawable(const std::string& escaped, bool format, const std::set<char32_t>& font) {
    const std::string utf8 = format ? Filled(Unescape(escaped)) : Unescape(escaped);
    std::string bad;
    for (char32_t c : CodePoints(utf8)) {
        if (c == U' ' || c == U'\n' || font.count(c) != 0) continue;
        const std::string one = Utf8Of(std::u32string(1, c));
        if (bad.find(one) == std::string::npos) bad += one;
    }
    return bad;
}

int WriteTable(const std::string& outPath, const std::string& poDir, const std::string& fontPath) {
    const std::set<char32_t> font = FontCharacters(fontPath);
    if (font.empty()) {
        std::fprintf(stderr, "%s: no font characters\n", fontPath.c_str());
        return 1;
    }
    // (key) -> text per language; the id stands in for a missing or fuzzy translation.
    std::map<Key, std::vector<std::string>> table;
    std::map<Key, PoEntry> first;
    int problems = 0;
    for (int language = 1; language <= kLanguages; ++language) {
        const std::string path = poDir + "/" + kLanguageFacts[language].code + ".po";
        std::vector<PoEntry> entries;
        // A language without its catalogue yet speaks English.
        if (!std::ifstream(path)) continue;
        if (!ReadPo(path, entries)) return 1;
        for (const PoEntry& e : entries) {
            auto& texts = table[KeyOf(e)];
            if (texts.empty()) {
                texts.assign(kLanguages + 1, std::string());
                first[KeyOf(e)] = e;
            }
            texts[language] = e.fuzzy || e.text.empty() ? e.id : e.text;
            // A message box is drawn by the desktop, not by the bitmap font.
            const bool messageBox = e.hasContext && e.context == "message box";
            const std::string bad = messageBox ? "" : Undrawable(texts[language], e.format, font);
            if (!bad.empty()) {
                std::fprintf(stderr, "%s:%d: the font cannot draw \"%s\" of %s\n", path.c_str(),
                             e.line, bad.c_str(), Describe(e).c_str());
                ++problems;
            }
        }
    }
    if (problems > 0) return 1;
    std::ostringstream out;
    out << "// Written by pocompile from po/*.po at build time; edit the catalogues instead.\n"
        << "#include \"core/catalogue.h\"\n\nconst CatalogueEntry kCatalogue[] = {\n";
    for (auto& [key, texts] : table) {
        const PoEntry& e = first[key];
        out << "    {" << (e.hasContext ? "\"" + e.context + "\"" : std::string("nullptr"))
            << ", \"" << e.id << "\", {nullptr";
        for (int language = 1; language <= kLanguages; ++language)
            out << ", \"" << (texts[language].empty() ? e.id : texts[language]) << "\"";
        out << "}},\n";
    }
    out << "};\nconst int kCatalogueSize = " << table.size() << ";\n";
    // Written only when it changes, so that an untouched catalogue rebuilds nothing.
    std::ifstream old(outPath);
    std::stringstream was;
    was << old.rdbuf();
    if (was.str() == out.str()) return 0;
    std::ofstream file(outPath);
    file << out.str();
    return file ? 0 : 1;
}

int Check(const std::string& potPath, const std::vector<std::string>& poPaths) {
    std::vector<PoEntry> pot;
    if (!ReadPo(potPath, pot)) return 1;
    std::set<Key> wanted;
    for (const PoEntry& e : pot) wanted.insert(KeyOf(e));
    int problems = 0;
    for (const std::string& path : poPaths) {
        std::vector<PoEntry> entries;
        if (!ReadPo(path, entries)) return 1;
        std::set<Key> have;
        for (const PoEntry& e : entries) {
            have.insert(KeyOf(e));
            if (wanted.count(KeyOf(e)) == 0) {
                std::fprintf(stderr, "%s:%d: %s is no longer in the game\n", path.c_str(), e.line,
                             Describe(e).c_str());
                ++problems;
            } else if (e.text.empty() || e.fuzzy) {
                std::fprintf(stderr, "%s:%d: %s is %s\n", path.c_str(), e.line, Describe(e).c_str(),
                             e.fuzzy ? "fuzzy" : "not translated");
                ++problems;
            }
        }
        for (const PoEntry& e : pot) {
            if (have.count(KeyOf(e)) != 0) continue;
            std::fprintf(stderr, "%s: lacks %s\n", path.c_str(), Describe(e).c_str());
            ++problems;
        }
    }
    if (problems > 0) {
        std::fprintf(stderr, "%d problems; po/README.md says how to mend them\n", problems);
        return 1;
    }
    std::printf("%zu ids, %zu catalogues: complete\n", wanted.size(), poPaths.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "table") return WriteTable(args[1], args[2], args[3]);
    if (args.size() >= 3 && args[0] == "check")
        return Check(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    std::fprintf(stderr,
                 "usage: pocompile table OUT.cpp PO_DIR FONT1_TXT\n"
                 "       pocompile check POT PO...\n");
    return 2;
}
