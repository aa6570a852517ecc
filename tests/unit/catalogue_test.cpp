// The compiled catalogues: lookup by id and context, the fallback to English, filling in values,
// and the font drawing a letter it lacks as its plain letter.
#include "core/catalogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "core/encoding.h"
#include "menus_fixture.h"
#include "presentation/text.h"

namespace {

TEST(Catalogue, IsSortedAsTheLookupNeedsIt) {
    ASSERT_GT(kCatalogueSize, 100);
    // Context first (none before any), then the id, as Translate's binary search compares them.
    auto key = [](const CatalogueEntry& e) {
        return std::make_pair(std::string(e.context == nullptr ? "" : e.context),
                              std::string(e.id));
    };
    for (int i = 1; i < kCatalogueSize; ++i)
        EXPECT_LT(key(kCatalogue[i - 1]), key(kCatalogue[i])) << kCatalogue[i].id;
}

struct LookupCase {
    int language;
    const char* context;
    const char* id;
    const char* want;
};

class Lookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(Lookup, FindsTheTextOrFallsBackToTheId) {
    const LookupCase& c = GetParam();
    EXPECT_STREQ(Translate(c.language, c.context, c.id), c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Lookup,
    ::testing::Values(
        LookupCase{1, nullptr, "Back", "Zurück"}, LookupCase{2, nullptr, "Back", "Back"},
        LookupCase{6, nullptr, "Back", "Terug"}, LookupCase{8, nullptr, "Back", "Tillbaka"},
        // One English text, three German ones, told apart by their contexts.
        LookupCase{1, "help menu button", "Highscores", "Siegertabelle"},
        LookupCase{1, "highscores title", "Highscores", "Sieger"},
        LookupCase{1, "help menu title, second line", "Highscores", "Info"},
        LookupCase{1, nullptr, "Highscores", "Highscores"},
        // Unknown languages and ids speak English.
        LookupCase{0, nullptr, "Back", "Back"}, LookupCase{kLanguages + 1, nullptr, "Back", "Back"},
        LookupCase{-5, "pipe", "Game starts again at Level 1", "Game starts again at Level 1"},
        LookupCase{3, nullptr, "Not a text of the game", "Not a text of the game"},
        LookupCase{3, nullptr, "", ""}));

// A text handed over in a buffer that later holds another text, at the same address.
TEST(Catalogue, ABufferUsedAgainForAnotherTextFindsTheOther) {
    char buffer[32] = "Back";
    EXPECT_STREQ(Translate(1, nullptr, buffer), "Zurück");
    EXPECT_STREQ(Translate(1, nullptr, buffer), "Zurück");
    std::snprintf(buffer, sizeof buffer, "%s", "Highscores");
    EXPECT_STREQ(Translate(1, "highscores title", buffer), "Sieger");
    EXPECT_STREQ(Translate(1, "help menu button", buffer), "Siegertabelle");
    std::snprintf(buffer, sizeof buffer, "%s", "Not a text of the game");
    EXPECT_STREQ(Translate(1, "help menu button", buffer), "Not a text of the game");
}

struct FillCase {
    const char* format;
    std::string want;
};

class Fill : public ::testing::TestWithParam<FillCase> {};

TEST_P(Fill, PutsTheValuesWhereTheTextSays) {
    EXPECT_EQ(FillIn(GetParam().format, {"45", "450"}), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(Formats, Fill,
                         ::testing::Values(FillCase{"%s x 10 = %s", "45 x 10 = 450"},
                                           FillCase{"%2$s from %1$s", "450 from 45"},
                                           FillCase{"100%% %s", "100% 45"},
                                           FillCase{"%s %s %s", "45 450 "},
                                           FillCase{"50% off", "50% off"},
                                           FillCase{"%d %", "%d %"}));

TEST(Catalogue, EveryFormatFillsWithoutLeftovers) {
    // A translation with other directives than its id would show a raw "%" or lose a number.
    for (int i = 0; i < kCatalogueSize; ++i) {
        const std::string filled = FillIn(kCatalogue[i].id, {"1", "2"});
        for (int language = 1; language <= kLanguages; ++language) {
            // "%%" is a percent sign the text means.
            std::string text = kCatalogue[i].text[language];
            for (size_t at = text.find("%%"); at != std::string::npos; at = text.find("%%", at))
                text.erase(at, 2);
            const std::string t = FillIn(text.c_str(), {"1", "2"});
            EXPECT_EQ(t.find('%'), std::string::npos) << t;
            if (std::strchr(kCatalogue[i].id, '%') != nullptr) {
                EXPECT_NE(t.find('1'), std::string::npos) << t;
            }
        }
        EXPECT_EQ(filled.find('%'), std::string::npos) << filled;
    }
}

// The game's font draws the translations' letters with glyphs of their own, after the first
// line's glyphs, whose numbers the German and English texts keep (every letter of the
// catalogues is checked below).
TEST(FontLetters, TranslationsLettersHaveTheirOwnGlyphs) {
    MenuGame m;
    EXPECT_EQ(GlyphOf(m.g(), 'A'), 2);
    EXPECT_EQ(GlyphOf(m.g(), '$'), kMissingGlyph);
    EXPECT_EQ(GlyphOf(m.g(), 0x01), kMissingGlyph);
    EXPECT_GE(GlyphOf(m.g(), 0xE9), kFirstExtraGlyph);  // é
    EXPECT_GT(TextWidth(m.g(), "réussi"), 0);
    EXPECT_NE(GlyphOf(m.g(), 0xE9), GlyphOf(m.g(), 'e'));
    EXPECT_NE(GlyphOf(m.g(), 0xFC), GlyphOf(m.g(), 'u'));  // ü
}

// Every character of every catalogue's texts has a glyph of its own in the font the game loads
// (a message box is the desktop's, not drawn with the font).
TEST(FontLetters, EveryCharacterOfEveryCatalogueHasAGlyph) {
    MenuGame m;
    int checked = 0;
    for (int i = 0; i < kCatalogueSize; ++i) {
        const CatalogueEntry& e = kCatalogue[i];
        if (e.context != nullptr && std::string(e.context) == "message box") continue;
        for (int language = 1; language <= kLanguages; ++language) {
            for (char32_t c : CodePoints(e.text[language])) {
                if (c == U' ' || c == U'\n' || c == U'%' || c == U'$') continue;
                ++checked;
                const int glyph = GlyphOf(m.g(), c);
                EXPECT_NE(glyph, kMissingGlyph) << kLanguageFacts[language].code << " "
                                                << static_cast<int>(c) << " in " << e.id;
                EXPECT_GT(m.g().font.Glyph[glyph].Width, 0) << static_cast<int>(c);
            }
        }
    }
    EXPECT_GT(checked, 1000 * kLanguages);
}

}  // namespace
