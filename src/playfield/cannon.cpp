#include "playfield/cannon.h"

#include "core/simulation.h"
#include "core/sound_state.h"
#include "playfield/extras.h"
#include "playfield/field_rules.h"
#include "playfield/stone_step.h"

namespace {

constexpr int kEndlessSlideStep = 10;
constexpr int kEndlessSlideEnd = -60;
constexpr int kEndlessHoldY = 300;  // the set stops sliding while a stone lies below this

void AimAndKeys(const FieldRules& r, CannonState& c, PlayerCommand& cmd) {
    const int m = r.centreX;
    // Integer division truncates, so the snap goes towards the centre column.
    if (cmd.pointerAims && cmd.pointerX >= r.pointerAimMinX)
        c.CannonTargetX = (cmd.pointerX - m) / r.spacing * r.spacing + m;
    if (c.KeyStepLeft > 0) --c.KeyStepLeft;
    if (c.KeyStepRight > 0) --c.KeyStepRight;
    // A held key moves the target one column every few steps.
    if (cmd.keyRight && c.CannonTargetX < m + r.keyReach && c.KeyStepRight == 0) {
        c.CannonTargetX += r.spacing;
        c.KeyStepRight = r.keyRepeatSteps;
        cmd.pointerX = c.CannonTargetX;
        cmd.pointerMoved = true;
    }
    if (cmd.keyLeft && c.CannonTargetX > m - r.keyReach && c.KeyStepLeft == 0) {
        c.CannonTargetX -= r.spacing;
        c.KeyStepLeft = r.keyRepeatSteps;
        cmd.pointerX = c.CannonTargetX;
        cmd.pointerMoved = true;
    }
}

void MoveAimMarker(const FieldRules& r, CannonState& c, const PlayerCommand& cmd) {
    if (r.aimEaseDivisor == 0) {
        c.AimY = cmd.pointerY;
    } else {
        // Creeps towards the target and stops a few pixels short of it.
        if (c.AimTargetY > c.AimY) c.AimY += (c.AimTargetY - c.AimY) / r.aimEaseDivisor;
        if (c.AimTargetY < c.AimY) c.AimY += (c.AimTargetY - c.AimY) / r.aimEaseDivisor;
    }
    if (c.AimY > kAimLowestY) c.AimY = kAimLowestY;
    c.CannonMinX = r.centreX - r.cannonReachLeft;
    c.CannonMaxX = r.centreX + r.cannonReachRight;
    c.AimX = c.CannonTargetX;
    if (r.aimClamped) {
        if (c.AimX < c.CannonMinX) c.AimX = c.CannonMinX;
        if (c.AimX > c.CannonMaxX) c.AimX = c.CannonMaxX;
    }
}

// The pipe game's piece column at the left of the field, rows 70 px high from y 22: the pointer
// over it chooses a row, a press puts one piece of that row's kind on the cannon. Row 6 and the
// band below it offer fillers (kind 8), anything lower the level's obstacles (kind 9).
constexpr int kColumnTop = 22;
constexpr int kColumnRowHeight = 70;
constexpr int kColumnSoundX = 40;

void ReloadFromPieceColumn(Simulation& game, const FieldRules& r, CannonState& c,
                           const PlayerCommand& cmd) {
    if (cmd.pointerX >= kPipeColumnRightX) return;
    PipeState& p = game.pipe;
    p.PipeChoice = (cmd.pointerY - kColumnTop) / kColumnRowHeight;
    if (p.PipeChoice != p.PipeChoicePrev) RequestSound(game, sndTast2, kColumnSoundX);
    p.PipeChoicePrev = p.PipeChoice;
    if (!cmd.pointerDown) return;
    int kind = p.PipeChoice + 1;
    if (kind == kPipeBarrel) kind = kPipeFiller;
    // A pointer beyond the picture would name the barrel or anchor entries, never handed out.
    if (kind < kPipeFalling || kind > kPipeObstacle || p.PipeStock[kind] <= 0) return;
    --p.PipeStock[kind];
    c.NeedReload = 0;
    c.LoadedStone = AddStone(game, c.CannonX, r.waitingStoneY, kind, 0);
    RequestSound(game, sndTast1, kColumnSoundX);
}

void ReloadCannon(Simulation& game, FieldRules& r, CannonState& c, PlayerCommand& cmd) {
    c.LoadStepFrames = kLoadStepFrames;
    if (game.shell.FrameCounter % kLoadStepFrames == 0 && c.CannonLoad < kFullLoad) ++c.CannonLoad;
    if (c.CannonLoad != kFullLoad || c.NeedReload != 1) return;
    if (r.reload == Reload::kPieceColumn) {
        ReloadFromPieceColumn(game, r, c, cmd);
    } else {
        ReloadFromColourCycle(game, r, c, game.play.LevelNumber);
    }
    // A crowded table hands out a slot above the scan bound, where no rule would ever move the
    // stone and the cannon would fire nothing for the rest of the level: widen the bound instead.
    if (r.growsScanBound && IsStoneSlot(c.LoadedStone) && c.LoadedStone > r.scanLast) {
        game.stones.StoneCount = c.LoadedStone;
        r.scanLast = c.LoadedStone;
    }
}

void Fire(Simulation& game, const FieldRules& r, CannonState& c, PlayerCommand& cmd) {
    const StoneTable& t = game.stones;
    c.NothingFlying = 1;
    for (int s = 1; s <= r.scanLast; ++s) {
        if (t.StoneState[s] > 0 && t.StoneMotion[s] == 1 && OwnsX(r, t.StoneX[s]))
            c.NothingFlying = 0;
    }
    if (c.NothingFlying != 1 || !InFireWindow(r, cmd.pointerX)) return;
    if (cmd.fire && c.NeedReload == 0) {
        LaunchLoaded(game, c);
        cmd.fire = false;
        cmd.fireTaken = true;
    }
}

void CountAndSlide(Simulation& game, const FieldRules& r, const Turn& turn) {
    StoneTable& t = game.stones;
    PlayfieldState& p = game.play;
    const int loaded = turn.me.cannon.LoadedStone;
    int left = 0;
    bool moving = false;
    bool low = false;
    for (int s = 1; s <= r.scanLast; ++s) {
        if (t.StoneState[s] <= 0 || s == loaded || !OwnsX(r, t.StoneX[s])) continue;
        if (t.StoneColour[s] < 1 || t.StoneColour[s] > kLastColour) continue;
        ++left;
        if (t.StoneMotion[s] > 0) moving = true;
        if (t.StoneY[s] > kEndlessHoldY) low = true;
    }
    turn.me.StonesLeft = left;
    if (r.slides && !low && !moving && p.EndlessOffset < kEndlessSlideEnd) {
        for (int s = 1; s <= r.scanLast; ++s) {
            if (t.StoneState[s] > 0 && s != loaded) t.StoneY[s] += kEndlessSlideStep;
        }
        p.EndlessOffset += kEndlessSlideStep;
    }
    if (left == 0) {
        p.LevelCleared = 1;
        p.ClearedTimer = 300;
    }
}

}  // namespace

void CannonStepFor(Simulation& game, FieldRules r, int player, PlayerCommand& command) {
    const Turn turn = TurnOf(game, player, &command);
    CannonState& c = turn.me.cannon;
    AimAndKeys(r, c, command);
    MoveAimMarker(r, c, command);
    EaseCannon(c);
    // The loaded stone can be taken by a group it drifted into on its way up; the cannon would
    // wait for its landing for ever, so it loads anew instead.
    if (c.NeedReload == 0 && IsStoneSlot(c.LoadedStone) &&
        game.stones.StoneState[c.LoadedStone] <= 0)
        c.NeedReload = 1;
    ReloadCannon(game, r, c, command);
    Fire(game, r, c, command);
    // The waiting stone rides on the cannon.
    if (IsStoneSlot(c.LoadedStone) && game.stones.StoneMotion[c.LoadedStone] == 0 &&
        game.stones.StoneY[c.LoadedStone] == r.waitingStoneY) {
        game.stones.StoneX[c.LoadedStone] = c.CannonX;
    }
    ExtrasStepFor(game, r, turn);
    StoneStepFor(game, r, turn);
    CountAndSlide(game, r, turn);
}

void PlayersCannonStep(Simulation& game, int first, int last, const GivenCommands& given,
                       bool overNetwork) {
    for (int p = first; p <= last; ++p) {
        if (game.players[p].ShakeFrames > 0) --game.players[p].ShakeFrames;
    }
    for (int p = first; p <= last; ++p) {
        // A level that player 1 has just ended gives player 2 no turn.
        if (game.play.LevelCleared != 0 || game.play.TimeUp != 0) return;
        const bool solo = p == kSoloPlayer;
        PlayerCommand command = given[p] != nullptr ? *given[p]
                                : solo              ? SinglePlayerCommand(game)
                                                    : MatchPlayerCommand(game, p);
        const FieldRules rules =
            solo ? SinglePlayerRules(game) : MatchRulesOf(game, p, overNetwork);
        if (given[p] != nullptr) game.players[p].Fire = command.fire ? 1 : 0;
        CannonStepFor(game, rules, p, command);
        if (given[p] != nullptr) {
            if (command.fireTaken) game.players[p].Fire = 0;
        } else if (solo) {
            ApplySinglePlayerCommand(game, command);
        } else {
            ApplyMatchCommand(game, p, command);
        }
    }
}

void CannonStep(Simulation& game) {
    PlayersCannonStep(game, kSoloPlayer, kSoloPlayer, {}, false);
}

void MatchCannonStep(Simulation& game, const GivenCommands& given, bool overNetwork) {
    PlayersCannonStep(game, 1, kMatchPlayers, given, overNetwork);
}
