#include "modes/match.h"

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
#include "modes/game_screen.h"
#include "modes/level_file.h"
#include "modes/level_start.h"
#include "modes/mode_table.h"
#include "playfield/cannon.h"
#include "playfield/extras.h"
#include "playfield/field_rules.h"
#include "playfield/tables.h"

namespace {

constexpr int kCentreX[kMatchPlayers + 1] = {0, 180, 620};
constexpr int kCannonStartX[kMatchPlayers + 1] = {0, 200, 600};
constexpr int kMatchCannonY = 528;
constexpr int kLevelStartTime = 500;
constexpr int kLevelEndTicks = 300;
constexpr int kWinPoints = 2000;
constexpr int kWinPointsAt = 200;
constexpr int kDecidingLead = 3;

const ModeRow& MatchRow() {
    return *FindModeRow(kModeMatch);
}

int Other(int player) {
    return player == 1 ? 2 : 1;
}

void ResetPlayers(Simulation& game) {
    MatchState& m = game.match;
    for (int p = 1; p <= kMatchPlayers; ++p) {
        game.players[p].Score = 0;
        game.players[p].ShownScore = 0;
        game.players[p].TimeLeft = kLevelStartTime;
        m.LevelsWon[p] = 0;
    }
}

// A fresh level: both fields built, both cannons back at their start.
void BuildLevel(Simulation& game, const ModeRow& row, const LevelRecords& records) {
    MatchState& m = game.match;
    for (int p = 1; p <= kMatchPlayers; ++p) {
        m.MatchCentreX[p] = kCentreX[p];
        game.players[p].cannon.CannonTargetX = kCentreX[p];
        game.players[p].TimeLeft = kLevelStartTime;
    }
    row.buildField(game, records);
    for (int p = 1; p <= kMatchPlayers; ++p) {
        CannonState& c = game.players[p].cannon;
        c.CannonX = kCannonStartX[p];
        c.CannonXf = kCannonStartX[p];
        c.CannonY = kMatchCannonY;
        c.CannonLoad = kFullLoad;
        c.NextColour = game.rng.Range(1, kLastColour);
        game.players[p].DoubleFrames = 0;
        game.players[p].FlashFrames = 0;
    }
    m.LevelWinCounted = 0;
}

// The same text on both sides, at each field's centre.
void BothSides(Simulation& game, int y, const std::string& text, int colour) {
    for (int p = 1; p <= kMatchPlayers; ++p)
        DrawText(game, game.match.MatchCentreX[p], y, kAlignCentre, text, colour);
}

bool FirePressed(const Simulation& game) {
    const InputState& in = game.input;
    return in.FireKey == 1 || in.MouseButtonDown == 1 || in.MouseButtonDown2 == 1;
}

void NextLevel(Simulation& game, const Environment& env) {
    const PlayfieldState& p = game.play;
    if (p.LevelNumber >= MatchRow().facts->lastLevel)
        StartMatchLevel(game, env, 1, p.LapNumber + 1, false, false);
    else
        StartMatchLevel(game, env, p.LevelNumber + 1, p.LapNumber, false, false);
}

void NobodyWins(Simulation& game, const Environment& env) {
    const int t = game.play.ClearedTimer;
    BothSides(game, 200, Tr(game, "Time out"), 1);
    if (t < 200) {
        BothSides(game, 250, Tr(game, "Nobody wins."), 2);
        BothSides(game, 300, Tr(game, "Start new Level"), 2);
    }
    if (t < 100) {
        BothSides(game, 400, Tr(game, "Please press fire."), 2);
        if (FirePressed(game)) NextLevel(game, env);
    }
}

void SomebodyWins(Simulation& game, const Environment& env, int winner) {
    MatchState& m = game.match;
    const PlayfieldState& p = game.play;
    const int t = p.ClearedTimer;
    const int w = m.MatchCentreX[winner];
    const int l = m.MatchCentreX[Other(winner)];
    auto both = [&](int y, const std::string& text) {
        DrawText(game, w, y, kAlignCentre, text, 2);
        DrawText(game, l, y, kAlignCentre, text, 2);
    };
    DrawText(game, w, 200, kAlignCentre, Tr(game, "You win!"), 1);
    DrawText(game, l, 200, kAlignCentre, Tr(game, "You loose..."), 1);
    if (t < 200) DrawText(game, w, 270, kAlignCentre, Tr(game, "2000 extra points"), 2);
    if (t == kWinPointsAt) game.players[winner].Score += kWinPoints;
    if (MatchDecided(m)) {
        if (t < 100) {
            DrawText(game, w, 340, kAlignCentre, Tr(game, "You win the match!"), 1);
            DrawText(game, l, 340, kAlignCentre, Tr(game, "You loose the match!"), 1);
        }
        if (t == 0) {
            both(400, Tr(game, "Please press fire."));
            if (FirePressed(game)) GameOver(game, MatchFinalScore(game, winner));
        }
        return;
    }
    if (p.LevelNumber >= MatchRow().facts->lastLevel) {
        if (t < 100) {
            both(340, Tr(game, "Continue with Level 1"));
            both(380, Tr(game, "Times goes faster!"));
        }
    } else if (t < 100) {
        both(340, Tr(game, MatchRow().nextLevel) + std::to_string(p.LevelNumber + 1));
    }
    if (t == 0) NextLevel(game, env);
}

}  // namespace

void MatchLevelEnd(Simulation& game, const Environment& env) {
    MatchState& m = game.match;
    const int winner = MatchLevelWinner(game);
    if (winner != 0 && m.LevelWinCounted == 0) {
        ++m.LevelsWon[winner];
        m.LevelWinCounted = 1;
    }
    DrawText(game, m.MatchCentreX[1], 170, kAlignCentre, Tr(game, "Player 1"), 3);
    // Against the computer the right field's name says who plays it.
    const bool computer = game.computer.Strength[2] != kNoComputer;
    DrawText(game, m.MatchCentreX[2], 170, kAlignCentre,
             computer ? Tr(game, "Computer") : Tr(game, "Player 2"), 3);
    if (winner == 0)
        NobodyWins(game, env);
    else
        SomebodyWins(game, env, winner);
}

void DrainMatchTimes(Simulation& game) {
    PlayfieldState& p = game.play;
    if (game.shell.FrameCounter % MatchDrainDivisor(p.LapNumber) == 0) {
        for (int q = 1; q <= kMatchPlayers; ++q) {
            if (game.players[q].TimeLeft > 0) --game.players[q].TimeLeft;
        }
    }
    if (game.players[1].TimeLeft < 1 || game.players[2].TimeLeft < 1) {
        p.LevelCleared = 1;
        p.ClearedTimer = kLevelEndTicks;
    }
}

void DrawMatchPanel(Simulation& game) {
    const MatchState& m = game.match;
    DrawText(game, 400, 7, kAlignCentre,
             FillIn(TrC(game, "side panel", "Level %s"), {std::to_string(game.play.LevelNumber)}),
             5);
    DrawText(game, 294, 46, kAlignCentre, std::to_string(m.LevelsWon[1]), 2);
    DrawText(game, 510, 46, kAlignCentre, std::to_string(m.LevelsWon[2]), 2);
}

void DrawMatchScores(Simulation& game) {
    const MatchState& m = game.match;
    DrawText(game, m.MatchCentreX[1] - 10, 56, kAlignCentre,
             std::to_string(game.players[1].ShownScore), 2);
    DrawText(game, m.MatchCentreX[2] + 10, 56, kAlignCentre,
             std::to_string(game.players[2].ShownScore), 2);
}

int MatchDrainDivisor(int lap) {
    return lap <= 1 ? 5 : lap >= 5 ? 1 : 6 - lap;
}

int MatchLevelWinner(const Simulation& game) {
    // Who cleared the field decides first; a player to end it ends it in that player's turn,
    // so only one field can be empty.
    for (int p = 1; p <= kMatchPlayers; ++p) {
        if (game.players[p].StonesLeft == 0) return p;
    }
    for (int p = 1; p <= kMatchPlayers; ++p) {
        if (game.players[p].TimeLeft > 0 && game.players[Other(p)].TimeLeft < 1) return p;
    }
    return 0;
}

int MatchFinalScore(const Simulation& game, int winner) {
    // The table is the people's: against the computer it takes the person's score, won or lost.
    if (game.computer.Strength[2] != kNoComputer && game.computer.Strength[1] == kNoComputer)
        return game.players[1].ShownScore;
    return game.players[winner].ShownScore;
}

bool MatchDecided(const MatchState& m) {
    const int lead = m.LevelsWon[1] - m.LevelsWon[2];
    return lead >= kDecidingLead || -lead >= kDecidingLead;
}

bool StartMatchLevel(Simulation& game, const Environment& env, int level, int lap, bool restartTune,
                     bool newMatch) {
    LevelStartRequest start = NewLevelStart(level, kModeMatch, lap, restartTune);
    start.newMatch = newMatch ? 1 : 0;
    return StartMatchLevel(game, env, start);
}

bool StartMatchLevel(Simulation& game, const Environment& env, const LevelStartRequest& start) {
    return StartPlayLevel(game, env, start, 2);
}

void NewMatchLevel(Simulation& game, const LevelStartRequest& start, const ModeRow& row,
                   const LevelRecords& records) {
    if (start.newMatch == 1 || (start.level == 1 && start.lap == 1)) ResetPlayers(game);
    BuildLevel(game, row, records);
    ResetComputerMinds(game);
}

void MatchStep(Simulation& game, const Environment& env, const NetMatchTick* net) {
    PlayStep(game, env, net);
}

void MatchScreen(Simulation& game, const Environment& env, const NetMatchTick* net) {
    PlayScreen(game, env, net);
}
