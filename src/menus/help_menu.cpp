// The menu of help, credits and highscores.
#include "core/game.h"
#include "menus/buttons.h"
#include "menus/menu_screens.h"
#include "menus/screen_steps.h"
#include "menus/transitions.h"

namespace {

void ToMainMenu(Game& game) {
    ShowMainMenu(game, 0);
}

const MenuButton kHelpMenu[] = {
    {N_("Game Help"), 3, ShowHelp},
    {NC_("help menu button", "Highscores"), 3, ShowHighscores},
    {N_("Credits"), 3, ShowInfo},
    {N_("Back"), 5, ToMainMenu},
};

}  // namespace

void ShowHelpMenu(Game& game) {
    BeginTransition(game, false);
    ButtonColumn(game, 4, 300, 50, 110, 25);
    EndTransition(game, kScreenHelpMenu, false, true);
}

void HelpMenuScreen(Game& game) {
    DrawTitle(game, 270, N_("Help, Credits"));
    DrawTitle(game, 295, NC_("help menu title, second line", "Highscores"));
    RunMenu(game, kHelpMenu);
    if (TakeEscape(game)) ShowMainMenu(game, 0);
}
