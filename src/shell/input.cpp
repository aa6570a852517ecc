#include "shell/input.h"

#include <array>
#include <string>

#include "core/game.h"
#include "platform/platform.h"
#include "shell/recorder.h"
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
    if (game.recorder != nullptr) {
        std::array<bool, 8> down{};
        for (int k = 0; k < 8; ++k) down[k] = p.KeyboardButton(k);
        game.recorder->Keys(game.shell.FrameCounter, down);
    }
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

namespace {

// Window events between two ticks are seen by the next one.
void Record(Game& game, const std::string& event) {
    if (game.recorder != nullptr) game.recorder->Line(game.shell.FrameCounter + 1, event);
}

}  // namespace

void DXDraw1MouseMove(Game& game, int x, int y) {
    Record(game, "move " + std::to_string(x) + " " + std::to_string(y));
    game.input.MouseX = x;
    game.input.MouseY = y;
    game.input.MouseMoved = 1;
}

void DXDraw1MouseDown(Game& game) {
    Record(game, "down");
    game.input.MouseButtonDown = 1;
    game.input.MouseButtonDown2 = 1;
    game.input.MouseMoved = 0;
}

void DXDraw1MouseUp(Game& game) {
    Record(game, "up");
    game.input.MouseButtonDown = 0;
    game.input.ButtonHeldFrames = 0;
    game.input.MouseButtonDown2 = 0;
}

void DXDraw1KeyPress(Game& game, unsigned char ch) {
    if (game.recorder != nullptr) game.recorder->Typed(game.shell.FrameCounter + 1, ch);
    // The name editors of the champion and save screens take typed characters.
    const ScreenEntry* screen = FindScreen(game.shell.ScreenId);
    if (screen != nullptr && screen->typed != nullptr) screen->typed(game, ch);
}
