#include "presentation/render.h"

#include <algorithm>

#include "playfield/playfield.h"
#include "presentation/render_game.h"
#include "presentation/render_help.h"
#include "shell/game.h"

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
    if (game.play.ShakeFrames > 0) {
        cx += game.rng.Next(3) - 1;
        cy += game.rng.Next(3) - 1;
    }
    // Rows 1..9 are cut one pixel taller: the extra row lies in the next cell.
    DrawClipped(game, bitmap, (column - 1) * 57, (row - 1) * 57, 57, 57, cx, cy, true,
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

namespace {

void DrawFullScreen(Game& game, int bitmap) {
    const Surface& s = game.bitmaps[bitmap];
    game.draw.rect(game.backBuffer, 0, 0, Rect{0, 0, s.width, s.height}, false, s);
}

bool PointerVisible(const Game& game) {
    const int screen = game.shell.ScreenId;
    const int x = game.input.MouseX;
    if (screen < 1) return false;
    if (screen == kScreenGame) {
        if (game.play.GameMode == 3) return x >= 635 || x < 121;
        return x >= 635;
    }
    if (screen == kScreenMatch) return x >= 350 && x <= 450;
    return true;
}

}  // namespace

// The picture that the current screen starts with, covering the frame; -1 for none.
int FullBackground(const Game& game) {
    const int screen = game.shell.ScreenId;
    if (!game.bitmaps.loaded) return -1;
    if (screen == kScreenHelp) return kBmpHelpBackground;
    if (screen == kScreenGame)
        return game.play.GameMode == kModePipe ? kBmpPipeBackground : kBmpGameBackground;
    if (screen >= 1 && screen <= 35 && screen != kScreenMatch) return kBmpMenuBackground;
    return -1;
}

void ClearBackBuffer(Game& game) {
    Surface& back = game.backBuffer;
    const std::uint32_t black = MatchColor(0, 0, 0);
    const int screen = game.shell.ScreenId;
    const int bitmap = FullBackground(game);
    const Surface* bg = bitmap >= 0 ? &game.bitmaps[bitmap] : nullptr;
    if (bg == nullptr || bg->width < back.width || bg->height < back.height || bg->hasTransparent) {
        FillSurface(back, black);
        return;
    }
    // The game screens' background is a clipped cell that leaves the last column and row.
    if (screen == kScreenGame) {
        for (int y = 0; y < back.height; ++y) back.At(back.width - 1, y) = black;
        std::fill_n(&back.At(0, back.height - 1), back.width, black);
    }
}

void RenderFrame(Game& game) {
    ClearBackBuffer(game);
    if (!game.bitmaps.loaded) return;  // ticks 1 and 2: only the black surface
    const int screen = game.shell.ScreenId;
    // The splash lies on black: ClearBackBuffer has filled the whole frame for it.
    if (screen == kScreenSplash) DrawCell(game, kBmpSplash, 400, 300, 0, 400, 400);
    if (screen >= 1 && screen <= 35 && screen != kScreenGame && screen != kScreenHelp &&
        screen != kScreenMatch) {
        DrawFullScreen(game, kBmpMenuBackground);
    }
    if (screen == kScreenHelp) {
        DrawFullScreen(game, kBmpHelpBackground);
        RenderHelpPictures(game);
    }
    if (screen == kScreenGame) RenderGameScreen(game);
    DrawTextQueue(game);
    if (PointerVisible(game)) {
        DrawEffectSprite(game, kBmpPointer, game.input.MouseX + 16, game.input.MouseY + 16, 255,
                         game.shell.FrameCounter % 32, 31, 31);
    }
}
