// A board's entry fetched from a server on 127.0.0.1 that answers as it likes: too long, cut, in
// pieces without a length, gone; and replays the viewer must not show.
#include "online/entry_replay.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <thread>

#include "core/game.h"
#include "menus/leaderboards_screen.h"
#include "menus/online_pages.h"
#include "platform/headless/headless_platform.h"
#include "runner/game_replays.h"
#include "shell/frame_loop.h"

namespace {

// Its socket listens once bound; stop() only ends a loop that runs, so wait for it to run.
void Serve(httplib::Server& server, std::thread& thread) {
    thread = std::thread([&server] { server.listen_after_bind(); });
    for (int i = 0; i < 5000 && !server.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// What /replay/1.r2replay answers.
struct Served {
    const char* name;
    int status;
    std::size_t bytes;
    bool withLength;  // else sent in pieces without a Content-Length
    EntryReplay::Kind kind;
};
void PrintTo(const Served& s, std::ostream* os) {
    *os << s.name;
}

class Fetch : public ::testing::TestWithParam<Served> {
  protected:
    void SetUp() override {
        const Served s = GetParam();
        server_.Get(R"(/replay/1\.r2replay)", [s](const httplib::Request&, httplib::Response& res) {
            res.status = s.status;
            if (s.withLength) return res.set_content(std::string(s.bytes, 'x'), "text/plain");
            res.set_chunked_content_provider("text/plain",
                                             [](std::size_t, httplib::DataSink& sink) {
                                                 const std::string piece(64 * 1024, 'x');
                                                 for (int i = 0; i < 80 && sink.is_writable(); ++i)
                                                     sink.write(piece.data(), piece.size());
                                                 sink.done();
                                                 return true;
                                             });
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        Serve(server_, thread_);
    }
    void TearDown() override {
        server_.stop();
        if (thread_.joinable()) thread_.join();
    }
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

TEST_P(Fetch, GivesOnlyAWholeReplayWithinItsBound) {
    const OnlineClient client("http://127.0.0.1:" + std::to_string(port_), NewKeyPair(), 2);
    const EntryReplay r = FetchEntryReplay(client, 1);
    EXPECT_EQ(r.kind, GetParam().kind);
    EXPECT_EQ(r.text.size(), r.kind == EntryReplay::Kind::kGot ? GetParam().bytes : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Fetch,
    ::testing::Values(
        Served{"atTheBound", 200, kMaxEntryReplayBytes, true, EntryReplay::Kind::kGot},
        Served{"tooLong", 200, kMaxEntryReplayBytes + 1, true, EntryReplay::Kind::kMissing},
        // 80 pieces of 64 KiB: past the bound without saying so first.
        Served{"piecesPastTheBound", 200, 0, false, EntryReplay::Kind::kMissing},
        Served{"noSuchGame", 404, 20, true, EntryReplay::Kind::kMissing},
        Served{"serverTrouble", 503, 20, true, EntryReplay::Kind::kUnreachable}),
    [](const auto& info) { return std::string(info.param.name); });

std::string HeaderOf(const std::string& version, const std::string& state) {
    ReplayHeader h = ThisGamesReplayHeader(RHOMBULUS_RES_DIR, 7, 2);
    if (!version.empty()) h.version = version;
    h.state = state;
    return ReplayHeaderText(h);
}

// Replays the viewer is not given, each with what the player is told.
TEST(Check, RefusesWithTheViewersReason) {
    const std::pair<std::string, ReplayTrouble> refused[] = {
        {"<html>sorry</html>", ReplayTrouble::kDamaged},
        {HeaderOf("0.0.1", "00") + "10 click\n", ReplayTrouble::kVersion},
        // A game from the start-up on, as the runner records: no board's game.
        {HeaderOf("", "") + "10 click\n", ReplayTrouble::kDamaged},
        {HeaderOf("", "78da00") + "10 click\n", ReplayTrouble::kDamaged},
    };
    for (const auto& [text, trouble] : refused) {
        const EntryCheck c = CheckEntryReplay(text, RHOMBULUS_RES_DIR, 100);
        EXPECT_FALSE(c.ok) << text;
        EXPECT_EQ(c.trouble, trouble) << c.why;
    }
}

// The board's rows are chosen with the pointer or Left and Right; "Watch" asks for the one chosen
// (or the first), never while the session is busy.
TEST(LeaderboardsScreen, WatchAsksForTheChosenRowsEntry) {
    HeadlessPlatform platform;
    auto game = std::make_unique<Game>();
    InitGame(*game, platform, RHOMBULUS_RES_DIR, 1);
    for (int i = 0; i < 2; ++i) FrameTick(*game, false);
    ShowLeaderboards(*game);
    OnlineMenu& m = game->online;
    m.ask = OnlineMenu::Ask::kNone;
    m.boards = {{"puzzle",
                 {{1, "Anna", 900, 11}, {2, "Bert", 800, 12}, {3, "Cleo", 700, 13}},
                 true,
                 {5, "Dora", 300, 15}}};
    auto tick = [&](int x, int y, bool down) {
        game->input.MouseX = x;
        game->input.MouseY = y;
        game->input.MouseButtonDown = down ? 1 : 0;
        game->input.ButtonHeldFrames = down ? 1 : 0;
        game->buttons.ButtonDelay.fill(0);
        LeaderboardsScreen(*game);
        game->input.KeyLeft = game->input.KeyRight = 0;
    };
    auto watched = [&] {
        tick(game->buttons.ButtonX[kBoardsWatchButton], 555, true);
        const bool asked = m.ask == OnlineMenu::Ask::kWatch;
        m.ask = OnlineMenu::Ask::kNone;
        return asked ? m.watch.id : 0;
    };
    EXPECT_EQ(watched(), 11);
    tick(400, 322 + 2 * 19 + 5, true);  // Cleo's row
    EXPECT_EQ(watched(), 13);
    tick(400, 525, true);  // the player's own line
    EXPECT_EQ(watched(), 15);
    game->input.KeyRight = 1;  // past the last row: the first again
    tick(0, 0, false);
    game->input.KeyRight = 1;  // held, not pressed again
    tick(0, 0, false);
    EXPECT_EQ(watched(), 11);
    game->input.KeyLeft = 1;
    tick(0, 0, false);
    EXPECT_EQ(watched(), 15);
    m.busy = true;
    EXPECT_EQ(watched(), 0);
}

}  // namespace
