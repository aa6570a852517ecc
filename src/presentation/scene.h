// What a screen asks the renderer to draw under its texts.
#pragma once

// What the renderer draws under a screen's texts.
enum class Backdrop {
    kNone,    // black (ticks 1 and 2)
    kSplash,  // the splash picture on black
    kMenu,    // the menu background
    kHelp,    // the help background with the page's pictures
    kGame,    // the single-player game scene
    kMatch,   // the two-player scene
    kEditor,  // the level editor: the Puzzle field, its palette and checks
};

// What a frame shows, as the current screen and the game's mode say.
struct Scene {
    Backdrop backdrop = Backdrop::kNone;
    bool pointer = false;         // the game's own mouse pointer
    bool pipeBackground = false;  // the game scene: the pipe game's background
    bool stones = false;          // the stones of the field
    bool pipes = false;           // or the pieces of the pipe game
    int aimBandX = 0;             // no aim marker left of this x
};
