#include "level.h"

#include <cstring>
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

ParseResult Fail(int line, std::string message) {
    ParseResult r;
    r.problem = {line, std::move(message)};
    return r;
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

}  // namespace

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
    std::vector<std::string> lines = SplitLines(text);
    Level level;
    level.lattice = &lattice;
    const int minRow = lattice.minSourceRow;
    std::vector<GridRow> field, extras;
    std::vector<GridRow>* section = nullptr;
    int fieldLine = 0, extrasLine = 0;
    for (size_t n = 0; n < lines.size(); ++n) {
        const int lineNo = static_cast<int>(n) + 1;
        const std::string& raw = lines[n];
        std::string line = Trim(raw);
        if (line.empty()) continue;
        if (line[0] == ';') {
            std::string body = Trim(std::string_view(line).substr(1));
            if (body.rfind("name:", 0) == 0) level.name = Trim(std::string_view(body).substr(5));
            if (body.rfind("idea:", 0) == 0) level.idea = Trim(std::string_view(body).substr(5));
            continue;
        }
        if (line == "field" || line == "pipe") {
            if (fieldLine) return Fail(lineNo, "second '" + line + "' section");
            fieldLine = lineNo;
            level.pipe = line == "pipe";
            section = &field;
            continue;
        }
        if (line == "extras") {
            if (!fieldLine) return Fail(lineNo, "'extras' comes after the 'field' section");
            if (extrasLine) return Fail(lineNo, "second 'extras' section");
            extrasLine = lineNo;
            section = &extras;
            continue;
        }
        if (line[0] == '|') {
            if (!section) return Fail(lineNo, "grid row before the 'field' line");
            // Leading spaces would shift the drawing; the frame keeps trailing ones visible.
            if (raw[0] != '|') return Fail(lineNo, "grid rows start in the first column");
            section->push_back({lineNo, line});
            continue;
        }
        return Fail(lineNo, "unexpected text '" + line + "' (comments start with ';')");
    }
    const int endLine = static_cast<int>(lines.size());
    if (!fieldLine) return Fail(endLine, "no 'field' section (nor a 'pipe' one)");

    const int lastRow = static_cast<int>(field.size()) - 1;
    if (lastRow < minRow)
        return Fail(field.empty() ? fieldLine : field.back().line,
                    "the field ends at row " + std::to_string(lastRow) + "; draw rows 0 to " +
                        std::to_string(minRow) + " at least");
    if (lastRow > kMaxSourceRow)
        return Fail(field[kMaxSourceRow + 1].line,
                    "row " + std::to_string(kMaxSourceRow + 1) + " is below the last row " +
                        std::to_string(kMaxSourceRow) + " a level can hold");

    for (int row = 0; row <= lastRow; ++row) {
        std::string error;
        std::string cells = ReadRow(field[row], row, error);
        if (!error.empty()) return Fail(field[row].line, error);
        level.rowLine[row] = field[row].line;
        bool any = false;
        if (level.pipe) {
            if (row == 0 && cells != kPipeCeiling)
                return Fail(
                    field[row].line,
                    "row 0 is the ceiling: its leftmost place empty, then nine anchors '#'");
            for (int c = 0; c < RowWidth(row) && row > 0; ++c) {
                const int code = PipeCellCode(cells[c]);
                if (code == -2)
                    return Fail(field[row].line,
                                "row " + std::to_string(row) + " column " + std::to_string(c) +
                                    ": unknown cell '" + std::string(1, cells[c]) +
                                    "' (. empty, \\ / < v > ^ pieces, S s source, T t target, "
                                    "X obstacle)");
                level.records[CellIndex(row, c)].cell = code;
                if (cells[c] == kSourceBody || cells[c] == kTargetBody)
                    level.records[CellIndex(row, c)].extra = cells[c];  // marked for the test below
                any = any || cells[c] != '.';
            }
            if (row > kMinSourceRow && row == lastRow && !any)
                return Fail(field[row].line, "row " + std::to_string(row) +
                                                 " is empty; rows below row " +
                                                 std::to_string(kMinSourceRow) +
                                                 " are drawn only down to the last stone");
            continue;
        }
        for (int c = 0; c < RowWidth(row); ++c) {
            int code = CellCode(cells[c]);
            if (code == -2)
                return Fail(field[row].line, "row " + std::to_string(row) + " column " +
                                                 std::to_string(c) + ": unknown cell '" +
                                                 std::string(1, cells[c]) +
                                                 "' (. empty, 1-8 colours, # anchor)");
            if (row == 0 && code != (IsCeilingColumn(lattice, c) ? kAnchorCode : kEmptyCode))
                return Fail(field[row].line,
                            lattice.match ? "row 0 is the ceiling: '.', eight anchors '#', '.'"
                                          : "row 0 is the ceiling: ten anchors '#'");
            if (row > 0) level.records[CellIndex(row, c)].cell = code;
            any = any || code != kEmptyCode;
        }
        if (row > minRow && row == lastRow && !any)
            return Fail(field[row].line, "row " + std::to_string(row) +
                                             " is empty; rows below row " + std::to_string(minRow) +
                                             " are drawn only down to the last stone");
    }
    if (level.pipe) {
        if (extrasLine) return Fail(extrasLine, "a pipe level carries no extras");
        // Every barrel's other three stones are drawn, and nothing else is drawn as one.
        std::array<char, kRecordCount> body{};
        for (int k = kFirstFieldCell; k < kRecordCount; ++k) {
            const int code = level.records[k].cell;
            if (code != kPipeSourceCode && code != kPipeTargetCode) continue;
            const char mark = code == kPipeSourceCode ? kSourceBody : kTargetBody;
            for (int i = 1; i < 4; ++i) {
                const int b =
                    CellAt(CellDx(k) + kBarrelStones[i][0], CellY(k) + kBarrelStones[i][1]);
                if (b < 0 || level.records[b].extra != mark)
                    return Fail(level.rowLine[CellRow(k)],
                                "the barrel at row " + std::to_string(CellRow(k)) + " column " +
                                    std::to_string(CellColumn(k)) + " needs '" +
                                    std::string(1, mark) + "' on its other three stones");
                body[b] = mark;
            }
        }
        for (int k = kFirstFieldCell; k < kRecordCount; ++k) {
            const int mark = level.records[k].extra;
            if (mark != 0 && body[k] != mark)
                return Fail(level.rowLine[CellRow(k)], "row " + std::to_string(CellRow(k)) +
                                                           " column " +
                                                           std::to_string(CellColumn(k)) + ": '" +
                                                           std::string(1, static_cast<char>(mark)) +
                                                           "' is not part of a barrel");
            level.records[k].extra = 0;
        }
        ParseResult r;
        r.ok = true;
        r.level = level;
        return r;
    }
    WriteCeiling(level.records, lattice);

    if (extrasLine) {
        if (extras.size() != field.size())
            return Fail(extras.empty() ? extrasLine : extras.back().line,
                        "the extras grid has " + std::to_string(extras.size()) +
                            " rows, the field has " + std::to_string(field.size()));
        bool any = false;
        for (int row = 0; row <= lastRow; ++row) {
            std::string error;
            std::string cells = ReadRow(extras[row], row, error);
            if (!error.empty()) return Fail(extras[row].line, "extras " + error);
            for (int c = 0; c < RowWidth(row); ++c) {
                int code = ExtraCode(cells[c]);
                if (code < 0)
                    return Fail(extras[row].line,
                                "extras row " + std::to_string(row) + " column " +
                                    std::to_string(c) + ": unknown extra '" +
                                    std::string(1, cells[c]) +
                                    "' (. none, c clock, b bomb, p colourer, a arrow, r rainbow, "
                                    "x X2, f flash)");
                if (row == 0 && code != 0)
                    return Fail(extras[row].line, "extras row 0 is the ceiling and holds none");
                if (row > 0) level.records[CellIndex(row, c)].extra = code;
                any = any || code != 0;
            }
        }
        if (!any) return Fail(extrasLine, "the extras grid holds no extra; leave it out");
    }

    ParseResult r;
    r.ok = true;
    r.level = level;
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
