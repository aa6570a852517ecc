#include "runner/runner.h"

#include <gtest/gtest.h>

#include <utility>

#include "core/encoding.h"

namespace {

TEST(InputScript, ClickAndKeyExpandToPressAndRelease) {
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(ParseInputScript("# comment\n5 click\n5 move 10 20\n3 key escape\n7 text Grüße x\n",
                                 events, error))
        << error;
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].tick, 3);
    EXPECT_EQ(events[0].kind, "keydown");
    EXPECT_EQ(events[1].tick, 4);
    EXPECT_EQ(events[1].kind, "keyup");
    EXPECT_EQ(events[2].kind, "down");
    EXPECT_EQ(events[3].kind, "move");  // file order within tick 5
    EXPECT_EQ(events[4].tick, 6);
    EXPECT_EQ(events[4].kind, "up");
    EXPECT_EQ(events[5].arg, "Grüße x");
}

class BadScript : public ::testing::TestWithParam<const char*> {};

TEST_P(BadScript, RejectedWithLineNumber) {
    std::vector<ScriptEvent> events;
    std::string error;
    EXPECT_FALSE(ParseInputScript(std::string("1 move 1 2\n") + GetParam(), events, error));
    EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
}

INSTANTIATE_TEST_SUITE_P(Cases, BadScript,
                         ::testing::Values("0 down", "x down", "3 jump", "3 key f1", "3 move 1",
                                           "3 focus 2", "-4 up", "4294967297 down", "2147483648 up",
                                           "3 move 99999999999 1"));

TEST(Encoding, Cp1252RoundTripOfGermanTextAndEuro) {
    const std::string utf8 = "Zurück Größe €5 ß";
    const std::string cp = Utf8ToCp1252(utf8);
    EXPECT_EQ(cp.size(), 17u);
    EXPECT_EQ(static_cast<unsigned char>(cp[3]), 0xFC);
    EXPECT_EQ(static_cast<unsigned char>(cp[13]), 0x80);
    EXPECT_EQ(Cp1252ToUtf8(cp), utf8);
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82"), "??");  // truncated sequence
    EXPECT_EQ(Utf8ToCp1252("日"), "?");
}

// The nearest Windows-1252 form keeps what the code page holds and writes the other letters of
// the game's alphabets as Latin ones.
class NearestCp1252 : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(NearestCp1252, Writes) {
    EXPECT_EQ(Utf8ToNearestCp1252(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NearestCp1252,
    ::testing::Values(std::pair{"Anna", "Anna"}, std::pair{"Jürgen €", "J\xFCrgen \x80"},
                      std::pair{"Łódź",
                                "L\xF3"
                                "dz"},
                      std::pair{"Ștefan Ţ", "Stefan T"},
                      std::pair{"Œuvre Šárka", "\x8Cuvre \x8A\xE1rka"},
                      std::pair{"Жора Щука", "Zhora Shchuka"}, std::pair{"Объём", "Obyom"},
                      std::pair{"Ґанна Їжак", "Ganna Yizhak"}, std::pair{"Σωκράτης", "Sokratis"},
                      std::pair{"山田 Ko", "?? Ko"}, std::pair{"\xE2\x82", "??"}));

}  // namespace
