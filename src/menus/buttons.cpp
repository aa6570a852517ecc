#include "menus/buttons.h"

#include "shell/game.h"

void SetButton(Game& game, int slot, int x, int y, int halfWidth, int height) {
    if (slot < 1 || slot > kButtonSlots) return;
    ButtonTable& b = game.buttons;
    b.ButtonX[slot] = x;
    b.ButtonY[slot] = y;
    b.ButtonHalfWidth[slot] = halfWidth;
    b.ButtonHeight[slot] = height;
    b.ButtonActive[slot] = 1;
    b.ButtonState[slot] = 0;
    b.ButtonHoverFrames[slot] = 0;
    b.ButtonDelay[slot] = 20;
}

void ClearButtons(Game& game) {
    game.buttons.ButtonActive.fill(0);
}
