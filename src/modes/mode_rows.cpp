// The rows of the mode table: the one place that names every mode's own rules.
#include "core/mode_facts.h"
#include "core/simulation.h"
#include "core/words.h"
#include "modes/endless.h"
#include "modes/level_file.h"
#include "modes/level_start.h"
#include "modes/match.h"
#include "modes/mode_table.h"
#include "modes/pipe.h"
#include "playfield/field_rules.h"

namespace {

void BuildEndless(Simulation& game, const LevelRecords&) {
    GenerateEndlessField(game, game.play.LevelNumber);
}

void BuildPuzzle(Simulation& game, const LevelRecords& records) {
    StoreLevelRecords(game, records);
    BuildPuzzleField(game);
}

void BuildMatch(Simulation& game, const LevelRecords& records) {
    StoreLevelRecords(game, records);
    BuildMatchField(game);
}

const ModeRow kModes[] = {
    {
        .facts = FindModeFacts(kModeEndless),
        .recordsValid = nullptr,
        .buildField = BuildEndless,
        .newLevel = NewSingleLevel,
        .drainEvery = 1,
        .emptyBarEndsGame = true,
        .labelsSets = true,
        .tipButton = N_("Tip"),
        .tipStartsWater = false,
        .pointerBandX = 0,
        .drawsPipes = false,
        .drawPanel = nullptr,
        .waterFlow = nullptr,
        .levelEnd = nullptr,
        .clearedTitle = N_("Set cleared!"),
        .nextLevel = N_("Create set "),
        .gameOverTitle = N_("Time out!"),
        .messageX = 0,
    },
    {
        .facts = FindModeFacts(kModePuzzle),
        .recordsValid = nullptr,
        .buildField = BuildPuzzle,
        .newLevel = NewSingleLevel,
        .drainEvery = 1,
        .emptyBarEndsGame = true,
        .labelsSets = false,
        .tipButton = N_("Tip"),
        .tipStartsWater = false,
        .pointerBandX = 0,
        .drawsPipes = false,
        .drawPanel = nullptr,
        .waterFlow = nullptr,
        .levelEnd = nullptr,
        .clearedTitle = N_("Puzzle cleared!"),
        .nextLevel = N_("Try Level "),
        .gameOverTitle = N_("Time out!"),
        .messageX = 0,
    },
    {
        .facts = FindModeFacts(kModePipe),
        // A level without a source or a target barrel could never be won.
        .recordsValid = PipeRecordsValid,
        .buildField = StartPipeLevel,
        .newLevel = NewSingleLevel,
        .resumed = ReturnWaitingPiece,
        // An empty bar starts the water instead of ending the game.
        .drainEvery = 3,
        .emptyBarEndsGame = false,
        .labelsSets = false,
        .tipButton = N_("Run!"),
        .tipStartsWater = true,
        .pointerBandX = 121,
        .drawsPipes = true,
        .drawPanel = DrawPipeStock,
        .waterFlow = PipeWaterFlow,
        .levelEnd = PipeLevelEnd,
        .clearedTitle = {},
        .nextLevel = {},
        .gameOverTitle = N_("faulty Pipe ..."),
        .messageX = 368,
    },
    {
        .facts = FindModeFacts(kModeMatch),
        .buildField = BuildMatch,
        .newLevel = NewMatchLevel,
        .drainEvery = 1,
        .emptyBarEndsGame = true,
        .labelsSets = false,
        .tipButton = N_("Tip"),
        .tipStartsWater = false,
        .pointerBandX = 0,
        .drawsPipes = false,
        .drawPanel = DrawMatchPanel,
        .drain = DrainMatchTimes,
        .levelEnd = MatchLevelEnd,
        .drawScores = DrawMatchScores,
        .endsBeforeTurns = true,
        .panel = kMatchPanel,
        .panelAlign = kAlignCentre,
        .pause = {120, 400, 290, 150, 200},
        .clearedTitle = {},
        .nextLevel = N_("Try Level "),
    },
};

}  // namespace

const ModeRow* FindModeRow(int mode) {
    for (const ModeRow& row : kModes) {
        if (row.facts->mode == mode) return &row;
    }
    return nullptr;
}

const ModeRow& CurrentModeRow(const Simulation& game) {
    const ModeRow* row = FindModeRow(game.play.GameMode);
    return row != nullptr ? *row : *FindModeRow(kModePuzzle);
}
