// Save slots: the slot list file, the slot files, and the load screen's refusals.
#include "menus/saved_games.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "menus/record_file.h"
#include "menus/transitions.h"
#include "menus_fixture.h"

namespace {

TEST(SlotNames, MissingOrShortListReadsAsUnusedSlotsAndResetWritesThem) {
    MenuGame m;
    m.res.WriteBytes(m.res.Saves("names.dat"), std::vector<std::uint8_t>(159, 7));
    ReadSlotNames(m.g());
    for (int k = 1; k <= 7; ++k) {
        EXPECT_EQ(m.g().own.SlotName[k], "noname");
        EXPECT_EQ(m.g().own.SlotLevel[k], 0);
        EXPECT_EQ(m.g().own.SlotMode[k], 0);
    }
    m.g().own.SlotName[2] = "abcdefghijkl";  // cut to 10 when written
    m.g().own.SlotLevel[2] = 12;
    m.g().own.SlotMode[2] = 2;
    ASSERT_TRUE(WriteSlotNames(m.g(), false));
    auto bytes = m.res.ReadBytes(m.res.Saves("names.dat"));
    ASSERT_EQ(bytes.size(), 160u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 20),
              std::vector<std::uint8_t>(20, 0));
    EXPECT_EQ(bytes[40], 10);
    EXPECT_EQ(std::string(bytes.begin() + 41, bytes.begin() + 51), "abcdefghij");
    EXPECT_EQ(GetInt32(bytes, 52), 12);
    EXPECT_EQ(GetInt32(bytes, 56), 2);
    ReadSlotNames(m.g());
    EXPECT_EQ(m.g().own.SlotName[2], "abcdefghij");
    ASSERT_TRUE(WriteSlotNames(m.g(), true));
    bytes = m.res.ReadBytes(m.res.Saves("names.dat"));
    EXPECT_EQ(bytes[40], 6);
    EXPECT_EQ(GetInt32(bytes, 52), 0);
}

TEST(SavedGame, ElevenRecordsWrittenAndTheLevelValuesReadBack) {
    MenuGame m;
    Game& g = m.g();
    g.play.LevelNumber = 12;
    g.play.LapNumber = 2;
    g.play.GameMode = 2;
    g.level.LevelStartTime = 640;
    g.players[kSoloPlayer].LevelStartScore = 81234;
    ASSERT_TRUE(WriteSavedGame(g, SlotFile(3)));
    const auto bytes = m.res.ReadBytes(m.res.Saves("ave3.dat"));
    ASSERT_EQ(bytes.size(), 48u);
    std::vector<int> records;
    for (int k = 0; k < 12; ++k) records.push_back(GetInt32(bytes, 4 * k));
    EXPECT_EQ(records, (std::vector<int>{0, 12, 2, 2, 640, 81234, 0, 0, 0, 0, 0, 0}));
    LevelStartRequest slot;
    ASSERT_TRUE(ReadSavedGame(g, SlotFile(3), slot));
    EXPECT_EQ(std::make_tuple(slot.kind, slot.level, slot.lap, slot.mode, slot.time, slot.score),
              std::make_tuple(LevelStartKind::kLoaded, 12, 2, 2, 640, 81234));
    EXPECT_FALSE(ReadSavedGame(g, SlotFile(4), slot));
}

TEST(SavedGame, AMatchKeepsBothPlayersStartScoresAndLevelsWonAndLoadsThroughTheMatchStart) {
    MenuGame m;
    Game& g = m.g();
    g.play.LevelNumber = 22;
    g.play.LapNumber = 1;
    g.play.GameMode = kModeMatch;
    g.players[1].LevelStartScore = 4100;
    g.players[2].LevelStartScore = 2050;
    g.players[1].Score = 4500;
    g.players[2].Score = 2300;  // points of the level under way are not kept
    g.match.LevelsWon = {0, 2, 1};
    ASSERT_TRUE(WriteSavedGame(g, SlotFile(5)));
    const auto bytes = m.res.ReadBytes(m.res.Saves("ave5.dat"));
    ASSERT_EQ(bytes.size(), 48u);
    std::vector<int> records;
    for (int k = 0; k < 12; ++k) records.push_back(GetInt32(bytes, 4 * k));
    EXPECT_EQ(records[3], kModeMatch);
    EXPECT_EQ(std::vector<int>(records.begin() + 6, records.end()),
              (std::vector<int>{0, 4100, 2, 0, 2050, 1}));
    // The slot list shows it as a match; a click loads it into its level with those values.
    std::vector<std::uint8_t> names(160, 0);
    names[100] = 1;
    names[101] = 'm';
    PutInt32(names, 112, 22);
    PutInt32(names, 116, kModeMatch);
    m.res.WriteBytes(m.res.Saves("names.dat"), names);
    g.match = MatchState{};
    ShowLoadScreen(g);
    m.Tick();
    DXDraw1MouseMove(g, 300, 420 + 5);
    DXDraw1MouseDown(g);
    m.Tick();
    DXDraw1MouseUp(g);
    EXPECT_EQ(g.shell.ScreenId, kScreenMatch);
    EXPECT_EQ(std::make_tuple(g.play.GameMode, g.play.LevelNumber), std::make_tuple(4, 22));
    EXPECT_EQ(std::make_tuple(g.players[1].Score, g.players[2].Score), std::make_tuple(4100, 2050));
    EXPECT_EQ(std::make_tuple(g.match.LevelsWon[1], g.match.LevelsWon[2]), std::make_tuple(2, 1));
}

TEST(LoadScreen, UnusedSlotsAndUnreadableSlotFilesLoadNothing) {
    MenuGame m;
    Game& g = m.g();
    std::vector<std::uint8_t> names(160, 0);
    names[20] = 6;  // slot 1 "noname", slot 2 named but without its file
    std::string unused = "noname";
    std::copy(unused.begin(), unused.end(), names.begin() + 21);
    names[40] = 2;
    names[41] = 'a';
    names[42] = 'b';
    m.res.WriteBytes(m.res.Saves("names.dat"), names);
    ShowLoadScreen(g);
    for (int row : {1, 2}) {
        DXDraw1MouseMove(g, 400, 320 + 25 * (row - 1) + 5);
        DXDraw1MouseDown(g);
        m.Tick(3);
        DXDraw1MouseUp(g);
        EXPECT_EQ(g.shell.ScreenId, kScreenLoad) << "row " << row;
    }
}

TEST(SaveScreen, OpeningClickSelectsNothingAndKeysNeedASelectedSlot) {
    MenuGame m;
    Game& g = m.g();
    DXDraw1MouseMove(g, 400, 325);
    DXDraw1MouseDown(g);
    ShowSaveScreen(g);
    m.Tick(2);
    EXPECT_EQ(g.menus.SelectedSlot, 0);
    DXDraw1KeyPress(g, 'a');
    EXPECT_EQ(g.menus.TypedCount, 0);
    DXDraw1MouseUp(g);
    DXDraw1MouseDown(g);
    m.Tick();
    ASSERT_EQ(g.menus.SelectedSlot, 1);
    for (unsigned char c : std::string("Ab!cdefghij")) DXDraw1KeyPress(g, c);
    EXPECT_EQ(g.menus.TypedName, "abcdefgh");
}

}  // namespace
