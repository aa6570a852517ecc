// The game's side of the online server without a server: the addresses it takes, what it reads
// of answers (whatever comes over the network), the player's key file and the games kept while
// the server cannot be reached.
#include "online/online_client.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "online/answers.h"

namespace {

namespace fs = std::filesystem;

class ServerUrl : public ::testing::TestWithParam<std::pair<const char*, bool>> {};

TEST_P(ServerUrl, IsTakenOnlyAsHttpHostAndPort) {
    EXPECT_EQ(ValidServerUrl(GetParam().first), GetParam().second) << GetParam().first;
}
INSTANTIATE_TEST_SUITE_P(Addresses, ServerUrl,
                         ::testing::Values(std::make_pair("http://127.0.0.1:8642", true),
                                           std::make_pair("http://boards.example.org/", true),
                                           std::make_pair("http://[::1]:8642", true),
                                           std::make_pair("http://localhost:65535", true),
                                           std::make_pair("http://localhost:65536", false),
                                           std::make_pair("http://localhost:0", false),
                                           std::make_pair("http://localhost:", false),
                                           std::make_pair("https://localhost", false),
                                           std::make_pair("http://", false),
                                           std::make_pair("localhost:8642", false),
                                           std::make_pair("http://a b:80", false),
                                           std::make_pair("http://host/path", false),
                                           std::make_pair("http://[::1", false)));

const std::string kTicket =
    R"({"id":"0123456789abcdef0123456789abcdef","mode":"puzzle","seed":4294967295,)"
    R"("version":"1.0.0","levels":"00000000000000ff","issued":1,"key":"ab","signature":"cd"})";

TEST(Answers, ATicketKeepsItsTextAndGivesItsSeedAndMode) {
    const auto t = ReadTicketAnswer(kTicket);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->json, kTicket);  // sent back exactly as the server signed it
    EXPECT_EQ(t->seed, 4294967295u);
    EXPECT_EQ(GameModeOfOnlineWord(t->mode), GameModeOfOnlineWord("puzzle"));
    EXPECT_EQ(GameModeOfOnlineWord("daily"), GameModeOfOnlineWord("endless"));
    EXPECT_EQ(GameModeOfOnlineWord("match"), 0);
}

TEST(Answers, ATicketOutsideItsBoundsIsNone) {
    auto with = [](const std::string& from, const std::string& to) {
        std::string text = kTicket;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    EXPECT_FALSE(ReadTicketAnswer(with("4294967295", "4294967296")));
    EXPECT_FALSE(ReadTicketAnswer(with("4294967295", "-1")));
    EXPECT_FALSE(ReadTicketAnswer(with("\"puzzle\"", "\"match\"")));
    EXPECT_FALSE(ReadTicketAnswer(with("0123456789abcdef0123", "0123456789ABCDEF0123")));
    EXPECT_FALSE(ReadTicketAnswer(with("\"seed\":4294967295", "\"seed\":\"1\"")));
    EXPECT_FALSE(ReadTicketAnswer("[" + kTicket + "]"));
    EXPECT_FALSE(ReadTicketAnswer(std::string(40, '[') + std::string(40, ']')));
}

TEST(Answers, AVerdictIsReadOnlyWhenItsPlaceIsOnItsBoard) {
    auto v = ReadVerdictAnswer(R"({"state":"verified","score":1800,"place":12,"of":340})");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->state, VerdictAnswer::State::kVerified);
    EXPECT_EQ(v->place, 12);
    EXPECT_EQ(v->of, 340);
    EXPECT_FALSE(ReadVerdictAnswer(R"({"state":"verified","score":1,"place":3,"of":2})"));
    EXPECT_FALSE(ReadVerdictAnswer(R"({"state":"verified","score":-5,"place":1,"of":2})"));
    EXPECT_FALSE(ReadVerdictAnswer(R"({"state":"verified","score":1,"place":0,"of":2})"));
    v = ReadVerdictAnswer(R"({"state":"refused","reason":"it does not end in a game over"})");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->reason, "it does not end in a game over");
    v = ReadVerdictAnswer(R"({"state":"refused","reason":")" + std::string(500, 'x') + "\"}");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->reason, "");  // too long to show: refused all the same
    EXPECT_EQ(ReadVerdictAnswer(R"({"state":"queued"})")->state, VerdictAnswer::State::kQueued);
    EXPECT_FALSE(ReadVerdictAnswer(R"({"state":"lost"})"));
}

TEST(Answers, ABoardShowsTenRowsAtMostAndThePlayersOwn) {
    std::string rows;
    for (int i = 1; i <= 14; ++i)
        rows += (i > 1 ? "," : "") + std::string(R"({"place":)") + std::to_string(i) +
                R"(,"name":"P)" + std::to_string(i) + R"(","score":)" + std::to_string(1000 - i) +
                R"(,"id":)" + std::to_string(i) + "}";
    auto b = ReadBoardAnswer(R"({"mode":"puzzle","top":[)" + rows +
                             R"(],"player":{"place":40,"name":"Me","score":3,"id":99}})");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->top.size(), kMaxBoardRows);
    EXPECT_EQ(b->top[9].name, "P10");
    ASSERT_TRUE(b->player);
    EXPECT_EQ(b->player->place, 40);
    b = ReadBoardAnswer(R"({"top":[],"player":null})");
    ASSERT_TRUE(b);
    EXPECT_FALSE(b->player);
    EXPECT_FALSE(ReadBoardAnswer(R"({"top":[{"place":1,"name":")" + std::string(40, 'n') +
                                 R"(","score":1,"id":1}]})"));
    EXPECT_FALSE(ReadBoardAnswer(R"({"top":[{"place":-1,"name":"a","score":1,"id":1}]})"));
    EXPECT_FALSE(ReadBoardAnswer(R"({"top":{}})"));
    EXPECT_EQ(AnswerError(R"({"error":"the name is taken"})"), "the name is taken");
    EXPECT_EQ(AnswerError("<html>"), "");
}

class Folder : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = fs::temp_directory_path().string() + "/r2online-XXXXXX";
        dir_ = mkdtemp(pattern.data());
        ASSERT_TRUE(CryptoReady());
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string dir_;
};

TEST_F(Folder, ThePlayersKeyIsMadeOncePrivateAndReadBack) {
    std::string why;
    const auto made = LoadOrMakePlayerKey(dir_ + "/config", why);
    ASSERT_TRUE(made) << why;
    struct stat st {};
    ASSERT_EQ(stat((dir_ + "/config/online.key").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const auto again = LoadOrMakePlayerKey(dir_ + "/config", why);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->pub, made->pub);
    // A key of the wrong size is no key: the player is told, no new one silently replaces it.
    std::ofstream(dir_ + "/config/online.key", std::ios::trunc) << "short";
    EXPECT_FALSE(LoadOrMakePlayerKey(dir_ + "/config", why));
    EXPECT_NE(why.find("online.key"), std::string::npos);
}

TEST_F(Folder, GamesTheServerDidNotTakeStayKeptUntilItDoes) {
    const auto ticket = ReadTicketAnswer(kTicket);
    ASSERT_TRUE(ticket);
    std::string other = kTicket;
    other.replace(other.find("0123456789abcdef0123"), 4, "ffff");
    const auto second = ReadTicketAnswer(other);
    ASSERT_TRUE(second);
    ASSERT_TRUE(KeepUnsent(dir_, {ticket->id, ticket->json, "# seed 1\n10 click\n"}));
    ASSERT_TRUE(KeepUnsent(dir_, {second->id, second->json, "# seed 2\n"}));
    EXPECT_FALSE(KeepUnsent(dir_, {"../x", "{}", ""}));
    std::vector<UnsentGame> kept = ReadUnsent(dir_);
    ASSERT_EQ(kept.size(), 2u);
    // Nothing listens on port 1 of this machine: the server cannot be reached, both stay.
    std::string why;
    const auto keys = LoadOrMakePlayerKey(dir_, why);
    ASSERT_TRUE(keys);
    const OnlineClient nowhere("http://127.0.0.1:1", *keys, 1);
    int told = 0;
    SendUnsent(nowhere, dir_, [&told](const SendOutcome&) { ++told; });
    EXPECT_EQ(told, 0);
    EXPECT_EQ(ReadUnsent(dir_).size(), 2u);
    ForgetUnsent(dir_, ticket->id);
    kept = ReadUnsent(dir_);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].ticketId, second->id);
    EXPECT_EQ(kept[0].replay, "# seed 2\n");
    // A damaged file in the folder is passed over.
    std::ofstream(UnsentDir(dir_) + "/" + std::string(32, 'a') + ".json") << "{\"replay\":";
    EXPECT_EQ(ReadUnsent(dir_).size(), 1u);
}

}  // namespace
