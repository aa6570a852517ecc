#include "playfield/level_pack.h"

#include <algorithm>
#include <sstream>

namespace levels {

namespace {

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A line of the file with its number, from 1.
struct Line {
    int number;
    std::string_view text;
};

std::vector<Line> Lines(std::string_view text) {
    std::vector<Line> lines;
    size_t start = 0;
    for (int n = 1; start < text.size(); ++n) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back({n, text.substr(start, end - start)});
        start = end + 1;
    }
    return lines;
}

// Well-formed UTF-8 without control characters: what a name shown in the game may hold.
bool PrintableUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        int more = 0;
        if (c < 0x20 || c == 0x7f) return false;
        if (c < 0x80)
            more = 0;
        else if ((c & 0xe0) == 0xc0 && c >= 0xc2)
            more = 1;
        else if ((c & 0xf0) == 0xe0)
            more = 2;
        else if ((c & 0xf8) == 0xf0 && c <= 0xf4)
            more = 3;
        else
            return false;
        if (i + more >= s.size()) return false;
        for (int k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xc0) != 0x80) return false;
        i += 1 + more;
    }
    return true;
}

// "" when `value` may name a pack, an author or a level; else what is wrong with it.
std::string TextProblem(std::string_view what, std::string_view value, size_t limit,
                        bool mayBeEmpty) {
    if (value.empty() && !mayBeEmpty) return std::string(what) + " is empty";
    if (value.size() > limit)
        return std::string(what) + " is longer than " + std::to_string(limit) + " bytes";
    if (!PrintableUtf8(value)) return std::string(what) + " is not printable UTF-8 text";
    return {};
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

PackResult Fail(PackFault fault, int line, std::string message, int level = 0) {
    PackResult r;
    r.problem = {line, std::move(message)};
    r.fault = fault;
    r.level = level;
    return r;
}

}  // namespace

bool IsPackText(std::string_view text) {
    for (const Line& line : Lines(text.substr(0, std::min(text.size(), kMaxPackBytes)))) {
        const std::string_view t = Trimmed(line.text);
        if (t.empty() || t[0] == ';') continue;
        return StartsWith(t, "pack:");
    }
    return false;
}

PackResult ParsePack(std::string_view text) {
    if (text.size() > kMaxPackBytes)
        return Fail(PackFault::kTooLarge, 0,
                    "the pack is " + std::to_string(text.size()) + " bytes, more than the " +
                        std::to_string(kMaxPackBytes) + " a pack may have");
    if (text.find('\0') != std::string_view::npos)
        return Fail(PackFault::kNotText, 0, "the pack is not text");
    const std::vector<Line> lines = Lines(text);
    Pack pack;
    bool named = false, authored = false, kinded = false;
    size_t n = 0;
    // The header: up to the first "level" line.
    for (; n < lines.size(); ++n) {
        const std::string_view t = Trimmed(lines[n].text);
        const int lineNo = lines[n].number;
        if (t.empty() || t[0] == ';') continue;
        if (t == "level") break;
        const size_t colon = t.find(':');
        if (colon == std::string_view::npos)
            return Fail(named ? PackFault::kHeader : PackFault::kNotPack, lineNo,
                        "unexpected text in the pack's header (pack:, author:, kind:)");
        const std::string_view key = t.substr(0, colon), value = Trimmed(t.substr(colon + 1));
        if (!named && key != "pack")
            return Fail(PackFault::kNotPack, lineNo, "a pack starts with its 'pack:' line");
        bool* seen = key == "pack"     ? &named
                     : key == "author" ? &authored
                     : key == "kind"   ? &kinded
                                       : nullptr;
        if (!seen)
            return Fail(PackFault::kHeader, lineNo,
                        "unknown header line '" + std::string(key) + ":' (pack:, author:, kind:)");
        if (*seen)
            return Fail(PackFault::kHeader, lineNo, "second '" + std::string(key) + ":' line");
        *seen = true;
        std::string problem;
        if (key == "pack") {
            problem = TextProblem("the pack's name", value, kMaxPackName, false);
            pack.name = value;
        } else if (key == "author") {
            problem = TextProblem("the author's name", value, kMaxPackName, true);
            pack.author = value;
        } else if (value == "puzzle" || value == "match") {
            pack.match = value == "match";
        } else {
            problem = "the kind is 'puzzle' or 'match', not '" + std::string(value) + "'";
        }
        if (!problem.empty()) return Fail(PackFault::kHeader, lineNo, problem);
    }
    if (!named) return Fail(PackFault::kNotPack, 0, "no 'pack:' line: this is not a level pack");
    if (!kinded)
        return Fail(PackFault::kHeader, 0,
                    "the pack's header has no 'kind:' line (puzzle or match)");
    const Lattice& lattice = pack.match ? kMatchLattice : kPuzzleLattice;
    // The levels: each from its "level" line to the next.
    while (n < lines.size()) {
        const int levelLine = lines[n].number;
        size_t end = n + 1;
        while (end < lines.size() && Trimmed(lines[end].text) != "level") ++end;
        if (static_cast<int>(pack.levels.size()) == kMaxPackLevels)
            return Fail(PackFault::kTooManyLevels, levelLine,
                        "a pack holds at most " + std::to_string(kMaxPackLevels) + " levels");
        std::string source;
        for (size_t i = n + 1; i < end; ++i) {
            source += lines[i].text;
            source += '\n';
        }
        const int number = static_cast<int>(pack.levels.size()) + 1;
        ParseResult p = ParseSource(source, lattice);
        const int offset = levelLine;  // line 1 of the level's source is the line after "level"
        if (!p.ok)
            return Fail(PackFault::kLevel, p.problem.line + offset, p.problem.message, number);
        if (p.level.pipe)
            return Fail(PackFault::kLevel, levelLine, "a pack holds no pipe levels", number);
        for (int& row : p.level.rowLine)
            if (row > 0) row += offset;
        const std::string what = "level " + std::to_string(number);
        std::string problem = TextProblem(what + "'s name", p.level.name, kMaxLevelIdea, false);
        if (problem.empty())
            problem = TextProblem(what + "'s idea", p.level.idea, kMaxLevelIdea, true);
        if (!problem.empty()) return Fail(PackFault::kLevel, levelLine, problem, number);
        pack.levels.push_back(std::move(p.level));
        n = end;
    }
    if (pack.levels.empty())
        return Fail(PackFault::kNoLevel, static_cast<int>(lines.size()), "the pack holds no level");
    PackResult r;
    r.ok = true;
    r.pack = std::move(pack);
    return r;
}

bool WritePack(const Pack& pack, std::string& text, std::string& error) {
    error = TextProblem("the pack's name", pack.name, kMaxPackName, false);
    if (error.empty()) error = TextProblem("the author's name", pack.author, kMaxPackName, true);
    if (error.empty() && pack.levels.empty()) error = "the pack holds no level";
    if (error.empty() && static_cast<int>(pack.levels.size()) > kMaxPackLevels)
        error = "a pack holds at most " + std::to_string(kMaxPackLevels) + " levels";
    if (!error.empty()) return false;
    std::ostringstream out;
    out << "pack: " << pack.name << "\nauthor: " << pack.author
        << "\nkind: " << (pack.match ? "match" : "puzzle") << "\n";
    const Lattice& lattice = pack.match ? kMatchLattice : kPuzzleLattice;
    for (size_t i = 0; i < pack.levels.size(); ++i) {
        const Level& level = pack.levels[i];
        const std::string what = "level " + std::to_string(i + 1);
        error = TextProblem(what + "'s name", level.name, kMaxLevelIdea, false);
        if (error.empty()) error = TextProblem(what + "'s idea", level.idea, kMaxLevelIdea, true);
        if (!error.empty()) return false;
        std::string header = "; name: " + level.name;
        if (!level.idea.empty()) header += "\n; idea: " + level.idea;
        if (level.proof.known) header += "\n" + ProofComment(level.proof, level.records);
        // The ceiling is the lattice's, whichever the level was drawn on.
        Records records = level.records;
        WriteCeiling(records, lattice);
        const DecompileResult d = Decompile(records, header, lattice);
        if (!d.ok) {
            error = what + ": " + d.problem.message;
            return false;
        }
        out << "\nlevel\n" << d.text;
    }
    text = out.str();
    return true;
}

}  // namespace levels
