// The field a set of rules plays on and the player state those rules change. The single-player
// field and each half of the two-player match run the same cannon, stone and extras rules; only
// these numbers and the state they write differ.
#pragma once

#include <array>
#include <climits>
#include <cstdint>

#include "playfield/cannon.h"
#include "playfield/extras.h"
#include "playfield/tables.h"

struct Game;

constexpr int kSingleSpacing = 30;
constexpr int kSingleTopRowY = 30;
constexpr int kSingleBottomLineY = 440;
constexpr int kSingleWaitingStoneY = 500;
constexpr int kSingleCannonReach = 240;    // cannon range either side of the centre
constexpr int kPipeCannonReachLeft = 180;  // the pipe field keeps its left columns free
constexpr int kSidePanelX = 650;           // the mouse fires only left of the side panel
constexpr int kPipeColumnRightX = 80;      // and in the pipe game right of the piece column
constexpr int kLastColour = 9;             // colours 1..9 are playable
constexpr int kLoadStepFrames = 4;
constexpr int kFullLoad = 8;
constexpr int kMaxTime = 1000;

// Sprite cell of an extra: width, height and the half width the catch test uses.
struct ExtraSprite {
    int w = 0;
    int h = 0;
    int halfW = 0;
};
using ExtraSprites = std::array<ExtraSprite, 8>;  // indexed by extra type 1..7

extern const ExtraSprites kSingleExtraSprites;
extern const ExtraSprites kMatchExtraSprites;  // two thirds of the single-player cells

struct FieldRules {
    int centreX = 326;
    int spacing = kSingleSpacing;
    int topRowY = kSingleTopRowY;
    int bottomLineY = kSingleBottomLineY;
    int waitingStoneY = kSingleWaitingStoneY;
    int scanLast = 200;  // the rules look at stone slots 1..scanLast
    // Stones and extras this side moves (the match splits one table between two fields).
    int ownerMinX = INT_MIN;
    int ownerMaxX = INT_MAX;
    // Aim marker: how far below a stone in the neighbouring columns / the aimed column it sits.
    int aimSideReach = 20;
    int aimColumnReach = 50;
    int topStopSound = 2;               // sndTast2
    bool offLatticeTopExplodes = true;  // a rising stone reaching the top row between columns
    bool groupTestOnStop = true;        // off while a flash lasts and in the pipe game
    int maxReleasedExtra = 7;
    int maxSparklingExtra = 7;
    // Extras.
    const ExtraSprites* sprites = &kSingleExtraSprites;
    int extraLostBelowY = 800;
    int extraLostAboveY = -200;
    int catchHalfWidth = 40;  // the cannon's catching width either side of its centre
    int catchAbove = 70;
    int catchBelow = 30;
    bool catchSmokes = false;
    int heldAboveCannon = 24;
    int extraHitReach = 40;  // a fired extra touches a stone within this in x and in y
    int goOffAboveY = 0;
    int bombRadius = 120;
    int colourRadius = 130;
    // Points for a destroyed stone, shown where it was.
    void (*addPoints)(Game& game, int player, int x, int y, int amount) = nullptr;
};

// The player state the rules change: the single player's, or one match player's.
struct Side {
    CannonState& cannon;
    int& GroupSize;
    int& TimeLeft;
    int& ShakeFrames;
    int& DoubleFrames;
    int& FlashFrames;
    std::uint8_t* fire[2];  // inputs that fire a held extra (null when unused)
    int player;             // 0 in the single-player game, 1..2 in the match
};

FieldRules SinglePlayerRules(const Game& game);
Side SinglePlayerSide(Game& game);
// One half of the two-player match: lattice centre, player 1 (left) or 2 (right), and the
// match's StoneCount (both halves share slots 1..2 x StoneCount). Points are the caller's.
FieldRules MatchFieldRules(int centreX, int player, int stoneCount);

inline bool OwnsX(const FieldRules& r, int x) {
    return x >= r.ownerMinX && x <= r.ownerMaxX;
}
inline bool IsStoneSlot(int loaded) {
    return loaded >= 1 && loaded <= kMaxStones;
}
inline bool IsExtraSlot(int loaded) {
    return loaded > kLoadedExtraBase && loaded <= kLoadedExtraBase + kMaxExtras;
}

// The colours 1..9 of present stones of this side other than the cannon's, above y -60.
std::array<bool, kLastColour + 1> PresentColours(const Game& game, const FieldRules& r,
                                                 int loadedStone);
// Whether any present stone of slots 1..scanLast lies at (x, y).
bool AnyStoneAt(const Game& game, const FieldRules& r, int x, int y);
// Flash and debris at a stone, then the stone is gone (its extra is released by the caller).
void ExplodeStone(Game& game, int slot);
// Adds to the time bar, at most full.
void AddTime(int& timeLeft, int amount);

// The parts of the cannon step that every field shares.
void EaseCannon(CannonState& c);
// Loads a stone through the colour cycle; waits (leaves NeedReload) when no colour is present.
void ReloadFromColourCycle(Game& game, const FieldRules& r, CannonState& c, int levelNumber);
// Launches the loaded stone or held extra at the target column.
void LaunchLoaded(Game& game, CannonState& c);
void StoneStepFor(Game& game, const FieldRules& r, const Side& side);
void MarkGroupFor(Game& game, const FieldRules& r, const Side& side, int slot);
void ExtrasStepFor(Game& game, const FieldRules& r, const Side& side);
void ReleaseExtraFor(Game& game, const FieldRules& r, int stoneSlot);
void AddExtraFor(Game& game, const FieldRules& r, int x, int y, int type);
int RandomPresentColourFor(Game& game, const FieldRules& r, int loadedStone);
