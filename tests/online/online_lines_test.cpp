// The online screens break what the session says to the frame's width, in any script: at
// spaces where a line has them, between characters where it has none, and never lose a letter.
#include <gtest/gtest.h>

#include <memory>

#include "core/game.h"
#include "menus/online_pages.h"
#include "platform/headless/headless_platform.h"
#include "presentation/text.h"
#include "runner/replay_watch.h"
#include "shell/frame_loop.h"

namespace {

class OnlineLines : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        game_ = std::make_unique<Game>();
        InitGame(*game_, platform_, RHOMBULUS_RES_DIR, 1);
        game_->savesDir = saves_.Path();
        // Start-up, which loads the font, runs on tick 2.
        for (int i = 0; i < 2; ++i) FrameTick(*game_, false);
        ASSERT_GT(TextWidth(*game_, "Anna"), 0);
    }
    HeadlessPlatform platform_;
    ScratchFolder saves_;
    std::unique_ptr<Game> game_;
};

std::string WithoutSpaces(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != ' ') out += c;
    return out;
}

TEST_P(OnlineLines, StayInsideTheWidthAndKeepEveryLetter) {
    const std::string text = GetParam();
    for (int width : {60, 120, 350}) {
        const std::vector<std::string> lines = BreakOnlineLine(*game_, text, width);
        std::string joined;
        for (const std::string& line : lines) {
            // A single character wider than the line is the only line allowed over it.
            if (line.size() > 4) {
                EXPECT_LE(TextWidth(*game_, line), width) << line;
            }
            EXPECT_FALSE(line.empty() && text.size() > 0);
            joined += line;
        }
        EXPECT_EQ(WithoutSpaces(joined), WithoutSpaces(text)) << width;
        if (TextWidth(*game_, text) <= width) {
            EXPECT_EQ(lines.size(), 1u);
        }
    }
}
INSTANTIATE_TEST_SUITE_P(Scripts, OnlineLines,
                         ::testing::Values("Vor dem Ende verlassen: nichts gesendet.",
                                           "Dieser Schlüssel hat einen anderen Namen.",
                                           "このランキングにはまだゲームがありません。",
                                           "Выход до конца: ничего не отправлено.",
                                           "Donaudampfschifffahrtsgesellschaftskapitän", "ok"));

TEST(OnlineName, IsTheServersRule) {
    EXPECT_TRUE(OnlineNameOk("Anna"));
    EXPECT_TRUE(OnlineNameOk("a.b-c_d 9"));
    EXPECT_FALSE(OnlineNameOk("A"));
    EXPECT_FALSE(OnlineNameOk(" Anna"));
    EXPECT_FALSE(OnlineNameOk("Anna "));
    EXPECT_FALSE(OnlineNameOk("Änna"));
    EXPECT_FALSE(OnlineNameOk(std::string(17, 'a')));
    EXPECT_TRUE(OnlineNameOk(std::string(16, 'a')));
}

}  // namespace
