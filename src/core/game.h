// The one aggregate that holds everything the game keeps for the whole run. Tests build as many
// fresh Games as they like; nothing lives outside it.
#pragma once

#include <cstdint>
#include <string>

#include "core/bitmap_set.h"
#include "core/button_table.h"
#include "core/cannon_state.h"
#include "core/computer_state.h"
#include "core/draw_routines.h"
#include "core/extras_table.h"
#include "core/input_state.h"
#include "core/level_state.h"
#include "core/match_state.h"
#include "core/menu_state.h"
#include "core/music_player.h"
#include "core/pipe_state.h"
#include "core/playfield_state.h"
#include "core/random.h"
#include "core/sound_state.h"
#include "core/tables.h"
#include "core/text_state.h"
#include "platform/surface.h"

class InputRecorder;
class Platform;

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
    // The frame timer: off while start-up runs and after the quitting tick.
    bool TimerEnabled = true;
    // Set once the window has been closed at the end of a quitting tick.
    bool WindowClosed = false;
    // A file could not be written and the player has been told.
    bool WriteErrorShown = false;
    // Exit status of the program (non-zero when start-up could not finish).
    int ExitStatus = 0;
};

struct Game {
    Platform* platform = nullptr;
    InputRecorder* recorder = nullptr;  // writes down what the player does (rhombulus2 --record)
    // The modes' level start, for the menus that start, resume and load games: they lie below
    // the modes and reach it through here. Set by InitGame.
    bool (*startLevel)(Game& game, int level, int mode, int lap, int music) = nullptr;
    // The match's level start, for the start-level screen, resuming and loading a match.
    bool (*startMatchLevel)(Game& game, int level, int mode, int lap, int music,
                            int newMatch) = nullptr;
    std::string resDir = "res";  // the folder used as res/
    // Where "res\saves\..." files live: res/saves for the runner, the user's data folder for
    // the real game.
    std::string savesDir = "res/saves";
    std::uint64_t clockSeed = 1;  // what start-up seeds the generator with

    ShellState shell;
    InputState input;
    PlayfieldState play;
    CannonState cannon;
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
    TextState text;
    SoundState sound;
    MusicPlayer music;
    Bitmaps bitmaps;
    DrawRoutines draw;
    Surface backBuffer;
    Random rng;
    // Drawing's own generator (the shake of the stones): the rules draw the same numbers whether
    // or not a frame is drawn. Seeded anew for every frame from the seed and the frame number.
    Random drawRng;
};

// A game on the given platform reading its files from resDir.
void InitGame(Game& game, Platform& platform, const std::string& resDir, std::uint64_t clockSeed);
