// The name editors show a blinking cursor where the next typed character will appear, and none
// once the name is full or the naming has ended.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menus/highscores.h"
#include "menus/transitions.h"
#include "menus_fixture.h"
#include "presentation/text.h"
#include "shell/input.h"

namespace {

struct Editor {
    const char* name;
    int nameX;
    int rowY;
    void (*open)(MenuGame&);
};

// The champion screen naming place 3; the save screen naming slot 2 (picked with the mouse).
const Editor kEditors[] = {
    {"champion", 285, 317 + 25 * 2,
     [](MenuGame& m) {
         m.g().play.GameMode = 1;
         for (int r = 1; r <= 7; ++r) m.g().own.HighscoreScore[1][r] = 80000 - 10000 * r;
         CheckHighscore(m.g(), 55000);
         m.Tick();
     }},
    {"save", 245, 320 + 25,
     [](MenuGame& m) {
         m.g().shell.GameInProgress = 2;
         ShowSaveScreen(m.g());
         m.Tick();
         DXDraw1MouseMove(m.g(), 400, 350);
         DXDraw1MouseDown(m.g());
         m.Tick();
         DXDraw1MouseUp(m.g());
     }},
};

// The cursor glyphs queued in the next tick that shows the cursor's phase `on`.
std::vector<TextCall> CursorCalls(MenuGame& m, bool on) {
    while ((m.g().shell.FrameCounter + 1) / 20 % 2 != (on ? 0 : 1)) m.Tick();
    m.Tick();
    std::vector<TextCall> cursors;
    for (const TextCall& c : m.g().text.calls) {
        if (c.text == "_") cursors.push_back(c);
    }
    return cursors;
}

struct Typing {
    const char* typed;  // what the player types
    const char* name;   // what the name then holds
    bool cursor;        // whether a cursor follows it
};

class NameCursor : public ::testing::TestWithParam<std::tuple<Editor, Typing>> {};

TEST_P(NameCursor, BlinksWhereTheNextCharacterGoes) {
    const auto& [editor, typing] = GetParam();
    MenuGame m;
    editor.open(m);
    for (const char* c = typing.typed; *c != '\0'; ++c) {
        DXDraw1KeyPress(m.g(), static_cast<unsigned char>(*c));
    }
    const std::vector<TextCall> shown = CursorCalls(m, true);
    if (!typing.cursor) {
        EXPECT_TRUE(shown.empty()) << editor.name;
        return;
    }
    ASSERT_EQ(shown.size(), 1u) << editor.name;
    EXPECT_EQ(shown[0].x, editor.nameX + TextWidth(m.g(), typing.name)) << editor.name;
    EXPECT_EQ(shown[0].y, editor.rowY) << editor.name;
    EXPECT_EQ(shown[0].align, kAlignLeft);
    // The other half of the blink shows nothing.
    EXPECT_TRUE(CursorCalls(m, false).empty()) << editor.name;
    EXPECT_EQ(CursorCalls(m, true).size(), 1u) << editor.name;
}

INSTANTIATE_TEST_SUITE_P(
    Editors, NameCursor,
    ::testing::Combine(::testing::ValuesIn(kEditors),
                       ::testing::Values(Typing{"", "", true}, Typing{"Ab 1", "ab 1", true},
                                         // "!" is refused and the cursor stays after "x".
                                         Typing{"x!", "x", true},
                                         Typing{"abcdefg", "abcdefg", true},
                                         // Full at eight: no place for another character.
                                         Typing{"abcdefgh", "abcdefgh", false},
                                         Typing{"abcdefghij", "abcdefgh", false},
                                         // Backspace empties the name: the cursor is back.
                                         Typing{"abcdefgh\b", "", true})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_after_" +
               std::to_string(std::string(std::get<1>(info.param).typed).size()) + "_keys_" +
               std::to_string(info.index);
    });

TEST(NameCursor, EndsWithTheNaming) {
    for (const Editor& editor : kEditors) {
        MenuGame m;
        editor.open(m);
        DXDraw1KeyPress(m.g(), 'q');
        ASSERT_EQ(CursorCalls(m, true).size(), 1u) << editor.name;
        m.Key(kButtonReturn, true);
        m.Tick();
        m.Key(kButtonReturn, false);
        EXPECT_TRUE(CursorCalls(m, true).empty()) << editor.name;
        EXPECT_TRUE(CursorCalls(m, true).empty()) << editor.name;
    }
}

}  // namespace
