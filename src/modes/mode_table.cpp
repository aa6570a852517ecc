#include "modes/mode_table.h"

#include "core/game.h"
#include "modes/endless.h"
#include "modes/level_file.h"
#include "playfield/field_rules.h"

namespace {

void BuildEndless(Game& game, const LevelRecords&) {
    GenerateEndlessField(game, game.play.LevelNumber);
}

void BuildPuzzle(Game& game, const LevelRecords& records) {
    StoreLevelRecords(game, records);
    BuildPuzzleField(game);
}

// The pipe pieces, barrels, water and stock come with the Pipe mode; until then the level's
// file is read and a Pipe level gets its full time bar.
void BuildPipe(Game& game, const LevelRecords& records) {
    StoreLevelRecords(game, records);
    game.play.TimeLeft = 1000;
}

void BuildMatch(Game& game, const LevelRecords& records) {
    StoreLevelRecords(game, records);
    BuildMatchField(game);
}

const ModeRow kModes[] = {
    {
        .mode = kModeEndless,
        .field = &kEndlessField,
        .tune = "res\\Musik\\sr06.mp3",
        .lastLevel = 0,
        .levelPath = nullptr,
        .recordsValid = nullptr,
        .buildField = BuildEndless,
        .drainEvery = 1,
        .emptyBarEndsGame = true,
        .labelsSets = true,
        .tipButton = {"Tipp", "Tip"},
        .tipStartsWater = false,
        .pointerBandX = 0,
        .drawsPipes = false,
        .ownLevelEnd = false,
        .clearedTitle = {"Set geleert!", "Set cleared!"},
        .nextLevel = {"Erstelle Set ", "Create set "},
    },
    {
        .mode = kModePuzzle,
        .field = &kPuzzleField,
        .tune = "res\\Musik\\vi02.mp3",
        .lastLevel = 50,
        .levelPath = PuzzleLevelPath,
        .recordsValid = PuzzleRecordsValid,
        .buildField = BuildPuzzle,
        .drainEvery = 1,
        .emptyBarEndsGame = true,
        .labelsSets = false,
        .tipButton = {"Tipp", "Tip"},
        .tipStartsWater = false,
        .pointerBandX = 0,
        .drawsPipes = false,
        .ownLevelEnd = false,
        .clearedTitle = {"Puzzle gelöst!", "Puzzle cleared!"},
        .nextLevel = {"Versuche Level ", "Try Level "},
    },
    {
        .mode = kModePipe,
        .field = &kPipeField,
        .tune = "res\\Musik\\sr02.mp3",
        .lastLevel = 26,
        .levelPath = PipeLevelPath,
        .recordsValid = nullptr,
        .buildField = BuildPipe,
        // An empty bar starts the water instead of ending the game.
        .drainEvery = 3,
        .emptyBarEndsGame = false,
        .labelsSets = false,
        .tipButton = {"Los!", "Run!"},
        .tipStartsWater = true,
        .pointerBandX = 121,
        .drawsPipes = true,
        .ownLevelEnd = true,
        .clearedTitle = {"", ""},
        .nextLevel = {"", ""},
    },
    {
        .mode = kModeMatch,
        .field = &kMatchLeftField,
        .tune = "res\\Musik\\sr06.mp3",
        .lastLevel = 50,
        .levelPath = MatchLevelPath,
        .recordsValid = PuzzleRecordsValid,
        .buildField = BuildMatch,
        .twoPlayers = true,
        .drainEvery = 1,
        .emptyBarEndsGame = true,
        .labelsSets = false,
        .tipButton = {"Tipp", "Tip"},
        .tipStartsWater = false,
        .pointerBandX = 0,
        .drawsPipes = false,
        .ownLevelEnd = true,
        .clearedTitle = {"", ""},
        .nextLevel = {"Versuche Level ", "Try Level "},
    },
};

}  // namespace

const ModeRow* FindModeRow(int mode) {
    for (const ModeRow& row : kModes) {
        if (row.mode == mode) return &row;
    }
    return nullptr;
}

const ModeRow& CurrentModeRow(const Game& game) {
    const ModeRow* row = FindModeRow(game.play.GameMode);
    return row != nullptr ? *row : *FindModeRow(kModePuzzle);
}
