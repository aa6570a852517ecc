#include "modes/level_start.h"

#include <string>

#include "core/buttons.h"
#include "core/game.h"
#include "core/mode_facts.h"
#include "core/paths.h"
#include "core/words.h"
#include "menus/transitions.h"
#include "modes/level_file.h"
#include "modes/mode_table.h"
#include "modes/pipe.h"
#include "platform/platform.h"
#include "playfield/extras.h"
#include "playfield/field_rules.h"
#include "playfield/tables.h"

void LevelCannotStart(Game& game, const std::string& what) {
    // A message box, not the bitmap font: its context spares it the font check.
    game.platform->ShowMessage(FillIn(
        TrC(game, "message box", "The level cannot be started: \"%s\" is missing or damaged."),
        {what}));
    const int screen = game.shell.ScreenId;
    const bool fromGame = screen == kScreenGame || screen == kScreenMatch;
    if (fromGame) game.shell.GameInProgress = 2;
    // From the game the menu tune comes back; from a menu it is already playing.
    ShowMainMenu(game, fromGame ? kRestartMusic : 0);
}

bool ReadLevelOfMode(Game& game, const ModeRow& row, int level, LevelRecords& records) {
    if (!HasLevelFiles(*row.facts)) return true;
    // A test of the editor's level plays it as it stands, not a level file.
    if (game.editor.Testing != 0) {
        for (int k = 0; k < kLevelRecords; ++k)
            records[k] = {game.editor.Cell[k], game.editor.Extra[k]};
        for (int k = 0; k < kFirstFieldCell; ++k) records[k] = {};
        if (LevelRecordsValid(records, row.facts->mode)) return true;
        LevelCannotStart(game, "the editor's level");
        return false;
    }
    const std::string path = ResolveGamePath(game, LevelFilePath(*row.facts, level));
    // A damaged file could hold codes that would become invisible, unclearable stones.
    if (LoadLevelRecords(path, records) && LevelRecordsValid(records, row.facts->mode) &&
        (row.recordsValid == nullptr || row.recordsValid(records)))
        return true;
    LevelCannotStart(game, path);
    return false;
}

void ClearForLevel(Game& game, int level, int mode, int lap) {
    PlayfieldState& p = game.play;
    game.players[kSoloPlayer].StonesLeft = 0;
    p.GameMode = mode;
    p.LevelNumber = level;
    p.LapNumber = lap;
    RemoveEffect(game, kRemoveAll);
    RemoveStone(game, kRemoveAll);
    RemoveExtra(game, kRemoveAll);
    RemoveFloatingText(game, kRemoveAll);
    game.players[kSoloPlayer].DoubleFrames = 0;
    game.players[kSoloPlayer].FlashFrames = 0;
}

void ResetLevelEnd(Game& game) {
    PlayfieldState& p = game.play;
    p.TimeUpTimer = 0;
    p.TimeUp = 0;
    p.LevelCleared = 0;
    p.ClearedTimer = 0;
    game.menus.NewHighscore = 0;
    p.EndlessOffset = 0;
    game.stones.StoneCursor = 0;
    game.effects.EffectCursor = 0;
    game.floatingTexts.TextCursor = 0;
}

namespace {

void SetUpPanelButtons(Game& game) {
    ClearButtons(game);
    for (int i = 1; i <= kButtonSlots; ++i) game.buttons.ButtonState[i] = 0;
    const int ys[4] = {396, 443, 490, 535};
    for (int i = 0; i < 4; ++i) SetButton(game, i + 1, 788, ys[i], 80, 25);
}

}  // namespace

bool TakeLoadedLevel(const Game& game, int& level, int& mode, int& lap) {
    if (level != kLoadedGame || mode != kLoadedGame) return false;
    const LevelState& lv = game.level;
    level = lv.LoadedLevel;
    mode = lv.LoadedMode;
    lap = lv.LoadedLap;
    return true;
}

bool StartLevel(Game& game, int level, int mode, int lap, int music) {
    PlayfieldState& p = game.play;
    LevelState& lv = game.level;
    CannonState& c = game.players[kSoloPlayer].cannon;
    const bool resume = level == kResumeGame && mode == kResumeGame;
    const bool loaded = TakeLoadedLevel(game, level, mode, lap);

    // A damaged saved game can name a mode that has no levels (or the match, which has a start
    // of its own): nothing to start.
    const ModeRow* row = resume ? nullptr : FindModeRow(mode);
    if (!resume && (row == nullptr || row->facts->players != 1)) {
        LevelCannotStart(game, "game mode " + std::to_string(mode));
        return false;
    }
    // Read the level before anything changes, so a missing file leaves the game as it was.
    LevelRecords records;
    if (row != nullptr && !ReadLevelOfMode(game, *row, level, records)) return false;

    game.pipe.TapSoundsLeft = 3;
    game.players[kSoloPlayer].ShakeFrames = 0;
    game.shell.GameInProgress = 1;
    p.PauseState = -1;
    game.input.PauseKeyFrames = 0;
    if (loaded) {
        game.players[kSoloPlayer].Score = lv.LoadedScore;
        game.players[kSoloPlayer].ShownScore = lv.LoadedScore;
        game.players[kSoloPlayer].TimeLeft = lv.LoadedTime;
    }
    if (!resume) ClearForLevel(game, level, mode, lap);
    if (music == kRestartMusic) {
        RequestTune(game, FactsOfMode(p.GameMode).tune);
    }
    game.floatingTexts.TextCursor = 0;
    game.input.MouseButtonDown = 0;
    game.input.FireKey = 0;

    if (!resume) {
        ResetLevelEnd(game);
        if (level == 1 && lap == 1) {
            game.players[kSoloPlayer].ShownScore = 0;
            game.players[kSoloPlayer].Score = 0;
            game.players[kSoloPlayer].TimeLeft = 500;
            lv.LevelStartTime = 500;
            game.players[kSoloPlayer].LevelStartScore = 0;
        }
        const FieldRules& field = FieldOfMode(mode);
        p.FieldCentreX = field.centreX;
        row->buildField(game, records);
        c.CannonX = 350;
        c.CannonY = field.cannonY;
        c.CannonLoad = 8;
        c.CannonXf = 400.0;
    }

    // The cannon is emptied below. A piece from the pipe game's column that waited on it would
    // burst unfired and be lost to a tight stock: it goes back into the column.
    if (resume && FieldOfMode(p.GameMode).reload == Reload::kPieceColumn) ReturnWaitingPiece(game);
    SetUpPanelButtons(game);
    c.KeyStepRight = 0;
    c.KeyStepLeft = 0;
    c.NothingFlying = 1;
    game.players[kSoloPlayer].GroupSize = 0;
    c.LoadedStone = 0;
    c.NeedReload = 1;
    c.LoadStepFrames = 0;
    c.NextColour = game.rng.Range(1, 9);
    lv.LevelStartTime = game.players[kSoloPlayer].TimeLeft;
    game.players[kSoloPlayer].ShownScore = game.players[kSoloPlayer].Score;
    game.players[kSoloPlayer].LevelStartScore = game.players[kSoloPlayer].ShownScore;
    game.shell.ScreenId = kScreenGame;
    return true;
}
