#include "playfield/level_text.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <sstream>

namespace levels {

namespace {

constexpr int kInnerWidth = 19;  // characters between the two '|' of a row

constexpr std::string_view kExtraLetters = ".cbparxf";  // index = extra type

int CellCode(char c) {
    if (c == '.') return kEmptyCode;
    if (c >= '1' && c <= '8') return c - '1';
    if (c == '#') return kAnchorCode;
    if (c == '=') return kAnchorCodeAlt;
    return -2;
}

char CellChar(int code) {
    if (code == kEmptyCode) return '.';
    if (IsColour(code)) return static_cast<char>('1' + code);
    if (code == kAnchorCode) return '#';
    if (code == kAnchorCodeAlt) return '=';
    return '?';
}

// Pipe cells: the piece shapes as they look, the barrels by their top cell (S source, T target)
// with their other three stones drawn as s and t, obstacles X.
constexpr std::string_view kPipePieceChars = "\\/<v>^";  // codes 0..5
constexpr char kSourceBody = 's';
constexpr char kTargetBody = 't';

int PipeCellCode(char c) {
    if (c == '.') return kEmptyCode;
    const size_t piece = kPipePieceChars.find(c);
    if (piece != std::string_view::npos) return static_cast<int>(piece);
    if (c == 'S') return kPipeSourceCode;
    if (c == 'T') return kPipeTargetCode;
    if (c == 'X') return kPipeObstacleCode;
    if (c == kSourceBody || c == kTargetBody) return kEmptyCode;
    return -2;
}

char PipeCellChar(int code) {
    if (code == kEmptyCode) return '.';
    if (IsPipePiece(code)) return kPipePieceChars[code];
    if (code == kPipeSourceCode) return 'S';
    if (code == kPipeTargetCode) return 'T';
    if (code == kPipeObstacleCode) return 'X';
    return '?';
}

// The ceiling of a pipe level: nine anchors, its leftmost place empty.
constexpr std::string_view kPipeCeiling = ".#########";

int ExtraCode(char c) {
    size_t pos = kExtraLetters.find(c);
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

struct GridRow {
    int line;
    std::string text;
};

// The first problem of a source, if it has one.
using Outcome = std::optional<Problem>;

Problem At(int line, std::string message) {
    return {line, std::move(message)};
}

// Reads one drawn row into its characters, one per cell; empty string and a message on error.
std::string ReadRow(const GridRow& row, int rowNumber, std::string& error) {
    const std::string& t = row.text;
    const std::string rowName = "row " + std::to_string(rowNumber);
    const int width = RowWidth(rowNumber);
    if (t.size() < 2 || t.front() != '|' || t.back() != '|') {
        error = rowName + " must be framed by '|' on both sides";
        return {};
    }
    std::string inner = t.substr(1, t.size() - 2);
    int cells = 0;
    for (char c : inner)
        if (c != ' ') ++cells;
    if (cells != width) {
        error =
            rowName + " has " + std::to_string(cells) + " cells, expected " + std::to_string(width);
        return {};
    }
    if (static_cast<int>(inner.size()) != kInnerWidth) {
        error = rowName + " is " + std::to_string(inner.size()) +
                " characters wide inside its frame, expected " + std::to_string(kInnerWidth);
        return {};
    }
    // A row of 10 puts its cells at even places, a row of 9 half a cell further right.
    const int first = width == 10 ? 0 : 1;
    std::string out;
    for (int i = 0; i < kInnerWidth; ++i) {
        bool cellPlace = i >= first && (i - first) % 2 == 0 && (i - first) / 2 < width;
        if (cellPlace == (inner[i] == ' ')) {
            error = rowName + " is not drawn at its offset: a row of " + std::to_string(width) +
                    (width == 10 ? " starts right after the '|'"
                                 : " starts one space in, half a cell to the right");
            return {};
        }
        if (cellPlace) out.push_back(inner[i]);
    }
    return out;
}

// The source's lines sorted into what they hold: the comments that name the level, and the
// rows of its field (or pipe) grid and of its extras grid.
struct Sections {
    std::vector<GridRow> field, extras;
    int fieldLine = 0;  // the "field" or "pipe" line, 0 when there is none
    int extrasLine = 0;
};

// "; name: ..." and "; idea: ..." name the level, "; proven: ..." is the editor's proof (read
// once the field is known); other comments are the author's.
void ReadComment(const std::string& line, Level& level, std::string& proven) {
    const std::string body = Trim(std::string_view(line).substr(1));
    if (body.rfind("name:", 0) == 0) level.name = Trim(std::string_view(body).substr(5));
    if (body.rfind("idea:", 0) == 0) level.idea = Trim(std::string_view(body).substr(5));
    if (body.rfind("proven:", 0) == 0) proven = Trim(std::string_view(body).substr(7));
}

// FNV-1a over the field's cells and extras: what a proof mark names its field by.
std::uint32_t FieldKey(const Records& records) {
    std::uint32_t h = 2166136261u;
    for (int k = kFirstFieldCell; k <= kLastBuiltCell; ++k) {
        for (const int v : {records[k].cell, records[k].extra}) {
            h ^= static_cast<std::uint32_t>(v) & 0xffu;
            h *= 16777619u;
        }
    }
    return h;
}

Outcome ReadSections(const std::vector<std::string>& lines, Level& level, Sections& s,
                     std::string& proven) {
    std::vector<GridRow>* section = nullptr;
    for (size_t n = 0; n < lines.size(); ++n) {
        const int lineNo = static_cast<int>(n) + 1;
        const std::string& raw = lines[n];
        const std::string line = Trim(raw);
        if (line.empty()) continue;
        if (line[0] == ';') {
            ReadComment(line, level, proven);
        } else if (line == "field" || line == "pipe") {
            if (s.fieldLine) return At(lineNo, "second '" + line + "' section");
            s.fieldLine = lineNo;
            level.pipe = line == "pipe";
            section = &s.field;
        } else if (line == "extras") {
            if (!s.fieldLine) return At(lineNo, "'extras' comes after the 'field' section");
            if (s.extrasLine) return At(lineNo, "second 'extras' section");
            s.extrasLine = lineNo;
            section = &s.extras;
        } else if (line[0] == '|') {
            if (!section) return At(lineNo, "grid row before the 'field' line");
            // Leading spaces would shift the drawing; the frame keeps trailing ones visible.
            if (raw[0] != '|') return At(lineNo, "grid rows start in the first column");
            section->push_back({lineNo, line});
        } else {
            return At(lineNo, "unexpected text '" + line + "' (comments start with ';')");
        }
    }
    if (!s.fieldLine)
        return At(static_cast<int>(lines.size()), "no 'field' section (nor a 'pipe' one)");
    return std::nullopt;
}

// The field is drawn at least down to the last row above the line, and no deeper than a level
// can hold.
Outcome CheckFieldDepth(const Sections& s, int minRow) {
    const int lastRow = static_cast<int>(s.field.size()) - 1;
    if (lastRow < minRow)
        return At(s.field.empty() ? s.fieldLine : s.field.back().line,
                  "the field ends at row " + std::to_string(lastRow) + "; draw rows 0 to " +
                      std::to_string(minRow) + " at least");
    if (lastRow > kMaxSourceRow)
        return At(s.field[kMaxSourceRow + 1].line,
                  "row " + std::to_string(kMaxSourceRow + 1) + " is below the last row " +
                      std::to_string(kMaxSourceRow) + " a level can hold");
    return std::nullopt;
}

// Rows below the least depth are drawn only down to the last stone, so the last may not be
// empty.
Outcome CheckLastRowDrawn(const GridRow& row, int rowNumber, int lastRow, int minRow,
                          bool drawsAnything) {
    if (rowNumber > minRow && rowNumber == lastRow && !drawsAnything)
        return At(row.line, "row " + std::to_string(rowNumber) + " is empty; rows below row " +
                                std::to_string(minRow) + " are drawn only down to the last stone");
    return std::nullopt;
}

// A row of a pipe level. The barrels' other stones are marked in `extra` for CheckBarrels.
Outcome ReadPipeRow(const std::string& cells, const GridRow& row, int rowNumber, Level& level,
                    bool& drawsAnything) {
    if (rowNumber == 0) {
        if (cells != kPipeCeiling)
            return At(row.line,
                      "row 0 is the ceiling: its leftmost place empty, then nine anchors '#'");
        return std::nullopt;
    }
    for (int c = 0; c < RowWidth(rowNumber); ++c) {
        const int code = PipeCellCode(cells[c]);
        if (code == -2)
            return At(row.line, "row " + std::to_string(rowNumber) + " column " +
                                    std::to_string(c) + ": unknown cell '" +
                                    std::string(1, cells[c]) +
                                    "' (. empty, \\ / < v > ^ pieces, S s source, T t target, "
                                    "X obstacle)");
        LevelRecord& record = level.records[CellIndex(rowNumber, c)];
        record.cell = code;
        if (cells[c] == kSourceBody || cells[c] == kTargetBody) record.extra = cells[c];
        drawsAnything = drawsAnything || cells[c] != '.';
    }
    return std::nullopt;
}

// A row of stones; row 0 is the lattice's ceiling and stays out of the records.
Outcome ReadStoneRow(const std::string& cells, const GridRow& row, int rowNumber,
                     const Lattice& lattice, Level& level, bool& drawsAnything) {
    for (int c = 0; c < RowWidth(rowNumber); ++c) {
        const int code = CellCode(cells[c]);
        if (code == -2)
            return At(row.line, "row " + std::to_string(rowNumber) + " column " +
                                    std::to_string(c) + ": unknown cell '" +
                                    std::string(1, cells[c]) +
                                    "' (. empty, 1-8 colours, # anchor)");
        if (rowNumber == 0 && code != (IsCeilingColumn(lattice, c) ? kAnchorCode : kEmptyCode))
            return At(row.line, lattice.match ? "row 0 is the ceiling: '.', eight anchors '#', '.'"
                                              : "row 0 is the ceiling: ten anchors '#'");
        if (rowNumber > 0) level.records[CellIndex(rowNumber, c)].cell = code;
        drawsAnything = drawsAnything || code != kEmptyCode;
    }
    return std::nullopt;
}

Outcome ReadFieldRows(const Sections& s, const Lattice& lattice, Level& level) {
    const int lastRow = static_cast<int>(s.field.size()) - 1;
    for (int row = 0; row <= lastRow; ++row) {
        const GridRow& drawn = s.field[row];
        std::string error;
        const std::string cells = ReadRow(drawn, row, error);
        if (!error.empty()) return At(drawn.line, error);
        level.rowLine[row] = drawn.line;
        bool drawsAnything = false;
        const Outcome problem =
            level.pipe ? ReadPipeRow(cells, drawn, row, level, drawsAnything)
                       : ReadStoneRow(cells, drawn, row, lattice, level, drawsAnything);
        if (problem) return problem;
        // A pipe level is always drawn to the Puzzle's depth, whatever the lattice.
        const int minRow = level.pipe ? kMinSourceRow : lattice.minSourceRow;
        if (Outcome p = CheckLastRowDrawn(drawn, row, lastRow, minRow, drawsAnything)) return p;
    }
    return std::nullopt;
}

// Every barrel's other three stones are drawn, and nothing else is drawn as one; the marks
// ReadPipeRow left in `extra` are cleared.
Outcome CheckBarrels(Level& level) {
    std::array<char, kRecordCount> body{};
    for (int k = kFirstFieldCell; k < kRecordCount; ++k) {
        const int code = level.records[k].cell;
        if (code != kPipeSourceCode && code != kPipeTargetCode) continue;
        const char mark = code == kPipeSourceCode ? kSourceBody : kTargetBody;
        for (int i = 1; i < 4; ++i) {
            const int b = CellAt(CellDx(k) + kBarrelStones[i][0], CellY(k) + kBarrelStones[i][1]);
            if (b < 0 || level.records[b].extra != mark)
                return At(level.rowLine[CellRow(k)],
                          "the barrel at row " + std::to_string(CellRow(k)) + " column " +
                              std::to_string(CellColumn(k)) + " needs '" + std::string(1, mark) +
                              "' on its other three stones");
            body[b] = mark;
        }
    }
    for (int k = kFirstFieldCell; k < kRecordCount; ++k) {
        const int mark = level.records[k].extra;
        if (mark != 0 && body[k] != mark)
            return At(level.rowLine[CellRow(k)], "row " + std::to_string(CellRow(k)) + " column " +
                                                     std::to_string(CellColumn(k)) + ": '" +
                                                     std::string(1, static_cast<char>(mark)) +
                                                     "' is not part of a barrel");
        level.records[k].extra = 0;
    }
    return std::nullopt;
}

// The extras grid, when there is one: as many rows as the field, a known letter in each place,
// none in the ceiling, and at least one extra.
Outcome ReadExtras(const Sections& s, Level& level) {
    if (!s.extrasLine) return std::nullopt;
    if (s.extras.size() != s.field.size())
        return At(s.extras.empty() ? s.extrasLine : s.extras.back().line,
                  "the extras grid has " + std::to_string(s.extras.size()) +
                      " rows, the field has " + std::to_string(s.field.size()));
    bool any = false;
    for (int row = 0; row < static_cast<int>(s.extras.size()); ++row) {
        const GridRow& drawn = s.extras[row];
        std::string error;
        const std::string cells = ReadRow(drawn, row, error);
        if (!error.empty()) return At(drawn.line, "extras " + error);
        for (int c = 0; c < RowWidth(row); ++c) {
            const int code = ExtraCode(cells[c]);
            if (code < 0)
                return At(drawn.line,
                          "extras row " + std::to_string(row) + " column " + std::to_string(c) +
                              ": unknown extra '" + std::string(1, cells[c]) +
                              "' (. none, c clock, b bomb, p colourer, a arrow, r rainbow, "
                              "x X2, f flash)");
            if (row == 0 && code != 0)
                return At(drawn.line, "extras row 0 is the ceiling and holds none");
            if (row > 0) level.records[CellIndex(row, c)].extra = code;
            any = any || code != 0;
        }
    }
    if (!any) return At(s.extrasLine, "the extras grid holds no extra; leave it out");
    return std::nullopt;
}

Outcome ReadLevel(std::string_view text, const Lattice& lattice, Level& level) {
    Sections sections;
    std::string proven;
    if (Outcome p = ReadSections(SplitLines(text), level, sections, proven)) return p;
    if (Outcome p = CheckFieldDepth(sections, lattice.minSourceRow)) return p;
    if (Outcome p = ReadFieldRows(sections, lattice, level)) return p;
    if (level.pipe) {
        if (sections.extrasLine) return At(sections.extrasLine, "a pipe level carries no extras");
        return CheckBarrels(level);
    }
    WriteCeiling(level.records, lattice);
    if (Outcome p = ReadExtras(sections, level)) return p;
    if (!proven.empty()) level.proof = ReadProofComment(proven, level.records);
    return std::nullopt;
}

}  // namespace

std::string ProofComment(const ProofMark& mark, const Records& records) {
    char text[96];
    std::snprintf(text, sizeof text, "; proven: %d of %d, shots %d, time %d, field %08x",
                  mark.cleared, kProofMarkTries, mark.shots, mark.time,
                  static_cast<unsigned>(FieldKey(records)));
    return text;
}

ProofMark ReadProofComment(std::string_view text, const Records& records) {
    // Read with every number bounded; anything else is no proof at all.
    const std::string s(text.substr(0, 95));
    int cleared = 0, tries = 0, shots = 0, time = 0, used = 0;
    unsigned key = 0;
    ProofMark mark;
    if (std::sscanf(s.c_str(), "%2d of %2d, shots %6d, time %6d, field %8x%n", &cleared, &tries,
                    &shots, &time, &key, &used) != 5 ||
        used != static_cast<int>(s.size()) || tries != kProofMarkTries || cleared < 0 ||
        cleared > tries || shots < 0 || time < 0 || key != FieldKey(records))
        return mark;
    mark = {true, cleared, shots, time};
    return mark;
}

int CellAt(int dx, int y, const Lattice& l) {
    const int s = l.spacing;
    if (y < 0 || y % s != 0) return -1;
    int row = y / s;
    // The first cell of the row: its offset is that of column 0.
    int left = LatticeDx(CellIndex(row, 0), s);
    if (dx < left || (dx - left) % (2 * s) != 0) return -1;
    int column = (dx - left) / (2 * s);
    if (column >= RowWidth(row)) return -1;
    int cell = CellIndex(row, column);
    return cell <= kLastBuiltCell ? cell : -1;
}

ParseResult ParseSource(std::string_view text, const Lattice& lattice) {
    ParseResult r;
    Level level;
    level.lattice = &lattice;
    if (Outcome problem = ReadLevel(text, lattice, level)) {
        r.problem = *problem;  // the level stays empty, as it was never read
        return r;
    }
    r.ok = true;
    r.level = std::move(level);
    return r;
}

namespace {

DecompileResult DecompilePipe(const Records& records, std::string_view header) {
    DecompileResult r;
    auto fail = [&](int k, std::string message) {
        r.problem = {k + 1, "record " + std::to_string(k) + ": " + message};
        return r;
    };
    std::array<char, kRecordCount> drawn{};
    for (int k = 0; k < kRecordCount; ++k) {
        const LevelRecord& rec = records[k];
        if (rec.extra != 0) return fail(k, "a pipe level carries no extras");
        if (k < kFirstFieldCell || k >= kLastBuiltCell) {
            if (rec.cell != kEmptyCode)
                return fail(k, "holds cell " + std::to_string(rec.cell) +
                                   ", but only cells 10..199 of a pipe level are drawn");
            continue;
        }
        if (PipeCellChar(rec.cell) == '?')
            return fail(
                k, "cell code " + std::to_string(rec.cell) + " is not one the pipe game builds");
        drawn[k] = PipeCellChar(rec.cell);
    }
    for (int k = kFirstFieldCell; k < kLastBuiltCell; ++k) {
        const int code = records[k].cell;
        if (code != kPipeSourceCode && code != kPipeTargetCode) continue;
        for (int i = 1; i < 4; ++i) {
            const int b = CellAt(CellDx(k) + kBarrelStones[i][0], CellY(k) + kBarrelStones[i][1]);
            if (b < 0 || b >= kLastBuiltCell || drawn[b] != '.')
                return fail(k, "the barrel's stones do not fit in free cells of the field");
            drawn[b] = code == kPipeSourceCode ? kSourceBody : kTargetBody;
        }
    }
    int lastRow = kMinSourceRow;
    for (int k = kFirstFieldCell; k < kLastBuiltCell; ++k)
        if (drawn[k] != '.' && CellRow(k) > lastRow) lastRow = CellRow(k);
    std::ostringstream out;
    if (!header.empty()) out << header << "\n";
    out << "pipe\n";
    for (int row = 0; row <= lastRow; ++row) {
        std::string inner(kInnerWidth, ' ');
        const int first = RowWidth(row) == 10 ? 0 : 1;
        for (int c = 0; c < RowWidth(row); ++c)
            inner[first + 2 * c] = row == 0 ? kPipeCeiling[c] : drawn[CellIndex(row, c)];
        out << '|' << inner << "|\n";
    }
    r.ok = true;
    r.text = out.str();
    return r;
}

}  // namespace

DecompileResult Decompile(const Records& records, std::string_view header, const Lattice& lattice,
                          bool pipe) {
    if (pipe) return DecompilePipe(records, header);
    DecompileResult r;
    auto fail = [&](int k, std::string message) {
        r.problem = {k + 1, "record " + std::to_string(k) + ": " + message};
        return r;
    };
    for (int k = 0; k < kRecordCount; ++k) {
        const LevelRecord& rec = records[k];
        if (k < kFirstFieldCell) {
            const int ceiling = IsCeilingColumn(lattice, k) ? kCeilingCode : kEmptyCode;
            if (rec.cell != ceiling || rec.extra != 0)
                return fail(k, "the ceiling row holds cell " + std::to_string(rec.cell) +
                                   " extra " + std::to_string(rec.extra) + ", expected " +
                                   std::to_string(ceiling) + " and 0");
        } else if (k >= kLastBuiltCell) {
            if (rec.cell != kEmptyCode || rec.extra != 0)
                return fail(k, "cells from 200 on are left empty, found cell " +
                                   std::to_string(rec.cell) + " extra " +
                                   std::to_string(rec.extra));
        } else {
            if (CellChar(rec.cell) == '?')
                return fail(
                    k, "cell code " + std::to_string(rec.cell) + " is not one the game builds");
            if (rec.extra < 0 || rec.extra > 7)
                return fail(k, "extra " + std::to_string(rec.extra) + " is not one the game knows");
        }
    }
    int lastRow = lattice.minSourceRow;
    bool anyExtra = false;
    for (int k = kFirstFieldCell; k < kLastBuiltCell; ++k) {
        if (records[k].cell != kEmptyCode && CellRow(k) > lastRow) lastRow = CellRow(k);
        anyExtra = anyExtra || records[k].extra != 0;
    }
    auto drawGrid = [&](std::ostringstream& out, bool extras) {
        for (int row = 0; row <= lastRow; ++row) {
            std::string inner(kInnerWidth, ' ');
            const int first = RowWidth(row) == 10 ? 0 : 1;
            for (int c = 0; c < RowWidth(row); ++c) {
                char ch;
                if (row == 0) {
                    ch = extras || !IsCeilingColumn(lattice, c) ? '.' : '#';
                } else {
                    const LevelRecord& rec = records[CellIndex(row, c)];
                    ch = extras ? kExtraLetters[rec.extra] : CellChar(rec.cell);
                }
                inner[first + 2 * c] = ch;
            }
            out << '|' << inner << "|\n";
        }
    };
    std::ostringstream out;
    if (!header.empty()) out << header << "\n";
    out << "field\n";
    drawGrid(out, false);
    if (anyExtra) {
        out << "\nextras\n";
        drawGrid(out, true);
    }
    r.ok = true;
    r.text = out.str();
    return r;
}

std::string SourceBody(std::string_view text) {
    std::string body;
    for (const std::string& line : SplitLines(text)) {
        std::string t = Trim(line);
        if (t.empty() || t[0] == ';') continue;
        body += t;
        body += '\n';
    }
    return body;
}

std::string EncodeFile(const Records& records) {
    return EncodeLevelRecords(records);
}

DecodeResult DecodeFile(std::string_view bytes) {
    DecodeResult r;
    if (bytes.size() != static_cast<size_t>(kFileBytes)) {
        r.error = "a level file is " + std::to_string(kFileBytes) + " bytes, this one is " +
                  std::to_string(bytes.size());
        return r;
    }
    r.ok = DecodeLevelRecords(bytes, r.records);
    return r;
}

std::string LevelFileName(int number, const Lattice& lattice) {
    return lattice.match ? "lvl000" + std::to_string(number) + "two.lvl"
                         : "lvl00" + std::to_string(number) + ".lvl";
}

void WriteCeiling(Records& records, const Lattice& lattice) {
    for (int k = 0; k < kFirstFieldCell; ++k)
        records[k] = {IsCeilingColumn(lattice, k) ? kCeilingCode : kEmptyCode, 0};
}

std::string PipeLevelFileName(int number) {
    return "pipelev" + std::to_string(number) + ".lvl";
}

bool IsPipeFileName(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return base.rfind("pipelev", 0) == 0;
}

int SourceNumber(std::string_view path) {
    size_t slash = path.find_last_of('/');
    std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
    int n = 0;
    size_t i = 0;
    for (; i < base.size() && base[i] >= '0' && base[i] <= '9'; ++i) {
        n = n * 10 + (base[i] - '0');
        if (n > 100000) return 0;
    }
    if (i == 0 || base.substr(i) != ".txt") return 0;
    return n;
}

}  // namespace levels
