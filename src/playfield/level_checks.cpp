#include <algorithm>
#include <map>
#include <vector>

#include "playfield/level_text.h"

namespace levels {

namespace {

std::string Where(int cell) {
    return "row " + std::to_string(CellRow(cell)) + " column " + std::to_string(CellColumn(cell));
}

class Field {
  public:
    Field(const Records& records, const Lattice& lattice) : records_(records), l_(lattice) {}
    // Code at (dx, y); the ceiling row is the lattice's anchors whatever the file holds there.
    int CodeAt(int dx, int y) const {
        int cell = CellAt(dx, y, l_);
        if (cell < 0) return kEmptyCode;
        if (cell < kFirstFieldCell) return IsCeilingColumn(l_, cell) ? kAnchorCode : kEmptyCode;
        return records_[cell].cell;
    }
    bool AnchorAt(int dx, int y) const { return IsAnchor(CodeAt(dx, y)); }
    const Lattice& lattice() const { return l_; }

  private:
    const Records& records_;
    const Lattice& l_;
};

// Can a shot rise in column dx and come to rest at depth y? Only anchors count as obstacles:
// coloured stones in the way can be cleared first.
bool ShotCanStop(const Field& f, int dx, int y) {
    const Lattice& l = f.lattice();
    const int s = l.spacing;
    if (dx < -l.cannonReach || dx > l.cannonReach || y > l.lowestStop) return false;
    if (f.CodeAt(dx, y) != kEmptyCode && !IsColour(f.CodeAt(dx, y))) return false;
    // Any lower point of the column with an anchor diagonally above or at its tip stops the shot
    // there first.
    for (int below = y + 2 * s; below <= l.lowestStop; below += 2 * s)
        if (f.AnchorAt(dx - s, below - s) || f.AnchorAt(dx + s, below - s) ||
            f.AnchorAt(dx, below - 2 * s))
            return false;
    return true;
}

}  // namespace

std::vector<Problem> CheckPipeLevel(const Level& level) {
    std::vector<Problem> problems;
    const Records& rec = level.records;
    auto lineOf = [&](int cell) {
        const int row = CellRow(cell);
        return row <= kMaxSourceRow ? level.rowLine[row] : 0;
    };
    auto report = [&](int cell, std::string message) {
        problems.push_back(
            {lineOf(cell), Where(cell) + ": " + std::move(message), cell, LevelFault::kPipe});
    };
    // What the game builds, by position: the ceiling, then the level's stones.
    std::map<std::pair<int, int>, int> at;  // (dx, y) -> cell of the stone, or -1 for the ceiling
    for (int dx = -210; dx <= 270; dx += 60) at[{dx, 0}] = -1;
    auto place = [&](int cell, int dx, int y) {
        auto [it, fresh] = at.emplace(std::pair{dx, y}, cell);
        if (!fresh) report(cell, "two stones would lie at one place");
    };
    int sources = 0, targets = 0, sourceCell = -1, targetCell = -1;
    for (int k = kFirstFieldCell; k <= kLastBuiltCell; ++k) {
        const int code = rec[k].cell;
        if (rec[k].extra != 0) report(k, "a pipe level carries no extras");
        if (code == kEmptyCode) continue;
        if (code < 0 || code > kPipeObstacleCode) {
            report(k, "cell code " + std::to_string(code) + " is not one the pipe game builds");
            continue;
        }
        if (CellColumn(k) == 0) {
            report(k, "column 0 is never built in the pipe game");
            continue;
        }
        if (code == kPipeSourceCode || code == kPipeTargetCode) {
            (code == kPipeSourceCode ? sources : targets) += 1;
            (code == kPipeSourceCode ? sourceCell : targetCell) = k;
            for (const auto& d : kBarrelStones) place(k, CellDx(k) + d[0], CellY(k) + d[1]);
        } else {
            place(k, CellDx(k), CellY(k));
        }
    }
    if (sources != 1 || targets != 1) {
        problems.push_back({level.rowLine[0],
                            "a pipe level needs exactly one source barrel (S) "
                            "and one target barrel (T); it has " +
                                std::to_string(sources) + " and " + std::to_string(targets)});
    }
    // Supports lie higher up: going down row by row settles every stone.
    std::map<std::pair<int, int>, bool> held;
    for (const auto& [pos, cell] : at) held[pos] = cell < 0;
    std::vector<std::pair<int, int>> byDepth;
    for (const auto& [pos, cell] : at)
        if (cell >= 0) byDepth.push_back(pos);
    std::sort(byDepth.begin(), byDepth.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    for (const auto& [dx, y] : byDepth) {
        const int cell = at[{dx, y}];
        for (auto up : {std::pair{dx, y - 60}, {dx - 30, y - 30}, {dx + 30, y - 30}}) {
            auto it = held.find(up);
            if (it != held.end() && it->second) held[{dx, y}] = true;
        }
        if (!held[{dx, y}])
            report(cell, "the stone at x " + std::to_string(dx) + ", y " + std::to_string(y) +
                             " floats away: nothing above holds it");
        if (y > kBottomLine)
            report(cell, "a stone at y " + std::to_string(y) + " is below the bottom line " +
                             std::to_string(kBottomLine));
    }
    // The water leaves the source and enters the target through free cells of the field.
    auto doorway = [&](int barrel, int dx, int dy, const char* what) {
        if (barrel < 0) return;
        const int x = CellDx(barrel) + dx, y = CellY(barrel) + dy;
        const int cell = CellAt(x, y);
        if (cell < kFirstFieldCell || CellColumn(cell) == 0 || y > kBottomLine)
            report(barrel, std::string("the barrel's ") + what + " lies outside the field");
        else if (at.count({x, y}) != 0)
            report(barrel, std::string("the barrel's ") + what + " is taken by a stone");
    };
    if (sources == 1) doorway(sourceCell, kOutletDx, kOutletDy, "outlet");
    if (targets == 1) doorway(targetCell, kInletDx, kInletDy, "inlet");
    return problems;
}

std::vector<Problem> CheckLevel(const Level& level) {
    if (level.pipe) return CheckPipeLevel(level);
    std::vector<Problem> problems;
    const Records& rec = level.records;
    const Lattice& l = *level.lattice;
    const int s = l.spacing;
    auto lineOf = [&](int cell) {
        int row = CellRow(cell);
        return row <= kMaxSourceRow ? level.rowLine[row] : 0;
    };
    auto report = [&](int cell, LevelFault fault, std::string message) {
        problems.push_back({lineOf(cell), Where(cell) + ": " + std::move(message), cell, fault});
    };

    bool codesOk = true;
    int colouredStones = 0;
    for (int k = kFirstFieldCell; k <= kLastBuiltCell; ++k) {
        const int cell = rec[k].cell, extra = rec[k].extra;
        if (cell != kEmptyCode && !IsColour(cell) && !IsAnchor(cell)) {
            report(k, LevelFault::kUnknownCode,
                   "cell code " + std::to_string(cell) + " is not one the game builds");
            codesOk = false;
            continue;
        }
        if (extra < 0 || extra > 7) {
            report(k, LevelFault::kUnknownExtra,
                   "extra " + std::to_string(extra) + " is not one the game knows");
            codesOk = false;
        } else if (extra != 0 && !IsColour(cell)) {
            report(k, LevelFault::kExtraWithoutStone,
                   "an extra needs a coloured stone to carry it");
        } else if (l.match && extra == 7) {
            report(k, LevelFault::kFlashInMatch,
                   "the flash never falls out of a stone in the match");
        }
        if (cell != kEmptyCode && CellY(k, l) > l.bottomDepth)
            report(k, LevelFault::kBelowLine,
                   "stone at y " + std::to_string(l.topY + CellY(k, l)) +
                       " is below the bottom line " + std::to_string(l.topY + l.bottomDepth));
        if (IsColour(cell)) ++colouredStones;
    }
    if (!codesOk) return problems;
    if (colouredStones == 0) {
        problems.push_back({level.rowLine[0], "no coloured stone: the level would end at once", -1,
                            LevelFault::kNoColour});
        return problems;
    }

    const Field field(rec, l);
    // Supports always lie higher up, so one pass in cell order settles every stone.
    std::array<bool, kRecordCount> held{};
    for (int k = kFirstFieldCell; k <= kLastBuiltCell; ++k) {
        if (!IsColour(rec[k].cell)) continue;
        const int dx = CellDx(k, l), y = CellY(k, l);
        for (auto [sx, sy] : {std::pair{dx, y - 2 * s}, {dx - s, y - s}, {dx + s, y - s}}) {
            const int h = CellAt(sx, sy, l);
            if (h < 0) continue;
            if (field.AnchorAt(sx, sy) ||
                (h >= kFirstFieldCell && IsColour(rec[h].cell) && held[h]))
                held[k] = true;
        }
        if (!held[k])
            report(k, LevelFault::kFloats,
                   "stone of colour " + std::to_string(rec[k].cell + 1) +
                       " floats away: nothing above holds it");
    }

    // Every stone must be reachable itself: partners of its colour may leave without it (a
    // bomb, an arrow, floating off). A stone not held by an anchor may float up its column, so
    // every place above it where it could stop must be reachable too.
    auto open = [&](int dx, int y) {
        return ShotCanStop(field, dx - s, y + s) || ShotCanStop(field, dx + s, y + s);
    };
    for (int k = kFirstFieldCell; k <= kLastBuiltCell; ++k) {
        if (!IsColour(rec[k].cell) || !held[k]) continue;
        const int dx = CellDx(k, l), y = CellY(k, l);
        if (dx + s < -l.cannonReach || dx - s > l.cannonReach) {
            report(k, LevelFault::kOutOfReach,
                   "stone of colour " + std::to_string(rec[k].cell + 1) +
                       " lies beyond the cannon's reach: no shot can ever come to rest beside it");
            continue;
        }
        if (!open(dx, y)) {
            report(k, LevelFault::kWalledIn,
                   "stone of colour " + std::to_string(rec[k].cell + 1) +
                       " can never be cleared: anchors close every way to it");
            continue;
        }
        bool anchored = false;
        for (auto [sx, sy] : {std::pair{dx, y - 2 * s}, {dx - s, y - s}, {dx + s, y - s}})
            anchored = anchored || IsAnchor(field.CodeAt(sx, sy));
        if (anchored) continue;
        for (int up = y - 2 * s; up >= s && !field.AnchorAt(dx, up); up -= 2 * s) {
            if (!open(dx, up)) {
                report(k, LevelFault::kRisesIntoTrap,
                       "a stone rising from here could stop at " + Where(CellAt(dx, up, l)) +
                           ", where anchors close every way to it");
                break;
            }
            // An anchor diagonally above stops it here for certain.
            if (field.AnchorAt(dx - s, up - s) || field.AnchorAt(dx + s, up - s)) break;
        }
    }
    // A shot may come to rest in any place it can reach; none of them may be a trap.
    for (int k = kFirstFieldCell; k <= kLastBuiltCell; ++k) {
        const int dx = CellDx(k, l), y = CellY(k, l);
        if (y > l.bottomDepth || IsAnchor(rec[k].cell) || !ShotCanStop(field, dx, y)) continue;
        if (!open(dx, y))
            report(k, LevelFault::kTrap,
                   "a shot can come to rest here, where anchors close every way to it");
    }
    return problems;
}

std::vector<std::string> CheckSet(const std::vector<NamedLevel>& set) {
    std::vector<std::string> problems;
    std::map<std::pair<bool, int>, std::string> byNumber;
    for (size_t i = 0; i < set.size(); ++i) {
        int number = SourceNumber(set[i].path);
        if (number > 0) {
            auto [it, fresh] = byNumber.emplace(std::pair{set[i].level.pipe, number}, set[i].path);
            if (!fresh)
                problems.push_back(set[i].path + ": level " + std::to_string(number) + " is also " +
                                   it->second);
        }
        for (size_t j = 0; j < i; ++j) {
            Records a = set[i].level.records, b = set[j].level.records;
            // Only what the game builds counts: cells 10..200.
            bool same = true;
            for (int k = kFirstFieldCell; k <= kLastBuiltCell && same; ++k) same = a[k] == b[k];
            if (same) problems.push_back(set[i].path + ": same level as " + set[j].path);
        }
    }
    return problems;
}

}  // namespace levels
