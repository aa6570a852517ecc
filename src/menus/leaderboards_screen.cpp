#include "menus/leaderboards_screen.h"

#include <string>

#include "core/game.h"
#include "core/mode_facts.h"
#include "core/sound_state.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/online_screen.h"

namespace {

constexpr int kFirstRowY = 322;
constexpr int kRowStep = 19;

const char* BoardTitle(const Game& game, const std::string& mode) {
    if (mode == "endless") return Tr(game, FactsOfMode(kModeEndless).name);
    if (mode == "puzzle") return Tr(game, FactsOfMode(kModePuzzle).name);
    if (mode == "pipe") return Tr(game, FactsOfMode(kModePipe).name);
    if (mode == "daily") return Tr(game, "Daily challenge");
    return "";
}

void DrawRow(Game& game, int y, const OnlineMenu::Row& row, int colour) {
    DrawText(game, 285, y, kAlignRight, std::to_string(row.place) + ".", colour);
    DrawText(game, 300, y, kAlignLeft, row.name, colour);
    DrawText(game, 560, y, kAlignRight, std::to_string(row.score), colour);
}

}  // namespace

void ShowLeaderboards(Game& game) {
    RequestSound(game, sndTast1, 400);
    ClearButtons(game);
    SetButton(game, kBoardsNextButton, 480, 550, 75, 20);
    SetButton(game, kBoardsBackButton, 320, 550, 75, 20);
    game.buttons.MenuSelection = 0;
    game.input.KeyEscape = 0;
    game.shell.ScreenId = kScreenLeaderboards;
    game.online.ask = OnlineMenu::Ask::kBoards;
    game.online.boardShown = 0;
}

void LeaderboardsScreen(Game& game) {
    OnlineMenu& m = game.online;
    DrawText(game, 400, 258, kAlignCentre, Tr(game, "Leaderboards"), 1);
    UpdateButtons(game);
    DrawButtonLabel(game, kBoardsNextButton, Tr(game, "Next board"), 3);
    DrawButtonLabel(game, kBoardsBackButton, Tr(game, "Back"), 5);
    const int count = static_cast<int>(m.boards.size());
    if (m.boardShown >= count) m.boardShown = 0;
    if (count == 0) {
        int y = 380;
        for (const std::string& line : m.status) {
            DrawText(game, 400, y, kAlignCentre, line, 5);
            y += 22;
        }
        if (m.status.empty() && m.busy)
            DrawText(game, 400, y, kAlignCentre, Tr(game, "Asking the server ..."), 5);
    } else {
        const OnlineMenu::Board& b = m.boards[m.boardShown];
        DrawText(game, 400, 292, kAlignCentre, BoardTitle(game, b.mode), 3);
        int y = kFirstRowY;
        for (const OnlineMenu::Row& row : b.top) {
            DrawRow(game, y, row, row.name == m.name ? 2 : 5);
            y += kRowStep;
        }
        if (b.top.empty())
            DrawText(game, 400, y + 40, kAlignCentre, Tr(game, "No game on this board yet."), 5);
        if (b.hasOwn)
            DrawText(game, 400, 520, kAlignCentre,
                     FillIn(Tr(game, "Your place: %s, %s points"),
                            {std::to_string(b.own.place), std::to_string(b.own.score)}),
                     3);
    }
    if (game.buttons.MenuSelection == kBoardsNextButton && count > 0)
        m.boardShown = (m.boardShown + 1) % count;
    if (game.buttons.MenuSelection == kBoardsBackButton || game.input.KeyEscape == 1) {
        game.input.KeyEscape = 0;
        ShowOnline(game);
    }
}
