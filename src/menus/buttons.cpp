#include "menus/buttons.h"

#include "core/game.h"
#include "presentation/sound.h"
#include "presentation/text.h"
#include "presentation/words.h"

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

bool PointerOverButton(const Game& game, int slot) {
    return PointInButton(game.buttons, slot, game.input.MouseX, game.input.MouseY);
}

void UpdateButtons(Game& game) {
    ButtonTable& b = game.buttons;
    InputState& in = game.input;
    b.MenuSelection = 0;
    for (int i = 1; i <= kButtonSlots; ++i) {
        if (b.ButtonActive[i] <= 0) continue;
        if (b.ButtonDelay[i] > 0) --b.ButtonDelay[i];
        // While the delay runs the button keeps its state, so a pressed one stays lit.
        if (b.ButtonDelay[i] != 0 || b.ButtonActive[i] != 1) continue;
        b.ButtonState[i] = 0;
        if (!PointerOverButton(game, i)) {
            b.ButtonHoverFrames[i] = 0;
            continue;
        }
        b.ButtonState[i] = 1;
        ++b.ButtonHoverFrames[i];
        // Only a real move makes the hover sound: a button that appears under a resting pointer
        // after a click stays silent.
        if (b.ButtonHoverFrames[i] == 1 && in.MouseMoved != 0) {
            RequestSound(game, sndTast2, 400);
            in.MouseMoved = 0;
        }
        if ((in.MouseButtonDown != 0 || in.MouseButtonDown2 != 0) && in.ButtonHeldFrames == 1) {
            b.ButtonDelay[i] = 10;
            b.MenuSelection = i;
            b.ButtonState[i] = 2;
        }
    }
}

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
