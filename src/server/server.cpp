#include "server/server.h"

#include <httplib.h>
#include <sodium.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "net/relay_server.h"
#include "net/ws_relay.h"
#include "online/json_object.h"
#include "runner/game_replays.h"
#include "runner/replay_watch.h"
#include "server/online_play.h"
#include "server/web_pages.h"
#include "shell/command_line.h"
#include "shell/replay_store.h"

using nlohmann::json;

namespace {

constexpr long long kTickMs = 15;
constexpr int kBoardRows = 10;
constexpr int kListenQueue = 1024;
constexpr long long kDaySeconds = 24 * 60 * 60;

long long Now() {
    return static_cast<long long>(std::time(nullptr));
}

double NowSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Monday 00:00 UTC of the week `now` is in (1970-01-01 was a Thursday).
long long WeekStart(long long now) {
    const long long day = now / kDaySeconds;
    return (day - (day + 3) % 7) * kDaySeconds;
}

void Reply(httplib::Response& res, int status, const json& body) {
    res.status = status;
    res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

void Html(httplib::Response& res, int status, const std::string& page) {
    res.status = status;
    res.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
    res.set_content(page, "text/html; charset=utf-8");
}

json GameJson(const PlayerGame& g) {
    return {{"id", g.id},
            {"board", BoardWord(g.mode)},
            {"score", g.score},
            {"ticks", g.ticks},
            {"finished", g.finished},
            {"replay", "/replay/" + std::to_string(g.id) + ".r2replay"}};
}

json RowJson(const BoardRow& r) {
    return {{"place", r.place}, {"name", r.name}, {"score", r.score}, {"id", r.id}};
}

json RowsJson(const std::vector<BoardRow>& rows) {
    json j = json::array();
    for (const BoardRow& r : rows) j.push_back(RowJson(r));
    return j;
}

void Refuse(httplib::Response& res, int status, const std::string& why) {
    Reply(res, status, json{{"error", why}});
}

std::string LevelsHex(std::uint64_t levels) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(levels));
    return hex;
}

}  // namespace

struct OnlineServer::Impl {
    ServerOptions options;
    std::unique_ptr<Storage> storage;
    KeyPair key;
    std::string version;
    std::uint64_t levels = 0;
    RateLimiter byAddress;
    RateLimiter byKey;
    RateLimiter downloads;
    httplib::Server http;
    std::vector<std::thread> workers;
    std::unique_ptr<net::RelayServer> relay;
    std::unique_ptr<net::WsRelay> ws;
    std::thread relayThread;
    std::thread bellThread;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    bool jobWaiting = false;
    std::atomic<bool> listening{false};

    explicit Impl(ServerOptions o)
        : options(std::move(o)),
          byAddress(options.addressPerSecond, options.addressBurst),
          byKey(options.keyPerSecond, options.keyBurst),
          downloads(options.downloadPerSecond, options.downloadBurst) {}

    // The seed of a day's challenge: from the server's secret, so nobody knows it before.
    std::uint64_t DailySeed(long long day) const {
        const std::string text = "rhombulus2 daily " + DayText(day);
        unsigned char out[crypto_generichash_BYTES_MIN];
        crypto_generichash(out, sizeof out, reinterpret_cast<const unsigned char*>(text.data()),
                           text.size(), key.secret.data(), 32);
        return static_cast<std::uint64_t>(out[0]) << 24 | out[1] << 16 | out[2] << 8 | out[3];
    }

    // The signer of a writing request, its nonce used; nothing (the reply made) when refused.
    std::optional<CheckedRequest> Signed(const httplib::Request& req, httplib::Response& res,
                                         std::size_t maxBody) {
        if (req.body.size() > maxBody) {
            Refuse(res, 413, "the request is too large");
            return std::nullopt;
        }
        SignedRequest s{req.method,
                        req.path,
                        req.body,
                        req.get_header_value(kKeyHeader),
                        req.get_header_value(kNonceHeader),
                        req.get_header_value(kTimeHeader),
                        req.get_header_value(kSignatureHeader)};
        // The buckets are named by keys of their length only, so that they stay small.
        if (s.key.size() != kPublicKeyBytes * 2) {
            Refuse(res, 401, "no key");
            return std::nullopt;
        }
        if (!byKey.Allow("key " + s.key, NowSeconds())) {
            Refuse(res, 429, "too many requests");
            return std::nullopt;
        }
        const long long now = Now();
        CheckedRequest c = CheckSignedRequest(s, now);
        if (!c.ok) {
            Refuse(res, 401, c.why);
            return std::nullopt;
        }
        if (!storage->UseNonce(c.key, c.nonce, now, now - 2 * kRequestWindowSeconds)) {
            Refuse(res, 401, "the request was sent before");
            return std::nullopt;
        }
        return c;
    }

    void Claim(const httplib::Request& req, httplib::Response& res) {
        const auto who = Signed(req, res, kMaxSmallBody);
        if (!who) return;
        const auto body = ParseJsonObject(req.body, kMaxSmallBody);
        if (!body || !body->contains("name") || !(*body)["name"].is_string())
            return Refuse(res, 400, "no name");
        const std::string name = (*body)["name"].get<std::string>();
        if (!ValidName(name))
            return Refuse(res, 400, "a name is 2 to 16 letters, digits, spaces, - _ or .");
        switch (storage->ClaimName(name, who->key, Now())) {
            case ClaimResult::kBound:
            case ClaimResult::kAlreadyYours:
                return Reply(res, 200, json{{"name", *storage->NameOfKey(who->key)}});
            case ClaimResult::kTaken:
                return Refuse(res, 409, "the name is taken");
            case ClaimResult::kKeyHasAnother:
                return Refuse(res, 409, "this key has another name");
        }
    }

    void IssueTicket(const httplib::Request& req, httplib::Response& res) {
        const auto who = Signed(req, res, kMaxSmallBody);
        if (!who) return;
        if (!storage->NameOfKey(who->key)) return Refuse(res, 403, "claim a name first");
        const auto body = ParseJsonObject(req.body, kMaxSmallBody);
        if (!body || !body->contains("mode") || !(*body)["mode"].is_string())
            return Refuse(res, 400, "no mode");
        Ticket t;
        const std::string mode = (*body)["mode"].get<std::string>();
        t.mode = mode == "daily" ? 1 : OnlineModeOf(mode);
        if (t.mode == 0) return Refuse(res, 400, "no mode of online games");
        unsigned char id[16];
        randombytes_buf(id, sizeof id);
        t.id = ToHex(id, sizeof id);
        t.seed = randombytes_random();
        if (mode == "daily") {
            const long long day = Now() / kDaySeconds;
            t.day = DayText(day);
            t.seed = DailySeed(day);
            t.practice = !storage->FirstDailyTicket(who->key, day, t.id);
        }
        t.version = version;
        t.levels = levels;
        t.issued = Now();
        t.key = who->key;
        t.signature = Sign(key.secret, TicketText(t));
        Reply(res, 200, TicketJson(t));
    }

    void Submit(const httplib::Request& req, httplib::Response& res) {
        const auto who = Signed(req, res, kMaxSubmitBody);
        if (!who) return;
        if (!storage->NameOfKey(who->key)) return Refuse(res, 403, "claim a name first");
        const auto body = ParseJsonObject(req.body, kMaxSubmitBody);
        if (!body || !body->contains("ticket") || !body->contains("replay") ||
            !(*body)["replay"].is_string())
            return Refuse(res, 400, "no ticket and replay");
        const std::string& replay = (*body)["replay"].get_ref<const std::string&>();
        if (replay.size() > kMaxReplayBytes) return Refuse(res, 413, "the replay is too large");
        Ticket t;
        std::string why;
        if (!ReadTicket((*body)["ticket"], key.pub, t, why)) return Refuse(res, 403, why);
        if (t.key != who->key) return Refuse(res, 403, "the ticket is another player's");
        if (t.version != version || t.levels != levels)
            return Refuse(res, 403, "the ticket is for another version of the game");
        const long long now = Now();
        const long long age = now - t.issued;
        if (age < -kRequestWindowSeconds || age > kMaxReplayTicks * kTickMs / 1000 + kDaySeconds)
            return Refuse(res, 403, "the ticket is out of date");
        NewSubmission n;
        n.ticketId = t.id;
        n.key = who->key;
        n.mode = t.day.empty() ? t.mode
                 : t.practice  ? DailyPracticeBoard(DayNumber(t.day))
                               : DailyBoard(DayNumber(t.day));
        n.seed = t.seed;
        n.ticket = (*body)["ticket"].dump();
        n.replay = replay;
        n.maxTicks = std::min(kMaxReplayTicks,
                              (std::max(0LL, age) + options.ticketSlackSeconds) * 1000 / kTickMs);
        n.received = now;
        const long long id = storage->AddSubmission(n);
        if (id == 0) return Refuse(res, 409, "the ticket was used before");
        if (id < 0) return Refuse(res, 503, "the server cannot keep it now: send it again later");
        {
            std::lock_guard lock(mutex);
            jobWaiting = true;
        }
        wake.notify_one();
        json answer{{"id", id}, {"state", "queued"}};
        if (!t.day.empty()) answer["practice"] = t.practice;
        Reply(res, 202, answer);
    }

    void ShowSubmission(const httplib::Request& req, httplib::Response& res) {
        const long long id = std::stoll(req.matches[1].str());
        const auto s = storage->Submission(id);
        if (!s) return Refuse(res, 404, "no such submission");
        json j{{"id", s->id},
               {"name", s->name},
               {"mode", OnlineModeWord(s->mode)},
               {"state", s->state}};
        const bool practice = s->mode >= kDailyPracticeBase;
        if (s->mode >= kDailyBoardBase) {
            j["mode"] = "daily";
            j["day"] = DayText(s->mode - (practice ? kDailyPracticeBase : kDailyBoardBase));
            j["practice"] = practice;
        }
        if (s->state == "verified" && practice) {
            j["score"] = s->score;
        } else if (s->state == "verified") {
            const auto [place, of] =
                storage->PlaceOf(s->mode, 0, s->score, storage->KeyOfSubmission(id));
            j["score"] = s->score;
            j["place"] = place;
            j["of"] = of;
        } else if (s->state == "refused") {
            j["reason"] = s->reason;
        }
        Reply(res, 200, j);
    }

    void ShowBoard(const httplib::Request& req, httplib::Response& res) {
        const int mode = OnlineModeOf(req.matches[1].str());
        const std::string period = req.has_param("period") ? req.get_param_value("period") : "all";
        if (period != "all" && period != "week") return Refuse(res, 400, "no such period");
        const long long since = period == "week" ? WeekStart(Now()) : 0;
        ReplyBoard(req, res, mode, since, json{{"mode", OnlineModeWord(mode)}, {"period", period}});
    }

    // A board's top rows and, with ?name=, that player's best place on it (null for none).
    void ReplyBoard(const httplib::Request& req, httplib::Response& res, int board, long long since,
                    json j) {
        j["top"] = RowsJson(storage->Top(board, since, kBoardRows));
        if (req.has_param("name")) {
            const std::string name = req.get_param_value("name");
            if (!ValidName(name)) return Refuse(res, 400, "no such name");
            const auto best = storage->BestOf(board, since, name);
            j["player"] = best ? RowJson(*best) : json(nullptr);
        }
        Reply(res, 200, j);
    }

    // The day of a ?day=YYYY-MM-DD parameter, today without one; -1 for a bad one.
    static long long DayOf(const httplib::Request& req) {
        if (!req.has_param("day")) return Now() / kDaySeconds;
        const long long day = DayNumber(req.get_param_value("day"));
        return day <= Now() / kDaySeconds ? day : -1;
    }

    void ShowDailyBoard(const httplib::Request& req, httplib::Response& res) {
        const long long day = DayOf(req);
        if (day < 0) return Refuse(res, 400, "no such day");
        ReplyBoard(req, res, DailyBoard(day), 0, json{{"mode", "daily"}, {"day", DayText(day)}});
    }

    std::vector<BoardTable> FrontBoards() {
        const long long now = Now();
        const long long day = now / kDaySeconds;
        std::vector<BoardTable> boards;
        boards.push_back({"Daily challenge", "today, " + DayText(day),
                          storage->Top(DailyBoard(day), 0, kBoardRows), "/daily", true});
        for (const bool week : {false, true}) {
            for (int mode : {1, 2, 3}) {
                std::string title = OnlineModeWord(mode);
                title[0] = static_cast<char>(title[0] - 'a' + 'A');
                boards.push_back({title, week ? "this week (since Monday, UTC)" : "all time",
                                  storage->Top(mode, week ? WeekStart(now) : 0, kBoardRows), "",
                                  false});
            }
        }
        return boards;
    }

    void ShowDailyPage(const httplib::Request& req, httplib::Response& res) {
        const long long day = DayOf(req);
        if (day < 0) return Html(res, 404, NotFoundPage("There is no challenge of that day."));
        std::vector<std::string> others;
        const long long today = Now() / kDaySeconds;
        for (long long d = today; d > today - 8 && d >= 0; --d)
            if (d != day) others.push_back(DayText(d));
        Html(res, 200,
             DailyPage(DayText(day),
                       {"Ranked games", "", storage->Top(DailyBoard(day), 0, kBoardRows), "", true},
                       others));
    }

    // The player of a /player/NAME path as claimed; empty when there is none.
    std::optional<std::string> PlayerOf(const httplib::Request& req) {
        const std::string name = req.matches[1].str();
        if (!ValidName(name)) return std::nullopt;
        return storage->PlayerName(name);
    }

    void ShowPlayerPage(const httplib::Request& req, httplib::Response& res) {
        const auto name = PlayerOf(req);
        if (!name) return Html(res, 404, NotFoundPage("No player has this name."));
        Html(res, 200,
             PlayerPage(*name, storage->GamesOf(*name, true, kBoardRows),
                        storage->GamesOf(*name, false, kBoardRows)));
    }

    void ShowPlayer(const httplib::Request& req, httplib::Response& res) {
        const auto name = PlayerOf(req);
        if (!name) return Refuse(res, 404, "no such player");
        json best = json::array(), recent = json::array();
        for (const PlayerGame& g : storage->GamesOf(*name, true, kBoardRows))
            best.push_back(GameJson(g));
        for (const PlayerGame& g : storage->GamesOf(*name, false, kBoardRows))
            recent.push_back(GameJson(g));
        Reply(res, 200, json{{"name", *name}, {"best", best}, {"recent", recent}});
    }

    // A verified game's replay, as a download or in JSON.
    void ShowReplay(const httplib::Request& req, httplib::Response& res, bool asJson) {
        if (!downloads.Allow("address " + req.remote_addr, NowSeconds()))
            return Refuse(res, 429, "too many requests");
        const long long id = std::stoll(req.matches[1].str());
        const auto replay = storage->ReplayOf(id);
        const auto view = storage->Submission(id);
        if (!replay || !view) return Refuse(res, 404, "no such game");
        if (!asJson) {
            res.set_header("Content-Disposition", "attachment; filename=\"rhombulus2-" +
                                                      std::to_string(id) + ".r2replay\"");
            res.set_content(*replay, "application/octet-stream");
            return;
        }
        json j{{"id", id},
               {"name", view->name},
               {"board", BoardWord(view->mode)},
               {"score", view->score},
               {"finished", view->finished},
               {"replay", *replay}};
        Reply(res, 200, j);
    }

    // Wakes the verifiers when any process on the database stored a submission; a lost
    // connection is opened again, a few seconds later, until the server stops.
    void ListenForJobs() {
        bool tried = false;
        std::unique_ptr<JobBell> bell;
        auto ring = [this] {
            {
                std::lock_guard lock(mutex);
                jobWaiting = true;
            }
            wake.notify_all();
        };
        for (;;) {
            {
                std::unique_lock lock(mutex);
                if (stopping) return;
                if (!bell && tried) {
                    wake.wait_for(lock, std::chrono::seconds(3), [&] { return stopping; });
                    if (stopping) return;
                }
            }
            if (!bell || bell->Broken()) {
                tried = true;
                bell = storage->ListenForJobs();
                if (!bell) continue;
                std::printf("listening for submissions\n");
                std::fflush(stdout);
                // What came while nobody listened is looked for now.
                ring();
                continue;
            }
            // Short, so that a stop is seen soon.
            if (bell->Wait(500)) ring();
        }
    }

    void StartVerifiers() {
        for (int i = 1; i <= options.workers; ++i) workers.emplace_back([this, i] { Verifier(i); });
    }
    // After the server's first line, which says what it is.
    void StartBell() {
        if (options.workers > 0 && IsPostgresUrl(options.db))
            bellThread = std::thread([this] { ListenForJobs(); });
    }

    void Verifier(int number) {
        char host[256] = "";
        gethostname(host, sizeof host - 1);
        const std::string me =
            std::string(host) + ":" + std::to_string(getpid()) + ":" + std::to_string(number);
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (stopping) return;
                jobWaiting = false;
            }
            const auto job = storage->TakeJob(me, Now(), options.leaseSeconds);
            if (!job) {
                std::unique_lock lock(mutex);
                // A job may also come free when another verifier's lease runs out.
                wake.wait_for(lock, std::chrono::seconds(options.pollSeconds),
                              [&] { return stopping || jobWaiting; });
                continue;
            }
            std::printf("job %lld taken by %s\n", job->id, me.c_str());
            std::fflush(stdout);
            OnlinePlay play;
            Ticket t;
            const double began = NowSeconds();
            const auto ticket = json::parse(job->ticket, nullptr, false);
            if (!ReadTicket(ticket, key.pub, t, play.why)) {
                play.why = "its ticket does not read";
            } else {
                ScratchFolder scratch;
                const OnlineGameFacts facts{t.mode, t.seed, t.version, t.levels, job->maxTicks};
                play = PlayOnlineReplay(job->replay, facts, options.resDir, scratch.Path());
            }
            const double took = NowSeconds() - began;
            if (storage->FinishJob(job->id, me, play.verified, play.score, play.ticks, play.why,
                                   Now())) {
                if (play.verified)
                    std::printf("submission %lld verified: %d points in %lld ticks (%.2f s)\n",
                                job->id, play.score, play.ticks, took);
                else
                    std::printf("submission %lld refused: %s (%.2f s)\n", job->id, play.why.c_str(),
                                took);
                std::fflush(stdout);
            }
        }
    }
};

OnlineServer::OnlineServer(ServerOptions options) : impl_(std::make_unique<Impl>(options)) {}

OnlineServer::~OnlineServer() {
    Stop();
    for (std::thread& w : impl_->workers) w.join();
    if (impl_->bellThread.joinable()) impl_->bellThread.join();
    if (impl_->relayThread.joinable()) impl_->relayThread.join();
}

bool OnlineServer::Open(std::string& why) {
    Impl& s = *impl_;
    if (!CryptoReady()) {
        why = "libsodium cannot start";
        return false;
    }
    if (IsPostgresUrl(s.options.db)) {
        s.storage = OpenPostgresStorage(s.options.db, s.options.dbConnections, why);
        if (!s.storage) return false;
        // Every process on the database signs and checks tickets with the one key it keeps.
        const KeyPair fresh = NewKeyPair();
        const std::string kept =
            s.storage->SharedServerKey(ToHex(fresh.secret.data(), fresh.secret.size()));
        if (!FromHex(kept, s.key.secret.data(), s.key.secret.size())) {
            why = "the database keeps no server key";
            return false;
        }
        crypto_sign_ed25519_sk_to_pk(s.key.pub.data(), s.key.secret.data());
    } else {
        s.storage = OpenSqliteStorage(s.options.dataDir, why);
        if (!s.storage) return false;
        const auto key = LoadOrMakeServerKey(s.options.dataDir + "/server.key", why);
        if (!key) return false;
        s.key = *key;
    }
    const ReplayHeader here = ThisGamesReplayHeader(s.options.resDir, 0, 0);
    s.version = here.version;
    s.levels = here.levels;
    if (s.levels == 0) {
        why = "no level files in " + s.options.resDir + "/Levelz";
        return false;
    }
    return true;
}

bool OnlineServer::Run(std::string& why) {
    Impl& s = *impl_;
    if (s.options.verifierOnly) {
        std::printf("verifying with %d workers\n", s.options.workers);
        std::fflush(stdout);
        // After the line that says what this is: a job taken at once prints a line of its own.
        s.StartVerifiers();
        s.StartBell();
        std::unique_lock lock(s.mutex);
        s.wake.wait(lock, [&s] { return s.stopping; });
        return true;
    }
    httplib::Server& http = s.http;
    http.set_payload_max_length(kMaxSubmitBody);
    // A kept-alive connection holds its thread: enough threads that many clients are served.
    const std::size_t threads = static_cast<std::size_t>(s.options.httpThreads);
    http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    http.set_read_timeout(10, 0);
    // Nothing served is to be taken for another type than it says (a replay for a page).
    http.set_default_headers({{"X-Content-Type-Options", "nosniff"}});
    http.set_pre_routing_handler([&s](const httplib::Request& req, httplib::Response& res) {
        if (s.byAddress.Allow("address " + req.remote_addr, NowSeconds()))
            return httplib::Server::HandlerResponse::Unhandled;
        Refuse(res, 429, "too many requests");
        return httplib::Server::HandlerResponse::Handled;
    });
    http.Get("/api/server", [&s](const httplib::Request&, httplib::Response& res) {
        Reply(res, 200,
              json{{"version", s.version},
                   {"levels", LevelsHex(s.levels)},
                   {"key", ToHex(s.key.pub.data(), s.key.pub.size())}});
    });
    http.Post("/api/claim", [&s](const auto& req, auto& res) { s.Claim(req, res); });
    http.Post("/api/ticket", [&s](const auto& req, auto& res) { s.IssueTicket(req, res); });
    http.Post("/api/submit", [&s](const auto& req, auto& res) { s.Submit(req, res); });
    http.Get(R"(/api/submission/(\d{1,15}))",
             [&s](const auto& req, auto& res) { s.ShowSubmission(req, res); });
    http.Get("/api/board/(endless|puzzle|pipe)",
             [&s](const auto& req, auto& res) { s.ShowBoard(req, res); });
    http.Get("/api/board/daily", [&s](const auto& req, auto& res) { s.ShowDailyBoard(req, res); });
    http.Get("/api/player/([^/]{1,64})",
             [&s](const auto& req, auto& res) { s.ShowPlayer(req, res); });
    http.Get(R"(/api/replay/(\d{1,15}))",
             [&s](const auto& req, auto& res) { s.ShowReplay(req, res, true); });
    http.Get(R"(/replay/(\d{1,15})\.r2replay)",
             [&s](const auto& req, auto& res) { s.ShowReplay(req, res, false); });
    http.Get("/", [&s](const httplib::Request&, httplib::Response& res) {
        Html(res, 200, BoardsPage("Leaderboards", s.FrontBoards()));
    });
    http.Get("/daily", [&s](const auto& req, auto& res) { s.ShowDailyPage(req, res); });
    http.Get("/player/([^/]{1,64})",
             [&s](const auto& req, auto& res) { s.ShowPlayerPage(req, res); });

    // Debian's library listens with a queue of 5, and connections beyond it are dropped when
    // many players come at once: the socket is kept here and listens again with a longer queue.
    int listener = -1;
    http.set_socket_options([&listener](int sock) {
        const int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listener = sock;
    });
    int port = s.options.port;
    if (port == 0) {
        port = http.bind_to_any_port(s.options.host);
    } else if (!http.bind_to_port(s.options.host, port)) {
        port = -1;
    }
    if (port < 0) {
        why = "cannot listen on " + s.options.host + ":" + std::to_string(s.options.port);
        return false;
    }
    if (listener >= 0) listen(listener, kListenQueue);
    if (s.options.udpPort >= 0) {
        std::string error;
        s.relay =
            net::RelayServer::Open(s.options.host, static_cast<std::uint16_t>(s.options.udpPort),
                                   net::RelayLimits{}, &error);
        if (!s.relay) {
            why = "cannot serve the relay on UDP port " + std::to_string(s.options.udpPort) + ": " +
                  error;
            return false;
        }
        if (s.options.wsPort >= 0) {
            s.ws = net::WsRelay::Open(*s.relay, s.options.host,
                                      static_cast<std::uint16_t>(s.options.wsPort), &error);
            if (!s.ws) {
                why = "cannot serve the relay's WebSocket on TCP port " +
                      std::to_string(s.options.wsPort) + ": " + error;
                return false;
            }
        }
        s.relayThread = std::thread([&s] {
            const auto start = std::chrono::steady_clock::now();
            for (;;) {
                {
                    std::lock_guard lock(s.mutex);
                    if (s.stopping) return;
                }
                const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start)
                                     .count();
                // With browsers too, ENet's wait is short so that their messages are not held.
                s.relay->Service(now, s.ws ? 2 : 50);
                if (s.ws) s.ws->Poll(now);
            }
        });
    }
    // Set before the line is out: a stop that follows it waits for the listen to begin.
    s.listening = true;
    std::printf("listening on %s:%d\n", s.options.host.c_str(), port);
    if (s.relay) std::printf("relay on UDP port %u\n", s.relay->Port());
    if (s.ws) std::printf("relay WebSocket on TCP port %u\n", s.ws->Port());
    std::fflush(stdout);
    s.StartVerifiers();
    s.StartBell();
    {
        // A stop that came before `listening` was set did not wait for the listen, and
        // stopping the library's server before it listens is lost: it would listen for ever.
        std::lock_guard lock(s.mutex);
        if (s.stopping) {
            s.listening = false;
            return true;
        }
    }
    http.listen_after_bind();
    s.listening = false;
    return true;
}

void OnlineServer::Stop() {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopping = true;
    }
    impl_->wake.notify_all();
    // A stop between the bind and the listen would find nothing to stop: wait for the listen.
    for (int i = 0; i < 500 && impl_->listening && !impl_->http.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    impl_->http.stop();
}
