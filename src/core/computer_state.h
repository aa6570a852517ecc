// The computer opponent of the match: who plays each field, the choice the start-level screen
// offers, and what each computer player has in mind. It is kept apart from the rules' state and
// draws from a generator of its own, so the game's numbers are the same whoever plays.
#pragma once

#include <cstdint>

#include "core/fields.h"
#include "core/match_state.h"
#include "core/random.h"

enum ComputerStrength {
    kNoComputer = 0,  // a person plays the field
    kComputerEasy = 1,
    kComputerNormal = 2,
    kComputerHard = 3,
};

// One computer player's thoughts between ticks.
struct ComputerMind {
    Random rng;
    int PointerX = 0;  // where its mouse pointer is
    int PointerY = 300;
    std::uint8_t Pressed = 0;  // the button went down last tick: it has to come up first
    int Phase = 0;             // 0 waiting for a loaded cannon, 1 thinking, 2 aiming, 3 fired
    int PlannedLoad = 0;       // the load (stone slot or held extra) the plan is for
    int PlannedColour = 0;
    int NextTrial = 0;  // the next column to weigh while thinking
    int BestColumn = 0;
    int SecondColumn = 0;
    double BestValue = 0;
    double SecondValue = 0;
    int Target = 0;          // the column it aims at
    int AimX = 0;            // where its hand puts the pointer for it: near the column's middle
    int ReactTicks = 0;      // ticks left before it starts to move: reaction, then thought
    int SettleTicks = 0;     // ticks to hold still over the target before the click
    int ExtraSeenTicks = 0;  // how long an extra it could catch has been falling in sight
};

struct ComputerState {
    // The start-level screen's choice for the next match: 0 two players, else the strength.
    int OpponentChoice = kNoComputer;
    // The match in progress: the strength playing each field, 0 where a person plays. The game
    // sets only player 2's; the level tools let the computer play player 1 as well.
    PerPlayer<int> Strength{};
    PerPlayer<ComputerMind> Mind{};
    // What each level start seeds the minds' generators from: start-up's seed, kept here so that
    // both machines of a network match (and a replay) seed them alike.
    std::uint64_t MindSeed = 1;
};

template <typename V>
void VisitFields(ComputerMind& m, V& v) {
    v.Nested(m.rng);
    v("PointerX", m.PointerX, kPosition);
    v("PointerY", m.PointerY, kPosition);
    v("Pressed", m.Pressed, kFlag);
    v("Phase", m.Phase, Bounds{0, 3});
    v("PlannedLoad", m.PlannedLoad, kAnyInt);
    v("PlannedColour", m.PlannedColour, kAnyInt);
    v("NextTrial", m.NextTrial, Bounds{0, 1000});
    v("BestColumn", m.BestColumn, kPosition);
    v("SecondColumn", m.SecondColumn, kPosition);
    v("BestValue", m.BestValue, kAnyReal);
    v("SecondValue", m.SecondValue, kAnyReal);
    v("Target", m.Target, kPosition);
    v("AimX", m.AimX, kPosition);
    v("ReactTicks", m.ReactTicks, Bounds{0, 100000});
    v("SettleTicks", m.SettleTicks, Bounds{0, 100000});
    v("ExtraSeenTicks", m.ExtraSeenTicks, Bounds{0, 100000});
}

template <typename V>
void VisitFields(ComputerState& c, V& v) {
    v("OpponentChoice", c.OpponentChoice, Bounds{kNoComputer, kComputerHard}, DumpAt{55});
    v("ComputerStrength", c.Strength, Bounds{kNoComputer, kComputerHard}, DumpAt{0, 19});
    v.Players("Mind", c.Mind);
    v("MindSeed", c.MindSeed, Bounds{0, INT64_MAX});
}
