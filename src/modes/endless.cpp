#include "modes/endless.h"

#include "core/simulation.h"
#include "modes/level_file.h"
#include "playfield/tables.h"

namespace {

constexpr int kEndlessTop = -900;
constexpr int kEndlessCeilingY = -840;
constexpr int kFirstGeneratedCell = 29;
constexpr int kLastGeneratedCell = 303;
constexpr int kLastEndlessCell = 304;

// Colours of a cell's band: the middle of the set is the most colourful, its top the least.
int ColoursOfCell(int cell, int difficulty) {
    if (cell <= 100) return difficulty + 2;
    if (cell <= 200) return difficulty + 5;
    if (cell <= 300) return difficulty + 4;
    return difficulty + 3;
}

}  // namespace

int EndlessDifficulty(int set) {
    if (set <= 1) return 0;
    if (set == 2) return 1;
    if (set == 3) return 2;
    return 3;
}

void GenerateEndlessField(Simulation& game, int set) {
    RemoveStone(game, kRemoveAll);
    game.stones.StoneCount = (32 / 2) * 19;
    LevelState& lv = game.level;
    for (int k = 0; k <= kLastEndlessCell; ++k) {
        lv.LevelCell[k] = -1;
        lv.LevelCellExtra[k] = -1;
    }
    const int difficulty = EndlessDifficulty(set);
    const int extraOdds = 7 * set + 11;
    for (int k = kFirstGeneratedCell; k <= kLastGeneratedCell; ++k) {
        lv.LevelCell[k] = game.rng.Next(ColoursOfCell(k, difficulty));
        if (game.rng.Next(extraOdds) == 0) lv.LevelCellExtra[k] = game.rng.Range(1, 7);
    }
    const int centre = game.play.FieldCentreX;
    for (int i = -4; i <= 5; ++i) {
        AddStone(game, centre - 30 + 60 * i, kEndlessCeilingY, kAnchorColour, 0);
    }
    game.play.EndlessOffset = kEndlessTop;
    LatticeWalk walk(centre, kEndlessTop);
    for (int k = 0; k <= kLastEndlessCell; ++k) {
        walk.Next();
        if (k < 10 || lv.LevelCell[k] < 0 || game.play.LevelNumber < 1) continue;
        if (lv.LevelCell[k] == 8) lv.LevelCell[k] = 9;
        AddStone(game, walk.X(), walk.Y(), lv.LevelCell[k] + 1, lv.LevelCellExtra[k]);
    }
    game.players[kSoloPlayer].cannon.NeedReload = 1;
    game.players[kSoloPlayer].cannon.CannonLoad = 8;
}
