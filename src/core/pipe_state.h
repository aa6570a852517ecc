// The pipe game's own values: the piece stock and column, the water and the two barrels.
#pragma once

#include <array>

#include "core/fields.h"

// WaterHead before the tap opens.
constexpr int kWaterNotStarted = -999;
// Piece kinds (StoneColour in the pipe game). Kinds 1..6 carry water through two openings.
enum PipeKind {
    kPipeFalling = 1,  // straight, north-west to south-east
    kPipeRising = 2,   // straight, north-east to south-west
    kPipeBendRight = 3,
    kPipeBendUp = 4,
    kPipeBendLeft = 5,
    kPipeBendDown = 6,
    kPipeBarrel = 7,
    kPipeFiller = 8,
    kPipeObstacle = 9,
};
constexpr int kPipeStockKinds = 10;
constexpr int kBarrelFull = 77;

struct PipeState {
    std::array<int, kPipeStockKinds + 1> PipeStock{};  // pieces left per kind, 1..10
    int PipeChoice = 0;                                // row of the piece column under the pointer
    int PipeChoicePrev = 0;                            // and in the frame before
    int WaterRunning = 0;                              // the tap is open (its wheel turns)
    int WaterHead = kWaterNotStarted;                  // slot of the last piece the water reached
    int TapSoundsLeft = 3;
    int SourceWater = kBarrelFull;  // fill heights of the two barrels
    int DrainWater = 0;
    int SourceX = 0;  // centres of the source (tap) and target barrels
    int SourceY = 0;
    int DrainX = 0;
    int DrainY = 0;
};

template <typename V>
void VisitFields(PipeState& p, V& v) {
    v("PipeStock", p.PipeStock, Bounds{0, 999});
    v("PipeChoice", p.PipeChoice, kPosition, DumpAt{43});
    v("PipeChoicePrev", p.PipeChoicePrev, kPosition, DumpAt{44});
    v("WaterRunning", p.WaterRunning, kFlag, DumpAt{45});
    // A stone slot, or kWaterNotStarted.
    v("WaterHead", p.WaterHead, Bounds{kWaterNotStarted, 2000}, DumpAt{46});
    v("TapSoundsLeft", p.TapSoundsLeft, Bounds{0, 3}, DumpAt{47});
    v("SourceWater", p.SourceWater, Bounds{0, kBarrelFull}, DumpAt{48});
    v("DrainWater", p.DrainWater, Bounds{0, kBarrelFull}, DumpAt{49});
    v("SourceX", p.SourceX, kPosition, DumpAt{50});
    v("SourceY", p.SourceY, kPosition, DumpAt{51});
    v("DrainX", p.DrainX, kPosition, DumpAt{52});
    v("DrainY", p.DrainY, kPosition, DumpAt{53});
}
