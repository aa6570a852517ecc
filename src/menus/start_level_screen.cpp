// The match's start level and who plays the right field.
#include "core/game.h"
#include "core/mode_facts.h"
#include "menus/buttons.h"
#include "menus/menu_screens.h"
#include "menus/screen_steps.h"
#include "menus/settings.h"
#include "menus/transitions.h"

namespace {

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

void ShowStartLevel(Game& game) {
    BeginTransition(game, false);
    ButtonColumn(game, 8, 270, 30, 110, 25);
    // Who plays the right field, below the column.
    SetButton(game, kOpponentButton, 400, 550, 130, 25);
    EndTransition(game, kScreenStartLevel, false, true);
}

void StartLevelScreen(Game& game) {
    // The column of levels begins in the title band: the title keeps to its top.
    DrawTitle(game, 252, N_("Startlevel"));
    RunMenu(game, kStartLevels);
    ComputerState& c = game.computer;
    DrawButtonLabel(game, kOpponentButton, OpponentLabel(game, c.OpponentChoice), 3);
    if (game.shell.ScreenId == kScreenStartLevel && game.buttons.MenuSelection == kOpponentButton) {
        c.OpponentChoice = (c.OpponentChoice + 1) % (kComputerHard + 1);
        game.ownAsks.writeOpponent = true;
    }
    if (TakeEscape(game)) ShowGameChoice(game);
}
