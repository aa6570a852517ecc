// The server's parts on their own: signed requests, tickets, the request decoder, the rate
// limiter and the storage's job queue, each with the time given.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "server/auth.h"
#include "server/rate_limit.h"
#include "server/storage.h"

namespace {

struct TempDir {
    std::string path;
    TempDir() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/r2srv-XXXXXX";
        path = mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path); }
};

const std::string kNonce(32, 'a');

class SignedRequestTest : public ::testing::TestWithParam<int> {};

// A signature covers each part: changing any one refuses the request.
TEST_P(SignedRequestTest, EveryPartIsSigned) {
    ASSERT_TRUE(CryptoReady());
    const KeyPair keys = NewKeyPair();
    SignedRequest r = SignRequest(keys, "POST", "/api/claim", "{\"name\":\"Anna\"}", 1000, kNonce);
    ASSERT_TRUE(CheckSignedRequest(r, 1000).ok);
    switch (GetParam()) {
        case 0:
            r.method = "PUT";
            break;
        case 1:
            r.path = "/api/ticket";
            break;
        case 2:
            r.body = "{\"name\":\"Anne\"}";
            break;
        case 3:
            r.nonce = std::string(32, 'b');
            break;
        case 4:
            r.time = "1001";
            break;
        case 5:
            r.key = ToHex(NewKeyPair().pub.data(), kPublicKeyBytes);
            break;
        case 6:
            r.signature[10] = r.signature[10] == '0' ? '1' : '0';
            break;
    }
    const CheckedRequest c = CheckSignedRequest(r, 1000);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.why, "bad signature");
}
INSTANTIATE_TEST_SUITE_P(Parts, SignedRequestTest, ::testing::Range(0, 7));

TEST(SignedRequest, RefusedOutsideTheTimeWindowAndMalformedHeaders) {
    const KeyPair keys = NewKeyPair();
    const SignedRequest r = SignRequest(keys, "POST", "/p", "{}", 5000, kNonce);
    EXPECT_TRUE(CheckSignedRequest(r, 5000 + kRequestWindowSeconds).ok);
    EXPECT_EQ(CheckSignedRequest(r, 5001 + kRequestWindowSeconds).why, "signed at another time");
    EXPECT_EQ(CheckSignedRequest(r, 4999 - kRequestWindowSeconds).why, "signed at another time");
    for (const char* time : {"", "-5", "5e3", "99999999999999999999"}) {
        SignedRequest bad = r;
        bad.time = time;
        EXPECT_EQ(CheckSignedRequest(bad, 5000).why, "no time") << time;
    }
    SignedRequest shortNonce = r;
    shortNonce.nonce = "abc";
    EXPECT_EQ(CheckSignedRequest(shortNonce, 5000).why, "no nonce");
    SignedRequest upperKey = r;
    for (char& ch : upperKey.key) ch = static_cast<char>(std::toupper(ch));
    EXPECT_FALSE(CheckSignedRequest(upperKey, 5000).ok);
}

TEST(Ticket, ReadsBackOnlyUnchangedAndSignedByTheServer) {
    const KeyPair server = NewKeyPair();
    Ticket t{std::string(32, 'c'),  2,    4000000000u,          "1.0.0",
             0xd1505298d4dda157ull, 1234, std::string(64, 'd'), ""};
    t.signature = Sign(server.secret, TicketText(t));
    Ticket back;
    std::string why;
    ASSERT_TRUE(ReadTicket(TicketJson(t), server.pub, back, why)) << why;
    EXPECT_EQ(back.seed, t.seed);
    EXPECT_EQ(back.levels, t.levels);
    EXPECT_EQ(back.mode, 2);
    const std::vector<std::pair<const char*, nlohmann::json>> changes = {
        {"seed", 4000000001u},         {"mode", "endless"},  {"issued", 1235},
        {"key", std::string(64, 'e')}, {"version", "1.0.1"}, {"levels", "d1505298d4dda156"}};
    for (const auto& [field, value] : changes) {
        nlohmann::json j = TicketJson(t);
        j[field] = value;
        EXPECT_FALSE(ReadTicket(j, server.pub, back, why)) << field;
        EXPECT_EQ(why, "the ticket's signature is not the server's") << field;
    }
    EXPECT_FALSE(ReadTicket(TicketJson(t), NewKeyPair().pub, back, why));
    nlohmann::json noSeed = TicketJson(t);
    noSeed.erase("seed");
    EXPECT_FALSE(ReadTicket(noSeed, server.pub, back, why));
    EXPECT_EQ(why, "no ticket");
}

TEST(DecodeBody, BoundsSizeAndDepth) {
    EXPECT_TRUE(DecodeBody("{\"a\":[[1]]}", 100));
    EXPECT_FALSE(DecodeBody("{\"a\":1}", 5));
    EXPECT_FALSE(DecodeBody("[1]", 100));  // an object or nothing
    EXPECT_FALSE(DecodeBody("{\"a\":", 100));
    const std::string deep =
        std::string(kMaxJsonDepth + 1, '[') + std::string(kMaxJsonDepth + 1, ']');
    EXPECT_FALSE(DecodeBody("{\"a\":" + deep + "}", 1000));
    // Brackets inside strings are no nesting.
    EXPECT_TRUE(DecodeBody("{\"a\":\"[[[[[[[[[[[[\\\"[[[[\"}", 1000));
}

TEST(Names, LengthCharactersAndCase) {
    EXPECT_TRUE(ValidName("Al"));
    EXPECT_TRUE(ValidName("Rhombus Fan-2_x."));
    EXPECT_FALSE(ValidName("A"));
    EXPECT_FALSE(ValidName("Seventeen letters"));
    EXPECT_FALSE(ValidName(" Al"));
    EXPECT_FALSE(ValidName("Al/x"));
    EXPECT_FALSE(ValidName("Al\xc3\xa9"));
    EXPECT_EQ(FoldName("RhoMbus"), FoldName("rhombus"));
}

TEST(RateLimiter, BurstThenRefillPerName) {
    RateLimiter limit(2, 3);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(limit.Allow("a", 10));
    EXPECT_FALSE(limit.Allow("a", 10));
    EXPECT_TRUE(limit.Allow("b", 10));
    EXPECT_TRUE(limit.Allow("a", 10.5));  // one token back after half a second
    EXPECT_FALSE(limit.Allow("a", 10.5));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(limit.Allow("a", 100));  // never more than the burst
    EXPECT_FALSE(limit.Allow("a", 100));
}

class StorageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        db = OpenSqliteStorage(dir.path, why);
        ASSERT_TRUE(db) << why;
    }
    long long Submit(const std::string& ticket, const std::string& key = "k1", int mode = 2) {
        return db->AddSubmission({ticket, key, mode, 7, "{}", "replay", 100, 1000});
    }
    TempDir dir;
    std::unique_ptr<Storage> db;
};

TEST_F(StorageTest, NamesAreUniqueWithoutRegardToCaseAndOnePerKey) {
    EXPECT_EQ(db->ClaimName("Anna", "k1", 1), ClaimResult::kBound);
    EXPECT_EQ(db->ClaimName("anna", "k2", 1), ClaimResult::kTaken);
    EXPECT_EQ(db->ClaimName("ANNA", "k1", 1), ClaimResult::kAlreadyYours);
    EXPECT_EQ(db->ClaimName("Berta", "k1", 1), ClaimResult::kKeyHasAnother);
    EXPECT_EQ(db->NameOfKey("k1"), "Anna");
    EXPECT_FALSE(db->NameOfKey("k2"));
}

TEST_F(StorageTest, NonceOnceWhileKept) {
    EXPECT_TRUE(db->UseNonce("k1", "n", 100, 0));
    EXPECT_FALSE(db->UseNonce("k1", "n", 101, 0));
    EXPECT_TRUE(db->UseNonce("k2", "n", 101, 0));
    EXPECT_TRUE(db->UseNonce("k1", "n", 1000, 500));  // forgotten once out of the window
}

TEST_F(StorageTest, TicketUsedOnceAndSubmissionsSurviveReopening) {
    const long long id = Submit("t1");
    EXPECT_GT(id, 0);
    EXPECT_EQ(Submit("t1"), 0);
    db.reset();
    std::string why;
    db = OpenSqliteStorage(dir.path, why);  // the migrations are not applied twice
    ASSERT_TRUE(db) << why;
    ASSERT_TRUE(db->TakeJob("w", 1000, 60));
}

// A job held by a worker is nobody else's until its lease runs out; then the one who took it
// over finishes it and the first worker's late verdict is not written.
TEST_F(StorageTest, LeasedJobsAreTakenOverAndFinishedOnce) {
    const long long id = Submit("t1");
    const auto a = db->TakeJob("a", 1000, 60);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->id, id);
    EXPECT_FALSE(db->TakeJob("b", 1059, 60));
    const auto b = db->TakeJob("b", 1061, 60);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->id, id);
    EXPECT_FALSE(db->FinishJob(id, "a", true, 500, 10, "", 1062));
    EXPECT_TRUE(db->FinishJob(id, "b", true, 400, 10, "", 1062));
    EXPECT_FALSE(db->FinishJob(id, "b", true, 400, 10, "", 1063));
    EXPECT_EQ(db->Submission(id).has_value(), false);  // no player named: no view
    db->ClaimName("Anna", "k1", 1);
    EXPECT_EQ(db->Submission(id)->state, "verified");
    EXPECT_EQ(db->Submission(id)->score, 400);
    EXPECT_FALSE(db->TakeJob("c", 5000, 60));
}

TEST_F(StorageTest, AJobThatKillsItsVerifiersIsRefusedAfterThreeTries) {
    db->ClaimName("Anna", "k1", 1);
    const long long id = Submit("t1");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(db->TakeJob("w", 1000 + 100 * i, 60));
    EXPECT_FALSE(db->TakeJob("w", 2000, 60));
    EXPECT_EQ(db->Submission(id)->state, "refused");
}

TEST_F(StorageTest, BoardsKeepEachPlayersBestAndPlaces) {
    const std::vector<std::tuple<std::string, std::string, int, long long>> games = {
        {"k1", "Anna", 300, 100},
        {"k1", "Anna", 900, 200},
        {"k2", "Berta", 500, 300},
        {"k3", "Carl", 900, 400},
        {"k4", "Dora", 100, 500}};
    int n = 0;
    for (const auto& [key, name, score, when] : games) {
        db->ClaimName(name, key, 1);
        const long long id = Submit("t" + std::to_string(++n), key);
        ASSERT_TRUE(db->TakeJob("w", when, 60));
        ASSERT_TRUE(db->FinishJob(id, "w", true, score, 1, "", when));
    }
    Submit("t-pipe", "k4", 3);  // another mode's, and queued
    const auto top = db->Top(2, 0, 10);
    ASSERT_EQ(top.size(), 4u);
    EXPECT_EQ(top[0].name, "Anna");  // 900 reached first
    EXPECT_EQ(top[1].name, "Carl");
    EXPECT_EQ(top[1].place, 1);
    EXPECT_EQ(top[2].place, 3);
    EXPECT_EQ(db->Top(2, 0, 2).size(), 2u);
    EXPECT_EQ(db->Top(2, 250, 10).size(), 3u);  // since: Anna's 900 at 200 is out
    EXPECT_EQ(db->PlaceOf(2, 0, 500, "k2"), std::make_pair(3, 4));
    EXPECT_EQ(db->PlaceOf(2, 0, 950, "k5"), std::make_pair(1, 5));
    EXPECT_EQ(db->BestOf(2, 0, "DORA")->place, 4);
    EXPECT_FALSE(db->BestOf(3, 0, "Dora"));
}

}  // namespace
