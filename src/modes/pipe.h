// The pipe game: the field of pipe pieces and barrels a level file describes, the piece stock,
// the water that runs from the source barrel piece by piece, and the messages after a level.
#pragma once

#include <array>

#include "core/level_format.h"

struct Environment;
struct Simulation;

// Cell codes of pipe level files: 0..5 a piece of kind code + 1 (0 and 1, the straight kinds,
// are bonus pieces), 6 the source barrel and 7 the target barrel by their top cell, 8 an
// obstacle; anything else builds nothing.
enum PipeCellCode {
    kPipeCellLastPiece = 5,
    kPipeCellSource = 6,
    kPipeCellTarget = 7,
    kPipeCellObstacle = 8,
};

enum class Barrel { kSource, kTarget };

// Pieces of each kind 1..10 a level hands out; index 0 unused. Level 27 and beyond only fillers.
using PipeStockRow = std::array<int, 11>;
PipeStockRow PipeStockFor(int level);

// True when the records build a source and a target barrel (cells 10..200, never column 0):
// without them the water could never start or never arrive.
bool PipeRecordsValid(const LevelRecords& records);

// Fills the stone table from the level cell table: nine anchors (the leftmost ceiling place
// stays empty), then the pieces, obstacles and barrels of cells 10..200 outside column 0.
void BuildPipeField(Simulation& game);
// The four barrel stones below and beside the top cell (x, y); records the barrel's centre.
void PlaceBarrel(Simulation& game, int x, int y, Barrel which);
// The stock of LevelNumber.
void SetPipeStock(Simulation& game);
// The pipe level's part of the level start: field, water, barrels, full time bar, stock.
void StartPipeLevel(Simulation& game, const LevelRecords& records);
// Back into the column with a piece that waited on the cannon when the game was left.
void ReturnWaitingPiece(Simulation& game);

// Moves the water one piece on from the head slot h, or opens the tap (h = -999); decides a
// won or lost level.
void WaterStep(Simulation& game, int h);
// The game step's water: every sixth frame once the time bar is empty.
void PipeWaterFlow(Simulation& game);
// The messages and barrels after a level's pipeline reached the target; then the next level.
void PipeLevelEnd(Simulation& game, const Environment& env);
// The number of pieces left beside each row of the piece column.
void DrawPipeStock(Simulation& game);
