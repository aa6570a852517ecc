// The command record: what the window, the browser and the scripts put in it reaches the next
// tick in order, and a network match keeps it away from the game.
#include <gtest/gtest.h>

#include "menus/transitions.h"
#include "menus_fixture.h"
#include "shell/input.h"
#include "shell/net_commands.h"

namespace {

MenuGame& OnGameChoice(MenuGame& m) {
    m.Tick(230);
    ShowGameChoice(m.g());
    m.Tick(25);
    return m;
}

TEST(CommandRecord, WaitsForTheTickAndKeepsItsOrder) {
    MenuGame m;
    OnGameChoice(m);
    const ButtonTable& b = m.g().buttons;
    m.g().command.Move(10, 10);
    // Two steps of the menu keys before one tick: the second walks on from where the first
    // left the pointer, as it did when each event reached the game at once.
    for (int i = 0; i < 2; ++i) {
        m.g().command.Key(kButtonDown, true);
        m.g().command.Key(kButtonDown, false);
    }
    EXPECT_EQ(m.g().input.MouseX, 0) << "nothing reaches the game before its tick";
    m.Tick();
    EXPECT_TRUE(m.g().command.events.empty());
    EXPECT_EQ(m.g().input.MouseX, b.ButtonX[2]);
    EXPECT_EQ(m.g().input.MouseY, b.ButtonY[2] + b.ButtonHeight[2] / 2);
}

TEST(CommandRecord, AKeyHeldByPadOrKeyboardIsUpOnlyWhenBothLetGo) {
    MenuGame m;
    OnGameChoice(m);
    Command& c = m.g().command;
    // Pressed and let go between two ticks: the next tick still sees it, the one after not.
    c.Key(kButtonLeft, true);
    c.Key(kButtonLeft, false);
    m.Tick();
    EXPECT_EQ(m.g().input.KeyLeft, 1);
    m.Tick();
    EXPECT_EQ(m.g().input.KeyLeft, 0);
    c.Key(kButtonLeft, true);
    c.Pad(kPadLeft, true, 0);
    c.Key(kButtonLeft, false);
    m.Tick(2);
    EXPECT_EQ(m.g().input.KeyLeft, 1) << "the pad still holds it";
    c.LetGo(kFromPadButton | kFromPadStick);
    m.Tick();
    EXPECT_EQ(m.g().input.KeyLeft, 0);
    // A repeated key is not pressed again.
    c.Key(kButtonRight, true, kFromKeyboard, true);
    m.Tick();
    EXPECT_EQ(m.g().input.KeyRight, 0);
}

TEST(CommandRecord, ANetworkMatchTakesTheRecordAsThisMachinesControls) {
    MenuGame m;
    OnGameChoice(m);
    const InputState before = m.g().input;
    Command c;
    c.Move(520, 310);
    c.Button(true);
    c.Key(kButtonP, true);
    c.Pad(kPadB, true, 0);
    c.Pad(kPadA, true, 1);  // the second pad is no player of a network match
    LocalControls local;
    FoldIntoControls(m.g(), c, local);
    // The keys as the last tick read them, as the window's keys always reached the match.
    m.g().keys.Take();
    FoldIntoControls(m.g(), Command{}, local);
    EXPECT_EQ(local.mouseX, 520);
    EXPECT_EQ(local.mouseY, 310);
    EXPECT_TRUE(local.mouseHeld);
    EXPECT_TRUE(local.keyP);
    EXPECT_TRUE(local.keyEscape);
    EXPECT_FALSE(local.keySpace);
    // The game itself saw nothing.
    EXPECT_EQ(m.g().input.MouseX, before.MouseX);
    EXPECT_EQ(m.g().input.MouseButtonDown, before.MouseButtonDown);
    Command up;
    up.Button(false);
    up.Key(kButtonP, false);
    FoldIntoControls(m.g(), up, local);
    m.g().keys.Take();
    FoldIntoControls(m.g(), Command{}, local);
    EXPECT_FALSE(local.mouseHeld);
    EXPECT_FALSE(local.keyP);
}

TEST(CommandRecord, AFloodKeepsItsSizeAndTheLastPointer) {
    Command c;
    c.Button(true);
    for (int i = 0; i < 3 * static_cast<int>(kMaxCommandEvents); ++i) c.Move(i % 800, 7);
    c.Text(U'x');  // past the bound: dropped
    ASSERT_EQ(c.events.size(), kMaxCommandEvents);
    EXPECT_EQ(c.events.front().kind, CommandKind::kButton);
    EXPECT_EQ(c.events.back().kind, CommandKind::kMove);
    EXPECT_EQ(c.events.back().a, (3 * static_cast<int>(kMaxCommandEvents) - 1) % 800);
}

}  // namespace
