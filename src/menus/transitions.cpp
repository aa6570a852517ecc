#include "menus/transitions.h"

#include "core/game.h"
#include "core/languages.h"
#include "menus/buttons.h"
#include "menus/editor_screen.h"
#include "menus/highscore_replays.h"
#include "menus/highscores.h"
#include "menus/language_screen.h"
#include "menus/menu_screens.h"
#include "menus/net_menu.h"
#include "menus/saved_games.h"
#include "presentation/music.h"
#include "presentation/sound.h"

namespace {

constexpr int kPageTop = 300;

// The steps every transition shares before its buttons: page base (for the paged screens),
// the click and an empty table.
void BeginTransition(Game& game, bool setsPageTop) {
    if (setsPageTop) game.buttons.PageTop = kPageTop;
    RequestSound(game, sndTast1, 400);
    ClearButtons(game);
}

// The steps after the buttons. Clearing Escape keeps the key that led here from acting again
// on the new screen in the same frame.
void EndTransition(Game& game, int screen, bool setsPageNumber, bool clearsEscape) {
    if (setsPageNumber) game.buttons.PageNumber = 1;
    game.buttons.MenuSelection = 0;
    if (clearsEscape) game.input.KeyEscape = 0;
    game.shell.ScreenId = screen;
}

// A column of buttons centred at x 400, slot i at y base + step * i.
void ButtonColumn(Game& game, int count, int base, int step, int halfWidth, int height) {
    for (int i = 1; i <= count; ++i) SetButton(game, i, 400, base + step * i, halfWidth, height);
}

// The three buttons of the paged screens: previous, next and back.
void PageButtons(Game& game, int y, int sideX, int sideY) {
    SetButton(game, 1, sideX, sideY, 50, 25);
    SetButton(game, 2, 800 - sideX, sideY, 50, 25);
    SetButton(game, 3, 400, y, 100, 25);
}

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

void ShowHelpMenu(Game& game) {
    BeginTransition(game, false);
    ButtonColumn(game, 4, 300, 50, 110, 25);
    EndTransition(game, kScreenHelpMenu, false, true);
}

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

void ShowEditor(Game& game) {
    BeginTransition(game, false);
    // The game screen's four panel buttons, then undo and redo left and right of the extras.
    SetPanelButtons(game, kSidePanel);
    SetButton(game, kEditorUndoButton, 62, 550, 50, 25);
    SetButton(game, kEditorRedoButton, 588, 550, 50, 25);
    SetButton(game, kEditorProveButton, 788, 349, 80, 25);
    PrepareEditor(game);
    EndTransition(game, kScreenEditor, false, true);
}

void ShowStartLevel(Game& game) {
    BeginTransition(game, false);
    ButtonColumn(game, 8, 270, 30, 110, 25);
    // Who plays the right field, below the column.
    SetButton(game, kOpponentButton, 400, 550, 130, 25);
    EndTransition(game, kScreenStartLevel, false, true);
}

void ShowNetMatch(Game& game) {
    BeginTransition(game, false);
    // Host and its start level side by side, as join and watch.
    SetButton(game, kHostButton, 330, 315, 110, 20);
    SetButton(game, kStartLevelButton, 515, 315, 65, 20);
    SetButton(game, kJoinButton, 330, 450, 110, 20);
    SetButton(game, kWatchButton, 515, 450, 65, 20);
    SetButton(game, kBackButton, 400, 550, 100, 20);
    for (int i = 0; i < kFoundRows; ++i)
        SetButton(game, kFirstFoundButton + i, 400, kFirstFoundY + kFoundStep * i, 180, 10);
    EndTransition(game, kScreenNetMatch, false, true);
    game.netMenu.ask = NetMenu::Ask::kLeave;
    game.netMenu.found.clear();
}

void ShowOptions(Game& game) {
    BeginTransition(game, false);
    ButtonColumn(game, 4, 300, 50, 125, 22);
    // Below the column, where the frame has room, as on the game choice: the list of languages.
    SetButton(game, kLanguagesButton, 400, 545, 125, 22);
    game.menus.OptionLevel[1] = game.shell.MusicVolumeSetting / 20;
    game.menus.OptionLevel[2] = game.shell.SoundVolume / 20;
    EndTransition(game, kScreenOptions, false, true);
}

void ShowLanguages(Game& game) {
    BeginTransition(game, true);
    PageButtons(game, 540, 135, 415);
    // All on one page: no page buttons.
    if (kLanguages <= kLanguagesPerPage) {
        game.buttons.ButtonActive[1] = 0;
        game.buttons.ButtonActive[2] = 0;
    }
    EndTransition(game, kScreenLanguages, false, true);
    game.buttons.PageNumber = LanguagePageOf(game.shell.Language);
}

void ShowHighscores(Game& game) {
    BeginTransition(game, true);
    PageButtons(game, 540, 135, 415);
    EndTransition(game, kScreenHighscores, true, false);
}

void ShowInfo(Game& game) {
    BeginTransition(game, true);
    PageButtons(game, 540, 135, 415);
    EndTransition(game, kScreenInfo, true, false);
}

void ShowHelp(Game& game) {
    BeginTransition(game, true);
    PageButtons(game, 565, 115, 565);
    EndTransition(game, kScreenHelp, true, false);
}

void ShowLoadScreen(Game& game) {
    BeginTransition(game, true);
    SetButton(game, 1, 400, 525, 100, 25);
    ReadSlotNames(game);
    EndTransition(game, kScreenLoad, false, false);
    game.input.MouseButtonDown = 0;
}

void ShowSaveScreen(Game& game) {
    BeginTransition(game, true);
    SetButton(game, 1, 400, 525, 100, 25);
    game.menus.TypedCount = 0;
    ReadSlotNames(game);
    game.menus.SelectedSlot = 0;
    game.menus.SlotSaved = 0;
    EndTransition(game, kScreenSave, false, false);
    game.input.MouseButtonDown = 0;
}

void InsertHighscore(Game& game, int table, bool restartTune, int score) {
    if (restartTune) StartMenuMusic(game);
    BeginTransition(game, true);
    SetButton(game, 1, 400, 540, 100, 25);
    game.menus.TypedCount = 0;
    EnterHighscore(game, table, game.menus.EntryRank, score);
    LinkHighscoreReplay(game, table, game.menus.EntryRank, score, game.play.LevelNumber);
    EndTransition(game, kScreenNewChampion, false, false);
}
