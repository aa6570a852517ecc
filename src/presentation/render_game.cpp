#include "presentation/render_game.h"

#include <cmath>

#include "core/extras_table.h"
#include "core/game.h"
#include "core/mathutil.h"
#include "core/pipe_state.h"
#include "core/tables.h"
#include "presentation/bitmaps.h"
#include "presentation/sprites.h"

namespace {

void DrawPart(Game& game, int bitmap, const Rect& src, int x, int y, bool keyed) {
    game.draw.rect(game.backBuffer, x, y, src, keyed, game.bitmaps[bitmap]);
}

void DrawStones(Game& game) {
    const StoneTable& st = game.stones;
    for (int s = 1; s <= st.StoneCount; ++s) {
        if (st.StoneState[s] <= 0) continue;
        DrawStone(game, kBmpStones, st.StoneX[s], st.StoneY[s], st.StoneLook[s], st.StoneColour[s]);
    }
}

// Pipe pieces in the field (the barrel stones hide behind the barrels): empty or filled, the
// level's straight pieces in their bonus colours.
void DrawPipePieces(Game& game) {
    const StoneTable& st = game.stones;
    for (int s = 1; s <= st.StoneCount; ++s) {
        if (st.StoneState[s] <= 0 || st.StoneColour[s] == kPipeBarrel) continue;
        int row = st.StoneColour[s];
        if (st.StonePreset[s] != 0 && row == kPipeFalling) row = 11;
        if (st.StonePreset[s] != 0 && row == kPipeRising) row = 12;
        const int bitmap = st.StoneFilled[s] != 0 ? kBmpPipesFull : kBmpPipes;
        DrawStone(game, bitmap, st.StoneX[s], st.StoneY[s], st.StoneLook[s], row);
    }
}

// The piece column at the left: kinds 1..6 and the filler, the row under the pointer pulsing.
void DrawPieceColumn(Game& game) {
    static constexpr int kRowKind[8] = {0, 1, 2, 3, 4, 5, 6, kPipeFiller};
    for (int n = 1; n <= 7; ++n) DrawStone(game, kBmpPipes, 46, 70 * n - 14, 1, kRowKind[n]);
    const int choice = game.pipe.PipeChoice;
    if (choice >= 0 && choice <= 6) {
        const int alpha = RoundHalfEven(50 * std::sin(game.shell.FrameCounter / 10.0) + 128);
        DrawEffectSprite(game, kBmpPieceHighlight, 47, 70 * choice + 57, alpha, 0, 68, 68);
    }
}

// A barrel's front and, over it, its water up to the given height.
void DrawBarrel(Game& game, int bitmap, int left, int top, int water, int waterBottom) {
    DrawPart(game, bitmap, Rect{116, 0, 232, 116}, left, top, true);
    DrawPart(game, bitmap, Rect{0, 89 - water, 116, 89}, left, waterBottom - water, true);
}

void DrawBarrels(Game& game) {
    const PipeState& p = game.pipe;
    DrawBarrel(game, kBmpSourceBarrel, p.SourceX - 57, p.SourceY - 57, p.SourceWater,
               p.SourceY + 32);
    // The tap's wheel turns while the water runs.
    const int f =
        p.WaterRunning == 1 && game.play.TimeUp == 0 ? (game.shell.FrameCounter / 3) % 4 : 0;
    DrawPart(game, kBmpTap, Rect{24 * f, 0, 24 * f + 24, 23}, p.SourceX - 11, p.SourceY + 19,
             false);
    DrawBarrel(game, kBmpDrainBarrel, p.DrainX - 58, p.DrainY - 58, p.DrainWater, p.DrainY + 31);
}

void DrawIndicators(Game& game) {
    if (game.players[kSoloPlayer].DoubleFrames > 0)
        DrawPart(game, kBmpIndicators, Rect{10, 10, 59, 60}, 689, 207, false);
    if (game.players[kSoloPlayer].FlashFrames > 0)
        DrawPart(game, kBmpIndicators, Rect{45, 77, 98, 132}, 724, 274, false);
}

void DrawCannon(Game& game) {
    const CannonState& c = game.players[kSoloPlayer].cannon;
    const int wheelFrame = 7 - c.CannonX % 8;
    DrawCell(game, kBmpWheel, c.CannonX - 50, c.CannonY - 12, wheelFrame, 31, 31);
    DrawCell(game, kBmpWheel, c.CannonX + 50, c.CannonY - 12, wheelFrame, 31, 31);
    DrawCell(game, kBmpCannon, c.CannonX, c.CannonY, c.CannonLoad - 1, 107, 113);
}

}  // namespace

void DrawEffects(Game& game) {
    const EffectTable& e = game.effects;
    for (int i = 1; i <= e.EffectsInUse; ++i) {
        const int kind = e.EffectKind[i];
        if (kind == 0) continue;
        if (kind == 2) {
            DrawDebris(game, i);
        } else if (kind == 1 || (kind >= 3 && kind <= 9)) {
            DrawEffectSprite(game, EffectPicture(kind), e.EffectX[i], e.EffectY[i], 255,
                             e.EffectFrame[i], e.EffectH[i], e.EffectW[i]);
        }
    }
}

namespace {

void DrawAimMarker(Game& game, const Scene& scene) {
    const PlayfieldState& p = game.play;
    const int mx = game.input.MouseX;
    if (p.LevelCleared != 0 || p.TimeUp != 0 || mx >= 635 || mx < scene.aimBandX) return;
    const int f = (game.shell.FrameCounter / 4) % 32;
    DrawPart(game, kBmpAimMarker, Rect{19 * f, 0, 19 * f + 19, 80},
             game.players[kSoloPlayer].cannon.AimX - 9, game.players[kSoloPlayer].cannon.AimY,
             true);
}

}  // namespace

int TimeCoverRows(int timeLeft) {
    return RoundHalfEven((1000 - timeLeft) * 0.273);
}

void DrawExtra(Game& game, int slot, int (*icon)(int type)) {
    const ExtrasTable& e = game.extras;
    const int w = e.ExtraW[slot];
    const int h = e.ExtraH[slot];
    DrawClipped(game, icon(e.ExtraType[slot]), (e.ExtraFrame[slot] - 1) * w,
                (e.ExtraColour[slot] - 1) * h, w, h, e.ExtraX[slot], e.ExtraY[slot], true);
}

void DrawExtras(Game& game, int (*icon)(int type)) {
    const ExtrasTable& e = game.extras;
    for (int i = 1; i <= kMaxExtras; ++i) {
        if (e.ExtraType[i] <= 0) continue;
        if (e.ExtraType[i] == kExtraX2) {
            DrawEffectSprite(game, icon(kExtraX2), e.ExtraX[i], e.ExtraY[i], 255, e.ExtraFrame[i],
                             e.ExtraH[i], e.ExtraW[i]);
        } else {
            DrawExtra(game, i, icon);
        }
    }
}

void RenderGameScreen(Game& game, const Scene& scene) {
    DrawCell(game, scene.pipeBackground ? kBmpPipeBackground : kBmpGameBackground, 400, 300, 0, 600,
             800);
    DrawPart(game, kBmpTimeCover, Rect{0, 0, 35, TimeCoverRows(game.players[kSoloPlayer].TimeLeft)},
             656, 295, false);
    if (scene.stones) DrawStones(game);
    if (scene.pipes) {
        DrawPipePieces(game);
        DrawPieceColumn(game);
        DrawBarrels(game);
    }
    DrawExtras(game, ExtraIcon);
    DrawIndicators(game);
    DrawCannon(game);
    DrawEffects(game);
    DrawPart(game, kBmpCornerPiece, Rect{0, 0, 60, 119}, 581, 0, true);
    DrawAimMarker(game, scene);
}
