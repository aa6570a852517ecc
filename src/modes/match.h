// The two-player match: its level start, its screen, its step with the shared time drain and the
// decision of each level, until one player leads by three levels won.
#pragma once

#include "core/level_format.h"
#include "core/requests.h"

struct Environment;
struct MatchState;
struct ModeRow;
struct NetMatchTick;
struct Simulation;

// Starts what the request names for the match: a new level in its lap, the match in memory going
// on, or a saved match's level with its scores, levels won and opponent; a new match resets both
// players' scores, times and levels won. False when the level could not be built (the player has
// been told and is back in the main menu).
bool StartMatchLevel(Simulation& game, const Environment& env, const LevelStartRequest& start);
// A new match level: `level` in lap `lap`.
bool StartMatchLevel(Simulation& game, const Environment& env, int level, int lap, bool restartTune,
                     bool newMatch);

// Handler of the match screen, once per tick: the play screen with the match's row. `net` holds
// both players' commands in a network match (nullptr otherwise).
void MatchScreen(Simulation& game, const Environment& env, const NetMatchTick* net);
// One step of the match: the play step with the match's row.
void MatchStep(Simulation& game, const Environment& env, const NetMatchTick* net);

// The match's row of the mode table: its level and levels won at the top, the scores over the
// fields, both time bars drained at once (an empty one ends the level) and the level's end: who
// won it, the texts on both fields and the next level or the match's end.
void DrawMatchPanel(Simulation& game);
void DrawMatchScores(Simulation& game);
void DrainMatchTimes(Simulation& game);
void MatchLevelEnd(Simulation& game, const Environment& env);
// A new match level: both fields built, both cannons at their start, and for a new match (or
// level 1 of lap 1) both players' scores, times and levels won from nothing.
void NewMatchLevel(Simulation& game, const LevelStartRequest& start, const ModeRow& row,
                   const LevelRecords& records);

// Ticks per unit drained from both time bars: 5 in the first lap, one less each lap, 1 from lap 5.
int MatchDrainDivisor(int lap);
// Who won the level that has ended: 1 or 2, 0 for nobody (both bars ran out with stones left).
// A cleared field wins even when a bar ran out in the same frame, the clearer's own included.
int MatchLevelWinner(const Simulation& sim);
// The score the highscore table is offered when the match is over: the winner's, but against the
// computer always the person's.
int MatchFinalScore(const Simulation& game, int winner);
// Whether one player leads by three levels won or more: the match is over.
bool MatchDecided(const MatchState& m);
