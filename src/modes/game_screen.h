// The play screen of every mode, the match too: pause, the panel, the players' turns, the time
// bars, the score counters and the level-end and game-over sequences, with the mode's row of the
// mode table where the modes differ.
#pragma once

struct Environment;
struct NetMatchTick;
struct Simulation;
struct FieldRules;

// The panel buttons of the game screens: 1 hint, 2 pause, 3 end, 4 music.
constexpr int kButtonTip = 1;
constexpr int kButtonPause = 2;
constexpr int kButtonEnd = 3;
constexpr int kButtonMusic = 4;

// The play screen's handler, once per tick. `net` holds both players' commands in a network
// match (nullptr otherwise).
void PlayScreen(Simulation& game, const Environment& env, const NetMatchTick* net);
// One step of play, for every player of the mode; skipped while paused.
void PlayStep(Simulation& game, const Environment& env, const NetMatchTick* net);
// Handler of screen 1 and its step: the play screen of the single-player modes.
void GameScreen(Simulation& game, const Environment& env);
void GameStep(Simulation& game, const Environment& env);
// The start of every step of play: the slot-search cursors at 0, the effects and the rising
// numbers one step on.
void StepEffectsAndTexts(Simulation& game);
// The game is finished: highscore check, then the champion screen or the main menu.
void GameOver(Simulation& game, int score);
// The panel's turn in a running game (the side panel, or the buttons between the match's fields):
// Escape or "End" leaves for the main menu with the game kept for resuming; else the four labels
// are drawn aligned at each button's x (`align`) and a pressed button acts: music and sounds off
// or on, pause, and the tip (every stone that carries an extra it can release sends five
// sparkles; in Pipe the water starts at once).
void SidePanelTurn(Simulation& game, int align, const FieldRules& hintRules, bool tipStartsWater);
// The end of a test of the level editor's level (cleared, lost or left): back to the editor.
void EndEditorTest(Simulation& game);
