// The simulation: everything the rules read and write, as one value.
#pragma once

#include <cstdint>
#include <string>

#include "core/button_table.h"
#include "core/cannon_state.h"
#include "core/computer_state.h"
#include "core/editor_state.h"
#include "core/extras_table.h"
#include "core/fields.h"
#include "core/input_state.h"
#include "core/languages.h"
#include "core/level_state.h"
#include "core/match_state.h"
#include "core/menu_state.h"
#include "core/pack_state.h"
#include "core/pipe_state.h"
#include "core/player_state.h"
#include "core/playfield_state.h"
#include "core/random.h"
#include "core/requests.h"
#include "core/sound_state.h"
#include "core/tables.h"
#include "core/text_state.h"

// Screen numbers of ScreenId.
enum ScreenNumber {
    kScreenNone = 0,
    kScreenGame = 1,
    kScreenMainMenu = 2,
    kScreenInfo = 3,
    kScreenHelp = 4,
    kScreenHelpMenu = 5,
    kScreenOptions = 8,
    kScreenHighscores = 9,
    kScreenNewChampion = 10,
    kScreenGameChoice = 11,
    kScreenMatch = 22,
    kScreenLoad = 23,
    kScreenSave = 24,
    kScreenStartLevel = 25,
    kScreenEditor = 26,
    kScreenNetMatch = 27,    // finding the other player of a network match
    kScreenPacks = 28,       // "My Levels": the packs to play
    kScreenPackLevels = 29,  // a pack's levels, to choose the one to edit
    kScreenLanguages = 30,   // the list of languages, from the options
    // Online games (the name, the modes, the verdict) and the online boards.
    kScreenOnline = 31,
    kScreenLeaderboards = 32,
    kScreenSplash = 36,
};

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

struct ShellState {
    int FrameCounter = 0;
    int ScreenId = kScreenNone;
    std::uint8_t QuitRequested = 0;
    int SplashFrames = 0;
    int MusicVolumeTarget = 100;
    int MusicVolumeSetting = 100;
    int SoundVolume = 80;
    std::uint8_t SoundOn = 1;
    int MusicOn = 1;
    int Language = 1;  // 1 German, 2 English, 3..7 as in core/languages.h
    // The language of a first start, before any settings file exists (the desktop's).
    int FirstStartLanguage = 1;
    int GameInProgress = 1;
    int SurfaceWidth = kScreenWidth;
    int SurfaceHeight = kScreenHeight;
    std::uint8_t AlphaDrawing = 1;
};

// What the rules read and write, and nothing else: a value that can be copied (the bots' trial
// shots, the computer's look-ahead), hashed and written out field by field. It holds no pointer
// into the session around it, no picture and no platform.
struct Simulation {
    ShellState shell;
    InputState input;
    PlayfieldState play;
    PerPlayer<Player> players;  // the single player at kSoloPlayer, the match's at 1 and 2
    ExtrasTable extras;
    LevelState level;
    MatchState match;
    ComputerState computer;
    StoneTable stones;
    PipeState pipe;
    EffectTable effects;
    FloatingTextTable floatingTexts;
    ButtonTable buttons;
    MenuState menus;
    EditorState editor;  // the level editor
    PackList packList;   // the "My Levels" screen and the table of the pack played last
    PackGame packGame;   // the pack the Puzzle game plays, if any
    TextCalls text;      // this tick's DrawText calls
    SoundState sound;
    Random rng;
    Requests requests;  // what this tick's screen asked of the shell
};

template <typename V>
void VisitFields(ShellState& s, V& v) {
    v("FrameCounter", s.FrameCounter, Bounds{0, INT32_MAX}, DumpAt{1});
    v("ScreenId", s.ScreenId, Bounds{0, kScreenSplash}, DumpAt{2});
    v("QuitRequested", s.QuitRequested, kFlag, DumpAt{36});
    v("SplashFrames", s.SplashFrames, kAnyInt);
    v("MusicVolumeTarget", s.MusicVolumeTarget, Bounds{0, 100}, DumpAt{18});
    v("MusicVolumeSetting", s.MusicVolumeSetting, Bounds{0, 100}, DumpAt{17});
    v("SoundVolume", s.SoundVolume, Bounds{0, 100}, DumpAt{19});
    v("SoundOn", s.SoundOn, kFlag, DumpAt{20});
    v("MusicOn", s.MusicOn, Bounds{-1, 1}, DumpAt{21});
    v("Language", s.Language, Bounds{1, kLanguages}, DumpAt{16});
    v("FirstStartLanguage", s.FirstStartLanguage, Bounds{1, kLanguages});
    v("GameInProgress", s.GameInProgress, Bounds{0, 2}, DumpAt{14});
    v("SurfaceWidth", s.SurfaceWidth, Bounds{0, 100000});
    v("SurfaceHeight", s.SurfaceHeight, Bounds{0, 100000});
    v("AlphaDrawing", s.AlphaDrawing, kFlag);
}

// Whether the Puzzle game on the field plays a pack's levels rather than the game's own.
inline bool PlaysPack(const Simulation& sim) {
    return !sim.packGame.File.empty() && sim.play.GameMode == kModePuzzle;
}

// Asks for a tune (its game path) to start afresh at the end of the screen's turn.
inline void RequestTune(Simulation& sim, const std::string& gamePath) {
    sim.requests.tune = gamePath;
}

// Asks to leave for the main menu at the end of the screen's turn (its tune afresh or not).
inline void RequestMainMenu(Simulation& sim, bool tuneAfresh) {
    sim.requests.screen = ScreenChange::kMainMenu;
    sim.requests.menuTuneAfresh = tuneAfresh ? 1 : 0;
}

// Asks for another screen at the end of the screen's turn.
inline void RequestScreen(Simulation& sim, ScreenChange screen) {
    sim.requests.screen = screen;
}

// Asks for the highscore check of a game over with this score at the end of the screen's turn.
inline void RequestHighscoreCheck(Simulation& sim, int score) {
    sim.requests.screen = ScreenChange::kHighscoreCheck;
    sim.requests.finalScore = score;
}

// Every field of the simulation, struct by struct; or, with `inProgress`, only the game in
// progress that a suspended game resumes with (no menus, input, buttons, this tick's texts and
// sounds or requests, and of the shell's values only MusicOn), in the order it is written. With
// `oldOwn`, the whole state as written before the tables, the slot list and the editor's history
// became the player's own (core/player_own.h): those fields then come from and go to `oldOwn`.
template <typename V>
void VisitSimulation(Simulation& s, V& v, bool inProgress, PlayerOwn* oldOwn = nullptr) {
    if (!inProgress) {
        v.Nested(s.shell);
        v.Nested(s.input);
    }
    v.Nested(s.play);
    v.Players("Match", s.players);
    v.Nested(s.extras);
    v.Nested(s.level);
    v.Nested(s.match);
    v.Nested(s.computer);
    v.Nested(s.stones);
    v.Nested(s.pipe);
    v.Nested(s.effects);
    v.Nested(s.floatingTexts);
    v.Nested(s.packGame);
    if (inProgress) {
        v.Only("MusicOn", s.shell);
    } else {
        v.Nested(s.buttons);
        if (oldOwn != nullptr) {
            MenusWithOwn menus{s.menus, *oldOwn};
            EditorWithHistory editor{s.editor, oldOwn->EditorHistory};
            v.Nested(menus);
            v.Nested(editor);
        } else {
            v.Nested(s.menus);
            v.Nested(s.editor);
        }
        v.Nested(s.packList);
        v.Nested(s.text);
        v.Nested(s.sound);
    }
    v.Nested(s.rng);
    if (!inProgress) v.Nested(s.requests);
}

template <typename V>
void VisitFields(Simulation& s, V& v) {
    VisitSimulation(s, v, false);
}
