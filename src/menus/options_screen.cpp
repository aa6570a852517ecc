// The options: music, sound, the language and the list of languages.
#include "core/game.h"
#include "core/languages.h"
#include "menus/buttons.h"
#include "menus/menu_screens.h"
#include "menus/screen_steps.h"
#include "menus/transitions.h"

const char* OptionLevelWord(const Game& game, int level) {
    static const Words kWords[6] = {N_("off"),    N_("very low"), N_("low"),
                                    N_("medium"), N_("loud"),     N_("very loud")};
    if (level < 0 || level > 5) return "";
    return Tr(game, kWords[level]);
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

void OptionsScreen(Game& game) {
    MenuState& m = game.menus;
    ShellState& sh = game.shell;
    DrawTitle(game, 270, N_("Options"));
    UpdateButtons(game);
    DrawButtonLabel(game, 1,
                    std::string(Tr(game, "Music ")) + OptionLevelWord(game, m.OptionLevel[1]), 3);
    DrawButtonLabel(game, 2,
                    std::string(Tr(game, "Sound ")) + OptionLevelWord(game, m.OptionLevel[2]), 3);
    DrawButtonLabel(game, 3, Tr(game, "Language English"), 3);
    DrawButtonLabel(game, 4, Tr(game, "Back"), 5);
    // TRANSLATORS: the options' button that opens the list of every language the game speaks.
    DrawButtonLabel(game, kLanguagesButton, Tr(game, "All languages"), 3);
    const int pressed = game.buttons.MenuSelection;
    sh.MusicVolumeSetting = m.OptionLevel[1] * 20;
    sh.MusicVolumeTarget = sh.MusicVolumeSetting;
    if (pressed == 1) m.OptionLevel[1] = (m.OptionLevel[1] + 1) % 6;
    sh.SoundVolume = m.OptionLevel[2] * 20;
    if (pressed == 2) m.OptionLevel[2] = (m.OptionLevel[2] + 1) % 6;
    if (pressed == 3) sh.Language = NextLanguage(sh.Language);
    if (pressed == 4) ShowMainMenu(game, 0);
    if (pressed == kLanguagesButton) ShowLanguages(game);
    if (TakeEscape(game)) ShowMainMenu(game, 0);
}
