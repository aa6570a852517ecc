// What the screens and rules ask of the layers above them: a level start asked for by a menu, a
// tune a level start starts. The shell carries them out as soon as the screen's handler returns
// (before the music's step), so the menus need not reach into the modes below them, nor the
// rules into the music player.
#pragma once

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
};

// Posted during a tick, taken when it is carried out: empty between ticks.
struct Requests {
    LevelStartRequest levelStart;
    std::string tune;  // game path of a tune to start afresh (a level start's own)
};

template <typename V>
void VisitFields(LevelStartRequest& r, V& v) {
    v("LevelStartKind", reinterpret_cast<std::uint8_t&>(r.kind), Bounds{0, 4});
    v("LevelStartMode", r.mode, kAnyInt);
    v("LevelStartLevel", r.level, kAnyInt);
    v("LevelStartLap", r.lap, kAnyInt);
    v("LevelStartTune", r.restartTune, kFlag);
    v("LevelStartNewMatch", r.newMatch, kFlag);
    v("LevelStartMatch", r.match, kFlag);
}

template <typename V>
void VisitFields(Requests& r, V& v) {
    v.Nested(r.levelStart);
    v("Tune", r.tune, Bounds{0, 256});
}
