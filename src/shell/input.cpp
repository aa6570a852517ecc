#include "shell/input.h"

#include "platform/platform.h"
#include "shell/game.h"
#include "shell/screens.h"

void PollKeyboard(Game& game) {
    InputState& in = game.input;
    in.KeyLeft = 0;
    in.KeyRight = 0;
    in.FireKey = 0;
    in.KeyReturn = 0;
    in.KeyEscape = 0;
    Platform& p = *game.platform;
    p.UpdateKeyboard();
    if (p.KeyboardButton(kButtonLeft)) in.KeyLeft = 1;
    if (p.KeyboardButton(kButtonRight)) in.KeyRight = 1;
    if (p.KeyboardButton(kButtonSpace)) in.FireKey = 1;
    if (p.KeyboardButton(kButtonReturn)) in.KeyReturn = 1;
    if (p.KeyboardButton(kButtonEscape)) in.KeyEscape = 1;
    if (p.KeyboardButton(kButtonP))
        ++in.PauseKeyFrames;
    else
        in.PauseKeyFrames = 0;
}

void DXDraw1MouseMove(Game& game, int x, int y) {
    game.input.MouseX = x;
    game.input.MouseY = y;
    game.input.MouseMoved = 1;
}

void DXDraw1MouseDown(Game& game) {
    game.input.MouseButtonDown = 1;
    game.input.MouseButtonDown2 = 1;
    game.input.MouseMoved = 0;
}

void DXDraw1MouseUp(Game& game) {
    game.input.MouseButtonDown = 0;
    game.input.ButtonHeldFrames = 0;
    game.input.MouseButtonDown2 = 0;
}

void DXDraw1KeyPress(Game& game, unsigned char ch) {
    // The name editors of the champion and save screens take typed characters.
    const ScreenEntry* screen = FindScreen(game.shell.ScreenId);
    if (screen != nullptr && screen->typed != nullptr) screen->typed(game, ch);
}
