// How the game modes play, side by side: one row per mode holds what its rules and screen do
// differently (how its field is built, its time bar, panel, scores and level end). What the mode
// is (number, names, levels and files, tune, players, fields) is its row of core/mode_facts.h. A
// new mode is a row in each. Every mode, the two-player match too, plays through the one play
// screen and step (modes/game_screen.h).
#pragma once

#include "core/buttons.h"
#include "core/level_format.h"
#include "core/mode_facts.h"
#include "core/player_state.h"
#include "core/requests.h"
#include "core/text_state.h"
#include "core/words.h"

struct Environment;
struct Simulation;

struct ModeRow {
    const ModeFacts* facts = nullptr;
    // What a level file must hold beyond codes and extras the mode knows (nullptr: nothing).
    bool (*recordsValid)(const LevelRecords& records) = nullptr;
    // Fills the stone table for the level in LevelNumber from the records just read.
    void (*buildField)(Simulation& game, const LevelRecords& records) = nullptr;
    // A level start that does not resume: the players' new game or level, the field built (with
    // buildField) and the cannons at their start.
    void (*newLevel)(Simulation& game, const LevelStartRequest& start, const ModeRow& row,
                     const LevelRecords& records) = nullptr;
    // A level start that resumes the game in memory (the pipe game's waiting piece goes back).
    void (*resumed)(Simulation& game) = nullptr;
    // Time bar: one unit drains every drainEvery x (the lap's divisor) ticks; an empty bar ends
    // the game where it says so.
    int drainEvery = 1;
    bool emptyBarEndsGame = true;
    // The side panel: the level label reads "Set n" (centred) instead of "Level n".
    bool labelsSets = false;
    Words tipButton{N_("Tip")};
    bool tipStartsWater = false;  // the tip button empties the time bar instead of hinting
    // The pointer is drawn (and the aim marker hidden) also left of this x over the field.
    int pointerBandX = 0;
    bool drawsPipes = false;  // the pipe scene: pieces, barrels and its own background
    // Numbers the screen shows each tick before the step (the pipe game's stock, the match's level
    // and levels won).
    void (*drawPanel)(Simulation& game) = nullptr;
    // The time bars' drain after the players' turns; nullptr: the single player's bar, one unit
    // every drainEvery x (the lap's divisor) ticks.
    void (*drain)(Simulation& game) = nullptr;
    // Runs in every game step after the time drain (the pipe game's water).
    void (*waterFlow)(Simulation& game) = nullptr;
    // The sequence after a cleared level when the mode has its own; else the texts below.
    void (*levelEnd)(Simulation& game, const Environment& env) = nullptr;
    // The scores after their roll-up; nullptr: the side panel's level label and score.
    void (*drawScores)(Simulation& game) = nullptr;
    // The match rolls its scores up and sees a level's end before the players' turns, so the end
    // of a level shows from the next tick on; the single-player modes after them, in the same tick.
    bool endsBeforeTurns = false;
    // The four buttons of the running game and where their labels are aligned.
    PanelLayout panel = kSidePanel;
    int panelAlign = kAlignRight;
    // How the "Pause" text drifts over each field: x = centre + amplitude * cos(frame / period)
    // (mirrored on the match's right field), y = centre + amplitude * sin(frame / period).
    struct Drift {
        int xAmplitude, xPeriod, yCentre, yAmplitude, yPeriod;
    } pause{130, 300, 270, 150, 150};
    Words clearedTitle{};
    Words nextLevel{};  // followed by the next level's number
    // The game-over messages: their title and where they are centred (0: the field's centre).
    Words gameOverTitle{N_("Time out!")};
    int messageX = 0;
};

// The players of the mode's fields: the single player, or the match's two.
struct FieldPlayers {
    int first = kSoloPlayer;
    int last = kSoloPlayer;
};

inline FieldPlayers PlayersOf(const ModeRow& row) {
    if (row.facts->players == 2) return {1, kMatchPlayers};
    return {};
}

// The row of a mode; nullptr for a number that is none.
const ModeRow* FindModeRow(int mode);
// The row of the game in progress; Puzzle's for a game that has no mode yet.
const ModeRow& CurrentModeRow(const Simulation& game);
