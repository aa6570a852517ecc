#include "modes/pipe.h"

#include <string>

#include "core/environment.h"
#include "core/mode_facts.h"
#include "core/simulation.h"
#include "core/sound_state.h"
#include "core/text_state.h"
#include "core/words.h"
#include "modes/level_file.h"
#include "modes/level_start.h"
#include "playfield/field_rules.h"
#include "playfield/tables.h"

namespace {

constexpr int kMessageX = 368;
constexpr int kLevelEndStart = 300;
constexpr int kLostStart = 200;
constexpr int kPresetPoints = 1000;
constexpr int kPiecePoints = 100;

// Pieces per level for kinds 1..6 and the fillers (kind 8).
struct StockLine {
    int level;
    int kinds[6];
};
constexpr StockLine kStock[] = {
    {5, {7, 7, 5, 2, 5, 0}},    {6, {4, 4, 5, 3, 5, 0}},    {7, {5, 3, 2, 1, 2, 0}},
    {8, {5, 5, 3, 3, 3, 0}},    {9, {5, 5, 2, 3, 2, 0}},    {10, {5, 5, 2, 3, 2, 0}},
    {11, {4, 4, 6, 2, 6, 0}},   {12, {5, 5, 11, 3, 11, 0}}, {13, {4, 5, 1, 3, 2, 1}},
    {14, {6, 5, 4, 2, 3, 0}},   {15, {3, 3, 5, 5, 5, 4}},   {16, {4, 6, 6, 6, 5, 0}},
    {17, {4, 4, 6, 3, 6, 2}},   {18, {4, 4, 16, 2, 16, 0}}, {19, {2, 6, 5, 3, 5, 0}},
    {20, {2, 2, 6, 3, 6, 0}},   {21, {6, 3, 6, 3, 6, 0}},   {22, {7, 6, 3, 4, 3, 1}},
    {23, {6, 6, 14, 2, 14, 0}}, {24, {6, 2, 7, 2, 8, 0}},   {25, {10, 4, 3, 4, 5, 1}},
    {26, {10, 10, 7, 4, 7, 0}},
};
constexpr int kFillerStock = 4;

// The two openings of each water-carrying kind, as lattice steps.
struct Step {
    int dx, dy;
};
constexpr Step kNorthWest{-30, -30}, kNorthEast{30, -30}, kSouthWest{-30, 30}, kSouthEast{30, 30};

bool Opens(int kind, Step d) {
    switch (kind) {
        case kPipeFalling:
            return (d.dx < 0) == (d.dy < 0);  // north-west, south-east
        case kPipeRising:
            return (d.dx < 0) != (d.dy < 0);  // north-east, south-west
        case kPipeBendRight:
            return d.dx > 0;
        case kPipeBendUp:
            return d.dy < 0;
        case kPipeBendLeft:
            return d.dx < 0;
        case kPipeBendDown:
            return d.dy > 0;
        default:
            return false;
    }
}

bool PresentAt(const StoneTable& t, int s, int x, int y) {
    return t.StoneState[s] > 0 && t.StoneX[s] == x && t.StoneY[s] == y;
}

void Lose(Simulation& game) {
    game.play.TimeUp = 1;
    game.play.TimeUpTimer = kLostStart;
}

void Message(Simulation& game, int y, Words words, int colour) {
    DrawText(game, kMessageX, y, kAlignCentre, Tr(game, words), colour);
}

}  // namespace

PipeStockRow PipeStockFor(int level) {
    PipeStockRow row{};
    if (level >= 1 && level <= 4) {
        row.fill(kFillerStock);
        row[0] = 0;
        if (level == 4) row[kPipeFalling] = 5;
        return row;
    }
    row[kPipeFiller] = kFillerStock;
    for (const StockLine& line : kStock) {
        if (line.level != level) continue;
        for (int k = 0; k < 6; ++k) row[k + 1] = line.kinds[k];
    }
    return row;
}

bool PipeRecordsValid(const LevelRecords& records) {
    bool source = false;
    bool target = false;
    for (int k = 10; k <= 200; ++k) {
        if (LatticeColumn(k) == 0) continue;
        source = source || records[k].cell == kPipeCellSource;
        target = target || records[k].cell == kPipeCellTarget;
    }
    return source && target;
}

void PlaceBarrel(Simulation& game, int x, int y, Barrel which) {
    PipeState& p = game.pipe;
    if (which == Barrel::kSource) {
        p.SourceX = x;
        p.SourceY = y + 30;
    } else {
        p.DrainX = x;
        p.DrainY = y + 30;
    }
    AddStone(game, x - 30, y + 30, kPipeBarrel, 0);
    AddStone(game, x + 30, y + 30, kPipeBarrel, 0);
    AddStone(game, x, y, kPipeBarrel, 0);
    AddStone(game, x, y + 60, kPipeBarrel, 0);
}

void BuildPipeField(Simulation& game) {
    RemoveStone(game, kRemoveAll);
    const int centre = game.play.FieldCentreX;
    // The leftmost place of the ceiling stays empty: the piece column lies beside it.
    for (int i = -3; i <= 5; ++i) AddStone(game, centre - 30 + 60 * i, 0, kAnchorColour, 0);
    game.stones.StoneCount = 200;
    const LevelState& lv = game.level;
    LatticeWalk walk(centre, 0);
    for (int k = 0; k <= 200; ++k) {
        walk.Next();
        const int code = lv.LevelCell[k];
        if (k < 10 || LatticeColumn(k) < 1 || game.play.LevelNumber < 1 || code < 0) continue;
        if (code == kPipeCellObstacle) {
            AddStone(game, walk.X(), walk.Y(), kPipeObstacle, lv.LevelCellExtra[k]);
        } else if (code == kPipeCellTarget) {
            PlaceBarrel(game, walk.X(), walk.Y(), Barrel::kTarget);
        } else if (code == kPipeCellSource) {
            PlaceBarrel(game, walk.X(), walk.Y(), Barrel::kSource);
        } else if (code <= kPipeCellLastPiece) {
            const int s = AddStone(game, walk.X(), walk.Y(), code + 1, lv.LevelCellExtra[k]);
            // The straight pieces a level places (codes 0 and 1) pay a bonus to the water.
            if (code <= 1) game.stones.StonePreset[s] = 1;
        }
    }
}

void SetPipeStock(Simulation& game) {
    const PipeStockRow row = PipeStockFor(game.play.LevelNumber);
    for (int k = 1; k <= kPipeStockKinds; ++k) game.pipe.PipeStock[k] = row[k];
}

void StartPipeLevel(Simulation& game, const LevelRecords& records) {
    StoreLevelRecords(game, records);
    BuildPipeField(game);
    PipeState& p = game.pipe;
    p.PipeChoice = 0;
    p.PipeChoicePrev = 0;
    p.WaterRunning = 0;
    p.WaterHead = kWaterNotStarted;
    p.SourceWater = kBarrelFull;
    p.DrainWater = 0;
    game.players[kSoloPlayer].TimeLeft = kMaxTime;
    SetPipeStock(game);
}

void ReturnWaitingPiece(Simulation& game) {
    const CannonState& c = game.players[kSoloPlayer].cannon;
    StoneTable& t = game.stones;
    const int s = c.LoadedStone;
    if (c.NeedReload != 0 || !IsStoneSlot(s) || t.StoneState[s] <= 0 || t.StoneMotion[s] != 0)
        return;
    const int kind = t.StoneColour[s];
    if (kind < 1 || kind > kPipeStockKinds) return;
    ++game.pipe.PipeStock[kind];
    RemoveStone(game, s);
}

void WaterStep(Simulation& game, int h) {
    PipeState& p = game.pipe;
    StoneTable& t = game.stones;
    if (h == kWaterNotStarted) {
        // The tap opens: the first piece hangs south-east of the barrel's bottom stone.
        const int x = p.SourceX + 30;
        const int y = p.SourceY + 60;
        int first = 0;
        for (int s = 1; s <= kMaxStones; ++s) {
            if (PresentAt(t, s, x, y) && Opens(t.StoneColour[s], kNorthWest)) first = s;
        }
        if (first == 0) {
            Lose(game);
            return;
        }
        t.StoneFilled[first] = 1;
        p.WaterHead = first;
        return;
    }
    // A head that is gone (a piece that burst below the bottom line) leads nowhere.
    const bool headHere = h >= 1 && h <= kMaxStones && t.StoneState[h] > 0 && t.StoneFilled[h];
    const int kind = headHere ? t.StoneColour[h] : 0;
    int next = 0;
    for (const Step d : {kNorthWest, kNorthEast, kSouthWest, kSouthEast}) {
        if (!Opens(kind, d)) continue;
        const int x = t.StoneX[h] + d.dx;
        const int y = t.StoneY[h] + d.dy;
        const Step back{-d.dx, -d.dy};
        for (int s = 1; s <= kMaxStones; ++s) {
            if (s != h && t.StoneFilled[s] == 0 && PresentAt(t, s, x, y) &&
                Opens(t.StoneColour[s], back) && s > next)
                next = s;
        }
    }
    const bool arrived = headHere && Opens(kind, kNorthEast) && t.StoneX[h] == p.DrainX - 30 &&
                         t.StoneY[h] == p.DrainY + 60;
    if (arrived) {
        game.play.LevelCleared = 1;
        game.play.ClearedTimer = kLevelEndStart;
        RequestSound(game, sndBlubber2, p.DrainX);
        return;
    }
    if (next == 0) {
        Lose(game);
        return;
    }
    t.StoneFilled[next] = 1;
    p.WaterHead = next;
    if (t.StonePreset[next] != 0) {
        AddPoints(game, SinglePlayerRules(game), kSoloPlayer, t.StoneX[next], t.StoneY[next],
                  kPresetPoints);
        RequestSound(game, sndEinsamm, t.StoneX[next]);
    } else {
        AddPoints(game, SinglePlayerRules(game), kSoloPlayer, t.StoneX[next], t.StoneY[next],
                  kPiecePoints);
    }
    if (p.SourceWater > 0) --p.SourceWater;
}

void PipeWaterFlow(Simulation& game) {
    PipeState& p = game.pipe;
    if (game.shell.FrameCounter % 6 != 0 || game.players[kSoloPlayer].TimeLeft != 0) return;
    p.WaterRunning = 1;
    if (p.TapSoundsLeft > 0) {
        --p.TapSoundsLeft;
        RequestSound(game, sndHahn, p.SourceX);
    }
    if (game.play.LevelCleared == 0 && game.play.TimeUp == 0) {
        WaterStep(game, p.WaterHead);
        RequestSound(game, sndWasser3, 400);
    }
}

void PipeLevelEnd(Simulation& game, const Environment& env) {
    PipeState& p = game.pipe;
    PlayfieldState& play = game.play;
    const int t = play.ClearedTimer;
    if (p.DrainWater < kBarrelFull) ++p.DrainWater;
    if (p.SourceWater > 0) --p.SourceWater;
    if (t < 280) p.WaterRunning = 0;
    if (play.LevelNumber < FactsOfMode(kModePipe).lastLevel) {
        if (t < 250) Message(game, 240, N_("Perfect Pipe!"), 1);
        if (t < 100) {
            const std::string next = std::to_string(play.LevelNumber + 1);
            DrawText(game, kMessageX, 280, kAlignCentre, FillIn(Tr(game, "Try Level %s"), {next}),
                     2);
        }
        if (t == 0) StartLevel(game, env, play.LevelNumber + 1, kModePipe, play.LapNumber, 0);
        return;
    }
    if (t < 250) Message(game, 240, N_("Perfect Pipe - Last Level solved!"), 1);
    if (t < 200) Message(game, 280, NC_("pipe", "Game starts again at Level 1"), 2);
    if (t < 120) Message(game, 320, N_("Time moves faster now."), 2);
    if (t == 0) StartLevel(game, env, 1, kModePipe, play.LapNumber + 1, 0);
}

void DrawPipeStock(Simulation& game) {
    // Rows 0..6 of the column offer kinds 1..6 and the fillers.
    static constexpr int kRowKind[8] = {0, 1, 2, 3, 4, 5, 6, kPipeFiller};
    for (int i = 1; i <= 7; ++i) {
        DrawText(game, 67, i * 70 + 5, kAlignCentre,
                 std::to_string(game.pipe.PipeStock[kRowKind[i]]), 1);
    }
}
