// Watching a replay in the real window: the recorded game on a platform that shows its pictures
// and plays its sounds through the window's, while the player's own keys only steer the watching
// (Space pause, Right faster, Left slower, Escape leave) and never reach the recorded game.
#pragma once

#include <string>

#include "window/sdl_events.h"

enum class WatchEnd { kLeft, kClosed };

// Plays the replay file at `path` until the player leaves (kLeft) or closes the window (kClosed).
// At its end the replay says so over its last picture and offers to watch it again or go back. A replay that cannot be shown says why on screen in `language` until a key or a
// click. The window's audio may be open already; the recorded game's music stops at the end.
// A `note` (why the game is not verified) stays written over the top of the picture.
WatchEnd WatchReplayInWindow(SdlPlatform& window, WindowSession& session, const std::string& resDir,
                             const std::string& path, int language, const std::string& note = "",
                             int speed = 1);
