// The one aggregate that holds everything the game keeps for the whole run. Tests build as many
// fresh Games as they like; nothing lives outside it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/bitmap_set.h"
#include "core/command.h"
#include "core/draw_routines.h"
#include "core/environment.h"
#include "core/music_player.h"
#include "core/net_match_tick.h"
#include "core/online_menu.h"
#include "core/player_own.h"
#include "core/simulation.h"
#include "core/text_state.h"
#include "platform/changed_tiles.h"
#include "platform/scene_list.h"
#include "platform/surface.h"

class InputRecorder;
class LevelSource;
class Platform;

// The run's own state around the simulation: the window's life and the files' troubles.
struct SessionState {
    // The frame timer: off while start-up runs and after the quitting tick.
    bool TimerEnabled = true;
    // Set once the window has been closed at the end of a quitting tick.
    bool WindowClosed = false;
    // A file could not be written and the player has been told.
    bool WriteErrorShown = false;
    // Exit status of the program (non-zero when start-up could not finish).
    int ExitStatus = 0;
    // A menu started, resumed or loaded a game in this tick (a new replay begins after it).
    bool GameStarted = false;
    // The game ended in this tick: over (after its name entry, if any), left for the main menu
    // or its test play done. Its replay ends with this tick.
    bool GameEnded = false;
    // The score of the last game over carried out (its highscore check); -1 before any.
    int GameOverScore = -1;
};

// The network match screen and the network session between them: what the screen asks for and
// what the session has found and says. Outside the simulation: it is this machine's own.
struct NetMenu {
    enum class Ask { kNone, kHost, kJoin, kWatch, kLeave };
    Ask ask = Ask::kNone;             // carried out by the session after the screen's tick
    std::string address;              // typed: HOST or HOST:PORT
    bool busy = false;                // hosting or joining: the session is at work
    int startLevel = 1;               // the match's first level when this side hosts
    std::vector<std::string> status;  // what the session says, in the player's language
    struct Found {
        std::string label;     // the host's name and start level, as shown
        std::string address;   // HOST:PORT
        bool playing = false;  // its match runs: it can be watched, not joined
    };
    std::vector<Found> found;  // the hosts waiting or playing on the LAN
    bool noLan = false;        // the browser: no LAN to search, the screen says so
};

// The simulation inside its session: the platform, the pictures and font, the back buffer, the
// music player, the drawing's generator, the recorder and the user's files and folders.
class LevelProofJob;

struct Game : Simulation {
    Simulation& sim() { return *this; }
    const Simulation& sim() const { return *this; }

    Platform* platform = nullptr;
    InputRecorder* recorder = nullptr;  // writes down what the player does (rhombulus2 --record)
    // Where "res\saves\..." files live: res/saves for the runner, the user's data folder for
    // the real game.
    std::string savesDir = "res/saves";
    Environment env;  // the level files and folders the rules read
    // What the levels folder held when "My Levels" read it last (names, sizes and times of its
    // files): while the screen is open a change of it reads the list again.
    std::string levelsFolderStamp;
    // The file this run's replay is kept in (file name only); empty when none is kept, as in
    // the runner. A new highscore entry links to it.
    std::string replayName;
    std::uint64_t clockSeed = 1;  // what start-up seeds the generator with
    Command command;              // what the player did since the last tick; the tick takes it
    KeysHeld keys;                // the game's keys as the commands left them

    SessionState session;
    // The player's highscore tables, slot list and editor history, beside the game in play; the
    // screens read it and change it only through `ownAsks`, which the shell carries out after
    // the tick.
    PlayerOwn own;
    OwnAsks ownAsks;
    // This machine's own game while a network match plays in the simulation: the match takes the
    // host's settings, whose language its texts are drawn in, and leaves what waited under the
    // menu behind (SetOwnGameAside, TakeOwnGameBack in shell/frame_loop.h).
    std::shared_ptr<const Simulation> ownGameAside;
    NetMatchTick netTick;
    NetMenu netMenu;
    OnlineMenu online;
    MusicPlayer music;
    FontState font;
    Bitmaps bitmaps;
    DrawRoutines draw;
    Surface backBuffer;
    // The scene as last drawn into the back buffer and what changed with the last frame
    // (presentation/render.h).
    struct SceneShown {
        SceneList list;  // the items the back buffer shows; only when `valid`
        SceneList next;
        bool valid = false;
        // The picture as last sent, to find the changes of a frame drawn whole.
        ChangedTiles sent;
        bool sendWhole = true;
        // The rectangles this tick changed, for the flip, and the pixels drawn to make them.
        std::vector<Rect> changed;
        long long drawnArea = 0;
    } scene;
    // Every drawn frame is also drawn whole on `wholePicture` and compared with the back buffer
    // (rhombulus2-headless --check-redraw); the ticks that differ are counted.
    bool checkRedraw = false;
    Surface wholePicture;
    long long redrawDiffers = 0;
    long long firstRedrawDiffers = 0;  // its frame counter
    // What the window draws over a rendered picture before it is shown (the highscore table's
    // replay marks); empty in the runner. It never changes the simulation. True when it drew.
    std::function<bool(Game&)> drawOver;
    // Drawing's own generator (the shake of the stones): the rules draw the same numbers whether
    // or not a frame is drawn. Seeded anew for every frame from the seed and the frame number.
    Random drawRng;
    // The level editor's proof at work on copies of the game (shell/level_proof.h); the
    // simulation holds what it has shown so far.
    std::shared_ptr<LevelProofJob> proofJob;
};

// A game on the given platform reading its files from resDir.
void InitGame(Game& game, Platform& platform, const std::string& resDir, std::uint64_t clockSeed);
