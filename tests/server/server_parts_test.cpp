// The server's parts on their own: signed requests, tickets, the request decoder, the rate
// limiter and the storage's job queue, each with the time given.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "online/json_object.h"
#include "server/auth.h"
#include "server/rate_limit.h"
#include "server/storage.h"
#include "server_fixture.h"

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

// A ticket of the mode as the server signs it.
Ticket SignedTicket(const KeyPair& server, int mode, const char* day = "") {
    Ticket t;
    t.id = std::string(32, 'c');
    t.mode = mode;
    t.seed = 4000000000u;
    t.version = "1.0.0";
    t.levels = 0xd1505298d4dda157ull;
    t.issued = 1234;
    t.key = std::string(64, 'd');
    t.day = day;
    t.practice = *day != 0;
    t.signature = Sign(server.secret, TicketText(t));
    return t;
}

TEST(Ticket, ReadsBackOnlyUnchangedAndSignedByTheServer) {
    const KeyPair server = NewKeyPair();
    const Ticket t = SignedTicket(server, 2);
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

// A daily ticket says its day and whether it is practice, both signed; an Endless ticket is no
// daily one.
TEST(Ticket, TheDailyChallengesDayAndPracticeAreSigned) {
    const KeyPair server = NewKeyPair();
    const Ticket t = SignedTicket(server, 1, "2026-12-08");
    Ticket back;
    std::string why;
    ASSERT_TRUE(ReadTicket(TicketJson(t), server.pub, back, why)) << why;
    EXPECT_EQ(TicketJson(t)["mode"], "daily");
    EXPECT_EQ(back.mode, 1);
    EXPECT_EQ(back.day, "2026-12-08");
    EXPECT_TRUE(back.practice);
    const std::vector<std::pair<const char*, nlohmann::json>> changes = {
        {"practice", false}, {"day", "2026-12-09"}, {"mode", "endless"}};
    for (const auto& [field, value] : changes) {
        nlohmann::json j = TicketJson(t);
        j[field] = value;
        EXPECT_FALSE(ReadTicket(j, server.pub, back, why)) << field;
    }
    for (const nlohmann::json& day : {nlohmann::json("2026-13-01"), nlohmann::json(20261208)}) {
        nlohmann::json j = TicketJson(t);
        j["day"] = day;
        EXPECT_FALSE(ReadTicket(j, server.pub, back, why)) << day;
        EXPECT_EQ(why, "no ticket");
    }
}

TEST(Days, NumbersAndTextsAgree) {
    EXPECT_EQ(DayNumber("1970-01-01"), 0);
    EXPECT_EQ(DayNumber("2000-03-01"), 11017);
    EXPECT_EQ(DayNumber("2024-02-29"), 19782);
    for (long long day : {0LL, 11016LL, 19782LL, 20430LL}) EXPECT_EQ(DayNumber(DayText(day)), day);
    for (const char* bad :
         {"2023-02-29", "1969-12-31", "2024-1-01", "2024-01-01x", "", "abcd-ef-gh"})
        EXPECT_EQ(DayNumber(bad), -1) << bad;
}

TEST(ParseJsonObject, BoundsSizeAndDepth) {
    EXPECT_TRUE(ParseJsonObject("{\"a\":[[1]]}", 100));
    EXPECT_FALSE(ParseJsonObject("{\"a\":1}", 5));
    EXPECT_FALSE(ParseJsonObject("[1]", 100));  // an object or nothing
    EXPECT_FALSE(ParseJsonObject("{\"a\":", 100));
    const std::string deep =
        std::string(kMaxJsonDepth + 1, '[') + std::string(kMaxJsonDepth + 1, ']');
    EXPECT_FALSE(ParseJsonObject("{\"a\":" + deep + "}", 1000));
    // Brackets inside strings are no nesting.
    EXPECT_TRUE(ParseJsonObject("{\"a\":\"[[[[[[[[[[[[\\\"[[[[\"}", 1000));
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

// Each case against SQLite and against a PostgreSQL the test starts.
class StorageTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        std::string why;
        if (std::string(GetParam()) == "postgresql") {
            if (!servertest::TempPostgres::Available())
                GTEST_SKIP() << "PostgreSQL is not installed: " << servertest::kInitdb;
            servertest::TempPostgres* pg = servertest::TempPostgres::Get(why);
            ASSERT_NE(pg, nullptr) << why;
            url = pg->NewDatabase();
        }
        db = Open(why);
        ASSERT_TRUE(db) << why;
    }
    std::unique_ptr<Storage> Open(std::string& why) {
        return url.empty() ? OpenSqliteStorage(dir.path, why) : OpenPostgresStorage(url, 4, why);
    }
    long long Submit(const std::string& ticket, const std::string& key = "k1", int mode = 2) {
        return db->AddSubmission({ticket, key, mode, 7, "{}", "replay", 100, 1000});
    }
    TempDir dir;
    std::string url;
    std::unique_ptr<Storage> db;
};

TEST_P(StorageTest, NamesAreUniqueWithoutRegardToCaseAndOnePerKey) {
    EXPECT_EQ(db->ClaimName("Anna", "k1", 1), ClaimResult::kBound);
    EXPECT_EQ(db->ClaimName("anna", "k2", 1), ClaimResult::kTaken);
    EXPECT_EQ(db->ClaimName("ANNA", "k1", 1), ClaimResult::kAlreadyYours);
    EXPECT_EQ(db->ClaimName("Berta", "k1", 1), ClaimResult::kKeyHasAnother);
    EXPECT_EQ(db->NameOfKey("k1"), "Anna");
    EXPECT_FALSE(db->NameOfKey("k2"));
}

TEST_P(StorageTest, NonceOnceWhileKept) {
    EXPECT_TRUE(db->UseNonce("k1", "n", 100, 0));
    EXPECT_FALSE(db->UseNonce("k1", "n", 101, 0));
    EXPECT_TRUE(db->UseNonce("k2", "n", 101, 0));
    EXPECT_TRUE(db->UseNonce("k1", "n", 1000, 500));  // forgotten once out of the window
}

TEST_P(StorageTest, TicketUsedOnceAndSubmissionsSurviveReopening) {
    const long long id = Submit("t1");
    EXPECT_GT(id, 0);
    EXPECT_EQ(Submit("t1"), 0);
    db.reset();
    std::string why;
    db = Open(why);  // the migrations are not applied twice
    ASSERT_TRUE(db) << why;
    ASSERT_TRUE(db->TakeJob("w", 1000, 60));
}

// A job held by a worker is nobody else's until its lease runs out; then the one who took it
// over finishes it and the first worker's late verdict is not written.
TEST_P(StorageTest, LeasedJobsAreTakenOverAndFinishedOnce) {
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

TEST_P(StorageTest, AJobThatKillsItsVerifiersIsRefusedAfterThreeTries) {
    db->ClaimName("Anna", "k1", 1);
    const long long id = Submit("t1");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(db->TakeJob("w", 1000 + 100 * i, 60));
    EXPECT_FALSE(db->TakeJob("w", 2000, 60));
    EXPECT_EQ(db->Submission(id)->state, "refused");
}

TEST_P(StorageTest, BoardsKeepEachPlayersBestAndPlaces) {
    const std::vector<std::tuple<std::string, std::string, int, long long>> games = {
        {"k1", "Anna", 300, 100},
        {"k1", "Anna", 900, 200},
        {"k2", "Berta", 500, 300},
        {"k3", "Carl", 900, 400},
        {"k4", "Dora", 100, 500}};
    int n = 0;
    for (const auto& [key, name, score, when] : games) {
        db->ClaimName(name, key, 1);
        const long long id = Submit(std::string("t").append(std::to_string(++n)), key);
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

TEST_P(StorageTest, TheFirstDailyTicketOfAPlayersDayIsTheRankedOne) {
    EXPECT_TRUE(db->FirstDailyTicket("k1", 100, "a"));
    EXPECT_FALSE(db->FirstDailyTicket("k1", 100, "b"));
    EXPECT_TRUE(db->FirstDailyTicket("k1", 100, "a"));  // asked again, still the first
    EXPECT_TRUE(db->FirstDailyTicket("k2", 100, "c"));
    EXPECT_TRUE(db->FirstDailyTicket("k1", 101, "d"));
}

// A player's page: the best games of the boards (no practice), the latest of all; replays of
// verified games only, byte for byte.
TEST_P(StorageTest, APlayersGamesAndReplays) {
    db->ClaimName("Anna", "k1", 1);
    const std::string bytes("# seed 1\n\0\xff\x01 end", 17);
    const std::vector<std::tuple<int, int, bool>> games = {{2, 300, true},
                                                           {1, 900, true},
                                                           {DailyPracticeBoard(20000), 5000, true},
                                                           {DailyBoard(20000), 700, true},
                                                           {3, 9999, false}};
    std::vector<long long> ids;
    int n = 0;
    for (const auto& [mode, score, verified] : games) {
        const long long id = db->AddSubmission(
            {std::string("t").append(std::to_string(++n)), "k1", mode, 7, "{}", bytes, 100, 1000});
        ASSERT_TRUE(db->TakeJob("w", 1000 + n, 60));
        ASSERT_TRUE(db->FinishJob(id, "w", verified, score, 40 * n, "", 1000 + n));
        ids.push_back(id);
    }
    const auto best = db->GamesOf("ANNA", true, 10);
    ASSERT_EQ(best.size(), 3u);
    EXPECT_EQ(best[0].score, 900);
    EXPECT_EQ(best[1].mode, DailyBoard(20000));
    EXPECT_EQ(best[2].ticks, 40);
    EXPECT_EQ(db->GamesOf("anna", true, 1).size(), 1u);
    const auto recent = db->GamesOf("anna", false, 10);
    ASSERT_EQ(recent.size(), 4u);
    EXPECT_EQ(recent[0].id, ids[3]);
    EXPECT_EQ(recent[1].score, 5000);  // practice is a recent game too
    EXPECT_EQ(db->PlayerName("aNNa"), "Anna");
    EXPECT_FALSE(db->PlayerName("Berta"));
    EXPECT_TRUE(db->GamesOf("Berta", false, 10).empty());
    EXPECT_EQ(db->ReplayOf(ids[0]), bytes);
    EXPECT_FALSE(db->ReplayOf(ids[4]));  // refused
    EXPECT_FALSE(db->ReplayOf(12345));
    // The daily board is its own.
    EXPECT_EQ(db->Top(DailyBoard(20000), 0, 10).size(), 1u);
    EXPECT_EQ(db->Top(1, 0, 10).size(), 1u);
}

// The server's key as a shared database keeps it: the first one offered stays.
TEST_P(StorageTest, TheSharedServerKeyIsTheFirstOffered) {
    if (url.empty()) {
        EXPECT_EQ(db->SharedServerKey("abc"), "");  // SQLite's is a file
        return;
    }
    EXPECT_EQ(db->SharedServerKey("abc"), "abc");
    EXPECT_EQ(db->SharedServerKey("def"), "abc");
}

// A connection the database drops fails the one call that used it (a submission is not taken,
// and says so); the next call opens another.
TEST(PostgresStorage, ADroppedConnectionFailsOneCallAndIsReplaced) {
    if (!servertest::TempPostgres::Available())
        GTEST_SKIP() << "PostgreSQL is not installed: " << servertest::kInitdb;
    std::string why;
    servertest::TempPostgres* pg = servertest::TempPostgres::Get(why);
    ASSERT_NE(pg, nullptr) << why;
    const std::string url = pg->NewDatabase();
    const auto db = OpenPostgresStorage(url, 4, why);
    ASSERT_TRUE(db) << why;
    auto Submit = [&](const std::string& ticket) {
        return db->AddSubmission({ticket, "k1", 2, 7, "{}", "replay", 100, 1000});
    };
    ASSERT_GT(Submit("t1"), 0);
    PGconn* admin = PQconnectdb(url.c_str());
    PGresult* r = PQexec(admin,
                         "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname ="
                         " current_database() AND pid <> pg_backend_pid()");
    EXPECT_EQ(PQresultStatus(r), PGRES_TUPLES_OK);
    PQclear(r);
    PQfinish(admin);
    EXPECT_EQ(Submit("t2"), -1);
    EXPECT_GT(Submit("t2"), 0);
    EXPECT_EQ(Submit("t2"), 0);
}

INSTANTIATE_TEST_SUITE_P(Databases, StorageTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
