// Names in the player's own alphabet: groar.dat and names.dat keep their Windows-1252 form, the
// side files beside them the whole name; a damaged, stale or missing side file gives the table's
// name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/name_text.h"
#include "menus/highscores.h"
#include "menus/pack_scores.h"
#include "menus/saved_games.h"
#include "menus/transitions.h"
#include "menus_fixture.h"
#include "presentation/text.h"
#include "shell/input.h"

namespace {

const std::string kIvan = "\u0438\u0432\u0430\u043d";  // иван
const std::string kDetlef = "d\u00e9tlef";             // détlef: Windows-1252 holds it

std::string Text(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}
std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// The name of record k of a groar.dat, as a reader of the old format takes it.
std::string OldReaderName(const std::vector<std::uint8_t>& groar, int k) {
    const std::size_t at = 24 * static_cast<std::size_t>(k);
    return std::string(reinterpret_cast<const char*>(&groar[at + 5]), groar[at + 4]);
}

// Types the name where the font can draw it, else puts it in as the name editor would have.
void TypeOrPut(Game& g, std::string& name, const std::string& utf8) {
    if (FontHolds(g, ValidCodePoints(utf8)[0])) {
        TypeText(g, utf8);
        ASSERT_EQ(name, utf8);
    } else {
        name = utf8;
    }
}

TEST(WholeNames, CyrillicChampionSurvivesARestartAndGroarStaysTheOldFormat) {
    MenuGame m;
    Game& g = m.g();
    g.play.GameMode = 2;
    CheckHighscore(g, 65000);  // place 2 of the Puzzle table: record 9
    m.Tick();
    ASSERT_EQ(g.menus.EntryRank, 2);
    TypeOrPut(g, g.menus.TypedName, kIvan);
    g.own.HighscoreName[3][1] = kDetlef;
    m.Key(kButtonReturn, true);
    m.Tick();
    m.Key(kButtonReturn, false);

    const auto groar = m.res.ReadBytes(m.res.Saves("groar.dat"));
    ASSERT_EQ(groar.size(), 696u);
    EXPECT_EQ(OldReaderName(groar, 9), NameTo1252(kIvan, 10));
    EXPECT_EQ(OldReaderName(groar, 9).size(), 4u);
    EXPECT_EQ(OldReaderName(groar, 15), "d\xe9tlef");  // held by the record itself
    EXPECT_EQ(
        Text(m.res.ReadBytes(m.res.Saves("groar-utf8.txt"))),
        "rhombulus2 names 1\n9\t" + NameFrom1252(NameTo1252(kIvan, 10)) + "\t" + kIvan + "\n");

    m.Start();
    EXPECT_EQ(m.g().own.HighscoreName[2][2], kIvan);
    EXPECT_EQ(m.g().own.HighscoreName[3][1], kDetlef);
    EXPECT_EQ(m.g().own.HighscoreScore[2][2], 65000);
    // Without its side file the table reads as an old reader reads it.
    std::filesystem::remove(m.res.Saves("groar-utf8.txt"));
    m.Start();
    EXPECT_EQ(m.g().own.HighscoreName[2][2], NameFrom1252(NameTo1252(kIvan, 10)));
}

TEST(WholeNames, AStaleSideFileGivesWayToTheTable) {
    MenuGame m;
    m.g().own.HighscoreName[1][1] = kIvan;
    ASSERT_TRUE(WriteHighscores(m.g(), kHighscoreFile, false));
    // An old version wrote another name into that place and left the side file as it was.
    auto groar = m.res.ReadBytes(m.res.Saves("groar.dat"));
    groar[24 + 4] = 4;
    for (int i = 0; i < 4; ++i) groar[24 + 5 + i] = static_cast<std::uint8_t>("olga"[i]);
    m.res.WriteBytes(m.res.Saves("groar.dat"), groar);
    m.Start();
    EXPECT_EQ(m.g().own.HighscoreName[1][1], "olga");
    // The next write leaves no side file, as no name needs one.
    ASSERT_TRUE(WriteHighscores(m.g(), kHighscoreFile, false));
    EXPECT_FALSE(std::filesystem::exists(m.res.Saves("groar-utf8.txt")));
}

TEST(WholeNames, CyrillicSlotNameSurvivesARestart) {
    MenuGame m;
    Game& g = m.g();
    g.shell.GameInProgress = 2;
    g.play.GameMode = 2;
    g.play.LevelNumber = 12;
    g.play.LapNumber = 1;
    ShowSaveScreen(g);
    m.Tick(20);
    m.ClickAt(400, 300 + 20 + 25 * 2 + 5);  // slot 3
    ASSERT_EQ(g.menus.SelectedSlot, 3);
    TypeOrPut(g, g.menus.TypedName, kIvan);
    m.Key(kButtonReturn, true);
    m.Tick();
    m.Key(kButtonReturn, false);
    ASSERT_EQ(g.menus.SlotSaved, 1);

    const auto names = m.res.ReadBytes(m.res.Saves("names.dat"));
    ASSERT_EQ(names.size(), 160u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&names[61]), names[60]),
              NameTo1252(kIvan, 10));
    m.Start();
    ReadSlotNames(m.g());
    EXPECT_EQ(m.g().own.SlotName[3], kIvan);
    EXPECT_EQ(m.g().own.SlotLevel[3], 12);
    EXPECT_EQ(m.g().own.SlotName[1], "noname");
}

TEST(WholeNames, ASideFileOfAnotherKindOrOversizedIsIgnored) {
    MenuGame m;
    m.g().own.SlotName.fill("noname");
    m.g().own.SlotName[2] = kIvan;
    m.g().own.SlotMode[2] = 1;
    m.g().own.SlotLevel[2] = 3;
    ASSERT_TRUE(WriteSlotNames(m.g(), false));
    const std::string side = m.res.Saves("names-utf8.txt");
    const std::string good = Text(m.res.ReadBytes(side));
    const std::string fallback = NameFrom1252(NameTo1252(kIvan, 10));
    for (const std::string& text :
         {std::string("rhombulus2 names 2\n") + good.substr(good.find('\n') + 1),
          good + std::string(kMaxWholeNamesBytes, 'x'), std::string()}) {
        m.res.WriteBytes(side, Bytes(text));
        ReadSlotNames(m.g());
        EXPECT_EQ(m.g().own.SlotName[2], fallback);
    }
    std::filesystem::remove(side);
    std::filesystem::create_directory(side);  // not a file at all
    ReadSlotNames(m.g());
    EXPECT_EQ(m.g().own.SlotName[2], fallback);
}

struct LineCase {
    const char* what;
    std::string line;
    bool taken;
};

class WholeNameLine : public ::testing::TestWithParam<LineCase> {};

// One line of a side file beside a good one for record 1: the good one is always taken.
TEST_P(WholeNameLine, IsTakenOnlyWhenWhole) {
    const LineCase& c = GetParam();
    const std::string text = "rhombulus2 names 1\n1\t????\t" + kIvan + "\n" + c.line;
    const WholeNames names = ParseWholeNames(text, 7, 10);
    EXPECT_EQ(NameOfRecord(names, 1, "????"), kIvan) << c.what;
    EXPECT_EQ(NameOfRecord(names, 3, "??"), c.taken ? "\u043e\u043b" : "??") << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Damage, WholeNameLine,
    ::testing::Values(LineCase{"whole", "3\t??\t\u043e\u043b\n", true},
                      LineCase{"last line without its end", "3\t??\t\u043e\u043b", true},
                      LineCase{"record past the table", "8\t??\t\u043e\u043b\n", false},
                      LineCase{"record zero", "0\t??\t\u043e\u043b\n", false},
                      LineCase{"record not a number", "3x\t??\t\u043e\u043b\n", false},
                      LineCase{"one tab", "3\t\u043e\u043b\n", false},
                      LineCase{"cut inside a character", "3\t??\t\u043e\xD0\n", false},
                      LineCase{"not UTF-8", "3\t??\t\xFF\xFE\n", false},
                      LineCase{"control character", "3\t??\t\u043e\x01\n", false},
                      LineCase{"eleven characters", "3\t??\t\u043e\u043babcdefghi\n", false},
                      LineCase{"field not Windows-1252", "3\t\u043e\u043b\t\u043e\u043b\n", false},
                      LineCase{"record twice", "1\t??\tab\n3\t??\t\u043e\u043b\n", true}),
    [](const auto& info) {
        std::string name;
        for (char ch : std::string(info.param.what)) name += std::isalnum(ch) ? ch : '_';
        return name;
    });

TEST(WholeNames, PackTablesKeepTheWholeNameInUtf8) {
    PackScores scores;
    for (int r = 1; r <= 7; ++r) scores.name[r] = std::string{'p', static_cast<char>('0' + r)};
    scores.name[2] = kIvan;
    scores.score[2] = 900;
    PackScores read;
    std::string problem;
    ASSERT_TRUE(ParsePackScores(PackScoresText(scores), read, problem)) << problem;
    EXPECT_EQ(read.name[2], kIvan);
    // Capitals and symbols are none the name editor types.
    scores.name[2] = "\u0418\u0432\u0430\u043d";
    EXPECT_FALSE(ParsePackScores(PackScoresText(scores), read, problem));
    scores.name[2] = "\u20ac";
    EXPECT_FALSE(ParsePackScores(PackScoresText(scores), read, problem));
}

TEST(NameText, CharactersCountAsCodePoints) {
    EXPECT_EQ(Utf8Chars(kIvan), 4u);
    EXPECT_EQ(DropLastChar(kIvan), "\u0438\u0432\u0430");
    EXPECT_EQ(DropFirstChar(kIvan), "\u0432\u0430\u043d");
    EXPECT_EQ(FirstChars(kIvan, 2), "\u0438\u0432");
    EXPECT_EQ(ValidCodePoints("a\xFF\u0436"), (std::vector<char32_t>{U'a', U'\u0436'}));
    char32_t stored = 0;
    EXPECT_TRUE(NameCharacter(U'\u0416', stored));
    EXPECT_EQ(stored, U'\u0436');
    EXPECT_TRUE(NameCharacter(U'\u0130', stored));   // Turkish dotted capital I
    EXPECT_FALSE(NameCharacter(U'\u3002', stored));  // ideographic full stop
    EXPECT_TRUE(NameCharacter(U'\u65e5', stored));   // a kanji is a letter
    EXPECT_TRUE(NameFits1252(kDetlef, 10));
    EXPECT_FALSE(NameFits1252(kIvan, 10));
    EXPECT_FALSE(NameFits1252("abcdefghijk", 10));  // too long for the field
}

TEST(NameText, EveryByteOfARecordComesBackAsItWas) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    const std::string utf8 = NameFrom1252(all);
    EXPECT_TRUE(ValidUtf8(utf8));
    EXPECT_EQ(NameTo1252(utf8, all.size()), all);
    EXPECT_TRUE(NameFits1252(NameFrom1252("\x81\xE9\x80"), 10));
}

}  // namespace
