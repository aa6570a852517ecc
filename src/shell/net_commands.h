// A network match's commands: what this machine's player does with the keys and the mouse
// becomes the 8-byte record the lockstep session carries, and the two records of a tick become
// that tick's input on both machines alike.
#pragma once

#include "net/protocol.h"

struct Game;

// This machine's own keys and mouse as its window or script left them, outside the simulation
// (whose input must be the same on both machines).
struct LocalControls {
    int mouseX = 0;
    int mouseY = 0;
    bool mouseHeld = false;
    bool keyLeft = false;
    bool keyRight = false;
    bool keySpace = false;
    bool keyP = false;
    bool keyEscape = false;
};

// The control byte: actions that both machines must see on the same tick.
enum NetControl : std::uint8_t {
    kNetPause = 1,
    kNetEscape = 2,
    kNetButton = 4,  // a click on a match-screen button; spare names its slot
};
// The keys byte.
enum NetKeys : std::uint8_t {
    kNetKeyLeft = 1,
    kNetKeyRight = 2,
    kNetPointerAims = 4,
};

// Turns this machine's controls into its player's command for one tick. Remembers the last
// controls, so that P, Escape and a click count once each, and the pointer aims only after it
// moved (the keys take the aim back).
class CommandCapture {
  public:
    net::WireCommand Capture(const Game& game, const LocalControls& now);

  private:
    LocalControls last_;
    bool pointerAims_ = false;
    bool first_ = true;
    bool mouseHeldBefore_ = false;  // held since before the first capture, not yet let go
};

// Puts a tick's two commands (host: player 1, left field; guest: player 2) into the game for
// the next tick, in place of this machine's input.
void ApplyNetCommands(Game& game, const net::WireCommand& host, const net::WireCommand& guest);
// Back to this machine's own input (the match is over).
void EndNetCommands(Game& game);
