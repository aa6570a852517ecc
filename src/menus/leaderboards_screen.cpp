#include "menus/leaderboards_screen.h"

#include <string>

#include "core/game.h"
#include "core/mode_facts.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/online_pages.h"

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

void LeaderboardsScreen(Game& game) {
    OnlineMenu& m = game.online;
    DrawText(game, 400, 258, kAlignCentre, Tr(game, "Leaderboards"), 1);
    UpdateButtons(game);
    DrawButtonLabel(game, kBoardsNextButton, Tr(game, "Next board"), 3);
    DrawButtonLabel(game, kBoardsBackButton, Tr(game, "Back"), 5);
    const int count = static_cast<int>(m.boards.size());
    if (m.boardShown >= count) m.boardShown = 0;
    if (count == 0) {
        const int y = DrawOnlineLines(game, m.status, 380);
        if (m.status.empty() && m.busy)
            DrawOnlineLines(game, {Tr(game, "Asking the server ...")}, y);
    } else {
        const OnlineMenu::Board& b = m.boards[m.boardShown];
        DrawText(game, 400, 292, kAlignCentre, BoardTitle(game, b.mode), 3);
        int y = kFirstRowY;
        for (const OnlineMenu::Row& row : b.top) {
            DrawRow(game, y, row, row.name == m.name ? 2 : 5);
            y += kRowStep;
        }
        if (b.top.empty()) DrawOnlineLines(game, {Tr(game, "No game on this board yet.")}, y + 40);
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
