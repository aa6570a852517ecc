#include "presentation/render.h"

#include <algorithm>

#include "core/game.h"
#include "presentation/render_game.h"
#include "presentation/render_help.h"
#include "presentation/text.h"

namespace {

void DrawFullScreen(Game& game, int bitmap) {
    const Surface& s = game.bitmaps[bitmap];
    DrawRect(game.backBuffer, 0, 0, Rect{0, 0, s.width, s.height}, false, s);
}

}  // namespace

void RenderScene(Game& game, const Scene& scene) {
    if (!game.bitmaps.loaded) return;  // ticks 1 and 2: only the black surface
    // The same frame looks the same whether or not the frames before it were drawn.
    game.drawRng.Seed(game.clockSeed ^ (0xD1B54A32D192ED03ull * game.shell.FrameCounter));
    switch (scene.backdrop) {
        case Backdrop::kSplash:
            FillSurface(game.backBuffer, MatchColor(0, 0, 0));
            DrawCell(game, kBmpSplash, 400, 300, 0, 400, 400);
            break;
        case Backdrop::kMenu:
            DrawFullScreen(game, kBmpMenuBackground);
            break;
        case Backdrop::kHelp:
            DrawFullScreen(game, kBmpHelpBackground);
            RenderHelpPictures(game);
            break;
        case Backdrop::kGame:
            RenderGameScreen(game, scene);
            break;
        case Backdrop::kMatch:  // the match scene comes with the match
        case Backdrop::kNone:
            break;
    }
    DrawTextQueue(game);
    if (scene.pointer) {
        DrawEffectSprite(game, kBmpPointer, game.input.MouseX + 16, game.input.MouseY + 16, 255,
                         game.shell.FrameCounter % 32, 31, 31);
    }
}
