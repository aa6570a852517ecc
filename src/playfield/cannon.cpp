#include "playfield/cannon.h"

#include "playfield/extras.h"
#include "playfield/field_rules.h"
#include "playfield/stone_step.h"
#include "shell/game.h"

namespace {

// Cursor keys move the target one column every few steps.
constexpr int kKeyRepeatSteps = 4;
constexpr int kEndlessSlideStep = 10;
constexpr int kEndlessSlideEnd = -60;
constexpr int kEndlessHoldY = 300;  // the set stops sliding while a stone lies below this

void SnapAndKeys(Game& game, CannonState& c) {
    const int m = game.play.FieldCentreX;
    InputState& in = game.input;
    // Integer division truncates, so the snap goes towards the centre column.
    c.CannonTargetX = (in.MouseX - m) / kSingleSpacing * kSingleSpacing + m;
    if (c.KeyStepLeft > 0) --c.KeyStepLeft;
    if (c.KeyStepRight > 0) --c.KeyStepRight;
    if (in.KeyRight != 0 && c.CannonTargetX < m + kSingleCannonReach && c.KeyStepRight == 0) {
        c.CannonTargetX += kSingleSpacing;
        c.KeyStepRight = kKeyRepeatSteps;
        in.MouseX = c.CannonTargetX;  // keeps the column at the next step's snap
    }
    if (in.KeyLeft != 0 && c.CannonTargetX > m - kSingleCannonReach && c.KeyStepLeft == 0) {
        c.CannonTargetX -= kSingleSpacing;
        c.KeyStepLeft = kKeyRepeatSteps;
        in.MouseX = c.CannonTargetX;
    }
}

void MoveAimMarker(Game& game, CannonState& c) {
    if (game.play.GameMode == kModePipe) {
        c.AimY = game.input.MouseY;
    } else {
        // Creeps towards the target and stops a few pixels short of it.
        if (c.AimTargetY > c.AimY) c.AimY += (c.AimTargetY - c.AimY) / 9;
        if (c.AimTargetY < c.AimY) c.AimY += (c.AimTargetY - c.AimY) / 9;
    }
    if (c.AimY > 520) c.AimY = 520;
    const int m = game.play.FieldCentreX;
    c.CannonMinX =
        m - (game.play.GameMode == kModePipe ? kPipeCannonReachLeft : kSingleCannonReach);
    c.CannonMaxX = m + kSingleCannonReach;
    c.AimX = c.CannonTargetX < c.CannonMinX   ? c.CannonMinX
             : c.CannonTargetX > c.CannonMaxX ? c.CannonMaxX
                                              : c.CannonTargetX;
}

void Reload(Game& game, const FieldRules& r, CannonState& c) {
    c.LoadStepFrames = kLoadStepFrames;
    if (game.shell.FrameCounter % kLoadStepFrames == 0 && c.CannonLoad < kFullLoad) ++c.CannonLoad;
    if (c.CannonLoad != kFullLoad || c.NeedReload != 1) return;
    if (game.play.GameMode == kModePipe) {
        // The pipe game loads the cannon from its piece column instead of the colour cycle.
        return;
    }
    ReloadFromColourCycle(game, r, c, game.play.LevelNumber);
    // A crowded table hands out a slot above the scan bound, where no rule would ever move the
    // stone and the cannon would fire nothing for the rest of the set: widen the bound instead.
    if (c.LoadedStone > game.stones.StoneCount && IsStoneSlot(c.LoadedStone))
        game.stones.StoneCount = c.LoadedStone;
}

void Fire(Game& game, CannonState& c) {
    const StoneTable& t = game.stones;
    c.NothingFlying = 1;
    for (int s = 1; s <= t.StoneCount; ++s) {
        if (t.StoneState[s] > 0 && t.StoneMotion[s] == 1) c.NothingFlying = 0;
    }
    InputState& in = game.input;
    const bool overField = game.play.GameMode == kModePipe
                               ? in.MouseX > kPipeColumnRightX && in.MouseX < kSidePanelX
                               : in.MouseX < kSidePanelX;
    if (c.NothingFlying != 1 || !overField) return;
    if ((in.MouseButtonDown == 1 || in.FireKey == 1) && c.NeedReload == 0) {
        LaunchLoaded(game, c);
        in.MouseButtonDown = 0;
        in.FireKey = 0;
    }
}

void CountAndSlide(Game& game, CannonState& c) {
    StoneTable& t = game.stones;
    PlayfieldState& p = game.play;
    int left = 0;
    bool moving = false;
    bool low = false;
    for (int s = 1; s <= t.StoneCount; ++s) {
        if (t.StoneState[s] <= 0 || s == c.LoadedStone) continue;
        if (t.StoneColour[s] < 1 || t.StoneColour[s] > kLastColour) continue;
        ++left;
        if (t.StoneMotion[s] > 0) moving = true;
        if (t.StoneY[s] > kEndlessHoldY) low = true;
    }
    p.StonesLeft = left;
    if (p.GameMode == kModeEndless && !low && !moving && p.EndlessOffset < kEndlessSlideEnd) {
        for (int s = 1; s <= t.StoneCount; ++s) {
            if (t.StoneState[s] > 0 && s != c.LoadedStone) t.StoneY[s] += kEndlessSlideStep;
        }
        p.EndlessOffset += kEndlessSlideStep;
    }
    if (p.StonesLeft == 0) {
        p.LevelCleared = 1;
        p.ClearedTimer = 300;
    }
}

}  // namespace

void CannonStep(Game& game) {
    PlayfieldState& p = game.play;
    CannonState& c = game.cannon;
    if (p.ShakeFrames > 0) --p.ShakeFrames;
    if (p.LevelCleared != 0 || p.TimeUp != 0) return;
    const FieldRules rules = SinglePlayerRules(game);
    SnapAndKeys(game, c);
    MoveAimMarker(game, c);
    EaseCannon(c);
    // The loaded stone can be taken by a group it drifted into on its way up; the cannon would
    // wait for its landing for ever, so it loads anew instead.
    if (c.NeedReload == 0 && IsStoneSlot(c.LoadedStone) &&
        game.stones.StoneState[c.LoadedStone] <= 0)
        c.NeedReload = 1;
    Reload(game, rules, c);
    Fire(game, c);
    // The waiting stone rides on the cannon.
    if (IsStoneSlot(c.LoadedStone) && game.stones.StoneMotion[c.LoadedStone] == 0 &&
        game.stones.StoneY[c.LoadedStone] == rules.waitingStoneY) {
        game.stones.StoneX[c.LoadedStone] = c.CannonX;
    }
    ExtrasStep(game);
    StoneStep(game);
    CountAndSlide(game, c);
}
