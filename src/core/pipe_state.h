// The pipe game's own values: the piece stock and column, the water and the two barrels.
#pragma once

#include <array>

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
