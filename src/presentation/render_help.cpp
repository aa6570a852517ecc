#include "presentation/render_help.h"

#include "core/game.h"
#include "presentation/bitmaps.h"
#include "presentation/sprites.h"

namespace {

// The flash-and-debris cell of the explosion sheet that shows a stone bursting.
void DrawBurst(Game& game, int x, int y) {
    game.draw.rect(game.backBuffer, x, y, Rect{75, 375, 150, 450}, true, game.bitmaps[kBmpEffect2]);
}

// Page 1: the cannon under a stone, a tip hit that bursts, and a group of three that explodes.
void PageOne(Game& game) {
    DrawStone(game, kBmpStones, 652, 123, 1, 1);
    DrawCell(game, kBmpCannon, 652, 150, 7, 107, 113);
    DrawStone(game, kBmpStones, 600, 260, 1, 2);
    DrawStone(game, kBmpStones, 600, 320, 1, 1);
    DrawStone(game, kBmpStones, 700, 260, 1, 2);
    DrawBurst(game, 663, 300);
    DrawStone(game, kBmpStones, 600, 400, 1, 1);
    DrawStone(game, kBmpStones, 630, 430, 1, 1);
    DrawStone(game, kBmpStones, 600, 460, 1, 1);
    DrawBurst(game, 663, 370);
    DrawBurst(game, 693, 400);
    DrawBurst(game, 663, 430);
}

// Page 2: the time bar cut out of the game background.
void PageTwo(Game& game) {
    game.draw.rect(game.backBuffer, 700, 50, Rect{650, 290, 692, 575}, false,
                   game.bitmaps[kBmpGameBackground]);
}

// Page 3: the seven extras in a row.
void PageThree(Game& game) {
    static const int kSize[8][2] = {{0, 0},   {52, 51}, {59, 55}, {57, 57},
                                    {43, 75}, {57, 57}, {50, 50}, {50, 50}};
    for (int n = 1; n <= 7; ++n) {
        game.draw.rect(game.backBuffer, 100 * n - 25, 460, Rect{0, 0, kSize[n][0], kSize[n][1]},
                       true, game.bitmaps[ExtraIcon(n)]);
    }
}

}  // namespace

void RenderHelpPictures(Game& game) {
    switch (game.buttons.PageNumber) {
        case 1:
            PageOne(game);
            break;
        case 2:
            PageTwo(game);
            break;
        case 3:
            PageThree(game);
            break;
        default:
            break;
    }
}
