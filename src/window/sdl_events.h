// What the real window's events do to the game: mouse in picture pixels, keys and pads into the
// key states and the menu keys, fullscreen, resizing, focus and closing.
#pragma once

#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/sdl/sdl_platform.h"
#include "shell/net_commands.h"

struct Game;

struct WindowSession {
    bool focused = true;
    // Where the fullscreen choice is remembered (empty: not remembered).
    std::string configDir;
    // The pad stick's direction per pad role and axis (-1, 0, 1), for its key presses.
    int stickX[2] = {0, 0};
    int stickY[2] = {0, 0};
    // This machine's mouse for a network match's commands, which take it in place of the game's.
    LocalControls local;
    // A network match runs: nothing of this window may reach the game, which both machines keep
    // alike.
    bool netMatch = false;
    std::FILE* netTrace = nullptr;  // RHOMBULUS2_NET_TRACE: the match's state hashes
};

void HandleSdlEvent(Game& game, SdlPlatform& platform, WindowSession& session, const SDL_Event& e);
// Just before a tick: the second player's pad moves the pointer in the match.
void BeforeTick(Game& game, SdlPlatform& platform);
