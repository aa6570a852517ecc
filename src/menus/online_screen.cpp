#include "menus/online_screen.h"

#include <string>

#include "core/game.h"
#include "core/mode_facts.h"
#include "core/sound_state.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/leaderboards_screen.h"
#include "menus/transitions.h"

namespace {

constexpr int kNameY = 302;
constexpr int kFirstStatusY = 472;
constexpr int kStatusStep = 22;

bool NameCharacterOk(char32_t ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           ch == ' ' || ch == '-' || ch == '_' || ch == '.';
}

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

bool OnlineNameOk(const std::string& name) {
    if (name.size() < 2 || name.size() > kOnlineNameChars || name.front() == ' ' ||
        name.back() == ' ')
        return false;
    for (char c : name)
        if (!NameCharacterOk(static_cast<unsigned char>(c))) return false;
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

void OnlineNameKey(Game& game, char32_t ch) {
    OnlineMenu& m = game.online;
    if (game.shell.ScreenId != kScreenOnline || m.busy) return;
    if (ch == 8) {
        if (!m.name.empty()) m.name.pop_back();
        return;
    }
    if (!NameCharacterOk(ch) || static_cast<int>(m.name.size()) >= kOnlineNameChars) return;
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
    int y = kFirstStatusY;
    if (!m.configured && m.status.empty())
        DrawText(game, 400, y, kAlignCentre, Tr(game, "No online server is set."), 5);
    for (const std::string& line : m.status) {
        DrawText(game, 400, y, kAlignCentre, line, 5);
        y += kStatusStep;
    }

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
