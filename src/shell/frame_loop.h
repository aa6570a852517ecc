// The tick: one frame every 15 ms, and the start-up and quit sequences around it.
#pragma once

#include <string>

struct Game;

// One frame: clear, poll, run the current screen, step the music, render, play sounds, flip.
// Without drawing the picture is neither cleared nor rendered; everything else happens alike.
void FrameTick(Game& game, bool draw = true);
// The part of a frame that decides the game: input, the current screen, the music volume. It
// never draws, plays or flips, so a game stepped with it alone plays exactly as one on screen.
void SimulateTick(Game& game);
// Carries out what this tick's screen asked for (a level start a menu chose), right after its
// handler.
void CarryOutRequests(Game& game);
// Run once on the second tick.
void StartUp(Game& game);
// Start-up cannot finish: the player is told which file is missing and how to get it back, and
// the game quits with exit status 1.
void CannotStart(Game& game, const std::string& missingFile);
// The window reports a change of size or display mode (and its close button): save and quit.
void DXDraw1Resize(Game& game);
// The window's close button: the same save-and-quit path, at any time after start-up.
void WindowCloseRequested(Game& game);
// The running game (on screen, or waiting under the main menu) kept in ave.dat and the suspend
// snapshot, so that the next start offers it.
void KeepGameForNextStart(Game& game);
// Write the settings (and the running game), stop the music and close the window.
void SaveAndQuit(Game& game);
// The end of the quitting tick: stop the timer and the music, free the pictures, close.
void QuitTeardown(Game& game);
// The window lost or regained the focus: no ticks meanwhile, the sound pauses and the frozen
// picture is shown dimmed with "Pause".
void FocusChanged(Game& game, bool focused);
// The frozen picture dimmed with a word of the network match ("Waiting for the other player
// ...", "Connection lost"); the simulation is left as it was.
void ShowNotice(Game& game, const std::string& text);

// A network match and this machine's own game: set aside before the match takes the simulation
// (kept once, however often asked), put back when the match is over or left.
void SetOwnGameAside(Game& game);
void TakeOwnGameBack(Game& game);
