#include "modes/game_screen.h"

#include <cmath>
#include <string>

#include "core/buttons.h"
#include "core/environment.h"
#include "core/mathutil.h"
#include "core/mode_facts.h"
#include "core/net_match_tick.h"
#include "core/simulation.h"
#include "core/text_state.h"
#include "core/words.h"
#include "modes/computer_player.h"
#include "modes/level_start.h"
#include "modes/mode_table.h"
#include "playfield/cannon.h"
#include "playfield/extras.h"
#include "playfield/field_rules.h"
#include "playfield/tables.h"

namespace {

constexpr int kTimeUpStart = 200;

// Ticks per unit of time drained: 4 in the first lap, one less in each later lap, 1 from lap 4.
int DrainDivisor(int lap) {
    if (lap < 2) return 4;
    if (lap == 2) return 3;
    if (lap == 3) return 2;
    return 1;
}

void DrainTime(Simulation& game) {
    PlayfieldState& p = game.play;
    const ModeRow& row = CurrentModeRow(game);
    if (game.shell.FrameCounter % (row.drainEvery * DrainDivisor(p.LapNumber)) != 0) return;
    if (game.players[kSoloPlayer].TimeLeft > 0) {
        --game.players[kSoloPlayer].TimeLeft;
    } else if (row.emptyBarEndsGame) {
        p.TimeUp = 1;
        p.TimeUpTimer = kTimeUpStart;
    }
}

// The level-end and game-over messages, centred over the field (or where the mode says).
void DrawCentred(Simulation& game, int y, const std::string& text, int colour) {
    const int x = CurrentModeRow(game).messageX;
    DrawText(game, x != 0 ? x : game.play.FieldCentreX, y, kAlignCentre, text, colour);
}

void BonusLine(Simulation& game) {
    const int percent = game.players[kSoloPlayer].TimeLeft / 10;
    const std::string p = std::to_string(percent);
    const std::string b = std::to_string(percent * 10);
    DrawCentred(game, 270, FillIn(Tr(game, "Time remaining: %s Percent x 10 = %s Points"), {p, b}),
                2);
}

// The messages after a cleared field; the next level starts when the timer runs out.
void LevelEndSequence(Simulation& game, const Environment& env) {
    PlayfieldState& p = game.play;
    const int t = p.ClearedTimer;
    const int n = p.LevelNumber;
    const int bonus = (game.players[kSoloPlayer].TimeLeft / 10) * 10;
    const std::string next = std::to_string(n + 1);
    const ModeRow& row = CurrentModeRow(game);
    // A test of the editor's level ends with the level: back to the editor.
    if (game.editor.Testing != 0) {
        if (t < 300) DrawCentred(game, 240, Tr(game, row.clearedTitle), 1);
        if (t < 220) BonusLine(game);
        if (t == 0) EndEditorTest(game);
        return;
    }
    // A pack's laps turn after its own last level.
    const int last = PlaysPack(game) ? game.packGame.Levels : row.facts->lastLevel;
    if (last > 0 && n >= last) {
        if (t < 300) {
            DrawCentred(game, 240, Tr(game, "Last Puzzle cleared!"), 1);
        }
        if (t < 240) BonusLine(game);
        if (t == 240) game.players[kSoloPlayer].Score += bonus;
        if (t < 180) {
            DrawCentred(game, 330, TrC(game, "puzzle", "Game starts again at Level 1"), 2);
        }
        if (t < 120) {
            DrawCentred(game, 370, Tr(game, "Time moves faster now."), 2);
        }
        if (t == 0) StartLevel(game, env, 1, row.facts->mode, p.LapNumber + 1, 0);
        return;
    }
    if (t < 300) DrawCentred(game, 240, Tr(game, row.clearedTitle), 1);
    if (t < 220) BonusLine(game);
    if (t == 220) game.players[kSoloPlayer].Score += bonus;
    if (t < 120) DrawCentred(game, 330, Tr(game, row.nextLevel) + next, 2);
    if (t == 0) StartLevel(game, env, n + 1, p.GameMode, p.LapNumber, 0);
}

// The messages after the time ran out; fire leads to the highscore check.
void GameOverSequence(Simulation& game) {
    const PlayfieldState& p = game.play;
    const int t = p.TimeUpTimer;
    const std::string s = std::to_string(game.players[kSoloPlayer].ShownScore);
    if (t < 300) DrawCentred(game, 240, Tr(game, CurrentModeRow(game).gameOverTitle), 1);
    if (t < 220) {
        DrawCentred(game, 270, FillIn(Tr(game, "Game finished with %s Points"), {s}), 2);
    }
    if (t < 100) {
        DrawCentred(game, 330, Tr(game, "Please press fire for"), 2);
        DrawCentred(game, 350, Tr(game, "menue"), 2);
    }
    if (t < 70 && (game.input.MouseButtonDown == 1 || game.input.FireKey == 1)) {
        GameOver(game, game.players[kSoloPlayer].ShownScore);
    }
}

void DrawLevelLabel(Simulation& game) {
    const PlayfieldState& p = game.play;
    // A test of the editor's level plays it as level 1; the label names its place in its pack.
    const bool tested = game.editor.Testing != 0 && game.editor.SavedLevel > 0;
    const int number = tested ? game.editor.SavedLevel : p.LevelNumber;
    const std::string n = std::to_string(number);
    if (CurrentModeRow(game).labelsSets) {
        DrawText(game, 728, 26, kAlignCentre, FillIn(TrC(game, "side panel", "Set %s"), {n}), 5);
    } else if (number >= 10) {
        DrawText(game, 773, 26, kAlignRight, FillIn(TrC(game, "side panel", "Lev. %s"), {n}), 5);
    } else {
        DrawText(game, 776, 26, kAlignRight, FillIn(TrC(game, "side panel", "Level %s"), {n}), 5);
    }
}

void DrawPanelLabels(Simulation& game, int align) {
    const bool paused = game.play.PauseState != -1;
    const std::string labels[5] = {
        "",
        Tr(game, CurrentModeRow(game).tipButton),
        paused ? TrC(game, "side panel", "Play") : TrC(game, "side panel", "Stop"),
        Tr(game, "End"),
        game.shell.MusicOn == 1 ? "{" : "}",
    };
    const ButtonTable& b = game.buttons;
    for (int i = kButtonTip; i <= kButtonMusic; ++i) {
        DrawText(game, b.ButtonX[i], b.ButtonY[i], align, labels[i], b.ButtonState[i] != 0 ? 4 : 2);
    }
}

void ToggleMusic(Simulation& game) {
    ShellState& sh = game.shell;
    if (sh.MusicOn == -1) {
        sh.MusicOn = 1;
        sh.SoundOn = 1;
        sh.MusicVolumeTarget = sh.MusicVolumeSetting;
    } else {
        sh.MusicOn = -1;
        sh.SoundOn = 0;
        sh.MusicVolumeTarget = 0;
    }
}

void ShowHint(Simulation& game, const FieldRules& r) {
    const StoneTable& st = game.stones;
    for (int s = 1; s <= r.scanLast; ++s) {
        const int extra = st.StoneExtra[s];
        if (st.StoneState[s] <= 0 || extra < kExtraClock || extra > r.maxSparklingExtra) continue;
        for (int i = 0; i < 5; ++i) {
            AddEffect(game, st.StoneX[s], st.StoneY[s], kEffectSparkle, game.rng.Range(1, 7));
        }
    }
}

}  // namespace

void SidePanelTurn(Simulation& game, int align, const FieldRules& hintRules, bool tipStartsWater) {
    PlayfieldState& p = game.play;
    if (game.input.KeyEscape == 1 || game.buttons.MenuSelection == kButtonEnd) {
        game.input.KeyEscape = 0;
        // The panel is not the next screen's: nothing of it is drawn or pressed in this last tick.
        if (game.editor.Testing != 0) {
            EndEditorTest(game);
            return;
        }
        game.shell.GameInProgress = 2;
        RequestMainMenu(game, true);
        return;
    }
    DrawPanelLabels(game, align);
    const int selected = game.buttons.MenuSelection;
    if (selected == kButtonMusic) ToggleMusic(game);
    if (selected == kButtonPause) p.PauseState = -p.PauseState;
    if (selected != kButtonTip) return;
    if (!tipStartsWater) {
        ShowHint(game, hintRules);
    } else if (p.PauseState == -1) {
        game.players[kSoloPlayer].TimeLeft = 0;
    }
}

namespace {

int FieldCentre(const Simulation& game, int player) {
    return player == kSoloPlayer ? game.play.FieldCentreX : game.match.MatchCentreX[player];
}

void DrawPause(Simulation& game, const ModeRow& row, FieldPlayers players) {
    const double f = game.shell.FrameCounter;
    const ModeRow::Drift& d = row.pause;
    const int y = RoundHalfEven(d.yCentre + d.yAmplitude * std::sin(f / d.yPeriod));
    const double dx = d.xAmplitude * std::cos(f / d.xPeriod);
    for (int q = players.first; q <= players.last; ++q) {
        // The match's right field mirrors the left one's drift.
        const double x = q == 2 ? FieldCentre(game, q) - dx : FieldCentre(game, q) + dx;
        DrawText(game, RoundHalfEven(x), y, kAlignCentre, Tr(game, "Pause"), 1);
    }
}

void RollUpScores(Simulation& game, FieldPlayers players) {
    for (int q = players.first; q <= players.last; ++q) {
        Player& player = game.players[q];
        if (player.Score > player.ShownScore) player.ShownScore += 10;
        if (player.Score > player.ShownScore + 1000) player.ShownScore += 500;
    }
}

void DrawScores(Simulation& game, const ModeRow& row) {
    if (row.drawScores != nullptr) {
        row.drawScores(game);
        return;
    }
    DrawLevelLabel(game);
    DrawText(game, 778, 78, kAlignRight, std::to_string(game.players[kSoloPlayer].ShownScore), 2);
}

// The level-end or game-over sequence under way, one tick of it.
void EndSequences(Simulation& game, const Environment& env, const ModeRow& row) {
    PlayfieldState& p = game.play;
    if (p.LevelCleared == 1) {
        if (p.ClearedTimer > 0) --p.ClearedTimer;
        if (row.levelEnd != nullptr)
            row.levelEnd(game, env);
        else
            LevelEndSequence(game, env);
    }
    if (p.TimeUp == 1) {
        if (p.TimeUpTimer > 0) --p.TimeUpTimer;
        GameOverSequence(game);
    }
}

// The turns of every player of the mode: their X2 and flash counted down, their commands (the
// computer's, or both players' from the network) and their cannons, then the time bars.
void PlayersTurns(Simulation& game, const ModeRow& row, FieldPlayers players,
                  const NetMatchTick* net) {
    for (int q = players.first; q <= players.last; ++q) {
        if (game.players[q].DoubleFrames > 0) --game.players[q].DoubleFrames;
        if (game.players[q].FlashFrames > 0) --game.players[q].FlashFrames;
    }
    GivenCommands given{};
    PlayerCommand made[kMatchPlayers + 1];
    for (int q = players.first; q <= players.last && q != kSoloPlayer; ++q) {
        if (net != nullptr) {
            // Over the network each player aims with keys or pointer anywhere, as against the
            // computer.
            const NetMatchTick::Side& s = net->side[q];
            made[q].pointerAims = s.pointerAims;
            made[q].pointerX = s.pointerX;
            made[q].pointerY = s.pointerY;
            made[q].keyLeft = s.keyLeft;
            made[q].keyRight = s.keyRight;
            made[q].fire = s.fire;
            given[q] = &made[q];
            continue;
        }
        // The computer decides from the field as the last tick left it, as a person sees it.
        if (game.computer.Strength[q] == kNoComputer) continue;
        made[q] = ComputerCommand(game, q);
        given[q] = &made[q];
    }
    PlayersCannonStep(game, players.first, players.last, given, net != nullptr);
    if (row.drain != nullptr)
        row.drain(game);
    else
        DrainTime(game);
}

}  // namespace

void PlayScreen(Simulation& game, const Environment& env, const NetMatchTick* net) {
    PlayfieldState& p = game.play;
    const ModeRow& row = CurrentModeRow(game);
    UpdateButtons(game);
    if (net != nullptr) game.buttons.MenuSelection = net->button;
    if (row.drawPanel != nullptr) row.drawPanel(game);
    if (game.input.PauseKeyFrames == 1) p.PauseState = -p.PauseState;
    if (p.PauseState == -1)
        PlayStep(game, env, net);
    else
        DrawPause(game, row, PlayersOf(row));
    if (p.LevelCleared != 0 || p.TimeUp != 0) return;
    const FieldRules hintRules =
        row.facts->players == 2
            ? MatchFieldRules(game.match.MatchCentreX[1], 1, game.stones.StoneCount)
            : SinglePlayerRules(game);
    SidePanelTurn(game, row.panelAlign, hintRules, row.tipStartsWater);
}

void PlayStep(Simulation& game, const Environment& env, const NetMatchTick* net) {
    PlayfieldState& p = game.play;
    const ModeRow& row = CurrentModeRow(game);
    const FieldPlayers players = PlayersOf(row);
    StepEffectsAndTexts(game);
    if (row.endsBeforeTurns) {
        RollUpScores(game, players);
        DrawScores(game, row);
        EndSequences(game, env, row);
    }
    if (p.LevelCleared == 0 && p.TimeUp == 0) PlayersTurns(game, row, players, net);
    if (row.waterFlow != nullptr) row.waterFlow(game);
    if (!row.endsBeforeTurns) {
        EndSequences(game, env, row);
        RollUpScores(game, players);
        DrawScores(game, row);
    }
}

void GameScreen(Simulation& game, const Environment& env) {
    PlayScreen(game, env, nullptr);
}

void GameStep(Simulation& game, const Environment& env) {
    PlayStep(game, env, nullptr);
}

void StepEffectsAndTexts(Simulation& game) {
    game.effects.EffectCursor = 0;
    game.extras.ExtraCursor = 0;
    game.stones.StoneCursor = 0;
    game.floatingTexts.TextCursor = 0;
    EffectStep(game);
    FloatingTextStep(game);
}

void GameOver(Simulation& game, int score) {
    RemoveStone(game, kRemoveAll);
    RemoveExtra(game, kRemoveAll);
    if (game.editor.Testing != 0) {
        EndEditorTest(game);
        return;
    }
    RequestHighscoreCheck(game, score);
}

void EndEditorTest(Simulation& game) {
    game.editor.Testing = 0;
    game.shell.GameInProgress = 1;
    RemoveStone(game, kRemoveAll);
    RemoveExtra(game, kRemoveAll);
    RequestScreen(game, ScreenChange::kEditor);
}
