#include "shell/screens.h"

#include "core/game.h"
#include "menus/editor_screen.h"
#include "menus/help_pages.h"
#include "menus/highscores.h"
#include "menus/language_screen.h"
#include "menus/leaderboards_screen.h"
#include "menus/menu_screens.h"
#include "menus/net_menu.h"
#include "menus/online_screen.h"
#include "menus/pack_screen.h"
#include "menus/saved_games.h"
#include "modes/game_screen.h"
#include "modes/match.h"
#include "modes/mode_table.h"
#include "shell/splash.h"

namespace {

bool Always(const Game&) {
    return true;
}

// Over the field the aim marker takes the pointer's place; the side panel shows the pointer.
bool GamePointer(const Game& game) {
    const int x = game.input.MouseX;
    return x >= 635 || x < CurrentModeRow(game).pointerBandX;
}

// Only the strip between the two fields shows the pointer.
bool MatchPointer(const Game& game) {
    const int x = game.input.MouseX;
    return x >= 350 && x <= 450;
}

// The game screens are rules: they read the simulation, the level files and, in a network match,
// the tick's commands of both players.
void PlayGame(Game& game) {
    GameScreen(game, game.env);
}

void PlayMatch(Game& game) {
    MatchScreen(game, game.env, game.netTick.on ? &game.netTick : nullptr);
}

const ScreenEntry kScreens[] = {
    {kScreenGame, PlayGame, Backdrop::kGame, GamePointer, nullptr},
    {kScreenMainMenu, MainMenuScreen, Backdrop::kMenu, Always, nullptr},
    {kScreenInfo, InfoScreen, Backdrop::kMenu, Always, nullptr},
    {kScreenHelp, HelpScreen, Backdrop::kHelp, Always, nullptr},
    {kScreenHelpMenu, HelpMenuScreen, Backdrop::kMenu, Always, nullptr},
    {kScreenOptions, OptionsScreen, Backdrop::kMenu, Always, nullptr},
    {kScreenHighscores, HighscoreScreen, Backdrop::kMenu, Always, nullptr},
    {kScreenNewChampion, ChampionScreen, Backdrop::kMenu, Always, ChampionNameKey},
    {kScreenGameChoice, GameChoiceScreen, Backdrop::kMenu, Always, nullptr},
    {kScreenMatch, PlayMatch, Backdrop::kMatch, MatchPointer, nullptr},
    {kScreenLoad, LoadScreen, Backdrop::kMenu, Always, nullptr},
    {kScreenSave, SaveScreen, Backdrop::kMenu, Always, SaveNameKey},
    {kScreenStartLevel, StartLevelScreen, Backdrop::kMenu, Always, nullptr},
    {kScreenEditor, EditorScreen, Backdrop::kEditor, Always, EditorNameKey},
    {kScreenNetMatch, NetMatchScreen, Backdrop::kMenu, Always, NetAddressKey},
    {kScreenPacks, PackListScreen, Backdrop::kMenu, Always, nullptr},
    {kScreenPackLevels, PackListScreen, Backdrop::kMenu, Always, nullptr},
    {kScreenLanguages, LanguageScreen, Backdrop::kMenu, Always, nullptr},
    {kScreenOnline, OnlineScreen, Backdrop::kMenu, Always, OnlineNameKey},
    {kScreenLeaderboards, LeaderboardsScreen, Backdrop::kMenu, Always, nullptr},
    {kScreenSplash, SplashScreen, Backdrop::kSplash, Always, nullptr},
};

}  // namespace

const ScreenEntry* FindScreen(int id) {
    for (const ScreenEntry& e : kScreens) {
        if (e.id == id) return &e;
    }
    return nullptr;
}

Backdrop ScreenBackdrop(int id) {
    if (const ScreenEntry* e = FindScreen(id)) return e->backdrop;
    return id >= 1 && id <= 35 ? Backdrop::kMenu : Backdrop::kNone;
}

bool ScreenShowsPointer(const Game& game) {
    const int id = game.shell.ScreenId;
    if (id < 1) return false;
    const ScreenEntry* e = FindScreen(id);
    return e == nullptr || e->pointerShown == nullptr || e->pointerShown(game);
}

void RunScreenHandler(Game& game) {
    const ScreenEntry* e = FindScreen(game.shell.ScreenId);
    // A screen without a handler only renders, sounds and flips.
    if (e != nullptr && e->handler != nullptr) e->handler(game);
}

namespace {

Scene FrameScene(const Game& game) {
    Scene scene;
    scene.backdrop = ScreenBackdrop(game.shell.ScreenId);
    scene.pointer = ScreenShowsPointer(game);
    if (scene.backdrop == Backdrop::kGame) {
        const ModeRow& row = CurrentModeRow(game);
        // A game without a mode of its own draws no stones.
        const bool known = FindModeRow(game.play.GameMode) != nullptr;
        scene.pipeBackground = row.drawsPipes;
        scene.stones = known && !row.drawsPipes;
        scene.pipes = known && row.drawsPipes;
        scene.aimBandX = row.pointerBandX;
    }
    return scene;
}

}  // namespace

void RenderFrame(Game& game) {
    RenderScene(game, FrameScene(game));
}

void DrawFrameWhole(Game& game) {
    DrawSceneWhole(game, FrameScene(game));
}
