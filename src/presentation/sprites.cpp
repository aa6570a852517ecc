#include "presentation/sprites.h"

#include <algorithm>

#include "core/game.h"

void DrawClipped(Game& game, int bitmap, int sx, int sy, int w, int h, int cx, int cy, bool keyed,
                 int extraRows) {
    const int hw = w / 2;
    const int hh = h / 2;
    const int width = game.shell.SurfaceWidth;
    const int height = game.shell.SurfaceHeight;
    const int clipTop = cy - hh < 0 ? hh - cy : 0;
    const int clipLeft = cx - hw < 0 ? hw - cx : 0;
    const int clipBottom = cy + hh + 1 > height ? cy + hh + 1 - height : 0;
    const int clipRight = cx + hw + 1 > width ? cx + hw + 1 - width : 0;
    // Extra source rows below the cell are taken only where they still fit on the screen.
    const int extra = clipBottom == 0 ? std::min(extraRows, height - (cy - hh + h)) : 0;
    const Rect src{sx + clipLeft, sy + clipTop, sx + w - clipRight, sy + h - clipBottom + extra};
    game.draw.rect(game.backBuffer, cx - hw + clipLeft, cy - hh + clipTop, src, keyed,
                   game.bitmaps[bitmap]);
}

void DrawCell(Game& game, int bitmap, int cx, int cy, int frame, int h, int w) {
    DrawClipped(game, bitmap, frame * w, 0, w, h, cx, cy, true);
}

void DrawCellOpaque(Game& game, int bitmap, int cx, int cy, int frame, int h, int w) {
    DrawClipped(game, bitmap, frame * w, 0, w, h, cx, cy, false);
}

void DrawStone(Game& game, int bitmap, int cx, int cy, int column, int row) {
    if (game.players[kSoloPlayer].ShakeFrames > 0) {
        cx += game.drawRng.Next(3) - 1;
        cy += game.drawRng.Next(3) - 1;
    }
    // Rows 1..9 are cut one pixel taller: the extra row lies in the next cell.
    DrawClipped(game, bitmap, (column - 1) * 57, (row - 1) * 57, 57, 57, cx, cy, true,
                row <= 9 ? 1 : 0);
}

void DrawSmallStone(Game& game, int bitmap, int cx, int cy, int column, int row) {
    // Each half shakes with its own player's groups.
    if (cx < 400 && game.players[1].ShakeFrames >= 1) {
        cx += game.drawRng.Next(3) - 1;
        cy += game.drawRng.Next(3) - 1;
    }
    if (cx >= 401 && game.players[2].ShakeFrames >= 1) {
        cx += game.drawRng.Next(3) - 1;
        cy += game.drawRng.Next(3) - 1;
    }
    DrawClipped(game, bitmap, (column - 1) * 38, (row - 1) * 38, 38, 38, cx, cy, true,
                row <= 9 ? 1 : 0);
}

void DrawDebris(Game& game, int slot) {
    const EffectTable& e = game.effects;
    const int w = e.EffectW[slot];
    const int h = e.EffectH[slot];
    DrawClipped(game, kBmpEffect2, (e.EffectColour[slot] - 1) * w, (e.EffectFrame[slot] - 1) * h, w,
                h, e.EffectX[slot], e.EffectY[slot], true);
}

void DrawEffectSprite(Game& game, int bitmap, int cx, int cy, int alpha, int frame, int h, int w) {
    if (game.shell.AlphaDrawing != 1) {
        DrawCell(game, bitmap, cx, cy, frame, h, w);
        return;
    }
    const int hw = w / 2;
    const int hh = h / 2;
    game.draw.alpha(game.backBuffer, Rect{cx - hw, cy - hh, cx + hw, cy + hh},
                    Rect{frame * w, 0, frame * w + w, h}, game.bitmaps[bitmap], true, alpha);
}
