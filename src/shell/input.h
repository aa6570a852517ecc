// Input: six keys polled once per tick into flags, and the mouse state stored by the window's
// events between ticks. A press shorter than a tick still reaches one tick: its release waits
// until a tick has seen it.
#pragma once

#include <cstdint>
#include <string>

#include "core/command.h"
#include "core/input_state.h"

struct Game;
struct LocalControls;

// What a key or pad button means on the menu screens.
enum class MenuKey { kNext, kPrevious, kPress };

// The game's keys of this tick, as the commands left them.
void PollKeyboard(Game& game);
// Carries out a command record in its order: the window's, the browser's and the scripts' one
// way into the game.
void ApplyCommand(Game& game, const Command& command);
// The record filled since the last tick, carried out and emptied (the tick starts with it;
// closing the window takes it first too).
void TakeCommand(Game& game);
// Each character of a UTF-8 text into the record; a byte that is not UTF-8 is dropped.
void AddText(Command& command, const std::string& utf8);
// A network match: the record becomes this machine's controls instead of reaching the game,
// which must stay as both machines have it.
void FoldIntoControls(Game& game, const Command& command, LocalControls& local);
void DXDraw1MouseMove(Game& game, int x, int y);
void DXDraw1MouseDown(Game& game);
void DXDraw1MouseUp(Game& game);
// The right button: the level editor's eraser, elsewhere a click like the left one.
void DXDraw1RightMouse(Game& game, bool down);
// Ctrl+Z and Ctrl+Y and the cursor's keys, for the level editor's next tick.
void DXDraw1EditKey(Game& game, EditKey key);
// Whether the keys are the level editor's cursor keys now: the editor shows and nothing is typed.
bool EditorTakesKeys(const Game& game);
// What a key button (KeyButton) or a runner key name means to the editor's cursor; kEditNone
// for a key it leaves alone.
EditKey EditKeyOfButton(int button);
EditKey EditKeyOfName(const std::string& name);
// End of a tick: the release of a press that this tick was the first to see.
void ApplyPendingRelease(Game& game);
// A typed character (a code point; Backspace arrives as 8) for the name editors.
void DXDraw1KeyPress(Game& game, char32_t ch);
// Each character of a UTF-8 text, as the window's text input or a script's "text" delivers it;
// a byte that is not UTF-8 is dropped.
void TypeText(Game& game, const std::string& utf8);

// Menu keys. Next / previous move the game's pointer to the next or previous button of the
// screen, as a mouse move there would; press clicks where the pointer is (released by MenuKeyUp).
// Returns true when the key was taken for the menu, so it is not also read as a game key.
bool MenuKeyDown(Game& game, MenuKey key);
void MenuKeyUp(Game& game, MenuKey key);
// A key or pad button (a KeyButton) that went down or up in a front end: the level editor's
// cursor and the menu keys take it first (held arrows walk on, a held Space or Return acts once).
// False when it goes on as the game's key.
bool KeyTakenByScreen(Game& game, int button, bool down, bool repeat);
// The slot of the next (direction 1) or previous (-1) active button from the one under the
// pointer; from none, the first or the last. 0 when the screen has no buttons.
int NextMenuButton(const Game& game, int direction);
// A pad's stick moving the pointer (second player of the match): axis values -32768..32767.
void PadPointerStep(Game& game, int axisX, int axisY);
// The second pad's fire button in the match: the mouse button of player 2, pressed over the
// right field (a pointer left between the fields moves there first).
void PadFire(Game& game, bool down);
