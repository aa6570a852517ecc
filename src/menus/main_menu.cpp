// The main menu, with or without a game waiting under it.
#include "core/game.h"
#include "core/mode_facts.h"
#include "menus/buttons.h"
#include "menus/menu_screens.h"
#include "menus/screen_steps.h"
#include "menus/settings.h"
#include "menus/transitions.h"
#include "presentation/music.h"

namespace {

void ExitGame(Game& game) {
    game.ownAsks.writeSettings = true;
    game.shell.QuitRequested = 1;
}

void ResumeGame(Game& game) {
    LevelStartRequest start = ResumeStart(FactsOfMode(game.play.GameMode).players == 2);
    start.restartTune = 1;
    game.requests.levelStart = start;
}

const MenuButton kMainMenu[] = {
    {N_("Start Game"), 3, ShowGameChoice},
    {N_("Load Game"), 3, ShowLoadScreen},
    {N_("Options"), 3, ShowOptions},
    {N_("Help and Credits"), 3, ShowHelpMenu},
    {N_("Exit"), 5, ExitGame},
};

// The main menu while a game waits to be resumed.
const MenuButton kMainMenuWithGame[] = {
    {N_("Resume Game"), 3, ResumeGame},
    {N_("Start new Game"), 3, ShowGameChoice},
    {N_("Save Game"), 3, ShowSaveScreen},
    {N_("Load Game"), 3, ShowLoadScreen},
    {N_("Options"), 3, ShowOptions},
    {N_("Help and Credits"), 3, ShowHelpMenu},
    {N_("Exit"), 3, ExitGame},
};

}  // namespace

void ShowMainMenu(Game& game, bool restartTune) {
    if (restartTune) StartMenuMusic(game);
    BeginTransition(game, false);
    if (game.shell.GameInProgress == 2)
        ButtonColumn(game, 7, 280, 35, 110, 25);
    else
        ButtonColumn(game, 5, 300, 40, 110, 25);
    EndTransition(game, kScreenMainMenu, false, true);
}

void MainMenuScreen(Game& game) {
    DrawTitle(game, 270, N_("Main menue"));
    if (game.shell.GameInProgress == 2)
        RunMenu(game, kMainMenuWithGame);
    else
        RunMenu(game, kMainMenu);
}
