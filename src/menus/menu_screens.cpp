#include "menus/menu_screens.h"

#include <string>

#include "menus/buttons.h"
#include "menus/settings.h"
#include "menus/transitions.h"
#include "modes/level_start.h"
#include "presentation/text.h"
#include "shell/game.h"

namespace {

const char* Pick(const Game& game, const char* german, const char* english) {
    return game.shell.Language == 2 ? english : german;
}

void DrawTitle(Game& game, int y, const char* german, const char* english) {
    DrawText(game, 400, y, kAlignCentre, Pick(game, german, english), 1);
}

// Escape, cleared so that the next screen does not see it again in this frame.
bool TakeEscape(Game& game) {
    if (game.input.KeyEscape != 1) return false;
    game.input.KeyEscape = 0;
    return true;
}

void ExitGame(Game& game) {
    WriteSettings(game, kSettingsFile);
    game.shell.QuitRequested = 1;
}

void ResumeGame(Game& game) {
    // The match start resumes a match; until it exists the single-player start covers all modes.
    StartLevel(game, kResumeGame, kResumeGame, kResumeGame, kRestartMusic);
}

}  // namespace

const char* OptionLevelWord(const Game& game, int level) {
    static const char* kGerman[6] = {"aus",       "leise",     "eher leise",
                                     "so mittel", "eher laut", "ziemlich laut"};
    static const char* kEnglish[6] = {"off", "very low", "low", "medium", "loud", "very loud"};
    if (level < 0 || level > 5) return "";
    return Pick(game, kGerman[level], kEnglish[level]);
}

void MainMenuScreen(Game& game) {
    DrawTitle(game, 270, "Hauptmenue", "Main menue");
    UpdateButtons(game);
    const int pressed = game.buttons.MenuSelection;
    if (game.shell.GameInProgress == 2) {
        DrawButtonLabel(game, 1, Pick(game, "Spiel fortsetzen", "Resume Game"), 3);
        DrawButtonLabel(game, 2, Pick(game, "Neues Spiel", "Start new Game"), 3);
        DrawButtonLabel(game, 3, Pick(game, "Spiel speichern", "Save Game"), 3);
        DrawButtonLabel(game, 4, Pick(game, "Spiel laden", "Load Game"), 3);
        DrawButtonLabel(game, 5, Pick(game, "Einstellungen", "Options"), 3);
        DrawButtonLabel(game, 6, Pick(game, "Hilfe-Info-Sieger", "Help and Credits"), 3);
        DrawButtonLabel(game, 7, Pick(game, "Ende", "Exit"), 3);
        switch (pressed) {
            case 1:
                ResumeGame(game);
                break;
            case 2:
                ShowGameChoice(game);
                break;
            case 3:
                ShowSaveScreen(game);
                break;
            case 4:
                ShowLoadScreen(game);
                break;
            case 5:
                ShowOptions(game);
                break;
            case 6:
                ShowHelpMenu(game);
                break;
            case 7:
                ExitGame(game);
                break;
            default:
                break;
        }
        return;
    }
    DrawButtonLabel(game, 1, Pick(game, "Spiel starten", "Start Game"), 3);
    DrawButtonLabel(game, 2, Pick(game, "Spiel laden", "Load Game"), 3);
    DrawButtonLabel(game, 3, Pick(game, "Einstellungen", "Options"), 3);
    DrawButtonLabel(game, 4, Pick(game, "Hilfe-Info-Sieger", "Help and Credits"), 3);
    DrawButtonLabel(game, 5, Pick(game, "Ende", "Exit"), 5);
    switch (pressed) {
        case 1:
            ShowGameChoice(game);
            break;
        case 2:
            ShowLoadScreen(game);
            break;
        case 3:
            ShowOptions(game);
            break;
        case 4:
            ShowHelpMenu(game);
            break;
        case 5:
            ExitGame(game);
            break;
        default:
            break;
    }
}

void HelpMenuScreen(Game& game) {
    DrawTitle(game, 270, "Hilfe, Sieger", "Help, Credits");
    DrawTitle(game, 295, "Info", "Highscores");
    UpdateButtons(game);
    DrawButtonLabel(game, 1, Pick(game, "Spielhilfe", "Game Help"), 3);
    DrawButtonLabel(game, 2, Pick(game, "Siegertabelle", "Highscores"), 3);
    DrawButtonLabel(game, 3, Pick(game, "Info", "Credits"), 3);
    DrawButtonLabel(game, 4, Pick(game, "Zurück", "Back"), 5);
    switch (game.buttons.MenuSelection) {
        case 1:
            ShowHelp(game);
            break;
        case 2:
            ShowHighscores(game);
            break;
        case 3:
            ShowInfo(game);
            break;
        case 4:
            ShowMainMenu(game, 0);
            break;
        default:
            break;
    }
    if (TakeEscape(game)) ShowMainMenu(game, 0);
}

void GameChoiceScreen(Game& game) {
    DrawTitle(game, 270, "Wähle ein Spiel", "Choose a Game");
    UpdateButtons(game);
    DrawButtonLabel(game, 1, Pick(game, "Endlos", "Endless"), 3);
    DrawButtonLabel(game, 2, "Puzzle", 3);
    DrawButtonLabel(game, 3, "Pipe", 3);
    DrawButtonLabel(game, 4, "Puzzle-Match", 3);
    DrawButtonLabel(game, 5, Pick(game, "Zurück", "Back"), 5);
    const int pressed = game.buttons.MenuSelection;
    if (pressed >= 1 && pressed <= 3) StartLevel(game, 1, pressed, 1, kRestartMusic);
    if (pressed == 4) ShowStartLevel(game);
    if (pressed == 5) ShowMainMenu(game, 0);
    if (TakeEscape(game)) ShowMainMenu(game, 0);
}

void StartLevelScreen(Game& game) {
    DrawTitle(game, 270, "Startlevel", "Startlevel");
    UpdateButtons(game);
    for (int n = 1; n <= 7; ++n)
        DrawButtonLabel(game, n, "Level " + std::to_string(1 + 7 * (n - 1)), 3);
    DrawButtonLabel(game, 8, Pick(game, "Zurück", "Back"), 5);
    // Buttons 1..7 start the match from level 1 + 7 (n - 1) once the match exists.
    if (game.buttons.MenuSelection == 8) ShowGameChoice(game);
    if (TakeEscape(game)) ShowGameChoice(game);
}

void OptionsScreen(Game& game) {
    MenuState& m = game.menus;
    ShellState& sh = game.shell;
    DrawTitle(game, 270, "Einstellungen", "Options");
    UpdateButtons(game);
    DrawButtonLabel(
        game, 1,
        std::string(Pick(game, "Musik ", "Music ")) + OptionLevelWord(game, m.OptionLevel[1]), 3);
    DrawButtonLabel(game, 2, std::string("Sound ") + OptionLevelWord(game, m.OptionLevel[2]), 3);
    DrawButtonLabel(game, 3, Pick(game, "Sprache Deutsch", "Language English"), 3);
    DrawButtonLabel(game, 4, Pick(game, "Zurück", "Back"), 5);
    const int pressed = game.buttons.MenuSelection;
    sh.MusicVolumeSetting = m.OptionLevel[1] * 20;
    sh.MusicVolumeTarget = sh.MusicVolumeSetting;
    if (pressed == 1) m.OptionLevel[1] = (m.OptionLevel[1] + 1) % 6;
    sh.SoundVolume = m.OptionLevel[2] * 20;
    if (pressed == 2) m.OptionLevel[2] = (m.OptionLevel[2] + 1) % 6;
    if (pressed == 3) sh.Language = sh.Language == 1 ? 2 : 1;
    if (pressed == 4) ShowMainMenu(game, 0);
    if (TakeEscape(game)) ShowMainMenu(game, 0);
}
