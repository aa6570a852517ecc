#include "menus/leaderboards_screen.h"

#include <string>

#include "core/game.h"
#include "core/mode_facts.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/online_pages.h"
#include "presentation/text.h"

namespace {

constexpr int kFirstRowY = 322;
constexpr int kRowStep = 19;
constexpr int kOwnY = 520;
// Where a row can be pointed at: from its place number to its score.
constexpr int kRowsLeft = 240;
constexpr int kRowsRight = 570;

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

// The rows that can be chosen: the top ones, then the player's own line below them.
int RowsOf(const OnlineMenu::Board& b) {
    return static_cast<int>(b.top.size()) + (b.hasOwn ? 1 : 0);
}

const OnlineMenu::Row& RowAt(const OnlineMenu::Board& b, int row) {
    return row < static_cast<int>(b.top.size()) ? b.top[static_cast<std::size_t>(row)] : b.own;
}

int RowY(const OnlineMenu::Board& b, int row) {
    return row < static_cast<int>(b.top.size()) ? kFirstRowY + kRowStep * row : kOwnY;
}

int RowUnderPointer(const Game& game, const OnlineMenu::Board& b) {
    const int x = game.input.MouseX, y = game.input.MouseY;
    if (x <= kRowsLeft || x >= kRowsRight) return -1;
    for (int row = 0; row < RowsOf(b); ++row)
        if (y > RowY(b, row) - 3 && y < RowY(b, row) + kRowStep - 2) return row;
    return -1;
}

// Left and Right step through the rows, one step a press.
void StepByKeys(Game& game, OnlineMenu& m, int rows) {
    const int step = game.input.KeyLeft != 0 ? -1 : game.input.KeyRight != 0 ? 1 : 0;
    if (step != 0 && !m.stepKeyHeld && rows > 0)
        m.rowChosen =
            m.rowChosen < 0 ? (step > 0 ? 0 : rows - 1) : (m.rowChosen + step + rows) % rows;
    m.stepKeyHeld = step != 0;
}

}  // namespace

// How many lines what the session says takes.
int StatusLines(const Game& game, const std::vector<std::string>& status) {
    int lines = 0;
    for (const std::string& text : status)
        lines += static_cast<int>(BreakOnlineLine(game, text, kOnlineLineWidth).size());
    return lines;
}

void LeaderboardsScreen(Game& game) {
    OnlineMenu& m = game.online;
    DrawText(game, 400, 258, kAlignCentre, Tr(game, "Leaderboards"), 1);
    UpdateButtons(game);
    DrawButtonLabel(game, kBoardsNextButton, Tr(game, "Next board"), 3);
    DrawButtonLabel(game, kBoardsWatchButton, Tr(game, "Watch"), 3);
    DrawButtonLabel(game, kBoardsBackButton, Tr(game, "Back"), 5);
    const int count = static_cast<int>(m.boards.size());
    if (m.boardShown >= count) m.boardShown = 0;
    if (count == 0) {
        const int y = DrawOnlineLines(game, m.status, 380);
        if (m.status.empty() && m.busy)
            DrawOnlineLines(game, {Tr(game, "Asking the server ...")}, y);
    } else {
        const OnlineMenu::Board& b = m.boards[static_cast<std::size_t>(m.boardShown)];
        const int rows = RowsOf(b);
        if (m.rowChosen >= rows) m.rowChosen = -1;
        if (!m.busy) {
            const int before = m.rowChosen;
            StepByKeys(game, m, rows);
            // Only a press made on this screen chooses: the click that opened it is older.
            const int over = RowUnderPointer(game, b);
            if (over >= 0 && game.input.MouseButtonDown != 0 && game.input.ButtonHeldFrames == 1)
                m.rowChosen = over;
            // Another row chosen: what was said of the last one goes.
            if (m.rowChosen != before) m.status.clear();
        }
        const int over = RowUnderPointer(game, b);
        auto colour = [&](int row, int plain) {
            return row == m.rowChosen ? 1 : row == over ? 2 : plain;
        };
        DrawText(game, 400, 292, kAlignCentre, BoardTitle(game, b.mode), 3);
        // What the server or the check said of a row's game: a line in the own line's place,
        // more over the rows, until another row is chosen.
        const bool saysMuch = StatusLines(game, m.status) > 1;
        if (saysMuch) DrawOnlineLines(game, m.status, 380);
        for (int row = 0; row < static_cast<int>(b.top.size()) && !saysMuch; ++row) {
            const OnlineMenu::Row& r = b.top[static_cast<std::size_t>(row)];
            DrawRow(game, RowY(b, row), r, colour(row, r.name == m.name ? 3 : 5));
        }
        // The chosen row is marked as well as lit: the pointer's row is lit too.
        if (m.rowChosen >= 0 && m.rowChosen < static_cast<int>(b.top.size()) && !saysMuch)
            DrawText(game, kRowsLeft, RowY(b, m.rowChosen), kAlignLeft, ">", 1);
        if (b.top.empty() && !saysMuch)
            DrawOnlineLines(game, {Tr(game, "No game on this board yet.")}, 362);
        if (!m.status.empty()) {
            if (!saysMuch) DrawOnlineLines(game, m.status, kOwnY - 8);
        } else if (b.hasOwn) {
            const std::string own =
                FillIn(Tr(game, "Your place: %s, %s points"),
                       {std::to_string(b.own.place), std::to_string(b.own.score)});
            DrawText(game, 400, kOwnY, kAlignCentre, own, colour(rows - 1, 3));
            if (m.rowChosen == rows - 1)
                DrawText(game, 400 - TextWidth(game, own) / 2 - 8, kOwnY, kAlignRight, ">", 1);
        }
        if (game.buttons.MenuSelection == kBoardsWatchButton && !m.busy && rows > 0) {
            if (m.rowChosen < 0) m.rowChosen = 0;
            m.watch = RowAt(b, m.rowChosen);
            m.ask = OnlineMenu::Ask::kWatch;
        }
    }
    if (game.buttons.MenuSelection == kBoardsNextButton && count > 0) {
        m.boardShown = (m.boardShown + 1) % count;
        m.rowChosen = -1;
        m.status.clear();
    }
    if (game.buttons.MenuSelection == kBoardsBackButton || game.input.KeyEscape == 1) {
        game.input.KeyEscape = 0;
        m.status.clear();
        ShowOnline(game);
    }
}
