// The menu buttons: the start and press delays, hover and its sound, the hit box and overlaps.
#include "menus/buttons.h"

#include <gtest/gtest.h>

#include "presentation/sound.h"
#include "test_support.h"

namespace {

class ButtonsTest : public ::testing::Test {
  protected:
    Game& g() { return t_.game; }
    // One frame of a screen: the frame loop's press counter, then the screen's UpdateButtons.
    void Frame() {
        if (g().input.MouseButtonDown || g().input.MouseButtonDown2) ++g().input.ButtonHeldFrames;
        g().sound.SoundRequest.fill(0);
        UpdateButtons(g());
    }
    void Press() { DXDraw1MouseDown(g()); }
    void Release() { DXDraw1MouseUp(g()); }
    bool HoverSound() const { return t_.game.sound.SoundRequest[sndTast2] != 0; }
    TestGame t_;
};

TEST_F(ButtonsTest, NewButtonReactsFromItsTwentiethFrame) {
    SetButton(g(), 1, 400, 540, 100, 25);
    DXDraw1MouseMove(g(), 400, 550);
    for (int frame = 1; frame <= 19; ++frame) {
        Press();
        Frame();
        EXPECT_EQ(g().buttons.MenuSelection, 0) << "frame " << frame;
        EXPECT_EQ(g().buttons.ButtonState[1], 0);
        Release();
    }
    Press();
    Frame();
    EXPECT_EQ(g().buttons.MenuSelection, 1);
    EXPECT_EQ(g().buttons.ButtonState[1], 2);
}

TEST_F(ButtonsTest, HeldButtonPressesOnceAndPressedLookLastsTenFrames) {
    SetButton(g(), 1, 400, 540, 100, 25);
    DXDraw1MouseMove(g(), 400, 550);
    for (int i = 0; i < 19; ++i) Frame();
    Press();
    Frame();
    ASSERT_EQ(g().buttons.MenuSelection, 1);
    DXDraw1MouseMove(g(), 10, 10);  // leaves at once, still holding
    int pressedLook = 1;
    for (int i = 0; i < 30; ++i) {
        Frame();
        EXPECT_EQ(g().buttons.MenuSelection, 0);
        if (g().buttons.ButtonState[1] == 2) ++pressedLook;
    }
    EXPECT_EQ(pressedLook, 10);
    // A new press right after the inert frames counts again.
    Release();
    DXDraw1MouseMove(g(), 400, 550);
    Press();
    Frame();
    EXPECT_EQ(g().buttons.MenuSelection, 1);
}

TEST_F(ButtonsTest, ButtonIsInertUntilTheTenthFrameAfterAPress) {
    SetButton(g(), 1, 400, 540, 100, 25);
    DXDraw1MouseMove(g(), 400, 550);
    for (int i = 0; i < 19; ++i) Frame();
    Press();
    Frame();
    Release();
    for (int frame = 1; frame <= 9; ++frame) {
        Press();
        Frame();
        EXPECT_EQ(g().buttons.MenuSelection, 0) << "frame " << frame;
        Release();
    }
    Press();
    Frame();
    EXPECT_EQ(g().buttons.MenuSelection, 1);
}

struct HitCase {
    int x, y;
    bool over;
};

class HitBoxTest : public ButtonsTest, public ::testing::WithParamInterface<HitCase> {};

// The back button of the highscore screen: live area x 301..499, y 538..564.
TEST_P(HitBoxTest, EdgesAreExcludedAndTwoRowsAboveTheLabelCount) {
    SetButton(g(), 3, 400, 540, 100, 25);
    g().buttons.ButtonDelay[3] = 1;
    DXDraw1MouseMove(g(), GetParam().x, GetParam().y);
    Frame();
    EXPECT_EQ(g().buttons.ButtonState[3], GetParam().over ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(HighscoreBack, HitBoxTest,
                         ::testing::Values(HitCase{301, 550, true}, HitCase{300, 550, false},
                                           HitCase{499, 550, true}, HitCase{500, 550, false},
                                           HitCase{400, 538, true}, HitCase{400, 537, false},
                                           HitCase{400, 564, true}, HitCase{400, 565, false}));

TEST_F(ButtonsTest, HoverSoundOncePerEntryAndOnlyAfterARealMove) {
    for (int i = 1; i <= 3; ++i) SetButton(g(), i, 400, 300 + 40 * i, 110, 25);
    for (int i = 0; i < 20; ++i) Frame();
    int sounds = 0;
    for (int i = 1; i <= 3; ++i) {
        DXDraw1MouseMove(g(), 400, 305 + 40 * i);
        Frame();
        sounds += HoverSound();
        Frame();  // resting on it: no second sound
        sounds += HoverSound();
        DXDraw1MouseMove(g(), 400, 325 + 40 * i);  // the gap between buttons
        Frame();
    }
    EXPECT_EQ(sounds, 3);
}

TEST_F(ButtonsTest, ButtonAppearingUnderAPointerAtRestAfterAClickStaysSilent) {
    DXDraw1MouseMove(g(), 400, 350);
    Press();  // the click that opened the screen clears the move
    Release();
    SetButton(g(), 1, 400, 340, 110, 25);
    bool sound = false;
    for (int i = 0; i < 25; ++i) {
        Frame();
        sound = sound || HoverSound();
    }
    EXPECT_FALSE(sound);
    EXPECT_EQ(g().buttons.ButtonState[1], 1);
}

TEST_F(ButtonsTest, HighestSlotWinsAnOverlap) {
    SetButton(g(), 2, 400, 340, 110, 25);
    SetButton(g(), 5, 420, 345, 110, 25);
    SetButton(g(), 7, 600, 345, 50, 25);
    DXDraw1MouseMove(g(), 410, 350);
    for (int i = 0; i < 19; ++i) Frame();
    Press();
    Frame();
    EXPECT_EQ(g().buttons.MenuSelection, 5);
    EXPECT_EQ(g().buttons.ButtonState[2], 2);
    EXPECT_EQ(g().buttons.ButtonState[5], 2);
}

}  // namespace
