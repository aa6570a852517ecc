// The choice of a game: the modes, the level editor, the network match and the packs.
#include "core/game.h"
#include "core/mode_facts.h"
#include "menus/buttons.h"
#include "menus/menu_screens.h"
#include "menus/online_pages.h"
#include "menus/pack_screen.h"
#include "menus/screen_steps.h"
#include "menus/transitions.h"

namespace {

void ToMainMenu(Game& game) {
    ShowMainMenu(game, 0);
}

template <int kMode>
void StartMode(Game& game) {
    game.requests.levelStart = NewLevelStart(1, kMode, 1, true);
}

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

}  // namespace

void ShowGameChoice(Game& game) {
    BeginTransition(game, false);
    ButtonColumn(game, 5, 300, 40, 110, 25);
    // Below the column, side by side where the frame has room: the level editor and the network
    // match.
    SetButton(game, 6, 305, 545, 95, 25);
    SetButton(game, 7, 495, 545, 95, 25);
    // Above the column, under the title: the player's own level packs.
    SetButton(game, 8, 400, 300, 110, 25);
    // Right of "Back", inside the frame: online games. "Back" keeps its place and label; its
    // hit box ends where the label's widest translation does.
    SetButton(game, 5, 400, 500, 75, 25);
    SetButton(game, 9, 532, 500, 55, 25);
    EndTransition(game, kScreenGameChoice, false, true);
}

void GameChoiceScreen(Game& game) {
    DrawTitle(game, 270, N_("Choose a Game"));
    RunMenu(game, kGameChoice);
    if (TakeEscape(game)) ShowMainMenu(game, 0);
}
