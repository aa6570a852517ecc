#include "menus/online_screen.h"

#include <string>

#include "core/game.h"
#include "core/mode_facts.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/online_pages.h"
#include "menus/transitions.h"

namespace {

constexpr int kNameY = 302;
constexpr int kFirstStatusY = 472;

void Ask(Game& game, const char* mode) {
    OnlineMenu& m = game.online;
    if (m.busy) return;
    m.status.clear();
    if (!m.configured) {
        m.status.push_back(Tr(game, "No online server is set."));
        m.status.push_back(Tr(game, "--server URL or server=URL"));
        return;
    }
    if (!OnlineNameOk(m.name)) {
        m.status.push_back(Tr(game, "Type your name first."));
        return;
    }
    m.ask = OnlineMenu::Ask::kPlay;
    m.mode = mode;
}

}  // namespace

void OnlineNameKey(Game& game, char32_t ch) {
    OnlineMenu& m = game.online;
    if (game.shell.ScreenId != kScreenOnline || m.busy) return;
    if (ch == 8) {
        if (!m.name.empty()) m.name.pop_back();
        return;
    }
    if (!OnlineNameCharacter(ch) || static_cast<int>(m.name.size()) >= kOnlineNameChars) return;
    if (ch == ' ' && m.name.empty()) return;
    m.name += static_cast<char>(ch);
}

void OnlineScreen(Game& game) {
    OnlineMenu& m = game.online;
    DrawText(game, 400, 270, kAlignCentre, Tr(game, "Online"), 1);
    UpdateButtons(game);
    std::string shown = m.name;
    if (!m.busy && game.shell.FrameCounter / 20 % 2 == 0) shown += "_";
    DrawText(game, 400, kNameY, kAlignCentre, FillIn(Tr(game, "Name: %s"), {shown}), 3);
    DrawButtonLabel(game, kOnlineEndlessButton, Tr(game, FactsOfMode(kModeEndless).name), 3);
    DrawButtonLabel(game, kOnlinePuzzleButton, Tr(game, FactsOfMode(kModePuzzle).name), 3);
    DrawButtonLabel(game, kOnlinePipeButton, Tr(game, FactsOfMode(kModePipe).name), 3);
    DrawButtonLabel(game, kOnlineDailyButton, Tr(game, "Daily challenge"), 3);
    DrawButtonLabel(game, kOnlineBoardsButton, Tr(game, "Leaderboards"), 3);
    DrawButtonLabel(game, kOnlineBackButton, Tr(game, "Back"), 5);
    if (!m.configured && m.status.empty())
        DrawOnlineLines(game, {Tr(game, "No online server is set.")}, kFirstStatusY);
    DrawOnlineLines(game, m.status, kFirstStatusY);

    switch (game.buttons.MenuSelection) {
        case kOnlineEndlessButton:
            Ask(game, "endless");
            break;
        case kOnlinePuzzleButton:
            Ask(game, "puzzle");
            break;
        case kOnlinePipeButton:
            Ask(game, "pipe");
            break;
        case kOnlineDailyButton:
            Ask(game, "daily");
            break;
        case kOnlineBoardsButton:
            if (!m.busy) ShowLeaderboards(game);
            break;
        default:
            break;
    }
    if (game.buttons.MenuSelection == kOnlineBackButton || game.input.KeyEscape == 1) {
        game.input.KeyEscape = 0;
        ShowGameChoice(game);
        return;
    }
}
