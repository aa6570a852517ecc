#include "presentation/render.h"

#include <algorithm>

#include "core/game.h"
#include "core/mode_facts.h"
#include "platform/changed_tiles.h"
#include "presentation/render_editor.h"
#include "presentation/render_game.h"
#include "presentation/render_help.h"
#include "presentation/render_match.h"
#include "presentation/text.h"

namespace {

void DrawFullScreen(Game& game, int bitmap) {
    const Surface& s = game.bitmaps[bitmap];
    game.draw.rect(game.backBuffer, 0, 0, Rect{0, 0, s.width, s.height}, false, s);
}

// The picture that the scene starts with, covering the frame; -1 for none.
int FullBackground(const Game& game, const Scene& scene) {
    if (!game.bitmaps.loaded) return -1;
    switch (scene.backdrop) {
        case Backdrop::kMenu:
            return kBmpMenuBackground;
        case Backdrop::kHelp:
            return kBmpHelpBackground;
        case Backdrop::kGame:
            return scene.pipeBackground ? kBmpPipeBackground : kBmpGameBackground;
        case Backdrop::kEditor:
            return kBmpGameBackground;
        case Backdrop::kMatch:
            return FactsOfMode(game.play.GameMode).players == 2 ? kBmpMatchBackground : -1;
        default:
            return -1;
    }
}

}  // namespace

void ClearBackBuffer(Game& game, const Scene& scene) {
    Surface& back = game.backBuffer;
    const std::uint32_t black = MatchColor(0, 0, 0);
    const int bitmap = FullBackground(game, scene);
    const Surface* bg = bitmap >= 0 ? &game.bitmaps[bitmap] : nullptr;
    if (bg == nullptr || bg->width < back.width || bg->height < back.height || bg->hasTransparent) {
        FillSurface(back, black);
        return;
    }
    // The game screens' background is a clipped cell that leaves the last column and row.
    if (scene.backdrop == Backdrop::kGame || scene.backdrop == Backdrop::kMatch ||
        scene.backdrop == Backdrop::kEditor) {
        for (int y = 0; y < back.height; ++y) back.At(back.width - 1, y) = black;
        std::fill_n(&back.At(0, back.height - 1), back.width, black);
    }
}

namespace {

void DrawScene(Game& game, const Scene& scene) {
    if (!game.bitmaps.loaded) return;  // ticks 1 and 2: only the black surface
    // The same frame looks the same whether or not the frames before it were drawn.
    game.drawRng.Seed(game.clockSeed ^ (0xD1B54A32D192ED03ull * game.shell.FrameCounter));
    switch (scene.backdrop) {
        case Backdrop::kSplash:
            // The splash lies on black: ClearBackBuffer has filled the whole frame for it.
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
        case Backdrop::kMatch:
            RenderMatchScreen(game);
            break;
        case Backdrop::kEditor:
            RenderEditorScreen(game);
            break;
        case Backdrop::kNone:
            break;
    }
    DrawTextQueue(game);
    if (scene.pointer) {
        DrawEffectSprite(game, kBmpPointer, game.input.MouseX + 16, game.input.MouseY + 16, 255,
                         game.shell.FrameCounter % 32, 31, 31);
    }
}

long long Area(const std::vector<Rect>& rects) {
    long long a = 0;
    for (const Rect& r : rects) a += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
    return a;
}

}  // namespace

void RenderScene(Game& game, const Scene& scene) {
    Surface& back = game.backBuffer;
    Game::SceneShown& shown = game.scene;
    const Rect whole{0, 0, back.width, back.height};
    if (game.draw.fullRedraw) {
        ClearBackBuffer(game, scene);
        DrawScene(game, scene);
        shown.valid = false;
        shown.changed = shown.sent.Update(back, shown.sendWhole);
        shown.sendWhole = false;
        shown.drawnArea = static_cast<long long>(back.width) * back.height;
        return;
    }
    // The frame is listed, not drawn; the black fill stands first, under everything.
    SceneList& next = shown.next;
    next.Clear(back.width, back.height);
    next.AddFill(whole, MatchColor(0, 0, 0));
    game.draw.listing = &next;
    game.draw.listTarget = &back;
    DrawScene(game, scene);
    game.draw.listing = nullptr;
    game.draw.listTarget = nullptr;
    if (!next.complete) {
        // Drawn whole by DrawRoutines::Unlisted: compared whole.
        shown.valid = false;
        shown.changed = shown.sent.Update(back, shown.sendWhole);
        shown.drawnArea = static_cast<long long>(back.width) * back.height;
    } else if (!shown.valid) {
        next.Draw(back, whole);
        shown.changed = shown.sent.Update(back, shown.sendWhole);
        shown.drawnArea = static_cast<long long>(back.width) * back.height;
        shown.valid = true;
    } else {
        const std::vector<Rect> rects = ChangedByItems(shown.list, next, kChangedTileSize);
        for (const Rect& r : rects) next.Draw(back, r);
        shown.changed = shown.sent.Take(back, rects);
        shown.drawnArea = Area(rects);
    }
    shown.sendWhole = false;
    std::swap(shown.list, next);
}

void DrawSceneWhole(Game& game, const Scene& scene) {
    ClearBackBuffer(game, scene);
    DrawScene(game, scene);
}

void ForgetShownScene(Game& game) {
    game.scene.valid = false;
    game.scene.sendWhole = true;
}
