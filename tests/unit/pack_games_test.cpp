// Playing level packs: the paths of pack levels, each pack's highscore file and the pack a save
// slot names (the end-to-end script level_packs.sh plays them through the menus).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/languages.h"
#include "core/level_source.h"
#include "menus/pack_scores.h"
#include "menus/pack_screen.h"
#include "menus/saved_games.h"
#include "menus_fixture.h"
#include "presentation/text.h"

namespace {

TEST(PackLevelPath, SplitsOnlyWhatPackLevelPathMakes) {
    std::string pack;
    int level = 0;
    ASSERT_TRUE(SplitPackLevelPath(PackLevelPath("x#b/cold.txt", 99), pack, level));
    EXPECT_EQ(pack + " " + std::to_string(level), "x#b/cold.txt 99");
    for (const char* other :
         {"res/Levelz/lvl001.lvl", "p.txt#0", "p.txt#", "p.txt#1a", "p.txt#100"})
        EXPECT_FALSE(SplitPackLevelPath(other, pack, level)) << other;
}

struct DamageCase {
    const char* from;  // a piece of a good file
    const char* to;    // what it becomes; "" with from "" keeps the good file
    const char* said;  // part of the problem given
};

class PackScoresFile : public testing::TestWithParam<DamageCase> {};

TEST_P(PackScoresFile, ReadsBackWhatIsWrittenAndRefusesDamageSayingWhy) {
    const DamageCase& c = GetParam();
    PackScores good;
    for (int r = 1; r <= 7; ++r) {
        good.score[r] = 9000 - 1000 * r;
        good.name[r] = r == 7 ? "" : "an-na " + std::to_string(r);
    }
    std::string text = PackScoresText(good);
    ASSERT_NE(text.find(c.from), std::string::npos);
    text.replace(text.find(c.from), std::string(c.from).size(), c.to);
    PackScores scores;
    std::string problem;
    const bool ok = ParsePackScores(text, scores, problem);
    EXPECT_EQ(ok, *c.said == '\0') << problem;
    EXPECT_NE(problem.find(c.said), std::string::npos) << problem;
    // A refused file leaves the table as it was.
    EXPECT_EQ(scores.score[1], ok ? 8000 : 0);
    if (ok) {
        EXPECT_EQ(scores.name, good.name);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, PackScoresFile,
    testing::Values(DamageCase{"", "", ""},
                    DamageCase{"highscores 1", "highscores 2", "does not start"},
                    DamageCase{"rhombulus2 pack highscores 1\n", "", "does not start"},
                    DamageCase{"3 6000", "4 6000", "place 3"},
                    DamageCase{"\n4 5000 an-na 4\n5", "\n5", "place 4"},
                    DamageCase{"3 6000", "3 60a0", "not a number"},
                    DamageCase{"3 6000", "3 -6000", "not a number"},
                    DamageCase{"3 6000", "3 1000000000", "not \"place score name\""},
                    DamageCase{"7 2000 ", "7 2000", "not \"place score name\""},
                    DamageCase{"an-na 3", "An-na 3", "name"},
                    DamageCase{"an-na 3", "an-na 3 long", "name"},
                    DamageCase{"7 2000 \n", "7 2000 \n8 1 x\n", "more than seven"}));

TEST(PackSlot, ASavedPackGameNamesItsPackAndOnlyAPlainFileNameIsTaken) {
    MenuGame m;
    Game& g = m.g();
    g.play.GameMode = kModePuzzle;
    g.play.LevelNumber = 77;  // beyond the game's own 50: a pack may hold 99
    g.play.LapNumber = 1;
    g.packGame.File = "cold-caves.txt";
    ASSERT_TRUE(WriteSavedGame(g, SlotFile(2)));
    LevelStartRequest start;
    ASSERT_TRUE(ReadSavedGame(g, SlotFile(2), start));
    EXPECT_EQ(start.pack + " " + std::to_string(start.level), "cold-caves.txt 77");
    for (const std::string name : {"../cold-caves.txt", ".hidden.txt", "a\\b.txt", ""}) {
        m.res.WriteBytes(m.res.Saves("ave2pack.dat"), {name.begin(), name.end()});
        // Without its pack, level 77 is no level of the game's own: the slot does not load.
        EXPECT_FALSE(ReadSavedGame(g, SlotFile(2), start)) << name;
    }
}

// Why a pack is refused is the second of the two lines under the list (344 px): in every language
// it shows whole, and each kind of fault reads differently from the others.
class PackFaultWords : public ::testing::TestWithParam<int> {};

TEST_P(PackFaultWords, EachKindFitsUnderTheListInEveryLanguage) {
    MenuGame m;
    m.g().shell.Language = GetParam();
    std::vector<std::string> said;
    for (const char* fault : {"too-large", "not-text", "unreadable", "not-a-pack", "header",
                              "level 99", "too-many-levels", "no-level", "match"}) {
        const std::string text = PackFaultText(m.g(), fault);
        EXPECT_LE(TextWidth(m.g(), text), 344) << fault << ": " << text;
        EXPECT_EQ(std::find(said.begin(), said.end(), text), said.end()) << text;
        said.push_back(text);
    }
    EXPECT_NE(said[5].find("99"), std::string::npos) << said[5];
    EXPECT_LE(TextWidth(m.g(), FillIn(Tr(m.g(), "%s cannot be played:"), {"cold-caves.txt"})), 344);
}

INSTANTIATE_TEST_SUITE_P(Languages, PackFaultWords, ::testing::Range(1, kLanguages + 1));

}  // namespace
