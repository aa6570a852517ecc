// rhombulus2-server started on 127.0.0.1 with a temporary data folder, fed games the runner
// played for its tickets: the real one verified with the score the runner's game reached, the
// forged ones refused with their reason, a job acknowledged before a kill -9 verified after the
// restart. The tests wait for the server's own lines (listening, each verdict), never for time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sodium.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "net/enet_transport.h"
#include "net/handshake.h"
#include "net/relay_link.h"
#include "server/auth.h"
#include "server/storage.h"
#include "server_fixture.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using servertest::ServerProcess;
using servertest::TempPostgres;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Player {
    KeyPair keys = NewKeyPair();
};

struct Answer {
    int status = 0;
    json body;
};

// The server on SQLite, or on a PostgreSQL of the test's own.
class ServerTestBase : public ::testing::Test {
  protected:
    virtual std::string Backend() const { return "sqlite"; }
    static void SetUpTestSuite() {
        ASSERT_TRUE(CryptoReady());
        std::string pattern = fs::temp_directory_path().string() + "/r2srv-e2e-XXXXXX";
        scratch_ = mkdtemp(pattern.data());
        // The runner writes its saves into its res folder: a copy of its own.
        fs::copy(RHOMBULUS_RES_DIR, scratch_ + "/res", fs::copy_options::recursive);
    }
    static void TearDownTestSuite() { fs::remove_all(scratch_); }

    void SetUp() override {
        static int n = 0;
        data_ = scratch_ + "/data" + std::to_string(++n);
        if (Backend() == "postgresql") {
            if (!TempPostgres::Available())
                GTEST_SKIP() << "PostgreSQL is not installed: " << servertest::kInitdb;
            std::string why;
            TempPostgres* pg = TempPostgres::Get(why);
            ASSERT_NE(pg, nullptr) << why;
            db_ = pg->NewDatabase();
        }
        server_ = Start(1);
        ASSERT_GT(server_->Port(), 0);
    }

    // Where the server keeps its data: the data folder, or the test's database.
    std::vector<std::string> Store() const {
        return db_.empty() ? std::vector<std::string>{"--data", data_}
                           : std::vector<std::string>{"--db", db_};
    }
    std::unique_ptr<ServerProcess> Start(int workers, std::vector<std::string> more = {},
                                         bool http = true) {
        std::vector<std::string> args = Store();
        args.insert(args.end(), {"--workers", std::to_string(workers)});
        args.insert(args.end(), more.begin(), more.end());
        return std::make_unique<ServerProcess>(args, http);
    }

    Answer Send(const std::string& method, const std::string& path, const json& body,
                const Player* signer, bool sign = true) {
        httplib::Client client("127.0.0.1", server_->Port());
        client.set_read_timeout(60, 0);
        httplib::Headers headers;
        const std::string text = body.is_null() ? "" : body.dump();
        if (signer != nullptr) {
            unsigned char nonce[kNonceBytes];
            randombytes_buf(nonce, sizeof nonce);
            SignedRequest r =
                SignRequest(signer->keys, method, path, text,
                            static_cast<long long>(std::time(nullptr)), ToHex(nonce, sizeof nonce));
            if (!sign) r.signature[0] = r.signature[0] == '0' ? '1' : '0';
            headers = {{kKeyHeader, r.key},
                       {kNonceHeader, r.nonce},
                       {kTimeHeader, r.time},
                       {kSignatureHeader, r.signature}};
            last_ = headers;
        }
        auto res = method == "GET" ? client.Get(path.c_str(), headers)
                                   : client.Post(path.c_str(), headers, text, "application/json");
        if (!res) return {};
        return {res->status, json::parse(res->body, nullptr, false)};
    }

    json Ticket(const Player& p, const std::string& mode = "puzzle") {
        const Answer a = Send("POST", "/api/ticket", json{{"mode", mode}}, &p);
        EXPECT_EQ(a.status, 200) << a.body.dump();
        return a.body;
    }

    // A Puzzle game from the main menu, shots across the field until the time runs out, then a
    // key past the notice: the game is over. The replay the runner keeps of it, and the score
    // its game ended with.
    std::pair<std::string, int> PlayPuzzle(std::uint64_t seed) {
        // Past the time-up notice: a shot that won time runs the clock on to 4000 at most.
        return Play(
            seed, 390,
            Shots(2400) + "2900 key space\n3500 key space\n4500 key space\n6000 key space\n");
    }

    // An Endless game from the main menu: shots across the field until the stones come down.
    std::pair<std::string, int> PlayEndless(std::uint64_t seed) {
        return Play(seed, 350, Shots(7000) + "7200 key space\n7600 key space\n8000 key space\n");
    }

    // Shots across the field from tick 120 until `until`.
    static std::string Shots(int until) {
        std::ostringstream script;
        for (int t = 120, i = 0; t < until; t += 41 + (i * 13) % 20, ++i)
            script << t << " move " << 60 + (i * 37) % 560 << " " << 150 + (i * 53) % 150 << "\n"
                   << t + 10 << " click\n";
        return script.str();
    }

    // A game of the mode whose row on the game choice is at `modeY`, started from the main menu
    // of a first start with `seed`, then `events` (ticks from 120 on, until 8000).
    std::pair<std::string, int> Play(std::uint64_t seed, int modeY, const std::string& events) {
        static int n = 0;
        const std::string dir = scratch_ + "/play" + std::to_string(++n);
        fs::create_directories(dir);
        // No game waits from the last one: the game choice starts a new game.
        fs::remove_all(scratch_ + "/res/saves");
        fs::create_directories(scratch_ + "/res/saves");
        std::ofstream script(dir + "/input.txt");
        script << "5 key escape\n30 move 400 350\n40 click\n60 move 400 " << modeY << "\n80 click\n"
               << events << "9000 close\n";
        script.close();
        const std::string command = std::string(RHOMBULUS_HEADLESS_BIN) + " --res " + scratch_ +
                                    "/res --no-draw --seed " + std::to_string(seed) + " --input " +
                                    dir + "/input.txt --keep-replays " + dir +
                                    "/kept --dump 8900:" + dir + "/end.json > /dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
        // The first game's (the names sort by time, seed and tick).
        std::string first;
        for (const auto& entry : fs::directory_iterator(dir + "/kept")) {
            const std::string path = entry.path().string();
            if (first.empty() || path < first) first = path;
        }
        const std::string replay = first.empty() ? "" : ReadAll(first);
        const json end = json::parse(ReadAll(dir + "/end.json"), nullptr, false);
        return {replay, end.is_object() && end.contains("Score") ? end["Score"].get<int>() : -1};
    }

    Answer Submit(const Player& p, const json& ticket, const std::string& replay,
                  bool sign = true) {
        return Send("POST", "/api/submit", json{{"ticket", ticket}, {"replay", replay}}, &p, sign);
    }

    // The verdict of a submission accepted.
    json Verified(const Answer& accepted) {
        EXPECT_EQ(accepted.status, 202) << accepted.body.dump();
        if (accepted.status != 202) return json();
        const long long id = accepted.body["id"];
        verdictLine_ = server_->Verdict(id);
        EXPECT_NE(verdictLine_, "");
        return Send("GET", "/api/submission/" + std::to_string(id), json(), nullptr).body;
    }

    void Claim(const Player& p, const std::string& name) {
        const Answer a = Send("POST", "/api/claim", json{{"name", name}}, &p);
        ASSERT_EQ(a.status, 200) << a.body.dump();
    }

    static std::string Replace(std::string text, const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        if (at != std::string::npos) text.replace(at, from.size(), to);
        return text;
    }

    static inline std::string scratch_;
    std::string data_;
    std::string db_;
    std::unique_ptr<ServerProcess> server_;
    httplib::Headers last_;
    std::string verdictLine_;  // the server's line of the last verdict waited for
};

class ServerTest : public ServerTestBase, public ::testing::WithParamInterface<const char*> {
  protected:
    std::string Backend() const override { return GetParam(); }
};

TEST_P(ServerTest, ARealGameIsVerifiedWithItsScoreAndReachesTheBoard) {
    Player anna, other;
    Claim(anna, "Anna");
    EXPECT_EQ(Send("POST", "/api/claim", json{{"name", "aNNA"}}, &other).status, 409);
    EXPECT_EQ(Send("POST", "/api/claim", json{{"name", "A"}}, &other).status, 400);
    const json ticket = Ticket(anna);
    const auto [replay, score] = PlayPuzzle(ticket["seed"]);
    ASSERT_GT(score, 0);
    const json verdict = Verified(Submit(anna, ticket, replay));
    EXPECT_EQ(verdict["state"], "verified") << verdict.dump();
    EXPECT_EQ(verdict["score"], score);
    EXPECT_EQ(verdict["place"], 1);
    EXPECT_EQ(verdict["of"], 1);
    std::printf("the server's play: %s\n", verdictLine_.c_str());
    const json board = Send("GET", "/api/board/puzzle?name=anna", json(), nullptr).body;
    ASSERT_EQ(board["top"].size(), 1u) << board.dump();
    EXPECT_EQ(board["top"][0]["name"], "Anna");
    EXPECT_EQ(board["top"][0]["score"], score);
    EXPECT_EQ(board["player"]["place"], 1);
    EXPECT_EQ(Send("GET", "/api/board/puzzle?period=week", json(), nullptr).body["top"].size(), 1u);
    EXPECT_TRUE(Send("GET", "/api/board/endless", json(), nullptr).body["top"].empty());

    // The same ticket again, even with the same game.
    EXPECT_EQ(Submit(anna, ticket, replay).status, 409);
}

TEST_P(ServerTest, ForgedRequestsAreRefusedAtTheDoor) {
    Player anna, berta;
    Claim(anna, "Anna");
    Claim(berta, "Berta");
    const json ticket = Ticket(anna);
    const std::string replay = "# seed " + to_string(ticket["seed"]) + "\n";

    const Answer badSignature = Submit(anna, ticket, replay, false);
    EXPECT_EQ(badSignature.status, 401);
    EXPECT_EQ(badSignature.body["error"], "bad signature");

    const Answer others = Submit(berta, ticket, replay);
    EXPECT_EQ(others.status, 403);
    EXPECT_EQ(others.body["error"], "the ticket is another player's");

    json changed = ticket;
    changed["seed"] = ticket["seed"].get<std::uint64_t>() ^ 1;
    const Answer forgedTicket = Submit(anna, changed, replay);
    EXPECT_EQ(forgedTicket.status, 403);
    EXPECT_EQ(forgedTicket.body["error"], "the ticket's signature is not the server's");

    // A request sent again as it was captured.
    httplib::Client client("127.0.0.1", server_->Port());
    const std::string body = json{{"mode", "endless"}}.dump();
    ASSERT_EQ(Send("POST", "/api/ticket", json{{"mode", "endless"}}, &anna).status, 200);
    const auto again = client.Post("/api/ticket", last_, body, "application/json");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->status, 401);
    EXPECT_NE(again->body.find("sent before"), std::string::npos);

    Player nobody;
    EXPECT_EQ(Send("POST", "/api/ticket", json{{"mode", "puzzle"}}, &nobody).status, 403);
    EXPECT_EQ(Send("POST", "/api/ticket", json{{"mode", "match"}}, &anna).status, 400);
    EXPECT_EQ(Submit(anna, Ticket(anna), std::string(5u << 20, 'x')).status, 413);
}

// Games played for one ticket and changed, each submitted with a ticket of its own: the server's
// play refuses each with its reason.
TEST_P(ServerTest, ForgedGamesAreRefusedWithTheirReason) {
    Player anna;
    Claim(anna, "Anna");
    const json first = Ticket(anna);
    // Not a structured binding: the lambdas below capture it.
    const std::pair<std::string, int> game = PlayPuzzle(first["seed"]);
    const std::string& played = game.first;
    const int score = game.second;
    ASSERT_GT(score, 0);
    const std::string seedLine = "# seed " + to_string(first["seed"]) + "\n";

    struct Forgery {
        std::string what;
        std::function<std::string(const std::string& ticketSeedLine)> make;
        std::string reason;
    };
    const std::vector<Forgery> forgeries = {
        {"another ticket's game", [&](const std::string&) { return played; },
         "its seed is not its ticket's"},
        {"another version",
         [&](const std::string& s) {
             return Replace(Replace(played, seedLine, s), "# version ", "# version 0.");
         },
         "played with version 0.1.0.0, not 1.0.0"},
        {"other level files",
         [&](const std::string& s) {
             std::string text = Replace(played, seedLine, s);
             char& digit = text[text.find("# levels ") + 9];
             digit = digit == '0' ? '1' : '0';
             return text;
         },
         "played with other level files"},
        {"a start of its own: the first game's start under this seed",
         [&](const std::string& s) { return Replace(played, seedLine, s); },
         "it does not start from the fresh game"},
    };
    for (const Forgery& f : forgeries) {
        const json ticket = Ticket(anna);
        const std::string line = "# seed " + to_string(ticket["seed"]) + "\n";
        const json verdict = Verified(Submit(anna, ticket, f.make(line)));
        EXPECT_EQ(verdict["state"], "refused") << f.what;
        EXPECT_EQ(verdict["reason"], f.reason) << f.what;
    }

    // Played for its own ticket, then cut short or run on past what the ticket's time allows.
    const json ticket = Ticket(anna);
    const auto [own, ownScore] = PlayPuzzle(ticket["seed"]);
    const std::string cut = own.substr(0, own.find("\n2900 ") + 1);
    json verdict = Verified(Submit(anna, ticket, cut));
    EXPECT_EQ(verdict["reason"], "it does not end in a game over");
    const json longer = Ticket(anna);
    const auto [late, lateScore] = PlayPuzzle(longer["seed"]);
    verdict = Verified(Submit(anna, longer, late + "90000 key space\n"));
    EXPECT_EQ(verdict["reason"], "it runs longer than its ticket allows");
    (void)ownScore;
    (void)lateScore;
}

TEST_P(ServerTest, AGameAcknowledgedBeforeAKillIsVerifiedAfterTheRestart) {
    server_.reset();
    auto quiet = Start(0);  // takes games, verifies none
    ASSERT_GT(quiet->Port(), 0);
    std::swap(server_, quiet);
    Player anna;
    Claim(anna, "Anna");
    const json ticket = Ticket(anna);
    const auto [replay, score] = PlayPuzzle(ticket["seed"]);
    const Answer accepted = Submit(anna, ticket, replay);
    ASSERT_EQ(accepted.status, 202);
    server_->Kill(SIGKILL);
    server_ = Start(1);
    ASSERT_GT(server_->Port(), 0);
    const long long id = accepted.body["id"];
    EXPECT_NE(server_->Verdict(id), "");
    const json verdict = Send("GET", "/api/submission/" + std::to_string(id), json(), nullptr).body;
    EXPECT_EQ(verdict["state"], "verified") << verdict.dump();
    EXPECT_EQ(verdict["score"], score);
}

TEST_P(ServerTest, TheDailyChallengeRanksThePlayersFirstGameOfTheDay) {
    Player anna, berta;
    Claim(anna, "Anna");
    Claim(berta, "Berta");
    const json first = Ticket(anna, "daily");
    const json second = Ticket(anna, "daily");
    const json bertas = Ticket(berta, "daily");
    EXPECT_EQ(first["mode"], "daily");
    EXPECT_EQ(first["practice"], false);
    EXPECT_EQ(second["practice"], true);
    EXPECT_EQ(bertas["practice"], false);
    // One seed for everybody on the day.
    EXPECT_EQ(first["seed"], second["seed"]);
    EXPECT_EQ(first["seed"], bertas["seed"]);
    EXPECT_EQ(first["day"], bertas["day"]);

    // The ranked game and a practice game of the same play: both verified, one on the board.
    const auto [replay, score] = PlayEndless(first["seed"]);
    ASSERT_GE(score, 0);  // the day's seed may well end the game before a point
    json verdict = Verified(Submit(anna, first, replay));
    EXPECT_EQ(verdict["state"], "verified") << verdict.dump();
    EXPECT_EQ(verdict["score"], score);
    EXPECT_EQ(verdict["practice"], false);
    EXPECT_EQ(verdict["place"], 1);
    const Answer practice = Submit(anna, second, replay);
    EXPECT_EQ(practice.body["practice"], true);
    verdict = Verified(practice);
    EXPECT_EQ(verdict["state"], "verified") << verdict.dump();
    EXPECT_EQ(verdict["practice"], true);
    EXPECT_FALSE(verdict.contains("place"));

    const json board = Send("GET", "/api/board/daily?name=Anna", json(), nullptr).body;
    EXPECT_EQ(board["day"], first["day"]);
    ASSERT_EQ(board["top"].size(), 1u) << board.dump();
    EXPECT_EQ(board["top"][0]["score"], score);
    EXPECT_EQ(board["player"]["place"], 1);
    const std::string day = first["day"];
    EXPECT_EQ(Send("GET", "/api/board/daily?day=" + day, json(), nullptr).body["top"].size(), 1u);
    EXPECT_TRUE(
        Send("GET", "/api/board/daily?day=2020-02-29", json(), nullptr).body["top"].empty());
    // The daily games are on no other board.
    EXPECT_TRUE(Send("GET", "/api/board/endless", json(), nullptr).body["top"].empty());
    for (const char* bad : {"2020-02-30", "2999-01-01", "yesterday", "2020-1-1"})
        EXPECT_EQ(Send("GET", std::string("/api/board/daily?day=") + bad, json(), nullptr).status,
                  400)
            << bad;

    // A daily ticket cannot be made a ranked one, nor an Endless ticket a daily one.
    json forged = second;
    forged["practice"] = false;
    EXPECT_EQ(Submit(anna, forged, replay).body["error"],
              "the ticket's signature is not the server's");
}

TEST_P(ServerTest, APlayersGamesAndReplaysAreServedAsSubmitted) {
    Player anna;
    Claim(anna, "Anna Lee");
    const json ticket = Ticket(anna);
    const auto [replay, score] = PlayPuzzle(ticket["seed"]);
    const json verdict = Verified(Submit(anna, ticket, replay));
    ASSERT_EQ(verdict["state"], "verified");
    const long long id = verdict["id"];

    const Answer player = Send("GET", "/api/player/anna%20LEE", json(), nullptr);
    ASSERT_EQ(player.status, 200) << player.body.dump();
    EXPECT_EQ(player.body["name"], "Anna Lee");
    ASSERT_EQ(player.body["best"].size(), 1u);
    EXPECT_EQ(player.body["best"][0]["score"], score);
    EXPECT_EQ(player.body["best"][0]["board"], "puzzle");
    EXPECT_EQ(player.body["recent"][0]["id"], id);

    httplib::Client client("127.0.0.1", server_->Port());
    const auto file = client.Get("/replay/" + std::to_string(id) + ".r2replay");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->status, 200);
    EXPECT_EQ(file->body, replay);
    EXPECT_NE(file->get_header_value("Content-Disposition").find("attachment"), std::string::npos);
    const json asJson = Send("GET", "/api/replay/" + std::to_string(id), json(), nullptr).body;
    EXPECT_EQ(asJson["replay"], replay);
    EXPECT_EQ(asJson["score"], score);
    EXPECT_EQ(asJson["name"], "Anna Lee");

    const auto page = client.Get("/player/Anna%20Lee");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find(std::to_string(score)), std::string::npos);
    for (const char* missing : {"/api/player/Nobody", "/player/Nobody", "/api/replay/999",
                                "/replay/999.r2replay", "/player/%3Cscript%3E"})
        EXPECT_EQ(client.Get(missing)->status, 404) << missing;
    // Refused games have no replay to give.
    const json other = Ticket(anna);
    const json refused = Verified(Submit(anna, other, replay));
    ASSERT_EQ(refused["state"], "refused");
    EXPECT_EQ(client.Get("/replay/" + to_string(refused["id"]) + ".r2replay")->status, 404);
}

INSTANTIATE_TEST_SUITE_P(Storage, ServerTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return std::string(info.param); });

// Two servers on one PostgreSQL: a verifier process is killed in the middle of a job (stalled
// where it says it took it: its output is full), and another process's verifier takes the job
// over when the lease runs out and enters it once.
class SharedDatabaseTest : public ServerTestBase {
  protected:
    std::string Backend() const override { return "postgresql"; }

    // One column of the submission's row, read by the test's own connection.
    std::string Column(long long id, const std::string& column) {
        PGconn* pg = PQconnectdb(db_.c_str());
        PGresult* r = PQexec(
            pg,
            ("SELECT " + column + " FROM submissions WHERE id = " + std::to_string(id)).c_str());
        const std::string value = PQntuples(r) == 1 ? PQgetvalue(r, 0, 0) : "(no row)";
        PQclear(r);
        PQfinish(pg);
        return value;
    }
};

TEST_F(SharedDatabaseTest, AJobOfAKilledVerifierIsDoneOnceByAnother) {
    Player anna;
    Claim(anna, "Anna");
    server_ = Start(0);  // the HTTP front verifies nothing
    ASSERT_GT(server_->Port(), 0);
    const json ticket = Ticket(anna);
    const auto [replay, score] = PlayPuzzle(ticket["seed"]);
    auto doomed = Start(1, {"--lease", "1"}, false);
    ASSERT_EQ(doomed->Port(), -1);  // a verifier, no HTTP
    doomed->Stall();
    const Answer accepted = Submit(anna, ticket, replay);
    ASSERT_EQ(accepted.status, 202);
    const long long id = accepted.body["id"];
    // Bounded: a verifier that never takes the job fails the test.
    for (int i = 0; i < 1200 && Column(id, "claimed_by").empty(); ++i) usleep(50000);
    ASSERT_NE(Column(id, "claimed_by"), "");
    doomed->Kill(SIGKILL);
    EXPECT_EQ(Column(id, "state"), "queued");

    // Nothing rings for a lease run out: the rescuer's own look for jobs finds it.
    const auto rescuer = Start(1, {"--lease", "1", "--poll", "1"}, false);
    ASSERT_EQ(rescuer->Port(), -1);
    const std::string verdict = rescuer->Verdict(id);
    EXPECT_EQ(verdict.rfind("verified: " + std::to_string(score) + " points", 0), 0u) << verdict;
    const json view = Send("GET", "/api/submission/" + std::to_string(id), json(), nullptr).body;
    EXPECT_EQ(view["state"], "verified");
    EXPECT_EQ(view["score"], score);
    EXPECT_EQ(Column(id, "attempts"), "2");  // the killed verifier's try and the rescuer's
}

// A verifier process elsewhere starts on a submission at once: it listens for the database's
// notification, and its own looks for jobs would come only after an hour.
TEST_F(SharedDatabaseTest, AVerifierElsewhereIsWokenByASubmission) {
    Player anna;
    Claim(anna, "Anna");
    server_ = Start(0);
    const json ticket = Ticket(anna);
    const auto [replay, score] = PlayPuzzle(ticket["seed"]);
    const auto verifier = Start(1, {"--poll", "3600"}, false);
    ASSERT_EQ(verifier->LineAfter("listening for "), "submissions");
    const Answer accepted = Submit(anna, ticket, replay);
    ASSERT_EQ(accepted.status, 202);
    const std::string verdict = verifier->Verdict(accepted.body["id"]);
    EXPECT_EQ(verdict.rfind("verified: " + std::to_string(score) + " points", 0), 0u) << verdict;
}

// The web pages in headless Chromium: the boards and a player's page of a server with a real
// verified game, and a name with markup in it (written straight into the database, as the
// server's own checks would never let it in) shown as text.
class WebPageTest : public ServerTestBase {
  protected:
    static constexpr const char* kChromium = "/usr/bin/chromium";

    // What Chromium makes of `path`: its DOM, or "" when it could not load it; a picture of it
    // in `screenshot` unless that is empty (Chromium takes none of an error page).
    std::string Load(const std::string& path, const std::string& screenshot) {
        const std::string profile = scratch_ + "/chromium-" + std::to_string(++loads_);
        const std::string url = "http://127.0.0.1:" + std::to_string(server_->Port()) + path;
        const std::string flags = std::string("timeout 120 ") + kChromium +
                                  " --headless --no-sandbox --disable-gpu --disable-quic"
                                  " --no-first-run --disable-background-networking"
                                  " --disable-component-update --disable-sync --hide-scrollbars"
                                  " --user-data-dir=" +
                                  profile;
        const std::string dom = profile + ".html";
        EXPECT_EQ(
            std::system((flags + " --dump-dom '" + url + "' > " + dom + " 2>/dev/null").c_str()),
            0);
        if (!screenshot.empty()) {
            EXPECT_EQ(std::system((flags + " --window-size=1200,900 --screenshot=" + screenshot +
                                   " '" + url + "' > /dev/null 2>&1")
                                      .c_str()),
                      0);
            EXPECT_TRUE(fs::exists(screenshot)) << screenshot;
        }
        return ReadAll(dom);
    }
    int loads_ = 0;
};

TEST_F(WebPageTest, TheBoardsAndAPlayersPageShowTheGamesAndEscapeNames) {
    if (access(kChromium, X_OK) != 0) GTEST_SKIP() << "no " << kChromium << " (Debian's chromium)";
    Player anna;
    Claim(anna, "Anna");
    const json ticket = Ticket(anna);
    const auto [replay, score] = PlayPuzzle(ticket["seed"]);
    ASSERT_EQ(Verified(Submit(anna, ticket, replay))["state"], "verified");
    const json daily = Ticket(anna, "daily");
    const auto [dailyReplay, dailyScore] = PlayEndless(daily["seed"]);
    ASSERT_EQ(Verified(Submit(anna, daily, dailyReplay))["state"], "verified");

    server_.reset();
    {
        std::string why;
        const auto db = OpenSqliteStorage(data_, why);
        ASSERT_TRUE(db) << why;
        ASSERT_EQ(db->ClaimName("<script>x()</script>", "evil", 1), ClaimResult::kBound);
        const long long id = db->AddSubmission({"evil-ticket", "evil", 2, 1, "{}", "r", 1, 1});
        ASSERT_TRUE(db->TakeJob("test", std::time(nullptr), 60));
        ASSERT_TRUE(db->FinishJob(id, "test", true, score / 2, 1000, "", std::time(nullptr)));
    }
    server_ = Start(1);
    ASSERT_GT(server_->Port(), 0);

    const std::string dir = RHOMBULUS_BUILD_DIR;
    const std::string boards = Load("/", dir + "/server-boards.png");
    EXPECT_NE(boards.find(">Anna<"), std::string::npos) << boards;
    EXPECT_NE(boards.find(">" + std::to_string(score) + "<"), std::string::npos);
    EXPECT_NE(boards.find(">" + std::to_string(dailyScore) + "<"), std::string::npos);
    EXPECT_NE(boards.find("&lt;script&gt;x()&lt;/script&gt;"), std::string::npos);
    EXPECT_EQ(boards.find("<script>x()"), std::string::npos);

    const std::string player = Load("/player/Anna", dir + "/server-player.png");
    EXPECT_NE(player.find("Best games"), std::string::npos) << player;
    EXPECT_NE(player.find(">" + std::to_string(score) + "<"), std::string::npos);
    EXPECT_NE(player.find("daily " + daily["day"].get<std::string>()), std::string::npos);

    const std::string evil = Load("/player/%3Cscript%3Ex()%3C%2Fscript%3E", "");
    EXPECT_EQ(evil.find("<script>x()"), std::string::npos);
    const std::string today = Load("/daily", dir + "/server-daily.png");
    EXPECT_NE(today.find(">" + std::to_string(dailyScore) + "<"), std::string::npos) << today;
}

class RelayInTheServerTest : public ServerTestBase {};

std::int64_t MonotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The relay's rooms in the server's process: a host opens a room on its UDP port, a guest joins
// it by code, and both finish the handshake through it.
TEST_F(RelayInTheServerTest, AHostAndAGuestMeetInARoom) {
    server_ = Start(1, {"--udp", "0"});
    ASSERT_GT(server_->Port(), 0);
    const std::string udp = server_->LineAfter("relay on UDP port ");
    ASSERT_NE(udp, "");
    const auto port = static_cast<std::uint16_t>(std::stoi(udp));
    std::string error;
    auto config = [](net::Role role) {
        return net::HandshakeConfig{
            role, "1.0.0", 0xAB, role == net::Role::Host ? "Host" : "Gast", "KXPWMN", true, 20000};
    };
    net::RelayLink hostLink(net::EnetTransport::Connect("127.0.0.1", port, &error),
                            net::Role::Host);
    net::RelayLink guestLink(net::EnetTransport::Connect("127.0.0.1", port, &error),
                             net::Role::Guest);
    net::Handshake host(hostLink, config(net::Role::Host), MonotonicMs());
    host.SetStart(net::Start{7, 1, 3});
    net::Handshake guest(guestLink, config(net::Role::Guest), MonotonicMs());
    // Bounded in steps and in the handshake's own time-out; each step waits a little for packets.
    bool done = false;
    for (int i = 0; i < 6000 && !done; ++i) {
        const auto a = host.Poll(MonotonicMs()), b = guest.Poll(MonotonicMs());
        done = a == net::HandshakeStatus::Done && b == net::HandshakeStatus::Done;
        if (a == net::HandshakeStatus::Refused || b == net::HandshakeStatus::Refused) break;
        usleep(5000);
    }
    EXPECT_TRUE(done);
    EXPECT_EQ(guest.PeerName(), "Host");
}

// Browsers reach the same rooms through the server's WebSocket door.
TEST_F(RelayInTheServerTest, ABrowserOpensAWebSocketIntoTheRooms) {
    server_ = Start(1, {"--udp", "0", "--ws", "0"});
    ASSERT_GT(server_->Port(), 0);
    const std::string ws = server_->LineAfter("relay WebSocket on TCP port ");
    ASSERT_NE(ws, "");
    boost::asio::io_context io;
    boost::beast::websocket::stream<boost::asio::ip::tcp::socket> socket{io};
    boost::system::error_code error;
    socket.next_layer().connect(
        {boost::asio::ip::make_address("127.0.0.1"), static_cast<std::uint16_t>(std::stoi(ws))},
        error);
    ASSERT_FALSE(error) << error.message();
    socket.handshake("127.0.0.1", "/", error);
    EXPECT_FALSE(error) << error.message();
    socket.close(boost::beast::websocket::close_code::normal, error);
}

// Each mode's game as the game choice starts it is the fresh game of its ticket: a game left
// before its end is refused only for that; the ticket of another mode refuses it from the start.
class ServerModeTest : public ServerTestBase,
                       public ::testing::WithParamInterface<std::pair<const char*, int>> {};

TEST_P(ServerModeTest, AGameFromTheGameChoiceStartsFresh) {
    const auto [mode, modeY] = GetParam();
    Player anna;
    Claim(anna, "Anna");
    const json ticket = Ticket(anna, mode);
    const std::string left =
        Play(ticket["seed"], modeY, "200 move 300 200\n210 click\n400 key escape\n").first;
    json verdict = Verified(Submit(anna, ticket, left));
    EXPECT_EQ(verdict["reason"], "it does not end in a game over") << mode;
    const json other = Ticket(anna, std::string(mode) == "endless" ? "pipe" : "endless");
    const std::string otherGame =
        Play(other["seed"], modeY, "200 move 300 200\n210 click\n400 key escape\n").first;
    verdict = Verified(Submit(anna, other, otherGame));
    EXPECT_EQ(verdict["reason"], "it is no game of its ticket's mode") << mode;
}
INSTANTIATE_TEST_SUITE_P(Modes, ServerModeTest,
                         ::testing::Values(std::make_pair("endless", 350),
                                           std::make_pair("puzzle", 390),
                                           std::make_pair("pipe", 430)));

}  // namespace
