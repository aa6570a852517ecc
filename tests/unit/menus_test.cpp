// The menu screens through the frame loop: transitions, the ways back, the options and quitting.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "menus/menu_screens.h"
#include "menus/settings.h"
#include "menus/transitions.h"
#include "menus_fixture.h"
#include "presentation/sound.h"

namespace {

// Where the buttons lie is the layout's own business (the end-to-end scripts click them); what
// every transition must do is switch the screen, click, forget the old screen's buttons and
// selection, and set up its own count of buttons with the fresh delay.
struct TransitionCase {
    const char* name;
    std::function<void(Game&)> show;
    int screen;
    int buttons;
    bool pageMarks;  // PageTop 300 and PageNumber 1
    bool clearsEscape;
};

class TransitionTest : public ::testing::TestWithParam<TransitionCase> {};

TEST_P(TransitionTest, SwitchesTheScreenWithItsOwnButtonsOnly) {
    const TransitionCase& c = GetParam();
    TestGame t;
    Game& g = t.game;
    for (int i = 1; i <= 10; ++i) SetButton(g, i, 1, 1, 1, 1);  // the old screen's buttons
    g.buttons.PageTop = 77;
    g.buttons.PageNumber = 3;
    g.buttons.MenuSelection = 4;
    g.input.KeyEscape = 1;
    c.show(g);
    EXPECT_EQ(g.shell.ScreenId, c.screen);
    EXPECT_EQ(g.sound.SoundRequest[sndTast1], 1);
    EXPECT_EQ(g.sound.SoundX[sndTast1], 400);
    EXPECT_EQ(g.buttons.MenuSelection, 0);
    for (int i = 1; i <= 10; ++i) {
        const bool used = i <= c.buttons;
        ASSERT_EQ(g.buttons.ButtonActive[i], used ? 1 : 0) << "slot " << i;
        if (!used) continue;
        EXPECT_NE(g.buttons.ButtonX[i], 1) << "slot " << i << " kept the old screen's place";
        EXPECT_EQ(g.buttons.ButtonDelay[i], 20);
    }
    EXPECT_EQ(g.buttons.PageTop, c.pageMarks ? 300 : 77);
    EXPECT_EQ(g.buttons.PageNumber, c.pageMarks ? 1 : 3);
    EXPECT_EQ(g.input.KeyEscape, c.clearsEscape ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TransitionTest,
    ::testing::Values(TransitionCase{"MainMenu", [](Game& g) { ShowMainMenu(g, 0); }, 2, 5, false,
                                     true},
                      TransitionCase{"MainMenuResume",
                                     [](Game& g) {
                                         g.shell.GameInProgress = 2;
                                         ShowMainMenu(g, 0);
                                     },
                                     2, 7, false, true},
                      TransitionCase{"HelpMenu", ShowHelpMenu, 5, 4, false, true},
                      TransitionCase{"GameChoice", ShowGameChoice, 11, 9, false, true},
                      TransitionCase{"Editor", ShowEditor, 26, 7, false, true},
                      TransitionCase{"StartLevel", ShowStartLevel, 25, 9, false, true},
                      TransitionCase{"Options", ShowOptions, 8, 5, false, true},
                      TransitionCase{"Highscores", ShowHighscores, 9, 3, true, false},
                      TransitionCase{"Info", ShowInfo, 3, 3, true, false},
                      TransitionCase{"Help", ShowHelp, 4, 3, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Which screen the mouse and Escape lead to from each menu screen.
struct WayBackCase {
    const char* name;
    std::function<void(Game&)> show;
    int backSlot;
    int escapeScreen;  // 0: Escape is ignored
    int backScreen;
};

class WayBackTest : public ::testing::TestWithParam<WayBackCase> {};

TEST_P(WayBackTest, BackButtonAndEscape) {
    const WayBackCase& c = GetParam();
    {
        MenuGame m;
        c.show(m.g());
        const int screen = m.g().shell.ScreenId;
        m.Tick(3);
        m.Key(kButtonEscape, true);
        m.Tick();
        m.Key(kButtonEscape, false);
        EXPECT_EQ(m.g().shell.ScreenId, c.escapeScreen == 0 ? screen : c.escapeScreen);
        EXPECT_EQ(m.g().input.KeyEscape, c.escapeScreen == 0 ? 1 : 0);
    }
    if (c.backSlot > 0) {
        MenuGame m;
        c.show(m.g());
        m.ClickButton(c.backSlot);
        m.Tick();
        EXPECT_EQ(m.g().shell.ScreenId, c.backScreen);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, WayBackTest,
    ::testing::Values(WayBackCase{"MainMenu", [](Game& g) { ShowMainMenu(g, 0); }, 0, 0, 0},
                      WayBackCase{"HelpMenu", ShowHelpMenu, 4, 2, 2},
                      WayBackCase{"GameChoice", ShowGameChoice, 5, 2, 2},
                      WayBackCase{"StartLevel", ShowStartLevel, 8, 11, 11},
                      WayBackCase{"Options", ShowOptions, 4, 2, 2},
                      WayBackCase{"Highscores", ShowHighscores, 3, 5, 5},
                      WayBackCase{"Info", ShowInfo, 3, 5, 5},
                      WayBackCase{"Help", ShowHelp, 3, 5, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MenuPages, PagesStopAtTheirEndsButEveryPressClicks) {
    using Show = void (*)(Game&);
    for (auto [show, last] : {std::pair<Show, int>{ShowHelp, 7}, std::pair<Show, int>{ShowInfo, 3},
                              std::pair<Show, int>{ShowHighscores, 4}}) {
        MenuGame m;
        show(m.g());
        int clicks = 0;
        auto press = [&](int slot) {
            m.Tick(10);
            const ButtonTable& b = m.g().buttons;
            DXDraw1MouseMove(m.g(), b.ButtonX[slot], b.ButtonY[slot] + 5);
            DXDraw1MouseDown(m.g());
            m.Tick();
            clicks += m.platform().wavesThisTick.size() > 0 &&
                      m.platform().wavesThisTick.back().name == "tast1.wav";
            DXDraw1MouseUp(m.g());
        };
        m.Tick(10);
        press(1);
        EXPECT_EQ(m.g().buttons.PageNumber, 1);
        for (int i = 0; i < last + 1; ++i) press(2);
        EXPECT_EQ(m.g().buttons.PageNumber, last);
        EXPECT_EQ(clicks, last + 2);
    }
}

TEST(MenuOptions, MusicCyclesThroughSixLevelsAndLanguageToggles) {
    MenuGame m;
    Game& g = m.g();
    g.shell.MusicVolumeSetting = 100;
    g.shell.SoundVolume = 70;  // not a step: taken from its level while the screen is open
    ShowOptions(g);
    m.Tick();
    EXPECT_EQ(g.shell.SoundVolume, 60);
    EXPECT_EQ(g.text.calls[1].text, "Musik ziemlich laut");
    EXPECT_EQ(g.text.calls[2].text, "Sound so mittel");
    std::vector<int> volumes;
    for (int i = 0; i < 6; ++i) {
        m.ClickButton(1);
        m.Tick();
        volumes.push_back(g.shell.MusicVolumeSetting);
    }
    EXPECT_EQ(volumes, (std::vector<int>{0, 20, 40, 60, 80, 100}));
    EXPECT_EQ(g.shell.MusicVolumeTarget, 100);

    m.ClickButton(3);
    EXPECT_EQ(g.shell.Language, 2);
    EXPECT_EQ(g.text.calls[3].text, "Sprache Deutsch");  // the pressing frame still German
    m.Tick();
    EXPECT_EQ(g.text.calls[0].text, "Options");
    EXPECT_EQ(g.text.calls[3].text, "Language English");
    m.ClickButton(2);
    m.Tick();
    EXPECT_EQ(g.text.calls[2].text, "Sound loud");
    EXPECT_EQ(g.shell.SoundVolume, 80);
}

// Language 5 in the settings file starts in Italian; the button then walks through all of them,
// each named in its own language, and comes back; the file keeps the number. The volumes read
// at the start show on the way.
TEST(MenuOptions, LanguageButtonCyclesThroughEveryLanguage) {
    MenuGame m;
    m.res.WriteSettingsFile(60, 20, 5);
    m.Start();
    ShowOptions(m.g());
    m.Tick();
    EXPECT_EQ(m.g().text.calls[0].text, "Opzioni");
    std::vector<std::string> labels(kLanguages + 1);
    labels[5] = m.g().text.calls[3].text;
    std::vector<int> numbers{m.g().shell.Language};
    for (int i = 0; i < kLanguages; ++i) {
        m.ClickButton(3);
        m.Tick();
        const int language = m.g().shell.Language;
        numbers.push_back(language);
        if (i + 1 < kLanguages) labels[language] = m.g().text.calls[3].text;
        if (language == 2) {
            EXPECT_EQ(m.g().text.calls[1].text, "Music medium");
            EXPECT_EQ(m.g().text.calls[2].text, "Sound very low");
        }
    }
    std::vector<int> walk;
    for (int i = 0; i <= kLanguages; ++i) walk.push_back((5 + i - 1) % kLanguages + 1);
    EXPECT_EQ(numbers, walk);
    EXPECT_EQ(labels[1], "Sprache Deutsch");
    EXPECT_EQ(labels[2], "Language English");
    EXPECT_EQ(labels[3], "Langue : fran\u00E7ais");
    EXPECT_EQ(labels[6], "Taal: Nederlands");
    EXPECT_EQ(labels[26], "\u042F\u0437\u044B\u043A: \u0440\u0443\u0441\u0441\u043A\u0438\u0439");
    // Every language's label differs from every other's.
    for (int a = 1; a <= kLanguages; ++a)
        for (int b = a + 1; b <= kLanguages; ++b) EXPECT_NE(labels[a], labels[b]) << a << " " << b;
    EXPECT_EQ(m.res.ReadBytes(m.res.Saves("settings.dat"))[12], 5);
}

TEST(MenuMain, ExitWritesTheSettingsAndQuitsInBothVariants) {
    for (int inProgress : {1, 2}) {
        MenuGame m;
        m.g().shell.GameInProgress = inProgress;
        m.g().shell.Language = 2;
        m.g().shell.SoundVolume = 40;
        ShowMainMenu(m.g(), 0);
        m.Tick();
        const int exitSlot = inProgress == 2 ? 7 : 5;
        // "Exit" idles red only in the five-button menu.
        EXPECT_EQ(m.g().text.calls[exitSlot].text, "Exit");
        EXPECT_EQ(m.g().text.calls[exitSlot].colour, inProgress == 2 ? 3 : 5);
        m.ClickButton(exitSlot);
        EXPECT_TRUE(m.g().session.WindowClosed);
        const auto bytes = m.res.ReadBytes(m.res.Saves("settings.dat"));
        EXPECT_EQ(bytes,
                  (std::vector<std::uint8_t>{0, 0, 0, 0, 100, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0}));
    }
}

}  // namespace
