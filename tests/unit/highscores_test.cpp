// Highscore tables, their file, the check at the end of a game, the champion screen and its name
// editor; the settings file.
#include "menus/highscores.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/languages.h"
#include "core/name_text.h"
#include "menus/record_file.h"
#include "menus/settings.h"
#include "menus/transitions.h"
#include "menus_fixture.h"
#include "presentation/text.h"
#include "shell/input.h"

namespace {

std::vector<std::uint8_t> DefaultFile() {
    std::vector<std::uint8_t> bytes(696, 0);
    for (int k = 1; k <= 28; ++k) {
        PutInt32(bytes, 24 * k, 80000 - 10000 * ((k - 1) % 7 + 1));
        const std::string name = "quarzbau";
        bytes[24 * k + 4] = 8;
        for (size_t i = 0; i < name.size(); ++i) bytes[24 * k + 5 + i] = name[i];
    }
    return bytes;
}

TEST(HighscoreFile, MissingFileIsWrittenWithTheDefaultsAtStartUp) {
    MenuGame m;
    const auto bytes = m.res.ReadBytes(m.res.Saves("groar.dat"));
    ASSERT_EQ(bytes.size(), 696u);
    EXPECT_EQ(bytes, DefaultFile());
    EXPECT_EQ(m.g().own.HighscoreScore[3][1], 70000);
    EXPECT_EQ(m.g().own.HighscoreName[4][7], "quarzbau");
    EXPECT_TRUE(m.platform().messages.empty());
}

TEST(HighscoreFile, MissingSavesFolderIsCreated) {
    MenuGame m;
    std::filesystem::remove_all(m.res.Dir() + "/saves");
    m.Start();
    EXPECT_EQ(m.res.ReadBytes(m.res.Saves("groar.dat")), DefaultFile());
    EXPECT_TRUE(m.platform().messages.empty());
}

TEST(HighscoreFile, ReadTakesRecordsByTableAndPlaceAndCutsLongNames) {
    MenuGame m;
    auto bytes = DefaultFile();
    // Record 10 is table 2, place 3; its name claims 16 characters.
    PutInt32(bytes, 24 * 10, 123456);
    bytes[24 * 10 + 4] = 16;
    for (int i = 0; i < 16; ++i) bytes[24 * 10 + 5 + i] = static_cast<std::uint8_t>('a' + i);
    PutInt32(bytes, 24 * 28, 0);
    m.res.WriteBytes(m.res.Saves("groar.dat"), bytes);
    m.Start();
    EXPECT_EQ(m.g().own.HighscoreScore[2][3], 123456);
    EXPECT_EQ(m.g().own.HighscoreName[2][3], "abcdefghij");
    EXPECT_EQ(m.g().own.HighscoreScore[4][7], 0);
    // Written back, the name is cut to 10 and the rest of its field is zero.
    ASSERT_TRUE(WriteHighscores(m.g(), kHighscoreFile, false));
    const auto again = m.res.ReadBytes(m.res.Saves("groar.dat"));
    EXPECT_EQ(again[24 * 10 + 4], 10);
    EXPECT_EQ(again[24 * 10 + 15], 0);
    EXPECT_EQ(GetInt32(again, 24 * 10), 123456);
}

TEST(HighscoreFile, ShortFileKeepsTheDefaultsAndIsLeftAlone) {
    MenuGame m;
    std::vector<std::uint8_t> bytes = DefaultFile();
    PutInt32(bytes, 24, 999999);
    bytes.resize(695);
    m.res.WriteBytes(m.res.Saves("groar.dat"), bytes);
    m.Start();
    EXPECT_EQ(m.g().own.HighscoreScore[1][1], 70000);
    EXPECT_EQ(m.res.ReadBytes(m.res.Saves("groar.dat")).size(), 695u);
}

TEST(HighscoreFile, UnwritableSavesKeepTheTablesAndTellThePlayerOnce) {
    MenuGame m;
    std::filesystem::remove_all(m.res.Dir() + "/saves");
    m.res.WriteBytes(m.res.Dir() + "/saves", {1, 2, 3});  // a file where the folder should be
    m.Start();
    Game& g = m.g();
    EXPECT_EQ(g.shell.ScreenId, kScreenSplash);
    ASSERT_EQ(m.platform().messages.size(), 1u);
    g.own.HighscoreScore[1][1] = 5;
    EXPECT_FALSE(WriteHighscores(g, kHighscoreFile, false));
    EXPECT_FALSE(WriteSettings(g, kSettingsFile));
    EXPECT_EQ(m.platform().messages.size(), 1u);
    EXPECT_EQ(g.own.HighscoreScore[1][1], 5);
    m.Tick(5);
    EXPECT_FALSE(g.session.WindowClosed);
}

// A language outside the range is read as English: SettingsLanguage in file_ranges_test.
TEST(SettingsFile, ExactBytesAndAShortFileKeepsTheDefaults) {
    MenuGame m;
    Game& g = m.g();
    g.shell.MusicVolumeSetting = 60;
    g.shell.SoundVolume = -20;
    g.shell.Language = 2;
    ASSERT_TRUE(WriteSettings(g, kSettingsFile));
    EXPECT_EQ(
        m.res.ReadBytes(m.res.Saves("settings.dat")),
        (std::vector<std::uint8_t>{0, 0, 0, 0, 60, 0, 0, 0, 0xEC, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0}));
    std::vector<std::uint8_t> bytes(15, 0);
    PutInt32(bytes, 4, 20);
    m.res.WriteBytes(m.res.Saves("settings.dat"), bytes);
    m.Start();
    EXPECT_EQ(m.g().shell.MusicVolumeSetting, 100);
    EXPECT_EQ(m.g().shell.SoundVolume, 80);
}

struct CheckCase {
    int score;
    int rank;  // 0: no new highscore
    std::vector<int> after;
};

std::string Holder(int place) {
    std::string name = std::to_string(place);
    name.insert(name.begin(), 'p');
    return name;
}

class HighscoreCheckTest : public ::testing::TestWithParam<CheckCase> {};

// Table 2 holds 70000, 60000, 60000, 40000, 30000, 20000, 10000.
TEST_P(HighscoreCheckTest, TieGoesBelowAndTheSeventhDrops) {
    const CheckCase& c = GetParam();
    MenuGame m;
    Game& g = m.g();
    g.own.HighscoreScore[2][3] = 60000;
    for (int r = 1; r <= 7; ++r) g.own.HighscoreName[2][r] = Holder(r);
    g.play.GameMode = 2;
    CheckHighscore(g, c.score);
    EXPECT_EQ(g.menus.NewHighscore, c.rank > 0 ? 1 : 0);
    EXPECT_EQ(g.menus.EntryRank, c.rank);
    EXPECT_EQ(g.shell.ScreenId, c.rank > 0 ? kScreenNewChampion : kScreenMainMenu);
    std::vector<int> scores;
    for (int r = 1; r <= 7; ++r) scores.push_back(g.own.HighscoreScore[2][r]);
    EXPECT_EQ(scores, c.after);
    if (c.rank > 0) {
        EXPECT_EQ(g.own.HighscoreName[2][c.rank], "");
        if (c.rank < 7) {
            EXPECT_EQ(g.own.HighscoreName[2][c.rank + 1], Holder(c.rank));
        }
        EXPECT_EQ(g.buttons.ButtonActive[1], 1);
        EXPECT_EQ(g.buttons.ButtonY[1], 540);
    }
    EXPECT_EQ(g.own.HighscoreScore[1][1], 70000);  // other tables untouched
}

INSTANTIATE_TEST_SUITE_P(
    Scores, HighscoreCheckTest,
    ::testing::Values(CheckCase{10000, 0, {70000, 60000, 60000, 40000, 30000, 20000, 10000}},
                      CheckCase{10001, 7, {70000, 60000, 60000, 40000, 30000, 20000, 10001}},
                      CheckCase{60000, 4, {70000, 60000, 60000, 60000, 40000, 30000, 20000}},
                      CheckCase{90000, 1, {90000, 70000, 60000, 60000, 40000, 30000, 20000}},
                      CheckCase{-3, 0, {70000, 60000, 60000, 40000, 30000, 20000, 10000}}));

class ChampionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g().play.GameMode = 3;
        CheckHighscore(g(), 45000);  // place 4 of the Pipe table
        m_.Tick();
    }
    Game& g() { return m_.g(); }
    std::string Name() { return g().menus.TypedName; }
    void Type(const std::string& utf8) { TypeText(g(), utf8); }
    MenuGame m_;
};

TEST_F(ChampionTest, CapitalsBecomeSmallAndOnlyNameCharactersCount) {
    Type("Xy-7");
    EXPECT_EQ(Name(), "xy-7");
    Type("!\u20AC");  // an exclamation mark and a euro sign: rejected, not counted
    EXPECT_EQ(g().menus.TypedCount, 4);
    Type("_ ABCDEF");
    EXPECT_EQ(Name(), "xy-7_ ab");
    EXPECT_EQ(g().menus.TypedCount, 12);  // keys past the eighth still count
}

// Letters of the player's own alphabet count as one character each and are kept small, as far
// as the font can draw them.
TEST_F(ChampionTest, LettersBeyondAsciiAreTakenWhereTheFontHoldsThem) {
    Type("\u00C4rger\u00DF");  // Ärgerß
    EXPECT_EQ(Name(), "\u00E4rger\u00DF");
    EXPECT_EQ(g().menus.TypedCount, 6);
    // A Cyrillic letter, once the font has its glyph; before, it does not count.
    Type("\u0416");
    const bool held = FontHolds(g(), U'\u0436');
    EXPECT_EQ(Name(), held ? "\u00E4rger\u00DF\u0436" : "\u00E4rger\u00DF");
    Type("abcdef");
    EXPECT_EQ(Utf8Chars(Name()), 8u);
    Type("\b");
    EXPECT_EQ(Name(), "");
}

TEST_F(ChampionTest, BackspaceEmptiesAndEightMoreCanBeTyped) {
    Type("abcde");
    Type("\b");
    EXPECT_EQ(Name(), "");
    EXPECT_EQ(g().menus.TypedCount, 0);
    Type("klmnopqrst");
    EXPECT_EQ(Name(), "klmnopqr");
}

TEST_F(ChampionTest, ReturnWritesAndEndsTypingEscapeWritesAgainAndLeaves) {
    Type("ab");
    m_.Key(kButtonReturn, true);
    m_.Tick();
    m_.Key(kButtonReturn, false);
    EXPECT_EQ(g().menus.EntryRank, 0);
    EXPECT_EQ(g().shell.ScreenId, kScreenNewChampion);
    EXPECT_EQ(g().own.HighscoreName[3][4], "ab");  // the typed name is in the player's table
    const auto written = m_.res.ReadBytes(m_.res.Saves("groar.dat"));
    const size_t at = 24 * (14 + 4);  // table 3 place 4
    EXPECT_EQ(GetInt32(written, at), 45000);
    EXPECT_EQ(written[at + 4], 2);
    EXPECT_EQ(written[at + 5], 'a');
    Type("cd");
    EXPECT_EQ(Name(), "ab");
    m_.Tick();
    EXPECT_EQ(g().text.calls[2].text, "1.");  // no rank line any more
    std::filesystem::remove(m_.res.Saves("groar.dat"));
    m_.Key(kButtonEscape, true);
    m_.Tick();
    EXPECT_EQ(g().shell.ScreenId, kScreenHelpMenu);
    EXPECT_EQ(m_.res.ReadBytes(m_.res.Saves("groar.dat")), written);
}

TEST_F(ChampionTest, BackButtonWritesAndGoesToTheHelpMenu) {
    m_.ClickButton(1);
    EXPECT_EQ(g().shell.ScreenId, kScreenHelpMenu);
    EXPECT_EQ(g().menus.EntryRank, 0);
    EXPECT_EQ(m_.res.ReadBytes(m_.res.Saves("groar.dat")).size(), 696u);
    Type("x");  // no longer on the champion screen
    EXPECT_EQ(Name(), "");
}

}  // namespace
