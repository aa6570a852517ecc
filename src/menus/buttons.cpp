#include "menus/buttons.h"

#include "core/game.h"
#include "core/words.h"
#include "presentation/text.h"

void DrawButtonLabel(Game& game, int slot, const std::string& text, int idleTexture) {
    if (slot < 1 || slot > kButtonSlots) return;
    const ButtonTable& b = game.buttons;
    DrawText(game, b.ButtonX[slot], b.ButtonY[slot], kAlignCentre, text,
             b.ButtonState[slot] != 0 ? 2 : idleTexture);
}

void RunMenu(Game& game, const MenuButton* buttons, int count) {
    UpdateButtons(game);
    for (int i = 0; i < count; ++i)
        DrawButtonLabel(game, i + 1, Tr(game, buttons[i].label), buttons[i].idleTexture);
    const int pressed = game.buttons.MenuSelection;
    if (pressed >= 1 && pressed <= count && buttons[pressed - 1].action != nullptr)
        buttons[pressed - 1].action(game);
}
