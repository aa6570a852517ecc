#include "menus/language_screen.h"

#include <algorithm>
#include <cstring>

#include "core/game.h"
#include "core/languages.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/screen_steps.h"
#include "menus/transitions.h"
#include "presentation/sound.h"
#include "presentation/text.h"

namespace {

constexpr int kFirstRowY = 325;
constexpr int kRowStep = 20;
// The longest names ("Português (Portugal)") stay inside the frame, 210..590.
constexpr int kColumnX[2] = {320, 500};
constexpr int kColumnHalfWidth = 90;
constexpr int kPreviousButton = 1;
constexpr int kNextButton = 2;
constexpr int kBackButton = 3;

int Pages() {
    return (kLanguages + kLanguagesPerPage - 1) / kLanguagesPerPage;
}

int RowY(int row) {
    return kFirstRowY + kRowStep * row;
}

// The middle of the column of a place on a page of `count` languages: a page that fits into
// one column has it in the frame's middle.
int ColumnX(int place, int count) {
    return count <= kLanguageRows ? 400 : kColumnX[place / kLanguageRows];
}

// The place under the pointer on a page of `count` languages: 0.., or -1.
int PlaceUnderPointer(const Game& game, int count) {
    const int x = game.input.MouseX;
    const int y = game.input.MouseY;
    for (int column = 0; column * kLanguageRows < count; ++column) {
        const int middle = ColumnX(column * kLanguageRows, count);
        if (x <= middle - kColumnHalfWidth || x >= middle + kColumnHalfWidth) continue;
        for (int row = 0; row < kLanguageRows && column * kLanguageRows + row < count; ++row)
            if (y > RowY(row) - 3 && y < RowY(row) + kRowStep - 2)
                return column * kLanguageRows + row;
    }
    return -1;
}

}  // namespace

std::string LanguageOwnName(int language) {
    if (language < 1 || language > kLanguages) return "";
    return kLanguageFacts[language].name;
}

std::vector<int> LanguageListOrder() {
    std::vector<int> order;
    for (int language = 1; language <= kLanguages; ++language) order.push_back(language);
    std::stable_sort(order.begin(), order.end(), [](int a, int b) {
        return std::strcmp(kLanguageFacts[a].code, kLanguageFacts[b].code) < 0;
    });
    return order;
}

int LanguagePageOf(int language) {
    const std::vector<int> order = LanguageListOrder();
    const auto at = std::find(order.begin(), order.end(), language);
    if (at == order.end()) return 1;
    return static_cast<int>(at - order.begin()) / kLanguagesPerPage + 1;
}

void LanguageScreen(Game& game) {
    ButtonTable& b = game.buttons;
    // The title names the language chosen now, in itself.
    DrawText(game, 400, 270, kAlignCentre, Tr(game, "Language English"), 1);
    UpdateButtons(game);
    const int pages = Pages();
    if (pages > 1) {
        DrawButtonLabel(game, kPreviousButton, "<<<<", 3);
        DrawButtonLabel(game, kNextButton, ">>>>", 3);
    }
    DrawButtonLabel(game, kBackButton, Tr(game, "Back"), 5);
    if (b.MenuSelection == kPreviousButton || b.MenuSelection == kNextButton) {
        b.PageNumber += b.MenuSelection == kNextButton ? 1 : -1;
        RequestSound(game, sndTast1, 400);
    }
    b.PageNumber = std::clamp(b.PageNumber, 1, pages);

    const std::vector<int> order = LanguageListOrder();
    const int first = (b.PageNumber - 1) * kLanguagesPerPage;
    const int count = std::min(kLanguagesPerPage, static_cast<int>(order.size()) - first);
    const int over = PlaceUnderPointer(game, count);
    int chosen = 0;
    for (int place = 0; place < count; ++place) {
        const int language = order[static_cast<std::size_t>(first + place)];
        const int colour = place == over ? 2 : language == game.shell.Language ? 1 : 3;
        DrawText(game, ColumnX(place, count), RowY(place % kLanguageRows), kAlignCentre,
                 LanguageOwnName(language), colour);
        // Only a press made on this screen chooses: the click that opened it is older.
        if (place == over && game.input.MouseButtonDown != 0 && game.input.ButtonHeldFrames == 1)
            chosen = language;
    }
    if (chosen != 0) {
        game.shell.Language = chosen;
        ShowOptions(game);
        return;
    }
    if (b.MenuSelection == kBackButton || game.input.KeyEscape == 1) {
        game.input.KeyEscape = 0;
        ShowOptions(game);
    }
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
