#include "presentation/render.h"

#include <algorithm>

#include "presentation/render_game.h"
#include "presentation/render_help.h"
#include "shell/game.h"

namespace {

void DrawFullScreen(Game& game, int bitmap) {
    const Surface& s = game.bitmaps[bitmap];
    DrawRect(game.backBuffer, 0, 0, Rect{0, 0, s.width, s.height}, false, s);
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

void RenderFrame(Game& game) {
    if (!game.bitmaps.loaded) return;  // ticks 1 and 2: only the black surface
    // The same frame looks the same whether or not the frames before it were drawn.
    game.drawRng.Seed(game.clockSeed ^ (0xD1B54A32D192ED03ull * game.shell.FrameCounter));
    const int screen = game.shell.ScreenId;
    if (screen == kScreenSplash) {
        FillSurface(game.backBuffer, MatchColor(0, 0, 0));
        DrawCell(game, kBmpSplash, 400, 300, 0, 400, 400);
    }
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
