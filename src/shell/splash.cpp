#include "shell/splash.h"

#include "core/buttons.h"
#include "core/game.h"
#include "menus/transitions.h"

void ShowSplash(Game& game) {
    ClearButtons(game);
    game.shell.SplashFrames = 0;
    game.buttons.MenuSelection = 0;
    game.input.KeyEscape = 0;
    game.shell.ScreenId = kScreenSplash;
}

void SplashScreen(Game& game) {
    if (game.input.KeyEscape == 1) ShowMainMenu(game, true);
    ++game.shell.SplashFrames;
    if (game.shell.SplashFrames == 200) ShowMainMenu(game, true);
}
