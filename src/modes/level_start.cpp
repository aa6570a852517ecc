#include "modes/level_start.h"

#include <string>

#include "core/buttons.h"
#include "core/environment.h"
#include "core/level_source.h"
#include "core/mode_facts.h"
#include "core/paths.h"
#include "core/simulation.h"
#include "core/words.h"
#include "modes/level_file.h"
#include "modes/mode_table.h"
#include "modes/pipe.h"
#include "playfield/extras.h"
#include "playfield/field_rules.h"
#include "playfield/tables.h"

void LevelCannotStart(Simulation& game, const std::string& what) {
    // A message box, not the bitmap font: its context spares it the font check.
    game.requests.message = FillIn(
        TrC(game, "message box", "The level cannot be started: \"%s\" is missing or damaged."),
        {what});
    const int screen = game.shell.ScreenId;
    const bool fromGame = screen == kScreenGame || screen == kScreenMatch;
    if (fromGame) game.shell.GameInProgress = 2;
    // From the game the menu tune comes back; from a menu it is already playing.
    RequestMainMenu(game, fromGame);
}

bool ReadLevelOfMode(Simulation& game, const Environment& env, const ModeRow& row, int level,
                     LevelRecords& records) {
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
    // A pack's levels are its file's, in the player's levels folder.
    const std::string path = game.packGame.File.empty() || row.facts->mode != kModePuzzle
                                 ? ResolveResPath(env.resDir, LevelFilePath(*row.facts, level))
                                 : PackLevelPath(env.levelsDir + "/" + game.packGame.File, level);
    // A damaged file could hold codes that would become invisible, unclearable stones.
    if (LoadLevelRecords(*env.levels, path, records) &&
        LevelRecordsValid(records, row.facts->mode) &&
        (row.recordsValid == nullptr || row.recordsValid(records)))
        return true;
    LevelCannotStart(game, path);
    return false;
}

void ClearForLevel(Simulation& game, int level, int mode, int lap) {
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

const ModeRow* PrepareLevelStart(Simulation& game, const Environment& env,
                                 const LevelStartRequest& start, int players,
                                 LevelRecords& records) {
    const bool resume = start.kind == LevelStartKind::kResume;
    const int mode = resume ? game.play.GameMode : start.mode;
    // A damaged saved game can name a mode that has no levels, or one of the other kind of game.
    const ModeRow* row = FindModeRow(mode);
    if (row == nullptr || row->facts->players != players) {
        LevelCannotStart(game, "game mode " + std::to_string(mode));
        return nullptr;
    }
    // Read the level before anything changes, so a missing file leaves the game as it was.
    if (!resume && !ReadLevelOfMode(game, env, *row, start.level, records)) return nullptr;
    return row;
}

void EnterLevel(Simulation& game, const LevelStartRequest& start, const ModeRow& row) {
    const bool resume = start.kind == LevelStartKind::kResume;
    game.shell.GameInProgress = 1;
    game.play.PauseState = -1;
    game.input.PauseKeyFrames = 0;
    if (!resume) ClearForLevel(game, start.level, start.mode, start.lap);
    if (start.restartTune != 0) RequestTune(game, row.facts->tune);
    game.floatingTexts.TextCursor = 0;
    game.input.MouseButtonDown = 0;
    game.input.FireKey = 0;
    if (!resume) ResetLevelEnd(game);
}

void ResetLevelEnd(Simulation& game) {
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

void SetUpPanelButtons(Simulation& game) {
    ClearButtons(game);
    for (int i = 1; i <= kButtonSlots; ++i) game.buttons.ButtonState[i] = 0;
    const int ys[4] = {396, 443, 490, 535};
    for (int i = 0; i < 4; ++i) SetButton(game, i + 1, 788, ys[i], 80, 25);
}

}  // namespace

bool StartLevel(Simulation& game, const Environment& env, int level, int mode, int lap,
                bool restartTune) {
    return StartLevel(game, env, NewLevelStart(level, mode, lap, restartTune));
}

bool StartLevel(Simulation& game, const Environment& env, const LevelStartRequest& start) {
    PlayfieldState& p = game.play;
    LevelState& lv = game.level;
    CannonState& c = game.players[kSoloPlayer].cannon;
    const bool resume = start.kind == LevelStartKind::kResume;
    const int level = start.level, mode = start.mode, lap = start.lap;
    LevelRecords records;
    const ModeRow* row = PrepareLevelStart(game, env, start, 1, records);
    if (row == nullptr) return false;

    game.pipe.TapSoundsLeft = 3;
    game.players[kSoloPlayer].ShakeFrames = 0;
    if (start.kind == LevelStartKind::kLoaded) {
        game.players[kSoloPlayer].Score = start.score;
        game.players[kSoloPlayer].ShownScore = start.score;
        game.players[kSoloPlayer].TimeLeft = start.time;
    }
    EnterLevel(game, start, *row);
    if (!resume) {
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
