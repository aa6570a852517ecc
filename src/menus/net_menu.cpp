#include "menus/net_menu.h"

#include <string>

#include "core/game.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/screen_steps.h"
#include "menus/transitions.h"
#include "presentation/text.h"

namespace {

constexpr int kAddressY = 420;
// The panel's width for a line of text.
constexpr int kFoundTextWidth = 370;

}  // namespace

void NetAddressKey(Game& game, char32_t ch) {
    NetMenu& m = game.netMenu;
    if (game.shell.ScreenId != kScreenNetMatch || m.busy) return;
    // As the name editors: Backspace empties the field.
    if (ch == 8) {
        m.address.clear();
        return;
    }
    const bool letter = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
    // A room code may be typed as shown ("krm-tax") or read out in two groups ("krm tax").
    const bool ok = letter || (ch >= '0' && ch <= '9') || ch == '.' || ch == ':' || ch == '-' ||
                    ch == '[' || ch == ']' || ch == ' ';
    if (!ok || static_cast<int>(m.address.size()) >= kNetAddressChars) return;
    m.address += static_cast<char>(letter ? ch | 0x20 : ch);
}

void NetMatchScreen(Game& game) {
    NetMenu& m = game.netMenu;
    DrawText(game, 400, 270, kAlignCentre, Tr(game, "Network Match"), 1);
    UpdateButtons(game);
    DrawButtonLabel(game, kHostButton, Tr(game, "Host a game"), 3);
    int y = 345;
    for (const std::string& line : m.status) {
        DrawText(game, 400, y, kAlignCentre, line, 5);
        y += 22;
    }
    // The typed address, the name editors' blinking cursor behind it.
    std::string shown = m.address;
    if (!m.busy && game.shell.FrameCounter / 20 % 2 == 0) shown += "_";
    DrawText(game, 400, kAddressY, kAlignCentre, FillIn(Tr(game, "Address: %s"), {shown}), 3);
    DrawButtonLabel(game, kJoinButton, Tr(game, "Join a game"), 3);
    DrawButtonLabel(game, kWatchButton, TrC(game, "network", "Watch"), 3);
    const int count = static_cast<int>(m.found.size());
    if (count == 0 && !m.busy && m.noLan) {
        // Two lines, split at the colon, where one is wider than the panel.
        const std::string why = Tr(game, "A browser cannot search the LAN: use a room code");
        std::size_t cut = why.find(": ");
        std::size_t skip = 2;
        if (cut == std::string::npos) {
            cut = why.find("\uFF1A");  // the full-width colon
            skip = 3;
        }
        if (TextWidth(game, why) <= kFoundTextWidth || cut == std::string::npos) {
            DrawText(game, 400, kFirstFoundY, kAlignCentre, why, 3);
        } else {
            const std::size_t end = why[cut] == ':' ? cut + 1 : cut + 3;
            DrawText(game, 400, kFirstFoundY, kAlignCentre, why.substr(0, end), 3);
            DrawText(game, 400, kFirstFoundY + 22, kAlignCentre, why.substr(cut + skip), 3);
        }
    } else if (count == 0 && !m.busy) {
        DrawText(game, 400, kFirstFoundY, kAlignCentre, Tr(game, "No game found on the LAN"), 3);
    }
    for (int i = 0; i < count && i < kFoundRows; ++i)
        DrawButtonLabel(game, kFirstFoundButton + i, m.found[i].label, 3);
    DrawButtonLabel(game, kStartLevelButton,
                    FillIn(Tr(game, "Level %s"), {std::to_string(m.startLevel)}), 3);
    DrawButtonLabel(game, kBackButton, Tr(game, "Back"), 5);

    const int pressed = game.buttons.MenuSelection;
    if (pressed == kHostButton && !m.busy) m.ask = NetMenu::Ask::kHost;
    if (pressed == kJoinButton && !m.busy && !m.address.empty()) m.ask = NetMenu::Ask::kJoin;
    if (pressed >= kFirstFoundButton && pressed < kFirstFoundButton + count && !m.busy) {
        m.address = m.found[pressed - kFirstFoundButton].address;
        m.ask = m.found[pressed - kFirstFoundButton].playing ? NetMenu::Ask::kWatch
                                                             : NetMenu::Ask::kJoin;
    }
    if (pressed == kWatchButton && !m.busy && !m.address.empty()) m.ask = NetMenu::Ask::kWatch;
    // The levels that open a stretch of seven, as on the start-level screen; the host's choice
    // holds until its guest is there.
    if (pressed == kStartLevelButton) m.startLevel = m.startLevel >= 43 ? 1 : m.startLevel + 7;
    // Back leaves a game being hosted or joined first, then the screen.
    if (pressed == kBackButton || game.input.KeyEscape == 1) {
        game.input.KeyEscape = 0;
        m.ask = NetMenu::Ask::kLeave;
        if (!m.busy) ShowGameChoice(game);
        return;
    }
    if (game.input.KeyReturn == 1 && !m.busy && !m.address.empty()) m.ask = NetMenu::Ask::kJoin;
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
