// The computer opponent of the match. It plays a field through the same command as a person
// with a mouse: each tick its pointer moves at most as far as a hand moves a mouse in one tick,
// and it clicks only when a person could. It looks at what a person sees (the field, the stone on
// its cannon, the falling extras) and thinks with a model of the field of its own, spread over
// several ticks; it never touches the game's generator.
#pragma once

#include <array>

#include "playfield/field_rules.h"

struct Simulation;
struct ComputerMind;

// The farthest a person moves the mouse pointer in one tick.
constexpr int kPointerStepLimit = 48;
// Columns weighed per tick while it thinks: what keeps its thinking small beside the tick.
constexpr int kTrialsPerTick = 3;

// How a strength plays, and how a person plays in the level tools' models: how long it takes to
// notice, to decide and to aim, how far it looks ahead and how often and how much it misjudges a
// column or its hand misses one.
struct ComputerTraits {
    int reactMin = 0;  // reaction: ticks until it notices a loaded cannon; a falling extra: min
    int reactMax = 0;
    int thinkMin = 0;  // the pause to decide each shot, after the reaction
    int thinkMax = 0;
    int pointerStep = 0;      // pixels its pointer moves per tick
    int settleTicks = 0;      // ticks over the target before the click
    int aimError = 0;         // px its hand lands off the column's middle, at most (10 px: a miss)
    int lookAhead = 1;        // shots it plays through in its head: this one, or this and the next
    int misjudgePercent = 0;  // how often it takes a worse column than the best it found
    double roughness = 0;     // how much its weighing of a column wanders
};
const ComputerTraits& TraitsOf(int strength);

// A new level: each computer player's mind starts afresh from its own seed (the game's start
// seed, the level, the lap and the field), its pointer over its cannon.
void ResetComputerMinds(Simulation& game);

// What the computer playing `player`'s field does in the coming tick, from the game as the last
// tick left it. Always a pointer command (never keys).
PlayerCommand ComputerCommand(Simulation& game, int player);

// The same for any mind and traits: the level tools' models of people play through it with a
// mind of their own.
PlayerCommand MindCommand(const Simulation& game, int player, ComputerMind& mind,
                          const ComputerTraits& traits);

// The model of one field the computer thinks with, exposed for the tools and tests: a stone of
// colour `colour` shot from column x (a cannon column of the field) into the field as it stands;
// how it scores for the strength's look-ahead. Larger is better.
double WeighColumn(const Simulation& game, int player, int colour, int x, int lookAhead);
