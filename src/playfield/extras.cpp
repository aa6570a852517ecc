#include "playfield/extras.h"

#include <cmath>

#include "core/simulation.h"
#include "core/mathutil.h"
#include "playfield/field_rules.h"
#include "core/sound_state.h"

namespace {

constexpr double kSpawnVy = -3.0;
constexpr double kGravity = 0.175;
constexpr int kFiredRise = 10;
constexpr int kClockTime = 500;
constexpr int kLastingFrames = 1000;
constexpr int kStonePoints = 50;
constexpr int kStoneTime = 12;
constexpr int kGoOffShake = 25;
constexpr int kArrowShake = 15;

enum Phase { kFalling = 1, kHeld = 2, kFired = 3, kGoingOff = 4 };

bool IsLoadedKind(int type) {
    return type == kExtraBomb || type == kExtraColourer || type == kExtraRainbow;
}

// A looping animation on every n-th step: up to hi, then back to lo.
void Loop(Simulation& game, int i, int every, int lo, int hi) {
    if (game.shell.FrameCounter % every != 0) return;
    int& f = game.extras.ExtraFrame[i];
    f = f < hi ? f + 1 : lo;
}

void Animate(Simulation& game, int i) {
    ExtrasTable& e = game.extras;
    switch (e.ExtraType[i]) {
        case kExtraClock:
            Loop(game, i, 13, 1, 8);
            break;
        case kExtraBomb:
            if (game.shell.FrameCounter % 3 == 0) {
                // Back and forth through frames 1..8.
                if (e.ExtraAnimDir[i] == 1) {
                    if (e.ExtraFrame[i] < 8)
                        ++e.ExtraFrame[i];
                    else
                        e.ExtraAnimDir[i] = 2;
                } else {
                    if (e.ExtraFrame[i] > 1)
                        --e.ExtraFrame[i];
                    else
                        e.ExtraAnimDir[i] = 1;
                }
            }
            // A puff of smoke from the fuse.
            if (game.shell.FrameCounter % 8 == 0)
                AddEffect(game, e.ExtraX[i] + 19, e.ExtraY[i] - 12, kEffectSmoke, 1);
            break;
        case kExtraArrow:
            Loop(game, i, 3, 1, 16);
            break;
        case kExtraX2:
            Loop(game, i, 3, 0, 14);
            break;
        case kExtraFlash:
            Loop(game, i, 3, 1, 15);
            break;
        default:  // colourer and rainbow show one picture
            e.ExtraFrame[i] = 1;
            break;
    }
}

// Falls one step; true when the cannon catches it.
bool FallAndCatch(Simulation& game, const FieldRules& r, const Turn& turn, int i) {
    ExtrasTable& e = game.extras;
    e.ExtraVy[i] += kGravity;
    e.ExtraYf[i] += e.ExtraVy[i];
    e.ExtraY[i] = RoundHalfEven(e.ExtraYf[i]);
    const CannonState& c = turn.me.cannon;
    return e.ExtraX[i] + e.ExtraHalfW[i] > c.CannonX - r.catchHalfWidth &&
           e.ExtraX[i] - e.ExtraHalfW[i] < c.CannonX + r.catchHalfWidth &&
           c.CannonY - r.catchAbove < e.ExtraY[i] && e.ExtraY[i] < c.CannonY + r.catchBelow;
}

// The cannon takes the extra in place of its waiting stone.
void TakeIntoCannon(Simulation& game, const FieldRules& r, const Turn& turn, int i) {
    StoneTable& t = game.stones;
    CannonState& c = turn.me.cannon;
    // Only a stone still waiting on the cannon makes room; a landed last shot stays in the field.
    if (IsStoneSlot(c.LoadedStone) && t.StoneState[c.LoadedStone] > 0 &&
        t.StoneMotion[c.LoadedStone] == 0 && t.StoneY[c.LoadedStone] == r.waitingStoneY) {
        if (r.catchSmokes)
            AddEffect(game, t.StoneX[c.LoadedStone], t.StoneY[c.LoadedStone], kEffectSmoke, 1);
        RemoveStone(game, c.LoadedStone);
    }
    c.LoadedStone = kLoadedExtraBase + i;
    game.extras.ExtraVy[i] = 0.0;
    game.extras.ExtraPhase[i] = kHeld;
    c.NeedReload = 0;
}

bool FireHeld(const Turn& turn) {
    return turn.command != nullptr && turn.command->fire;
}

bool TouchesStone(const Simulation& game, const FieldRules& r, const Turn& turn, int i) {
    const StoneTable& t = game.stones;
    const int ex = game.extras.ExtraX[i];
    const int ey = game.extras.ExtraY[i];
    for (int s = 1; s <= r.scanLast; ++s) {
        if (t.StoneState[s] <= 0 || s == turn.me.cannon.LoadedStone) continue;
        if (std::abs(t.StoneX[s] - ex) < r.extraHitReach &&
            std::abs(t.StoneY[s] - ey) < r.extraHitReach)
            return true;
    }
    return false;
}

// A stone destroyed by a bomb or an arrow: points, time and its own extra.
void BlastStone(Simulation& game, const FieldRules& r, const Turn& turn, int j) {
    const StoneTable& t = game.stones;
    const int x = t.StoneX[j];
    const int y = t.StoneY[j];
    AddDebris(game, x, y, t.StoneColour[j]);
    AddEffect(game, x, y, kEffectFlash, 0);
    ReleaseExtraFor(game, r, j);
    AddPoints(game, r, turn.player, x, y, kStonePoints);
    RemoveStone(game, j);
    AddTime(turn.me.TimeLeft, kStoneTime);
}

void GoOff(Simulation& game, const FieldRules& r, const Turn& turn, int i) {
    StoneTable& t = game.stones;
    ExtrasTable& e = game.extras;
    turn.me.cannon.NeedReload = 1;
    turn.me.cannon.NothingFlying = 1;
    const int type = e.ExtraType[i];
    const int ex = e.ExtraX[i];
    const int ey = e.ExtraY[i];
    for (int j = 1; j <= r.scanLast; ++j) {
        if (t.StoneState[j] <= 0 || j == turn.me.cannon.LoadedStone) continue;
        if (t.StoneColour[j] >= kAnchorColour) continue;
        const double dx = t.StoneX[j] - ex;
        const double dy = t.StoneY[j] - ey;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (type == kExtraBomb && d < r.bombRadius) {
            RequestSound(game, sndBomb, ex);
            BlastStone(game, r, turn, j);
        } else if (type == kExtraColourer && d < r.colourRadius) {
            t.StoneColour[j] = ColourerColour(e.ExtraColour[i]);
            RequestSound(game, sndBallsplit, ex);
        } else if (type == kExtraRainbow && d < r.colourRadius) {
            // With no colour left to draw from, the stone keeps its own.
            const int colour = RandomPresentColourFor(game, r, turn.me.cannon.LoadedStone);
            if (colour != 0) t.StoneColour[j] = colour;
            RequestSound(game, sndBallsplit, ex);
        }
    }
    AddEffect(game, ex, ey, kEffectSmoke, 1);
    RemoveExtra(game, i);
    turn.me.ShakeFrames = kGoOffShake;
}

void LoadedKind(Simulation& game, const FieldRules& r, const Turn& turn, int i) {
    ExtrasTable& e = game.extras;
    CannonState& c = turn.me.cannon;
    const bool arrow = e.ExtraType[i] == kExtraArrow;
    if (e.ExtraPhase[i] == kFalling && FallAndCatch(game, r, turn, i) &&
        c.LoadedStone < kLoadedExtraBase) {
        RequestSound(game, sndEinsamm, e.ExtraX[i]);
        if (r.catchSmokes) AddEffect(game, e.ExtraX[i], e.ExtraY[i], kEffectSmoke, 1);
        TakeIntoCannon(game, r, turn, i);
    }
    if (e.ExtraPhase[i] == kHeld) {
        if (c.LoadedStone == kLoadedExtraBase + i) {
            e.ExtraX[i] = c.CannonX;
            e.ExtraY[i] = c.CannonY - r.heldAboveCannon;
            if (FireHeld(turn)) e.ExtraPhase[i] = kFired;
        } else {
            TakeIntoCannon(game, r, turn, i);
        }
    }
    if (e.ExtraPhase[i] == kFired) {
        e.ExtraY[i] -= kFiredRise;
        if (arrow) {
            // The arrow clears everything in its way and goes on to the top.
            const StoneTable& t = game.stones;
            for (int j = 1; j <= r.scanLast; ++j) {
                if (t.StoneState[j] <= 0 || j == c.LoadedStone) continue;
                if (t.StoneColour[j] >= kAnchorColour) continue;
                if (std::abs(t.StoneX[j] - e.ExtraX[i]) < r.extraHitReach &&
                    std::abs(t.StoneY[j] - e.ExtraY[i]) < r.extraHitReach) {
                    BlastStone(game, r, turn, j);
                    RequestSound(game, sndExpl2, e.ExtraX[i]);
                }
            }
        } else if (TouchesStone(game, r, turn, i)) {
            e.ExtraPhase[i] = kGoingOff;
        }
        if (e.ExtraY[i] < r.goOffAboveY) e.ExtraPhase[i] = kGoingOff;
    }
    if (e.ExtraPhase[i] == kGoingOff) {
        if (arrow) {
            c.NeedReload = 1;
            c.NothingFlying = 1;
            RequestSound(game, sndExplgr, e.ExtraX[i]);
            AddEffect(game, e.ExtraX[i], e.ExtraY[i], kEffectSmoke, 1);
            RemoveExtra(game, i);
            turn.me.ShakeFrames = kArrowShake;
        } else {
            GoOff(game, r, turn, i);
        }
    }
}

void InstantKind(Simulation& game, const FieldRules& r, const Turn& turn, int i) {
    ExtrasTable& e = game.extras;
    if (e.ExtraPhase[i] != kFalling || !FallAndCatch(game, r, turn, i)) return;
    RequestSound(game, sndEinsamm, e.ExtraX[i]);
    if (r.catchSmokes) AddEffect(game, e.ExtraX[i], e.ExtraY[i], kEffectSmoke, 1);
    switch (e.ExtraType[i]) {
        case kExtraClock:
            AddTime(turn.me.TimeLeft, kClockTime);
            break;
        case kExtraX2:
            turn.me.DoubleFrames = kLastingFrames;
            break;
        case kExtraFlash:
            turn.me.FlashFrames = kLastingFrames;
            break;
        default:
            break;
    }
    RemoveExtra(game, i);
}

}  // namespace

void AddExtraFor(Simulation& game, const FieldRules& r, int x, int y, int type) {
    ExtrasTable& e = game.extras;
    const int i = e.ExtraCursor = NextFreeSlot(e.ExtraType, e.ExtraCursor, kMaxExtras);
    e.ExtraType[i] = type;
    e.ExtraX[i] = x;
    e.ExtraY[i] = y;
    e.ExtraYf[i] = y;
    e.ExtraVy[i] = kSpawnVy;
    e.ExtraPhase[i] = kFalling;
    e.ExtraAnimDir[i] = 1;
    e.ExtraFrame[i] = 0;
    e.ExtraColour[i] = type == kExtraColourer ? game.rng.Range(1, 5) : 1;
    const ExtraSprite sprite = type >= 1 && type <= 7 ? (*r.sprites)[type] : ExtraSprite{};
    e.ExtraW[i] = sprite.w;
    e.ExtraH[i] = sprite.h;
    e.ExtraHalfW[i] = sprite.halfW;
}

void ReleaseExtraFor(Simulation& game, const FieldRules& r, int stoneSlot) {
    const StoneTable& t = game.stones;
    const int extra = t.StoneExtra[stoneSlot];
    if (extra >= 1 && extra <= r.maxReleasedExtra)
        AddExtraFor(game, r, t.StoneX[stoneSlot], t.StoneY[stoneSlot], extra);
}

int RandomPresentColourFor(Simulation& game, const FieldRules& r, int loadedStone) {
    const auto present = PresentColours(game, r, loadedStone);
    bool any = false;
    for (int c = 1; c <= kLastColour; ++c) any = any || present[c];
    if (!any) return 0;
    int c;
    do c = game.rng.Range(1, kLastColour);
    while (!present[c]);
    return c;
}

void ExtrasStepFor(Simulation& game, const FieldRules& r, const Turn& turn) {
    ExtrasTable& e = game.extras;
    for (int i = 1; i <= kMaxExtras; ++i) {
        if (e.ExtraType[i] == 0 || !OwnsX(r, e.ExtraX[i])) continue;
        if (e.ExtraY[i] > r.extraLostBelowY || e.ExtraY[i] < r.extraLostAboveY) {
            RemoveExtra(game, i);
            continue;
        }
        Animate(game, i);
        if (IsLoadedKind(e.ExtraType[i]) || e.ExtraType[i] == kExtraArrow)
            LoadedKind(game, r, turn, i);
        else
            InstantKind(game, r, turn, i);
    }
}

void AddExtra(Simulation& game, int x, int y, int type) {
    AddExtraFor(game, SinglePlayerRules(game), x, y, type);
}

void RemoveExtra(Simulation& game, int slot) {
    ExtrasTable& e = game.extras;
    if (slot == kRemoveAll) {
        e.ExtraType.fill(0);
        return;
    }
    if (slot >= 1 && slot <= kMaxExtras) e.ExtraType[slot] = 0;
}

void ReleaseExtra(Simulation& game, int stoneSlot) {
    ReleaseExtraFor(game, SinglePlayerRules(game), stoneSlot);
}

int ColourerColour(int code) {
    static constexpr int kColours[6] = {0, 4, 1, 3, 2, 7};
    return code >= 1 && code <= 5 ? kColours[code] : 0;
}

int RandomPresentColour(Simulation& game) {
    return RandomPresentColourFor(game, SinglePlayerRules(game),
                                  game.players[kSoloPlayer].cannon.LoadedStone);
}

void ExtrasStep(Simulation& game) {
    PlayerCommand command = SinglePlayerCommand(game);
    const Turn turn = TurnOf(game, kSoloPlayer, &command);
    ExtrasStepFor(game, SinglePlayerRules(game), turn);
}
