// One tick of a network match as the rules read it.
#pragma once

// One tick of a network match: both players' commands as the lockstep session gave them, in
// place of this machine's keys and mouse, so that both machines run the very same tick.
struct NetMatchTick {
    bool on = false;
    struct Side {
        int pointerX = 0;
        int pointerY = 0;
        bool keyLeft = false;
        bool keyRight = false;
        bool fire = false;
        bool pointerAims = false;  // the pointer moved since the keys last did
    };
    Side side[3];        // by match player (1 host, left field; 2 guest, right field)
    bool pause = false;  // either player pressed P
    bool escape = false;
    int button = 0;  // the match-screen button slot either player clicked (the host's first)
};
