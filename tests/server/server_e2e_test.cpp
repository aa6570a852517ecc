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

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "server/auth.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Bounds the wait for one line of the server's; only a hung server ever reaches it.
constexpr int kLineWaitMs = 120000;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ServerProcess {
  public:
    ServerProcess(const std::string& dataDir, int workers) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            const std::string w = std::to_string(workers);
            execl(RHOMBULUS_SERVER_BIN, RHOMBULUS_SERVER_BIN, "--data", dataDir.c_str(), "--res",
                  RHOMBULUS_RES_DIR, "--http", "127.0.0.1:0", "--workers", w.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        fd_ = out[0];
        const std::string first = NextLine();
        std::smatch m;
        if (std::regex_match(first, m, std::regex("listening on 127\\.0\\.0\\.1:(\\d+)")))
            port_ = std::stoi(m[1]);
    }
    ~ServerProcess() { Kill(SIGTERM); }
    void Kill(int sig) {
        if (pid_ > 0) {
            kill(pid_, sig);
            // A server that does not stop on SIGTERM fails the test and is killed, so the test
            // ends either way.
            bool gone = false;
            for (int i = 0; i < 300 && !gone; ++i) {
                gone = waitpid(pid_, nullptr, WNOHANG) == pid_;
                if (!gone) usleep(100000);
            }
            EXPECT_TRUE(gone) << "the server did not stop on signal " << sig;
            if (!gone) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
            }
            pid_ = -1;
        }
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }
    int Port() const { return port_; }
    // The next line the server prints; "" when it ends or says nothing for too long.
    std::string NextLine() {
        for (;;) {
            const std::size_t nl = buffer_.find('\n');
            if (nl != std::string::npos) {
                std::string line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return line;
            }
            pollfd p{fd_, POLLIN, 0};
            char chunk[512];
            if (fd_ < 0 || poll(&p, 1, kLineWaitMs) != 1) return "";
            const ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n <= 0) return "";
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }
    // Waits for the verdict line of submission `id`.
    std::string Verdict(long long id) {
        const std::string prefix = "submission " + std::to_string(id) + " ";
        for (std::string line = NextLine(); !line.empty(); line = NextLine()) {
            if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
        }
        return "";
    }

  private:
    pid_t pid_ = -1;
    int fd_ = -1;
    int port_ = 0;
    std::string buffer_;
};

struct Player {
    KeyPair keys = NewKeyPair();
};

struct Answer {
    int status = 0;
    json body;
};

class ServerTest : public ::testing::Test {
  protected:
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
        server_ = std::make_unique<ServerProcess>(data_, 1);
        ASSERT_GT(server_->Port(), 0);
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
        std::ostringstream script;
        for (int t = 120, i = 0; t < 2400; t += 41 + (i * 13) % 20, ++i)
            script << t << " move " << 60 + (i * 37) % 560 << " " << 150 + (i * 53) % 150 << "\n"
                   << t + 10 << " click\n";
        // Past the time-up notice: a shot that won time runs the clock on to 4000 at most.
        script << "2900 key space\n3500 key space\n4500 key space\n6000 key space\n";
        return Play(seed, 390, script.str());
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
    std::unique_ptr<ServerProcess> server_;
    httplib::Headers last_;
    std::string verdictLine_;  // the server's line of the last verdict waited for
};

TEST_F(ServerTest, ARealGameIsVerifiedWithItsScoreAndReachesTheBoard) {
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

TEST_F(ServerTest, ForgedRequestsAreRefusedAtTheDoor) {
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
TEST_F(ServerTest, ForgedGamesAreRefusedWithTheirReason) {
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

TEST_F(ServerTest, AGameAcknowledgedBeforeAKillIsVerifiedAfterTheRestart) {
    server_.reset();
    auto quiet = std::make_unique<ServerProcess>(data_, 0);  // takes games, verifies none
    ASSERT_GT(quiet->Port(), 0);
    std::swap(server_, quiet);
    Player anna;
    Claim(anna, "Anna");
    const json ticket = Ticket(anna);
    const auto [replay, score] = PlayPuzzle(ticket["seed"]);
    const Answer accepted = Submit(anna, ticket, replay);
    ASSERT_EQ(accepted.status, 202);
    server_->Kill(SIGKILL);
    server_ = std::make_unique<ServerProcess>(data_, 1);
    ASSERT_GT(server_->Port(), 0);
    const long long id = accepted.body["id"];
    EXPECT_NE(server_->Verdict(id), "");
    const json verdict = Send("GET", "/api/submission/" + std::to_string(id), json(), nullptr).body;
    EXPECT_EQ(verdict["state"], "verified") << verdict.dump();
    EXPECT_EQ(verdict["score"], score);
}

// Each mode's game as the game choice starts it is the fresh game of its ticket: a game left
// before its end is refused only for that; the ticket of another mode refuses it from the start.
class ServerModeTest : public ServerTest,
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
