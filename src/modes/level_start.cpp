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

void NewSingleLevel(Simulation& game, const LevelStartRequest& start, const ModeRow& row,
                    const LevelRecords& records) {
    Player& player = game.players[kSoloPlayer];
    if (start.level == 1 && start.lap == 1) {
        player.ShownScore = 0;
        player.Score = 0;
        player.TimeLeft = 500;
        game.level.LevelStartTime = 500;
        player.LevelStartScore = 0;
    }
    const FieldRules& field = FieldOfMode(start.mode);
    game.play.FieldCentreX = field.centreX;
    row.buildField(game, records);
    CannonState& c = player.cannon;
    c.CannonX = 350;
    c.CannonY = field.cannonY;
    c.CannonLoad = 8;
    c.CannonXf = 400.0;
}

bool StartLevel(Simulation& game, const Environment& env, int level, int mode, int lap,
                bool restartTune) {
    return StartLevel(game, env, NewLevelStart(level, mode, lap, restartTune));
}

bool StartLevel(Simulation& game, const Environment& env, const LevelStartRequest& start) {
    return StartPlayLevel(game, env, start, 1);
}

bool StartPlayLevel(Simulation& game, const Environment& env, const LevelStartRequest& start,
                    int players) {
    const bool resume = start.kind == LevelStartKind::kResume;
    const bool match = players == 2;
    LevelRecords records;
    const ModeRow* row = PrepareLevelStart(game, env, start, players, records);
    if (row == nullptr) return false;
    const FieldPlayers fp = PlayersOf(*row);

    if (!match) game.pipe.TapSoundsLeft = 3;
    if (start.kind == LevelStartKind::kLoaded) {
        // A saved slot's scores and time, or the match's scores, levels won and opponent.
        if (match) {
            for (int q = 1; q <= kMatchPlayers; ++q) {
                game.players[q].Score = start.matchScore[q];
                game.players[q].ShownScore = start.matchScore[q];
                game.match.LevelsWon[q] = start.levelsWon[q];
            }
            game.computer.Strength[1] = kNoComputer;
            game.computer.Strength[2] = start.opponent;
        } else {
            game.players[kSoloPlayer].Score = start.score;
            game.players[kSoloPlayer].ShownScore = start.score;
            game.players[kSoloPlayer].TimeLeft = start.time;
        }
    }
    EnterLevel(game, start, *row);
    if (match) {
        // The fire requests start empty: a press that ended the last level fires nothing here.
        for (Player& player : game.players) player.Fire = 0;
        game.input.MouseButtonDown2 = 0;
    }
    if (!resume) row->newLevel(game, start, *row, records);
    // The cannon is emptied below. A piece from the pipe game's column that waited on it would
    // burst unfired and be lost to a tight stock: it goes back into the column.
    if (resume && row->resumed != nullptr) row->resumed(game);

    ClearButtons(game);
    for (int i = 1; i <= kButtonSlots; ++i) game.buttons.ButtonState[i] = 0;
    SetPanelButtons(game, row->panel);
    for (int q = fp.first; q <= fp.last; ++q) {
        Player& player = game.players[q];
        CannonState& c = player.cannon;
        // Only the match's right field never steps by keys (but over the network, where its key
        // steps go on into the next level).
        if (q != 2) {
            c.KeyStepRight = 0;
            c.KeyStepLeft = 0;
        }
        c.NothingFlying = 1;
        c.NeedReload = 1;
        // A stone left waiting on the cannon is no longer its load: it bursts below the line.
        c.LoadedStone = 0;
        c.LoadStepFrames = 0;
        c.NextColour = game.rng.Range(1, kLastColour);
        player.GroupSize = 0;
        player.ShakeFrames = 0;
        if (!match) {
            game.level.LevelStartTime = player.TimeLeft;
            player.ShownScore = player.Score;
        }
        player.LevelStartScore = player.ShownScore;
    }
    game.shell.ScreenId = match ? kScreenMatch : kScreenGame;
    return true;
}
