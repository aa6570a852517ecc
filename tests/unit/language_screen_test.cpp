// The list of languages: opened from the options, each language once and in its own name, a
// click takes it and the settings file keeps its number.
#include "menus/language_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "core/languages.h"
#include "menus/menu_screens.h"
#include "menus/settings.h"
#include "menus/transitions.h"
#include "menus_fixture.h"

namespace {

// The text drawn at (x, y) this tick; "" when none.
std::string TextAt(const Game& g, int x, int y) {
    for (const TextCall& c : g.text.calls)
        if (c.x == x && c.y == y) return c.text;
    return "";
}

TEST(LanguageList, HoldsEveryLanguageOnceAndTheCurrentOnesPage) {
    const std::vector<int> order = LanguageListOrder();
    ASSERT_EQ(static_cast<int>(order.size()), kLanguages);
    EXPECT_EQ(std::set<int>(order.begin(), order.end()).size(), order.size());
    std::set<std::string> names;
    for (int language = 1; language <= kLanguages; ++language) {
        const std::string name = LanguageOwnName(language);
        // A name the list does not know would show the bare catalogue code.
        EXPECT_NE(name, kLanguageFacts[language].code) << language;
        names.insert(name);
        const int page = LanguagePageOf(language);
        const auto at = std::find(order.begin(), order.end(), language) - order.begin();
        EXPECT_EQ(page, at / kLanguagesPerPage + 1);
    }
    EXPECT_EQ(static_cast<int>(names.size()), kLanguages) << "two languages share a name";
    EXPECT_EQ(LanguageOwnName(kLanguageBrazilianPortuguese), "Português (Brasil)");
}

TEST(LanguageList, OpensFromTheOptionsAndAClickTakesTheLanguage) {
    MenuGame m;
    Game& g = m.g();
    ShowOptions(g);
    m.Tick();
    EXPECT_EQ(TextAt(g, 400, 545), "Alle Sprachen");
    m.ClickButton(kLanguagesButton);
    m.Tick();
    ASSERT_EQ(g.shell.ScreenId, kScreenLanguages);
    EXPECT_EQ(TextAt(g, 400, 270), "Sprache Deutsch");
    // Each language in its own name, the current one in the title's gold.
    int shown = 0;
    int frenchX = 0, frenchY = 0;
    for (const TextCall& c : g.text.calls) {
        if (c.y < 300 || c.y > 520) continue;
        // The rows, not the page buttons beside them.
        bool row = false;
        for (int language = 1; language <= kLanguages; ++language)
            row = row || c.text == LanguageOwnName(language);
        if (!row) continue;
        ++shown;
        if (c.text == "Deutsch") {
            EXPECT_EQ(c.colour, 1);
        }
        if (c.text == "Français") {
            frenchX = c.x;
            frenchY = c.y;
        }
    }
    EXPECT_EQ(shown, std::min(kLanguages, kLanguagesPerPage));
    ASSERT_NE(frenchY, 0);
    // The press that opened the list chose nothing; a new one on a row does.
    m.Tick(20);
    EXPECT_EQ(g.shell.ScreenId, kScreenLanguages);
    m.ClickAt(frenchX, frenchY + 8);
    EXPECT_EQ(g.shell.Language, kLanguageFrench);
    EXPECT_EQ(g.shell.ScreenId, kScreenOptions);
    m.Tick();
    EXPECT_EQ(TextAt(g, 400, 270), "Options");
    ASSERT_TRUE(WriteSettings(g, kSettingsFile));
    EXPECT_EQ(m.res.ReadBytes(m.res.Saves("settings.dat"))[12], kLanguageFrench);
}

TEST(LanguageList, BackAndEscapeReturnToTheOptionsUnchanged) {
    for (bool escape : {false, true}) {
        MenuGame m;
        Game& g = m.g();
        g.shell.Language = kLanguageDutch;
        ShowLanguages(g);
        if (escape) {
            m.Tick(3);
            m.Key(kButtonEscape, true);
            m.Tick();
            m.Key(kButtonEscape, false);
        } else {
            m.ClickButton(3);
        }
        EXPECT_EQ(g.shell.ScreenId, kScreenOptions) << escape;
        EXPECT_EQ(g.shell.Language, kLanguageDutch);
    }
}

}  // namespace
