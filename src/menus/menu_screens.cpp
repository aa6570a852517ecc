#include "menus/menu_screens.h"

#include <string>

#include "core/game.h"
#include "core/mode_facts.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/editor_screen.h"
#include "menus/net_menu.h"
#include "menus/online_pages.h"
#include "menus/pack_screen.h"
#include "menus/settings.h"
#include "menus/transitions.h"
#include "presentation/text.h"

namespace {

void DrawTitle(Game& game, int y, Words words) {
    DrawText(game, 400, y, kAlignCentre, Tr(game, words), 1);
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
    LevelStartRequest start = ResumeStart(FactsOfMode(game.play.GameMode).players == 2);
    start.restartTune = 1;
    game.requests.levelStart = start;
}

}  // namespace

const char* OptionLevelWord(const Game& game, int level) {
    static const Words kWords[6] = {N_("off"),    N_("very low"), N_("low"),
                                    N_("medium"), N_("loud"),     N_("very loud")};
    if (level < 0 || level > 5) return "";
    return Tr(game, kWords[level]);
}

namespace {

void ToMainMenu(Game& game) {
    ShowMainMenu(game, 0);
}

template <int kMode>
void StartMode(Game& game) {
    game.requests.levelStart = NewLevelStart(1, kMode, 1, true);
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

const MenuButton kHelpMenu[] = {
    {N_("Game Help"), 3, ShowHelp},
    {NC_("help menu button", "Highscores"), 3, ShowHighscores},
    {N_("Credits"), 3, ShowInfo},
    {N_("Back"), 5, ToMainMenu},
};

const MenuButton kGameChoice[] = {
    {FactsOfMode(kModeEndless).name, 3, StartMode<kModeEndless>},
    {FactsOfMode(kModePuzzle).name, 3, StartMode<kModePuzzle>},
    {FactsOfMode(kModePipe).name, 3, StartMode<kModePipe>},
    {FactsOfMode(kModeMatch).name, 3, ShowStartLevel},
    {N_("Back"), 5, ToMainMenu},
    {N_("Level Editor"), 3, ShowEditor},
    {N_("Network Match"), 3, ShowNetMatch},
    {N_("My Levels"), 3, RequestPackList},
    {N_("Online"), 3, ShowOnline},
};

// A new match from one of the levels that open a stretch of seven.
template <int kLevel>
void StartMatch(Game& game) {
    // The right field goes to the opponent chosen on this screen.
    game.computer.Strength[1] = kNoComputer;
    game.computer.Strength[2] = game.computer.OpponentChoice;
    LevelStartRequest start = NewLevelStart(kLevel, kModeMatch, 1, true);
    start.newMatch = 1;
    start.match = 1;
    game.requests.levelStart = start;
}

const MenuButton kStartLevels[] = {
    {N_("Level 1"), 3, StartMatch<1>},   {N_("Level 8"), 3, StartMatch<8>},
    {N_("Level 15"), 3, StartMatch<15>}, {N_("Level 22"), 3, StartMatch<22>},
    {N_("Level 29"), 3, StartMatch<29>}, {N_("Level 36"), 3, StartMatch<36>},
    {N_("Level 43"), 3, StartMatch<43>}, {N_("Back"), 5, ShowGameChoice},
};

}  // namespace

const char* OpponentLabel(const Game& game, int choice) {
    static const Words kLabels[kComputerHard + 1] = {
        N_("2 Players"),
        N_("Computer: Easy"),
        N_("Computer: Normal"),
        N_("Computer: Hard"),
    };
    if (choice < kNoComputer || choice > kComputerHard) return "";
    return Tr(game, kLabels[choice]);
}

void MainMenuScreen(Game& game) {
    DrawTitle(game, 270, N_("Main menue"));
    if (game.shell.GameInProgress == 2)
        RunMenu(game, kMainMenuWithGame);
    else
        RunMenu(game, kMainMenu);
}

void HelpMenuScreen(Game& game) {
    DrawTitle(game, 270, N_("Help, Credits"));
    DrawTitle(game, 295, NC_("help menu title, second line", "Highscores"));
    RunMenu(game, kHelpMenu);
    if (TakeEscape(game)) ShowMainMenu(game, 0);
}

void GameChoiceScreen(Game& game) {
    DrawTitle(game, 270, N_("Choose a Game"));
    RunMenu(game, kGameChoice);
    if (TakeEscape(game)) ShowMainMenu(game, 0);
}

void StartLevelScreen(Game& game) {
    // The column of levels begins in the title band: the title keeps to its top.
    DrawTitle(game, 252, N_("Startlevel"));
    RunMenu(game, kStartLevels);
    ComputerState& c = game.computer;
    DrawButtonLabel(game, kOpponentButton, OpponentLabel(game, c.OpponentChoice), 3);
    if (game.shell.ScreenId == kScreenStartLevel && game.buttons.MenuSelection == kOpponentButton) {
        c.OpponentChoice = (c.OpponentChoice + 1) % (kComputerHard + 1);
        WriteOpponentChoice(game, kOpponentFile);
    }
    if (TakeEscape(game)) ShowGameChoice(game);
}

void OptionsScreen(Game& game) {
    MenuState& m = game.menus;
    ShellState& sh = game.shell;
    DrawTitle(game, 270, N_("Options"));
    UpdateButtons(game);
    DrawButtonLabel(game, 1,
                    std::string(Tr(game, "Music ")) + OptionLevelWord(game, m.OptionLevel[1]), 3);
    DrawButtonLabel(game, 2,
                    std::string(Tr(game, "Sound ")) + OptionLevelWord(game, m.OptionLevel[2]), 3);
    DrawButtonLabel(game, 3, Tr(game, "Language English"), 3);
    DrawButtonLabel(game, 4, Tr(game, "Back"), 5);
    // TRANSLATORS: the options' button that opens the list of every language the game speaks.
    DrawButtonLabel(game, kLanguagesButton, Tr(game, "All languages"), 3);
    const int pressed = game.buttons.MenuSelection;
    sh.MusicVolumeSetting = m.OptionLevel[1] * 20;
    sh.MusicVolumeTarget = sh.MusicVolumeSetting;
    if (pressed == 1) m.OptionLevel[1] = (m.OptionLevel[1] + 1) % 6;
    sh.SoundVolume = m.OptionLevel[2] * 20;
    if (pressed == 2) m.OptionLevel[2] = (m.OptionLevel[2] + 1) % 6;
    if (pressed == 3) sh.Language = NextLanguage(sh.Language);
    if (pressed == 4) ShowMainMenu(game, 0);
    if (pressed == kLanguagesButton) ShowLanguages(game);
    if (TakeEscape(game)) ShowMainMenu(game, 0);
}
