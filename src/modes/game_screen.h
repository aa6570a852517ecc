// The single-player game screen: pause, the side panel, the time bar, the score counter and the
// level-end and game-over sequences.
#pragma once

struct Game;
struct FieldRules;

// The panel buttons of the game screens: 1 hint, 2 pause, 3 end, 4 music.
constexpr int kButtonTip = 1;
constexpr int kButtonPause = 2;
constexpr int kButtonEnd = 3;
constexpr int kButtonMusic = 4;

// Handler of screen 1, once per tick.
void GameScreen(Game& game);
// One step of play; skipped while paused.
void GameStep(Game& game);
// The start of every step of play: the slot-search cursors at 0, the effects and the rising
// numbers one step on.
void StepEffectsAndTexts(Game& game);
// The game is finished: highscore check, then the champion screen or the main menu.
void GameOver(Game& game, int score);
// The end of a test of the level editor's level (cleared, lost or left): back to the editor.
void EndEditorTest(Game& game);
// The four panel button labels, aligned at each button's x (right in the side panel, centred
// between the match's fields).
void DrawPanelLabels(Game& game, int align);
// The music button: music and sounds off, or back on.
void ToggleMusic(Game& game);
// The hint: every stone of the field that carries an extra it can release sends five sparkles.
void ShowHint(Game& game, const FieldRules& rules);
