#include "menus/help_pages.h"
#include "menus/highscores.h"
#include "menus/menu_screens.h"
#include "menus/saved_games.h"
#include "playfield/game_screen.h"
#include "shell/frame_loop.h"
#include "shell/game.h"

void RunScreenHandler(Game& game) {
    switch (game.shell.ScreenId) {
        case kScreenGame:
            GameScreen(game);
            break;
        case kScreenSplash:
            SplashScreen(game);
            break;
        case kScreenMainMenu:
            MainMenuScreen(game);
            break;
        case kScreenInfo:
            InfoScreen(game);
            break;
        case kScreenHelp:
            HelpScreen(game);
            break;
        case kScreenHelpMenu:
            HelpMenuScreen(game);
            break;
        case kScreenOptions:
            OptionsScreen(game);
            break;
        case kScreenHighscores:
            HighscoreScreen(game);
            break;
        case kScreenNewChampion:
            ChampionScreen(game);
            break;
        case kScreenGameChoice:
            GameChoiceScreen(game);
            break;
        case kScreenStartLevel:
            StartLevelScreen(game);
            break;
        case kScreenLoad:
            LoadScreen(game);
            break;
        case kScreenSave:
            SaveScreen(game);
            break;
        default:
            // A screen without a handler only renders, sounds and flips.
            break;
    }
}
