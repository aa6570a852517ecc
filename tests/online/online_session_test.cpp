// The window's online session without a server to talk to: nothing waits, the player is told,
// and a kept game stays kept until a server takes it.
#include "online/online_session.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "core/game.h"
#include "platform/headless/headless_platform.h"
#include "runner/game_replays.h"
#include "runner/replay_watch.h"
#include "shell/frame_loop.h"
#include "shell/recorder.h"

namespace {

class Session : public ::testing::Test {
  protected:
    void SetUp() override {
        InitGame(*game_, platform_, RHOMBULUS_RES_DIR, 1);
        game_->savesDir = saves_.Path();
        for (int i = 0; i < 2; ++i) FrameTick(*game_, false);
        game_->shell.Language = 2;  // English
        game_->online.name = "Anna";
    }
    OnlineSessionConfig Config(const std::string& server) {
        OnlineSessionConfig c;
        c.server = server;
        c.configDir = config_.Path();
        c.resDir = RHOMBULUS_RES_DIR;
        c.timeoutSeconds = 1;
        c.stepped = true;
        return c;
    }
    HeadlessPlatform platform_;
    ScratchFolder saves_, config_;
    std::unique_ptr<Game> game_ = std::make_unique<Game>();
    InputRecorder recorder_;
    GameReplays replays_{recorder_, ReplayHeader{}, ""};
};

TEST_F(Session, WithoutAServerTheScreensSaySoAndNothingWaits) {
    OnlineSession session(Config(""));
    session.Poll(*game_, replays_);
    EXPECT_FALSE(game_->online.configured);
    game_->online.ask = OnlineMenu::Ask::kBoards;
    session.Poll(*game_, replays_);
    EXPECT_FALSE(game_->online.busy);
    EXPECT_EQ(game_->online.status, std::vector<std::string>{"No online server is set."});
    EXPECT_TRUE(session.Idle());
}

TEST_F(Session, AServerThatCannotBeReachedIsSaidAndTheGameGoesOn) {
    // Nothing listens on port 1 of this machine.
    OnlineSession session(Config("http://127.0.0.1:1"));
    session.Poll(*game_, replays_);
    ASSERT_TRUE(game_->online.configured);
    const int screen = game_->shell.ScreenId;
    game_->online.ask = OnlineMenu::Ask::kPlay;
    game_->online.mode = "puzzle";
    session.Poll(*game_, replays_);
    EXPECT_FALSE(game_->online.busy);
    EXPECT_EQ(game_->online.status.back(), "The server cannot be reached.");
    EXPECT_EQ(game_->shell.ScreenId, screen);  // no game started, the screen as it was
    game_->online.ask = OnlineMenu::Ask::kBoards;
    session.Poll(*game_, replays_);
    EXPECT_TRUE(game_->online.boards.empty());
    EXPECT_EQ(game_->online.status.back(), "The server cannot be reached.");
}

TEST_F(Session, AKeptGameStaysKeptWhileNoServerTakesIt) {
    const std::string ticket =
        R"({"id":"0123456789abcdef0123456789abcdef","mode":"puzzle","seed":5,"version":"1",)"
        R"("levels":"00000000000000ff","issued":1,"key":"ab","signature":"cd"})";
    ASSERT_TRUE(
        KeepUnsent(config_.Path(), {"0123456789abcdef0123456789abcdef", ticket, "# seed 5\n"}));
    {
        OnlineSession session(Config("http://127.0.0.1:1"));
        session.Poll(*game_, replays_);  // the start sends kept games: none goes
        game_->online.ask = OnlineMenu::Ask::kPlay;
        game_->online.mode = "puzzle";
        session.Poll(*game_, replays_);  // nor with an online action
    }
    const std::vector<UnsentGame> kept = ReadUnsent(config_.Path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].replay, "# seed 5\n");
}

}  // namespace
