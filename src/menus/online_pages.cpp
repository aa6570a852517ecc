#include "menus/online_pages.h"

#include "core/buttons.h"
#include "core/game.h"
#include "core/sound_state.h"
#include "presentation/text.h"

namespace {

constexpr int kStatusStep = 22;

// Where the code point at `at` of UTF-8 text ends.
std::size_t NextCodePoint(const std::string& s, std::size_t at) {
    ++at;
    while (at < s.size() && (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80) ++at;
    return at;
}

}  // namespace

std::vector<std::string> BreakOnlineLine(const Game& game, const std::string& text, int width) {
    std::vector<std::string> lines;
    std::string rest = text;
    while (TextWidth(game, rest) > width) {
        // The longest head that fits, ended at a space where there is one.
        std::size_t fits = 0, space = 0;
        for (std::size_t at = NextCodePoint(rest, 0); at <= rest.size();
             at = NextCodePoint(rest, at)) {
            if (TextWidth(game, rest.substr(0, at)) > width) break;
            fits = at;
            if (at < rest.size() && rest[at] == ' ') space = at;
            if (at == rest.size()) break;
        }
        if (fits == 0) fits = NextCodePoint(rest, 0);  // one character wider than the line
        const std::size_t cut = space > 0 ? space : fits;
        lines.push_back(rest.substr(0, cut));
        rest.erase(0, cut);
        while (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    }
    if (!rest.empty() || lines.empty()) lines.push_back(rest);
    return lines;
}

int DrawOnlineLines(Game& game, const std::vector<std::string>& lines, int y) {
    for (const std::string& text : lines) {
        for (const std::string& line : BreakOnlineLine(game, text, kOnlineLineWidth)) {
            DrawText(game, 400, y, kAlignCentre, line, 5);
            y += kStatusStep;
        }
    }
    return y;
}

bool OnlineNameCharacter(char32_t ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           ch == ' ' || ch == '-' || ch == '_' || ch == '.';
}

bool OnlineNameOk(const std::string& name) {
    if (name.size() < 2 || name.size() > kOnlineNameChars || name.front() == ' ' ||
        name.back() == ' ')
        return false;
    for (char c : name)
        if (!OnlineNameCharacter(static_cast<unsigned char>(c))) return false;
    return true;
}

void ShowOnline(Game& game) {
    RequestSound(game, sndTast1, 400);
    ClearButtons(game);
    for (int slot = kOnlineEndlessButton; slot <= kOnlineBoardsButton; ++slot)
        SetButton(game, slot, 400, 330 + 27 * (slot - 1), 110, 20);
    SetButton(game, kOnlineBackButton, 400, 550, 100, 20);
    game.buttons.MenuSelection = 0;
    game.input.KeyEscape = 0;
    game.shell.ScreenId = kScreenOnline;
}

void ShowLeaderboards(Game& game) {
    RequestSound(game, sndTast1, 400);
    ClearButtons(game);
    // Side by side inside the frame (212..588), each as wide as its longest translation.
    SetButton(game, kBoardsBackButton, 267, 550, 55, 20);
    SetButton(game, kBoardsWatchButton, 381, 550, 56, 20);
    SetButton(game, kBoardsNextButton, 513, 550, 76, 20);
    game.buttons.MenuSelection = 0;
    game.input.KeyEscape = 0;
    game.shell.ScreenId = kScreenLeaderboards;
    game.online.ask = OnlineMenu::Ask::kBoards;
    game.online.boardShown = 0;
    game.online.rowChosen = -1;
}
