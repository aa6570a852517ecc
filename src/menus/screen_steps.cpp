#include "menus/screen_steps.h"

#include "core/game.h"
#include "menus/buttons.h"
#include "presentation/sound.h"
#include "presentation/text.h"

namespace {

constexpr int kPageTop = 300;

}  // namespace

void BeginTransition(Game& game, bool setsPageTop) {
    if (setsPageTop) game.buttons.PageTop = kPageTop;
    RequestSound(game, sndTast1, 400);
    ClearButtons(game);
}

void EndTransition(Game& game, int screen, bool setsPageNumber, bool clearsEscape) {
    if (setsPageNumber) game.buttons.PageNumber = 1;
    game.buttons.MenuSelection = 0;
    if (clearsEscape) game.input.KeyEscape = 0;
    game.shell.ScreenId = screen;
}

void ButtonColumn(Game& game, int count, int base, int step, int halfWidth, int height) {
    for (int i = 1; i <= count; ++i) SetButton(game, i, 400, base + step * i, halfWidth, height);
}

void PageButtons(Game& game, int y, int sideX, int sideY) {
    SetButton(game, 1, sideX, sideY, 50, 25);
    SetButton(game, 2, 800 - sideX, sideY, 50, 25);
    SetButton(game, 3, 400, y, 100, 25);
}

void DrawTitle(Game& game, int y, Words words) {
    DrawText(game, 400, y, kAlignCentre, Tr(game, words), 1);
}

bool TakeEscape(Game& game) {
    if (game.input.KeyEscape != 1) return false;
    game.input.KeyEscape = 0;
    return true;
}
