#include "playfield/tables.h"

#include "core/simulation.h"
#include "core/mathutil.h"
#include "core/text_state.h"

int AddStone(Simulation& game, int x, int y, int colour, int extra) {
    StoneTable& t = game.stones;
    const int s = t.StoneCursor = NextFreeSlot(t.StoneState, t.StoneCursor, kMaxStones);
    t.StoneState[s] = 1;
    t.StoneX[s] = x;
    t.StoneY[s] = y;
    t.StoneColour[s] = colour;
    t.StoneExtra[s] = extra;
    t.StoneMotion[s] = 0;
    t.StoneLook[s] = 1;
    t.StoneMarked[s] = 0;
    t.StoneFilled[s] = 0;
    t.StonePreset[s] = 0;
    return s;
}

void RemoveStone(Simulation& game, int slot) {
    StoneTable& t = game.stones;
    if (slot == kRemoveAll) {
        for (int s = 1; s <= kMaxStones; ++s) {
            t.StoneState[s] = 0;
            t.StoneColour[s] = 0;
        }
        return;
    }
    if (slot < 1 || slot > kMaxStones) return;
    t.StoneState[slot] = 0;
    t.StoneColour[slot] = 0;
}

void AddEffect(Simulation& game, int x, int y, int request, int colour) {
    EffectTable& t = game.effects;
    const int s = t.EffectCursor = NextFreeSlot(t.EffectKind, t.EffectCursor, kMaxEffects);
    if (s > t.EffectsInUse) t.EffectsInUse = s;
    t.EffectX[s] = x;
    t.EffectXf[s] = x;
    t.EffectY[s] = y;
    t.EffectYf[s] = y;
    auto shape = [&](int kind, int frame, int w, int h) {
        t.EffectKind[s] = kind;
        t.EffectFrame[s] = frame;
        t.EffectW[s] = w;
        t.EffectH[s] = h;
        t.EffectHalfW[s] = w / 2;
        t.EffectHalfH[s] = h / 2;
        t.EffectVx[s] = 0.0;
        t.EffectVy[s] = 0.0;
    };
    switch (request) {
        case kEffectFlash:
            shape(1, 0, 35, 36);
            break;
        case kEffectDebris:
            shape(2, 0, 75, 75);
            t.EffectColour[s] = colour;
            break;
        case kEffectSmoke:
            shape(2, 4, 75, 75);
            t.EffectColour[s] = 2;
            break;
        case kEffectSparkle:
            shape(colour + 1, 0, 16, 16);
            t.EffectVx[s] = game.rng.Next(3) - 1;
            t.EffectVy[s] = game.rng.Next(3) - 1;
            t.EffectColour[s] = 1;
            break;
        default:
            break;
    }
}

void AddDebris(Simulation& game, int x, int y, int stoneColour) {
    static constexpr int kRowByColour[8] = {0, 2, 3, 1, 4, 6, 4, 7};
    const int row = (stoneColour >= 1 && stoneColour <= 7) ? kRowByColour[stoneColour] : 8;
    AddEffect(game, x, y + 5, kEffectDebris, row);
}

void RemoveEffect(Simulation& game, int slot) {
    EffectTable& t = game.effects;
    if (slot == kRemoveAll) {
        t.EffectKind.fill(0);
        t.EffectsInUse = 0;
        return;
    }
    if (slot >= 1 && slot <= kMaxEffects) t.EffectKind[slot] = 0;
}

void EffectStep(Simulation& game) {
    EffectTable& t = game.effects;
    const int width = game.shell.SurfaceWidth;
    const int height = game.shell.SurfaceHeight;
    int highest = 0;
    for (int s = 1; s <= t.EffectsInUse; ++s) {
        if (t.EffectKind[s] < 1) continue;
        t.EffectXf[s] += t.EffectVx[s];
        t.EffectYf[s] += t.EffectVy[s];
        t.EffectX[s] = RoundHalfEven(t.EffectXf[s]);
        t.EffectY[s] = RoundHalfEven(t.EffectYf[s]);
        if (t.EffectX[s] - t.EffectHalfW[s] > width || t.EffectX[s] + t.EffectHalfW[s] < 0 ||
            t.EffectY[s] - t.EffectHalfH[s] > height || t.EffectY[s] + t.EffectHalfH[s] < 0) {
            t.EffectKind[s] = 0;
        }
        const int kind = t.EffectKind[s];
        if (kind == 1) {
            if (t.EffectFrame[s] < 10)
                ++t.EffectFrame[s];
            else
                t.EffectKind[s] = 0;
        } else if (kind == 2) {
            // Debris ages at half speed.
            if (game.shell.FrameCounter % 2 == 0) {
                if (t.EffectFrame[s] < 20)
                    ++t.EffectFrame[s];
                else
                    t.EffectKind[s] = 0;
            }
        } else if (kind >= 3 && kind <= 9) {
            if (t.EffectFrame[s] < 16)
                ++t.EffectFrame[s];
            else
                t.EffectKind[s] = 0;
        }
        if (t.EffectKind[s] != 0) highest = s;
    }
    t.EffectsInUse = highest;
}

void AddFloatingText(Simulation& game, int x, int y, const std::string& text) {
    FloatingTextTable& t = game.floatingTexts;
    const int s = t.TextCursor = NextFreeSlot(t.TextLife, t.TextCursor, kMaxFloatingTexts);
    t.TextX[s] = x;
    t.TextY[s] = y;
    t.TextVy[s] = -5.0;
    t.TextString[s] = text;
    t.TextLife[s] = 30;
}

void RemoveFloatingText(Simulation& game, int slot) {
    FloatingTextTable& t = game.floatingTexts;
    if (slot == kRemoveAll) {
        t.TextLife.fill(0);
        return;
    }
    if (slot >= 1 && slot <= kMaxFloatingTexts) t.TextLife[slot] = 0;
}

void FloatingTextStep(Simulation& game) {
    FloatingTextTable& t = game.floatingTexts;
    for (int s = 1; s <= kMaxFloatingTexts; ++s) {
        if (t.TextLife[s] <= 0) continue;
        t.TextVy[s] += 0.2;
        if (t.TextVy[s] > 0) t.TextVy[s] = 0;
        t.TextY[s] = RoundHalfEven(t.TextY[s] + t.TextVy[s]);
        --t.TextLife[s];
        DrawText(game, t.TextX[s], t.TextY[s], kAlignCentre, t.TextString[s],
                 game.shell.FrameCounter % 3 + 1);
    }
}
