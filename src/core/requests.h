// What the screens and rules ask of the layers above them: a level start asked for by a menu, a
// tune a level start starts, a change of screen and a message box the rules ask for. The shell
// carries them out as soon as the screen's handler returns (before the music's step), so the menus
// need not reach into the modes below them, nor the rules into the music player.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/fields.h"

enum class LevelStartKind : std::uint8_t {
    kNone = 0,
    kNew = 1,     // `level` of `mode` in `lap`
    kResume = 2,  // the game in memory goes on
    kLoaded = 3,  // the saved game just read
    kTest = 4,    // the level editor's level, as level 1 of a new Puzzle game
};

struct LevelStartRequest {
    LevelStartKind kind = LevelStartKind::kNone;
    int mode = 0;
    int level = 0;
    int lap = 0;
    std::uint8_t restartTune = 0;  // the mode's tune starts afresh
    std::uint8_t newMatch = 0;     // a match starts from nothing: scores, times and levels won
    std::uint8_t match = 0;        // through the match's level start
    // A saved slot's values (kLoaded): the single player's score and time, each match player's
    // score when the level began and levels won (slot 0 unused), who played the right field.
    int score = 0;
    int time = 0;
    std::array<int, 3> matchScore{};
    std::array<int, 3> levelsWon{};
    int opponent = 0;
    // The pack a new or loaded Puzzle game plays (its file in the levels folder), "" none.
    std::string pack{};
};

// A change of screen the rules ask for: back to the main menu, the highscore check of a game
// that is over (the champion's screen or the main menu), or the editor after its test play.
enum class ScreenChange : std::uint8_t {
    kNone = 0,
    kMainMenu = 1,
    kHighscoreCheck = 2,
    kEditor = 3,    // back from a test of the editor's level
    kPackList = 4,  // the "My Levels" list, read anew from the levels folder
};

// Posted during a tick, taken when it is carried out: empty between ticks.
struct Requests {
    LevelStartRequest levelStart;
    std::string tune;  // game path of a tune to start afresh (a level start's own)
    ScreenChange screen = ScreenChange::kNone;
    std::uint8_t menuTuneAfresh = 0;  // the main menu restarts its tune
    int finalScore = 0;               // what the highscore check is offered
    std::string message;              // for a message box
};

inline LevelStartRequest NewLevelStart(int level, int mode, int lap, bool restartTune) {
    LevelStartRequest start;
    start.kind = LevelStartKind::kNew;
    start.level = level;
    start.mode = mode;
    start.lap = lap;
    start.restartTune = restartTune ? 1 : 0;
    return start;
}

inline LevelStartRequest ResumeStart(bool match) {
    LevelStartRequest start;
    start.kind = LevelStartKind::kResume;
    start.match = match ? 1 : 0;
    return start;
}

template <typename V>
void VisitFields(LevelStartRequest& r, V& v) {
    v("LevelStartKind", reinterpret_cast<std::uint8_t&>(r.kind), Bounds{0, 4});
    v("LevelStartMode", r.mode, kAnyInt);
    v("LevelStartLevel", r.level, kAnyInt);
    v("LevelStartLap", r.lap, kAnyInt);
    v("LevelStartTune", r.restartTune, kFlag);
    v("LevelStartNewMatch", r.newMatch, kFlag);
    v("LevelStartMatch", r.match, kFlag);
    v("LevelStartSavedScore", r.score, Bounds{0, 999'999'999});
    v("LevelStartSavedTime", r.time, Bounds{0, 1000});
    v("LevelStartSavedMatchScore", r.matchScore, Bounds{0, 999'999'999});
    v("LevelStartSavedLevelsWon", r.levelsWon, Bounds{0, 50'000});
    v("LevelStartSavedOpponent", r.opponent, Bounds{0, 3});
    v("LevelStartPack", r.pack, Bounds{0, 160});
}

template <typename V>
void VisitFields(Requests& r, V& v) {
    v.Nested(r.levelStart);
    v("Tune", r.tune, Bounds{0, 256});
    v("ScreenChange", reinterpret_cast<std::uint8_t&>(r.screen), Bounds{0, 4});
    v("MenuTuneAfresh", r.menuTuneAfresh, kFlag);
    v("FinalScore", r.finalScore, kAnyInt);
    v("Message", r.message, Bounds{0, 4096});
}
