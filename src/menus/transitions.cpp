#include "menus/transitions.h"

#include "menus/buttons.h"
#include "presentation/music.h"
#include "shell/game.h"

void ShowMainMenu(Game& game, int music) {
    StartMenuMusic(game, music);
    ClearButtons(game);
    game.buttons.MenuSelection = 0;
    game.input.KeyEscape = 0;
    game.shell.ScreenId = kScreenMainMenu;
}
