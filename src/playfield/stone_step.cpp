#include "playfield/stone_step.h"

#include "playfield/extras.h"
#include "playfield/field_rules.h"
#include "presentation/sound.h"
#include "shell/game.h"

namespace {

constexpr int kShotRise = 10;
constexpr int kLooseRise = 5;
constexpr int kTipHitCost = 30;
constexpr int kGroupPoints = 50;
constexpr int kGroupTime = 12;
constexpr int kGroupShake = 20;

// Whether a stone that stops here starts the group test: not in the pipe game, nor while a
// caught flash lasts.
bool GroupTestOnStop(const FieldRules& r, const Side& side) {
    return r.groupTestOnStop && !(r.flashStopsGroups && side.FlashFrames > 0);
}

void StopsAsShot(const Side& side, int slot) {
    if (slot == side.cannon.LoadedStone) {
        side.cannon.NothingFlying = 1;
        side.cannon.NeedReload = 1;
    }
}

void DestroyMarkedGroup(Game& game, const FieldRules& r, const Side& side) {
    StoneTable& t = game.stones;
    for (int j = 1; j <= r.scanLast; ++j) {
        if (t.StoneState[j] <= 0 || t.StoneMarked[j] == 0) continue;
        const int x = t.StoneX[j];
        const int y = t.StoneY[j];
        AddEffect(game, x, y, kEffectFlash, 0);
        AddDebris(game, x, y, t.StoneColour[j]);
        ReleaseExtraFor(game, r, j);
        RequestSound(game, sndExplgr, x);
        side.ShakeFrames = kGroupShake;
        r.addPoints(game, side.player, x, y, kGroupPoints);
        RemoveStone(game, j);
        AddTime(side.TimeLeft, kGroupTime);
    }
}

void RisingStone(Game& game, const FieldRules& r, const Side& side, int s) {
    StoneTable& t = game.stones;
    t.StoneY[s] -= t.StoneMotion[s] == 1 ? kShotRise : kLooseRise;
    const int x = t.StoneX[s];
    const int y = t.StoneY[s];
    bool gone = false;
    if (y == r.topRowY) {
        if ((x - r.centreX) % (2 * r.spacing) == 0) {
            t.StoneMotion[s] = 0;
            if (GroupTestOnStop(r, side)) MarkGroupFor(game, r, side, s);
            RequestSound(game, r.topStopSound, x);
        } else if (r.offLatticeTopExplodes) {
            if (t.StoneMotion[s] == 1) AddTime(side.TimeLeft, -kTipHitCost);
            RequestSound(game, sndExpl2, x);
            ExplodeStone(game, s);
            gone = true;
        }
        StopsAsShot(side, s);
    }
    if (!gone) {
        const bool sideContact = AnyStoneAt(game, r, x - r.spacing, y - r.spacing) ||
                                 AnyStoneAt(game, r, x + r.spacing, y - r.spacing);
        if (sideContact) {
            t.StoneMotion[s] = 0;
            RequestSound(game, sndHolz1, x);
            StopsAsShot(side, s);
            if (GroupTestOnStop(r, side)) MarkGroupFor(game, r, side, s);
        } else if (AnyStoneAt(game, r, x, y - 2 * r.spacing)) {
            // Ran into the tip of the stone above: only a shot costs time.
            ReleaseExtraFor(game, r, s);
            RequestSound(game, sndExpl2, x);
            if (t.StoneMotion[s] == 1) AddTime(side.TimeLeft, -kTipHitCost);
            ExplodeStone(game, s);
            StopsAsShot(side, s);
        }
    }
    // A group found earlier in this step stays in force for every later rising stone.
    if (side.GroupSize > 1) {
        DestroyMarkedGroup(game, r, side);
    } else {
        for (int j = 1; j <= r.scanLast; ++j) {
            if (t.StoneState[j] > 0) t.StoneMarked[j] = 0;
        }
    }
}

void RestingStone(Game& game, const FieldRules& r, int s) {
    StoneTable& t = game.stones;
    const int x = t.StoneX[s];
    const int y = t.StoneY[s];
    const int d = r.spacing;
    // One pass for the hold (up-left, up-right, tip to tip) and the first stone up-left.
    int upLeft = 0;
    bool supported = false;
    for (int j = 1; j <= r.scanLast; ++j) {
        if (t.StoneState[j] <= 0) continue;
        const int dx = t.StoneX[j] - x;
        const int dy = t.StoneY[j] - y;
        if (dy == -d && dx == -d && upLeft == 0) upLeft = j;
        if ((dy == -d && (dx == -d || dx == d)) || (dy == -2 * d && dx == 0)) supported = true;
    }
    if (upLeft != 0 && t.StoneColour[upLeft] == kAnchorColour) t.StoneLook[s] = 2;
    // Lost its hold: it floats up from the next step on.
    if (!supported) t.StoneMotion[s] = 2;
    if (y > r.bottomLineY) {
        RequestSound(game, sndExpl2, x);
        ExplodeStone(game, s);
    }
}

}  // namespace

void StoneStepFor(Game& game, const FieldRules& r, const Side& side) {
    StoneTable& t = game.stones;
    CannonState& c = side.cannon;
    side.GroupSize = 0;
    c.AimTargetY = 0;
    for (int s = 1; s <= r.scanLast; ++s) {
        if (t.StoneState[s] <= 0 || !OwnsX(r, t.StoneX[s])) continue;
        const int x = t.StoneX[s];
        const int y = t.StoneY[s];
        if (s != c.LoadedStone) {
            if ((x == c.CannonTargetX - r.spacing || x == c.CannonTargetX + r.spacing) &&
                c.AimTargetY - r.aimSideReach < y)
                c.AimTargetY = y + r.aimSideReach;
            if (x == c.CannonTargetX && c.AimTargetY - r.aimColumnReach < y)
                c.AimTargetY = y + r.aimColumnReach;
        }
        t.StoneLook[s] = 1;
        const int extra = t.StoneExtra[s];
        if (extra >= 1 && extra <= r.maxSparklingExtra && s != c.LoadedStone &&
            (game.shell.FrameCounter + s) % 10 == 0 && game.rng.Next(10) == 1) {
            AddEffect(game, x, y, kEffectSparkle, game.rng.Range(1, 7));
        }
        if (t.StoneMotion[s] == 1 || t.StoneMotion[s] == 2) {
            RisingStone(game, r, side, s);
        } else if (s != c.LoadedStone && t.StoneColour[s] < kAnchorColour) {
            RestingStone(game, r, s);
        }
    }
}

void MarkGroupFor(Game& game, const FieldRules& r, const Side& side, int slot) {
    StoneTable& t = game.stones;
    t.StoneMarked[slot] = 1;
    for (int j = 1; j <= r.scanLast; ++j) {
        if (j == slot || t.StoneState[j] <= 0 || !OwnsX(r, t.StoneX[j])) continue;
        const int dx = t.StoneX[slot] - t.StoneX[j];
        const int dy = t.StoneY[slot] - t.StoneY[j];
        if ((dx == r.spacing || dx == -r.spacing) && (dy == r.spacing || dy == -r.spacing) &&
            t.StoneMarked[j] == 0 && t.StoneColour[j] == t.StoneColour[slot]) {
            t.StoneMarked[j] = 1;
            ++side.GroupSize;
            MarkGroupFor(game, r, side, j);
        }
    }
}

void StoneStep(Game& game) {
    StoneStepFor(game, SinglePlayerRules(game), SinglePlayerSide(game));
}

void MarkGroup(Game& game, int slot) {
    MarkGroupFor(game, SinglePlayerRules(game), SinglePlayerSide(game), slot);
}
