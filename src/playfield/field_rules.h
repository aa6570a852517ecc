// The field a set of rules plays on and the player state those rules change. The single-player
// field and each half of the two-player match run the same cannon, stone and extras rules; only
// these numbers and the state they write differ.
#pragma once

#include <array>
#include <climits>
#include <cstdint>

#include "core/cannon_state.h"
#include "core/extras_table.h"
#include "core/player_state.h"
#include "playfield/tables.h"

struct Simulation;
enum class FieldId;

constexpr int kSidePanelX = 650;        // the mouse fires only left of the side panel
constexpr int kPipeColumnRightX = 80;   // and in the pipe game right of the piece column
constexpr int kMatchPointerMinX = 451;  // the match's mouse player aims and fires from here on
constexpr int kLastColour = 9;          // colours 1..9 are playable
constexpr int kLoadStepFrames = 4;
constexpr int kFullLoad = 8;
constexpr int kMaxTime = 1000;
constexpr int kAimLowestY = 520;  // the aim marker never sits lower

// How an empty cannon gets its next load.
enum class Reload {
    kColourCycle,  // the next colour present in the field
    kPieceColumn,  // the piece the player takes from the pipe game's column
};

struct FieldRules {
    // Lattice.
    int centreX = 326;
    int spacing = 30;  // also the key step of the cannon
    int topRowY = 30;
    int bottomLineY = 440;
    int scanLast = 200;  // the rules look at stone slots 1..scanLast
    // Stones and extras this side moves (the match splits one table between two fields).
    int ownerMinX = INT_MIN;
    int ownerMaxX = INT_MAX;
    // Cannon.
    int cannonY = 526;
    int waitingStoneY = 500;    // where the loaded stone rides on the cannon
    int cannonReachLeft = 240;  // the cannon's range either side of the centre
    int cannonReachRight = 240;
    int keyReach = 240;  // the keys move the target no further from the centre
    int keyRepeatSteps = 4;
    int pointerAimMinX = INT_MIN;  // the pointer chooses the column only from this x on
    int aimEaseDivisor = 9;        // the aim marker creeps by this part; 0: it follows the pointer
    bool aimClamped = true;        // the aim marker stays within the cannon's range
    int fireMinX = INT_MIN;        // the pointer fires only within these x
    int fireMaxX = kSidePanelX - 1;
    Reload reload = Reload::kColourCycle;
    bool growsScanBound = true;  // a load above scanLast widens StoneCount
    bool slides = false;         // the Endless set slides down into view
    // Aim marker: how far below a stone in the neighbouring columns / the aimed column it sits.
    int aimSideReach = 20;
    int aimColumnReach = 50;
    // Landing.
    int topStopSound = 2;               // sndTast2
    bool offLatticeTopExplodes = true;  // a rising stone reaching the top row between columns
    bool groupTestOnStop = true;        // off in the pipe game
    bool flashStopsGroups = true;       // while a caught flash lasts, stopping starts no group
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
    // Only awards of this many points rise as a number over the field (0: every award).
    int floatingAwardOnly = 0;
};

// The fields, side by side. Endless and Puzzle share the single-player field; the pipe game
// moves it right and keeps its left columns for the piece column; the match plays two smaller
// fields, one each side of x 400.
// clang-format off
inline constexpr FieldRules kEndlessField = {
    .centreX = 326, .spacing = 30, .topRowY = 30, .bottomLineY = 440, .scanLast = 304,
    .ownerMinX = INT_MIN, .ownerMaxX = INT_MAX,
    .cannonY = 526, .waitingStoneY = 500, .cannonReachLeft = 240, .cannonReachRight = 240,
    .keyReach = 240, .keyRepeatSteps = 4, .pointerAimMinX = INT_MIN, .aimEaseDivisor = 9,
    .aimClamped = true, .fireMinX = INT_MIN, .fireMaxX = kSidePanelX - 1,
    .reload = Reload::kColourCycle, .growsScanBound = true, .slides = true,
    .aimSideReach = 20, .aimColumnReach = 50,
    .topStopSound = 2, .offLatticeTopExplodes = false, .groupTestOnStop = true,
    .flashStopsGroups = true, .maxReleasedExtra = 7, .maxSparklingExtra = 7,
    .sprites = &kSingleExtraSprites, .extraLostBelowY = 800, .extraLostAboveY = -200,
    .catchHalfWidth = 40, .catchAbove = 70, .catchBelow = 30, .catchSmokes = false,
    .heldAboveCannon = 24, .extraHitReach = 40, .goOffAboveY = 0, .bombRadius = 120,
    .colourRadius = 130, .floatingAwardOnly = 0,
};
inline constexpr FieldRules kPuzzleField = {
    .centreX = 326, .spacing = 30, .topRowY = 30, .bottomLineY = 440, .scanLast = 200,
    .ownerMinX = INT_MIN, .ownerMaxX = INT_MAX,
    .cannonY = 526, .waitingStoneY = 500, .cannonReachLeft = 240, .cannonReachRight = 240,
    .keyReach = 240, .keyRepeatSteps = 4, .pointerAimMinX = INT_MIN, .aimEaseDivisor = 9,
    .aimClamped = true, .fireMinX = INT_MIN, .fireMaxX = kSidePanelX - 1,
    .reload = Reload::kColourCycle, .growsScanBound = true, .slides = false,
    .aimSideReach = 20, .aimColumnReach = 50,
    .topStopSound = 2, .offLatticeTopExplodes = true, .groupTestOnStop = true,
    .flashStopsGroups = true, .maxReleasedExtra = 7, .maxSparklingExtra = 7,
    .sprites = &kSingleExtraSprites, .extraLostBelowY = 800, .extraLostAboveY = -200,
    .catchHalfWidth = 40, .catchAbove = 70, .catchBelow = 30, .catchSmokes = false,
    .heldAboveCannon = 24, .extraHitReach = 40, .goOffAboveY = 0, .bombRadius = 120,
    .colourRadius = 130, .floatingAwardOnly = 0,
};
inline constexpr FieldRules kPipeField = {
    .centreX = 335, .spacing = 30, .topRowY = 30, .bottomLineY = 440, .scanLast = 200,
    .ownerMinX = INT_MIN, .ownerMaxX = INT_MAX,
    .cannonY = 526, .waitingStoneY = 500, .cannonReachLeft = 180, .cannonReachRight = 240,
    .keyReach = 240, .keyRepeatSteps = 4, .pointerAimMinX = INT_MIN, .aimEaseDivisor = 0,
    .aimClamped = true, .fireMinX = kPipeColumnRightX + 1, .fireMaxX = kSidePanelX - 1,
    .reload = Reload::kPieceColumn, .growsScanBound = true, .slides = false,
    .aimSideReach = 20, .aimColumnReach = 50,
    .topStopSound = 2, .offLatticeTopExplodes = false, .groupTestOnStop = false,
    .flashStopsGroups = true, .maxReleasedExtra = 7, .maxSparklingExtra = 7,
    .sprites = &kSingleExtraSprites, .extraLostBelowY = 800, .extraLostAboveY = -200,
    .catchHalfWidth = 40, .catchAbove = 70, .catchBelow = 30, .catchSmokes = false,
    .heldAboveCannon = 24, .extraHitReach = 40, .goOffAboveY = 0, .bombRadius = 120,
    .colourRadius = 130, .floatingAwardOnly = 1000,
};
// Player 1, the left field, plays with the keys and Space: no pointer, fires anywhere.
inline constexpr FieldRules kMatchLeftField = {
    .centreX = 180, .spacing = 20, .topRowY = 20, .bottomLineY = 460, .scanLast = 400,
    .ownerMinX = INT_MIN, .ownerMaxX = 399,
    .cannonY = 528, .waitingStoneY = 510, .cannonReachLeft = 140, .cannonReachRight = 140,
    .keyReach = 140, .keyRepeatSteps = 4, .pointerAimMinX = INT_MAX, .aimEaseDivisor = 7,
    .aimClamped = false, .fireMinX = INT_MIN, .fireMaxX = INT_MAX,
    .reload = Reload::kColourCycle, .growsScanBound = false, .slides = false,
    .aimSideReach = 15, .aimColumnReach = 35,
    .topStopSound = 10, .offLatticeTopExplodes = true, .groupTestOnStop = true,
    .flashStopsGroups = false, .maxReleasedExtra = 6, .maxSparklingExtra = 6,
    .sprites = &kMatchExtraSprites, .extraLostBelowY = 800, .extraLostAboveY = 50,
    .catchHalfWidth = 40, .catchAbove = 40, .catchBelow = 30, .catchSmokes = true,
    .heldAboveCannon = 24, .extraHitReach = 40, .goOffAboveY = 80, .bombRadius = 75,
    .colourRadius = 100, .floatingAwardOnly = 0,
};
// Player 2, the right field, plays with the mouse from x 451 on.
inline constexpr FieldRules kMatchRightField = {
    .centreX = 620, .spacing = 20, .topRowY = 20, .bottomLineY = 460, .scanLast = 400,
    .ownerMinX = 401, .ownerMaxX = INT_MAX,
    .cannonY = 528, .waitingStoneY = 510, .cannonReachLeft = 140, .cannonReachRight = 140,
    .keyReach = 140, .keyRepeatSteps = 4, .pointerAimMinX = kMatchPointerMinX,
    .aimEaseDivisor = 7, .aimClamped = false, .fireMinX = kMatchPointerMinX, .fireMaxX = INT_MAX,
    .reload = Reload::kColourCycle, .growsScanBound = false, .slides = false,
    .aimSideReach = 15, .aimColumnReach = 35,
    .topStopSound = 10, .offLatticeTopExplodes = true, .groupTestOnStop = true,
    .flashStopsGroups = false, .maxReleasedExtra = 6, .maxSparklingExtra = 6,
    .sprites = &kMatchExtraSprites, .extraLostBelowY = 800, .extraLostAboveY = 50,
    .catchHalfWidth = 40, .catchAbove = 40, .catchBelow = 30, .catchSmokes = true,
    .heldAboveCannon = 24, .extraHitReach = 40, .goOffAboveY = 80, .bombRadius = 75,
    .colourRadius = 100, .floatingAwardOnly = 0,
};
// clang-format on

// The rules of a field the mode facts name.
const FieldRules& RulesOfField(FieldId field);
// Player 1's field in a game mode (its only one but in the match); Puzzle's for a number that is
// no mode.
const FieldRules& FieldOfMode(int mode);

// What one player asks of their cannon in one tick, built once per tick from the input flags.
struct PlayerCommand {
    bool pointerAims = false;  // the pointer chooses the column (the match's key player has none)
    int pointerX = 0;
    int pointerY = 0;
    bool keyLeft = false;
    bool keyRight = false;
    bool fire = false;
    bool pointerDown = false;  // the mouse button alone (the pipe game's piece column)
    // Written by the rules: a shot left and took the fire press with it; the keys moved the
    // column and pointerX now names it.
    bool fireTaken = false;
    bool pointerMoved = false;
};

// One player's turn at a field in this tick: the player (their index in Simulation::players)
// and what they ask for.
struct Turn {
    Player& me;
    int player = kSoloPlayer;
    PlayerCommand* command = nullptr;  // this tick's command (fires a held extra)
};
// The turn of player `player` (kSoloPlayer, or 1 and 2 in the match).
Turn TurnOf(Simulation& game, int player, PlayerCommand* command = nullptr);

// The field of the game in progress: its mode's rules with this level's scan bound.
FieldRules SinglePlayerRules(const Simulation& game);
// One half of the two-player match: lattice centre, player 1 (left) or 2 (right), and the
// match's StoneCount (both halves share slots 1..2 x StoneCount). Points go to that player.
FieldRules MatchFieldRules(int centreX, int player, int stoneCount);
// The rules of a match player's half as this match plays them (the left field takes the pointer
// against the computer).
FieldRules MatchRulesOf(const Simulation& game, int player, bool overNetwork = false);
// The single player's command: the mouse, the cursor keys and Space.
PlayerCommand SinglePlayerCommand(const Simulation& game);
// What the step did to the inputs: a shot that left takes the mouse press and Space with it;
// keys that moved the column move the pointer's x there, so that the next snap keeps it.
void ApplySinglePlayerCommand(Simulation& game, const PlayerCommand& command);
// A match player's command: player 1 the cursor keys and Space; player 2 the pointer while it
// is over the right field (x 451 and more), where alone the mouse button fires. Notes the fire
// request in MatchFire.
PlayerCommand MatchPlayerCommand(Simulation& game, int player);
// Whether the left field's player aims with the pointer as well as the keys and fires with the
// mouse button as well as Space: when the computer plays the other field.
bool LeftFieldTakesPointer(const Simulation& game);
// A shot that left takes its press with it: Space for player 1, the mouse button for player 2.
// The keys move player 1's column only, never the pointer, which is player 2's (against the
// computer the pointer is player 1's, and follows the keys).
void ApplyMatchCommand(Simulation& game, int player, const PlayerCommand& command);

inline bool OwnsX(const FieldRules& r, int x) {
    return x >= r.ownerMinX && x <= r.ownerMaxX;
}
inline bool IsStoneSlot(int loaded) {
    return loaded >= 1 && loaded <= kMaxStones;
}
inline bool IsExtraSlot(int loaded) {
    return loaded > kLoadedExtraBase && loaded <= kLoadedExtraBase + kMaxExtras;
}
// Whether the pointer's x lets this field fire.
inline bool InFireWindow(const FieldRules& r, int x) {
    return x >= r.fireMinX && x <= r.fireMaxX;
}

// Credits a player's points (doubled while that player's X2 runs) and shows them rising at
// (x, y), where the field shows them (the pipe game only its 1000-point awards).
void AddPoints(Simulation& game, const FieldRules& r, int player, int x, int y, int amount);
// The colours 1..9 of present stones of this side other than the cannon's, above y -60.
std::array<bool, kLastColour + 1> PresentColours(const Simulation& game, const FieldRules& r,
                                                 int loadedStone);
// Whether any present stone of slots 1..scanLast lies at (x, y).
bool AnyStoneAt(const Simulation& game, const FieldRules& r, int x, int y);
// Flash and debris at a stone, then the stone is gone (its extra is released by the caller).
void ExplodeStone(Simulation& game, int slot);
// Adds to the time bar, at most full.
void AddTime(int& timeLeft, int amount);

// One step of a field's cannon for one player: aim from the command, ease, reload, fire, then
// the extras and stones of the field, then count its stones.
void CannonStepFor(Simulation& game, FieldRules r, int player, PlayerCommand& command);
// The parts of the cannon step that every field shares.
void EaseCannon(CannonState& c);
// Loads a stone through the colour cycle; waits (leaves NeedReload) when no colour is present.
void ReloadFromColourCycle(Simulation& game, const FieldRules& r, CannonState& c, int levelNumber);
// Launches the loaded stone or held extra at the target column.
void LaunchLoaded(Simulation& game, CannonState& c);
void StoneStepFor(Simulation& game, const FieldRules& r, const Turn& turn);
void MarkGroupFor(Simulation& game, const FieldRules& r, const Turn& turn, int slot);
void ExtrasStepFor(Simulation& game, const FieldRules& r, const Turn& turn);
void ReleaseExtraFor(Simulation& game, const FieldRules& r, int stoneSlot);
void AddExtraFor(Simulation& game, const FieldRules& r, int x, int y, int type);
int RandomPresentColourFor(Simulation& game, const FieldRules& r, int loadedStone);
