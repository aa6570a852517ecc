#include "modes/level_file.h"

#include "core/level_source.h"
#include "core/mode_facts.h"
#include "core/paths.h"
#include "core/simulation.h"
#include "playfield/tables.h"

namespace {

// Cell codes of Puzzle files.
constexpr int kCellAnchor = 9;
constexpr int kCellAnchorOld = 8;

}  // namespace

bool LoadLevelRecords(LevelSource& source, const std::string& path, LevelRecords& records) {
    // A longer file is read up to record 220; the rest is never looked at.
    std::string bytes;
    return source.Read(path, kLevelFileBytes, bytes) && DecodeLevelRecords(bytes, records);
}

bool LevelRecordsValid(const LevelRecords& records, int mode) {
    const ModeFacts* facts = FindModeFacts(mode);
    if (facts == nullptr || !HasLevelFiles(*facts)) return false;
    for (int k = kFirstFieldCell; k <= kLastFieldCell; ++k) {
        if (records[k].cell > facts->highestCell || records[k].extra > facts->highestExtra)
            return false;
    }
    return true;
}

void StoreLevelRecords(Simulation& game, const LevelRecords& records) {
    LevelState& lv = game.level;
    for (int k = 1; k < kLevelRecords; ++k) {
        lv.LevelCell[k] = -1;
        lv.LevelCellExtra[k] = -1;
    }
    for (int k = 0; k < kLevelRecords; ++k) {
        lv.LevelCell[k] = records[k].cell;
        lv.LevelCellExtra[k] = records[k].extra;
    }
}

void BuildPuzzleField(Simulation& game) {
    RemoveStone(game, kRemoveAll);
    const int centre = game.play.FieldCentreX;
    for (int i = -4; i <= 5; ++i) AddStone(game, centre - 30 + 60 * i, 0, kAnchorColour, 0);
    game.stones.StoneCount = 200;
    LevelState& lv = game.level;
    LatticeWalk walk(centre, 0);
    for (int k = 0; k <= 200; ++k) {
        walk.Next();
        if (k < 10 || lv.LevelCell[k] < 0 || game.play.LevelNumber < 1) continue;
        if (lv.LevelCell[k] == kCellAnchorOld) lv.LevelCell[k] = kCellAnchor;
        AddStone(game, walk.X(), walk.Y(), lv.LevelCell[k] + 1, lv.LevelCellExtra[k]);
    }
}

void BuildMatchField(Simulation& game) {
    RemoveStone(game, kRemoveAll);
    const MatchState& m = game.match;
    for (int p = 1; p <= kMatchPlayers; ++p) {
        for (int i = -3; i <= 4; ++i)
            AddStone(game, m.MatchCentreX[p] - 20 + 40 * i, kMatchCeilingY, kAnchorColour, 0);
    }
    game.stones.StoneCount = 200;
    LevelState& lv = game.level;
    LatticeWalk left(m.MatchCentreX[1], kMatchCeilingY, kMatchSpacing);
    LatticeWalk right(m.MatchCentreX[2], kMatchCeilingY, kMatchSpacing, true);
    for (int k = 0; k <= 200; ++k) {
        left.Next();
        right.Next();
        if (k < 10 || lv.LevelCell[k] < 0 || game.play.LevelNumber < 1) continue;
        if (lv.LevelCell[k] == kCellAnchorOld) lv.LevelCell[k] = kCellAnchor;
        AddStone(game, left.X(), left.Y(), lv.LevelCell[k] + 1, lv.LevelCellExtra[k]);
        AddStone(game, right.X(), right.Y(), lv.LevelCell[k] + 1, lv.LevelCellExtra[k]);
    }
}
