// The storage in PostgreSQL, for several server and verifier processes on one database: jobs are
// taken with row locks that skip rows another worker holds, every write is one statement or one
// transaction, committed before the caller answers.
#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "server/auth.h"
#include "server/storage.h"

namespace {

// The channel a stored submission notifies.
constexpr const char* kJobChannel = "LISTEN rhombulus2_jobs";

// A connection of its own that listens on the channel.
class PostgresBell final : public JobBell {
  public:
    explicit PostgresBell(PGconn* pg) : pg_(pg) {}
    ~PostgresBell() override { PQfinish(pg_); }
    bool Wait(int ms) override {
        if (Broken()) return false;
        if (Drain()) return true;
        pollfd p{PQsocket(pg_), POLLIN, 0};
        if (poll(&p, 1, ms) == 1 && PQconsumeInput(pg_) == 0) return false;
        return Drain();
    }
    bool Broken() override { return PQstatus(pg_) != CONNECTION_OK || PQsocket(pg_) < 0; }

  private:
    // The notifications that came; any is a ring.
    bool Drain() {
        bool rang = false;
        while (PGnotify* n = PQnotifies(pg_)) {
            PQfreemem(n);
            rang = true;
        }
        return rang;
    }
    PGconn* pg_;
};

const char* const kMigrations[] = {
    // 1: players, nonces, submissions
    "CREATE TABLE players (key TEXT PRIMARY KEY, name TEXT NOT NULL,"
    " folded TEXT NOT NULL UNIQUE, created BIGINT NOT NULL);"
    "CREATE TABLE nonces (key TEXT NOT NULL, nonce TEXT NOT NULL, seen BIGINT NOT NULL,"
    " PRIMARY KEY (key, nonce));"
    "CREATE INDEX nonces_seen ON nonces (seen);"
    "CREATE TABLE submissions (id BIGSERIAL PRIMARY KEY, ticket_id TEXT NOT NULL UNIQUE,"
    " key TEXT NOT NULL, mode INTEGER NOT NULL, seed BIGINT NOT NULL, ticket TEXT NOT NULL,"
    " replay BYTEA NOT NULL, max_ticks BIGINT NOT NULL, received BIGINT NOT NULL,"
    " state TEXT NOT NULL DEFAULT 'queued', claimed_by TEXT, lease_until BIGINT,"
    " attempts INTEGER NOT NULL DEFAULT 0, score INTEGER, ticks BIGINT, reason TEXT,"
    " finished BIGINT);"
    "CREATE INDEX submissions_queue ON submissions (state, id);"
    "CREATE INDEX submissions_board ON submissions (mode, state, score);",
    // 2: the daily challenge's first tickets; a player's games; the key every process signs with
    "CREATE TABLE daily_tickets (key TEXT NOT NULL, day BIGINT NOT NULL,"
    " ticket_id TEXT NOT NULL, PRIMARY KEY (key, day));"
    "CREATE INDEX submissions_player ON submissions (key, state, finished);"
    "CREATE TABLE server_key (one INTEGER PRIMARY KEY CHECK (one = 1), secret TEXT NOT NULL);",
};

constexpr int kMostAttempts = 3;
// Any number: the lock two processes starting at once take around their migrations.
constexpr const char* kMigrationLock = "SELECT pg_advisory_xact_lock(7426001)";

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

// A statement's parameter: text, or bytes sent as they are.
struct Param {
    std::string value;
    bool binary = false;
    Param(std::string v) : value(std::move(v)) {}
    Param(const char* v) : value(v) {}
    Param(long long v) : value(std::to_string(v)) {}
    Param(int v) : value(std::to_string(v)) {}
    static Param Bytes(const std::string& v) {
        Param p(v);
        p.binary = true;
        return p;
    }
};

struct Connection {
    PGconn* pg = nullptr;
    std::unordered_set<const char*> prepared;  // statements are literals: their address names them
};

class PostgresStorage final : public Storage {
  public:
    PostgresStorage(std::string url, int most) : url_(std::move(url)), most_(most) {}
    ~PostgresStorage() override {
        for (Connection* c : idle_) {
            PQfinish(c->pg);
            delete c;
        }
    }

    bool Start(std::string& why) {
        Connection* c = Connect(why);
        if (c == nullptr) return false;
        ++open_;
        const bool ok = Migrate(*c, why);
        Release(c);
        return ok;
    }

    ClaimResult ClaimName(const std::string& name, const std::string& key, long long now) override {
        Lease c(*this);
        if (!c) return ClaimResult::kTaken;
        Result r = Run(*c,
                       "INSERT INTO players (key, name, folded, created) VALUES ($1, $2, $3, $4)"
                       " ON CONFLICT DO NOTHING",
                       {key, name, FoldName(name), now});
        if (Ok(r) && Changed(r) == 1) return ClaimResult::kBound;
        Result s = Run(*c, "SELECT folded FROM players WHERE key = $1", {key});
        if (!Ok(s) || PQntuples(s.get()) == 0) return ClaimResult::kTaken;
        return Text(s, 0, 0) == FoldName(name) ? ClaimResult::kAlreadyYours
                                               : ClaimResult::kKeyHasAnother;
    }

    std::optional<std::string> NameOfKey(const std::string& key) override {
        Lease c(*this);
        if (!c) return std::nullopt;
        Result r = Run(*c, "SELECT name FROM players WHERE key = $1", {key});
        if (!Ok(r) || PQntuples(r.get()) == 0) return std::nullopt;
        return Text(r, 0, 0);
    }

    bool UseNonce(const std::string& key, const std::string& nonce, long long now,
                  long long forgetBefore) override {
        Lease c(*this);
        if (!c) return false;
        // The old ones are dropped now and then: a delete on every request would cost more.
        if (++nonceCount_ % 64 == 0) Run(*c, "DELETE FROM nonces WHERE seen < $1", {forgetBefore});
        Result r = Run(*c,
                       "INSERT INTO nonces (key, nonce, seen) VALUES ($1, $2, $3) ON CONFLICT"
                       " (key, nonce) DO UPDATE SET seen = EXCLUDED.seen WHERE nonces.seen < $4"
                       " RETURNING 1",
                       {key, nonce, now, forgetBefore});
        return Ok(r) && PQntuples(r.get()) == 1;
    }

    long long AddSubmission(const NewSubmission& n) override {
        Lease c(*this);
        if (!c) return -1;
        // The bell rings for the listening verifiers when the row is committed, and only then.
        Result r = Run(*c,
                       "WITH added AS (INSERT INTO submissions (ticket_id, key, mode, seed, ticket,"
                       " replay, max_ticks, received) VALUES ($1, $2, $3, $4, $5, $6, $7, $8) ON"
                       " CONFLICT (ticket_id) DO NOTHING RETURNING id) SELECT id, pg_notify("
                       "'rhombulus2_jobs', '') FROM added",
                       {n.ticketId, n.key, n.mode, static_cast<long long>(n.seed), n.ticket,
                        Param::Bytes(n.replay), n.maxTicks, n.received});
        if (!Ok(r)) return -1;
        return PQntuples(r.get()) == 1 ? Int(r, 0, 0) : 0;
    }

    std::optional<Job> TakeJob(const std::string& worker, long long now, long long lease) override {
        Lease c(*this);
        if (!c) return std::nullopt;
        Run(*c,
            "UPDATE submissions SET state = 'refused', reason = 'the server could not play it',"
            " finished = $1, claimed_by = NULL WHERE id IN (SELECT id FROM submissions WHERE"
            " state = 'queued' AND attempts >= $2 AND lease_until < $1 FOR UPDATE SKIP LOCKED)",
            {now, kMostAttempts});
        Result r = Run(*c,
                       "UPDATE submissions SET claimed_by = $1, lease_until = $2, attempts ="
                       " attempts + 1 WHERE id = (SELECT id FROM submissions WHERE state ="
                       " 'queued' AND attempts < $4 AND (claimed_by IS NULL OR lease_until < $3)"
                       " ORDER BY id LIMIT 1 FOR UPDATE SKIP LOCKED) RETURNING id, ticket,"
                       " replay, max_ticks",
                       {worker, now + lease, now, kMostAttempts});
        if (!Ok(r) || PQntuples(r.get()) != 1) return std::nullopt;
        return Job{Int(r, 0, 0), Text(r, 0, 1), Bytes(r, 0, 2), Int(r, 0, 3)};
    }

    bool FinishJob(long long id, const std::string& worker, bool verified, int score,
                   long long ticks, const std::string& reason, long long now) override {
        Lease c(*this);
        if (!c) return false;
        Result r = Run(*c,
                       "UPDATE submissions SET state = $1, score = $2, ticks = $3, reason = $4,"
                       " finished = $5, claimed_by = NULL WHERE id = $6 AND claimed_by = $7 AND"
                       " state = 'queued'",
                       {verified ? "verified" : "refused", score, ticks, reason, now, id, worker});
        return Ok(r) && Changed(r) == 1;
    }

    std::optional<SubmissionView> Submission(long long id) override {
        Lease c(*this);
        if (!c) return std::nullopt;
        Result r = Run(*c,
                       "SELECT s.id, p.name, s.mode, s.state, COALESCE(s.score, 0), s.reason,"
                       " COALESCE(s.finished, 0) FROM submissions s JOIN players p ON p.key ="
                       " s.key WHERE s.id = $1",
                       {id});
        if (!Ok(r) || PQntuples(r.get()) != 1) return std::nullopt;
        return SubmissionView{Int(r, 0, 0),
                              Text(r, 0, 1),
                              static_cast<int>(Int(r, 0, 2)),
                              Text(r, 0, 3),
                              static_cast<int>(Int(r, 0, 4)),
                              Text(r, 0, 5),
                              Int(r, 0, 6)};
    }

    std::string KeyOfSubmission(long long id) override {
        Lease c(*this);
        if (!c) return "";
        Result r = Run(*c, "SELECT key FROM submissions WHERE id = $1", {id});
        return Ok(r) && PQntuples(r.get()) == 1 ? Text(r, 0, 0) : std::string();
    }

    std::vector<BoardRow> Top(int mode, long long since, int count) override {
        std::vector<BoardRow> rows;
        Lease c(*this);
        if (!c) return rows;
        // Each player's best; of equal scores the one reached first ranks higher.
        Result r = Run(*c,
                       "SELECT p.name, b.score, b.id FROM (SELECT DISTINCT ON (key) key, score, id"
                       " FROM submissions WHERE mode = $1 AND state = 'verified' AND finished >= $2"
                       " ORDER BY key, score DESC, id) b JOIN players p ON p.key = b.key ORDER BY"
                       " b.score DESC, b.id LIMIT $3",
                       {mode, since, count});
        if (!Ok(r)) return rows;
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            const int score = static_cast<int>(Int(r, i, 1));
            const int place = !rows.empty() && rows.back().score == score
                                  ? rows.back().place
                                  : static_cast<int>(rows.size()) + 1;
            rows.push_back({place, Text(r, i, 0), score, Int(r, i, 2)});
        }
        return rows;
    }

    std::pair<int, int> PlaceOf(int mode, long long since, int score,
                                const std::string& key) override {
        Lease c(*this);
        if (!c) return {0, 0};
        Result r = Run(*c,
                       "SELECT COUNT(*) FILTER (WHERE best > $4), COUNT(*) FROM (SELECT"
                       " MAX(score) AS best FROM submissions WHERE mode = $1 AND state ="
                       " 'verified' AND finished >= $2 AND key <> $3 GROUP BY key) b",
                       {mode, since, key, score});
        if (!Ok(r) || PQntuples(r.get()) != 1) return {0, 0};
        return {static_cast<int>(Int(r, 0, 0)) + 1, static_cast<int>(Int(r, 0, 1)) + 1};
    }

    std::optional<BoardRow> BestOf(int mode, long long since, const std::string& name) override {
        BoardRow row;
        std::string key;
        {
            Lease c(*this);
            if (!c) return std::nullopt;
            Result r = Run(*c,
                           "SELECT p.key, p.name, s.score, s.id FROM players p JOIN submissions s"
                           " ON s.key = p.key WHERE p.folded = $1 AND s.mode = $2 AND s.state ="
                           " 'verified' AND s.finished >= $3 ORDER BY s.score DESC, s.id LIMIT 1",
                           {FoldName(name), mode, since});
            if (!Ok(r) || PQntuples(r.get()) != 1) return std::nullopt;
            key = Text(r, 0, 0);
            row = BoardRow{0, Text(r, 0, 1), static_cast<int>(Int(r, 0, 2)), Int(r, 0, 3)};
        }
        row.place = PlaceOf(mode, since, row.score, key).first;
        return row;
    }

    bool FirstDailyTicket(const std::string& key, long long day,
                          const std::string& ticketId) override {
        Lease c(*this);
        if (!c) return false;
        Run(*c,
            "INSERT INTO daily_tickets (key, day, ticket_id) VALUES ($1, $2, $3) ON CONFLICT DO"
            " NOTHING",
            {key, day, ticketId});
        Result r =
            Run(*c, "SELECT ticket_id FROM daily_tickets WHERE key = $1 AND day = $2", {key, day});
        return Ok(r) && PQntuples(r.get()) == 1 && Text(r, 0, 0) == ticketId;
    }

    std::optional<std::string> PlayerName(const std::string& name) override {
        Lease c(*this);
        if (!c) return std::nullopt;
        Result r = Run(*c, "SELECT name FROM players WHERE folded = $1", {FoldName(name)});
        if (!Ok(r) || PQntuples(r.get()) != 1) return std::nullopt;
        return Text(r, 0, 0);
    }

    std::vector<PlayerGame> GamesOf(const std::string& name, bool best, int count) override {
        std::vector<PlayerGame> games;
        Lease c(*this);
        if (!c) return games;
        Result r =
            best ? Run(*c,
                       "SELECT s.id, s.mode, s.score, s.ticks, s.finished FROM submissions s JOIN"
                       " players p ON p.key = s.key WHERE p.folded = $1 AND s.state = 'verified'"
                       " AND s.mode < $2 ORDER BY s.score DESC, s.id LIMIT $3",
                       {FoldName(name), kDailyPracticeBase, count})
                 : Run(*c,
                       "SELECT s.id, s.mode, s.score, s.ticks, s.finished FROM submissions s JOIN"
                       " players p ON p.key = s.key WHERE p.folded = $1 AND s.state = 'verified'"
                       " ORDER BY s.finished DESC, s.id DESC LIMIT $2",
                       {FoldName(name), count});
        if (!Ok(r)) return games;
        for (int i = 0; i < PQntuples(r.get()); ++i)
            games.push_back({Int(r, i, 0), static_cast<int>(Int(r, i, 1)),
                             static_cast<int>(Int(r, i, 2)), Int(r, i, 3), Int(r, i, 4)});
        return games;
    }

    std::optional<std::string> ReplayOf(long long id) override {
        Lease c(*this);
        if (!c) return std::nullopt;
        Result r =
            Run(*c, "SELECT replay FROM submissions WHERE id = $1 AND state = 'verified'", {id});
        if (!Ok(r) || PQntuples(r.get()) != 1) return std::nullopt;
        return Bytes(r, 0, 0);
    }

    std::unique_ptr<JobBell> ListenForJobs() override {
        PGconn* pg = PQconnectdb(url_.c_str());
        if (PQstatus(pg) != CONNECTION_OK) {
            PQfinish(pg);
            return nullptr;
        }
        Result r(PQexec(pg, kJobChannel), &PQclear);
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) {
            PQfinish(pg);
            return nullptr;
        }
        return std::make_unique<PostgresBell>(pg);
    }

    std::string SharedServerKey(const std::string& candidate) override {
        Lease c(*this);
        if (!c) return "";
        Run(*c, "INSERT INTO server_key (one, secret) VALUES (1, $1) ON CONFLICT DO NOTHING",
            {candidate});
        Result r = Run(*c, "SELECT secret FROM server_key WHERE one = 1", {});
        return Ok(r) && PQntuples(r.get()) == 1 ? Text(r, 0, 0) : std::string();
    }

  private:
    // A connection of the pool for the time of one call.
    class Lease {
      public:
        explicit Lease(PostgresStorage& s) : s_(s), c_(s.Acquire()) {}
        ~Lease() {
            if (c_ != nullptr) s_.Release(c_);
        }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        explicit operator bool() const { return c_ != nullptr; }
        Connection& operator*() { return *c_; }

      private:
        PostgresStorage& s_;
        Connection* c_;
    };

    Connection* Connect(std::string& why) {
        PGconn* pg = PQconnectdb(url_.c_str());
        if (PQstatus(pg) != CONNECTION_OK) {
            why = std::string("cannot reach the database: ") + PQerrorMessage(pg);
            while (!why.empty() && why.back() == '\n') why.pop_back();
            PQfinish(pg);
            return nullptr;
        }
        // Notices (an index that exists already) are no business of the server's output.
        PQsetNoticeProcessor(
            pg, [](void*, const char*) {}, nullptr);
        auto* c = new Connection;
        c->pg = pg;
        return c;
    }

    Connection* Acquire() {
        std::unique_lock lock(mutex_);
        freed_.wait(lock, [&] { return !idle_.empty() || open_ < most_; });
        if (!idle_.empty()) {
            Connection* c = idle_.back();
            idle_.pop_back();
            return c;
        }
        ++open_;
        lock.unlock();
        std::string why;
        Connection* c = Connect(why);
        if (c == nullptr) {
            std::lock_guard again(mutex_);
            --open_;
            freed_.notify_one();
        }
        return c;
    }

    void Release(Connection* c) {
        std::lock_guard lock(mutex_);
        if (PQstatus(c->pg) != CONNECTION_OK) {
            // A connection the database dropped is closed; the next call opens another.
            PQfinish(c->pg);
            delete c;
            --open_;
        } else {
            idle_.push_back(c);
        }
        freed_.notify_one();
    }

    // The statement `sql` (a literal), prepared on this connection the first time.
    static Result Run(Connection& c, const char* sql, std::initializer_list<Param> params) {
        char name[32];
        std::snprintf(name, sizeof name, "s%zx",
                      static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(sql)));
        const int n = static_cast<int>(params.size());
        if (!c.prepared.count(sql)) {
            Result p(PQprepare(c.pg, name, sql, n, nullptr), &PQclear);
            if (PQresultStatus(p.get()) != PGRES_COMMAND_OK) return p;
            c.prepared.insert(sql);
        }
        std::vector<const char*> values;
        std::vector<int> lengths, formats;
        for (const Param& p : params) {
            values.push_back(p.value.c_str());
            lengths.push_back(static_cast<int>(p.value.size()));
            formats.push_back(p.binary ? 1 : 0);
        }
        return Result(
            PQexecPrepared(c.pg, name, n, values.data(), lengths.data(), formats.data(), 0),
            &PQclear);
    }

    static bool Ok(const Result& r) {
        const ExecStatusType s = PQresultStatus(r.get());
        return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK;
    }
    static long long Changed(const Result& r) { return std::atoll(PQcmdTuples(r.get())); }
    static std::string Text(const Result& r, int row, int col) {
        return std::string(PQgetvalue(r.get(), row, col),
                           static_cast<std::size_t>(PQgetlength(r.get(), row, col)));
    }
    static long long Int(const Result& r, int row, int col) {
        return PQgetisnull(r.get(), row, col) ? 0 : std::atoll(PQgetvalue(r.get(), row, col));
    }
    static std::string Bytes(const Result& r, int row, int col) {
        std::size_t size = 0;
        unsigned char* raw = PQunescapeBytea(
            reinterpret_cast<const unsigned char*>(PQgetvalue(r.get(), row, col)), &size);
        if (raw == nullptr) return "";
        std::string bytes(reinterpret_cast<const char*>(raw), size);
        PQfreemem(raw);
        return bytes;
    }

    bool Exec(Connection& c, const char* sql, std::string& why) {
        Result r(PQexec(c.pg, sql), &PQclear);
        if (Ok(r)) return true;
        why = PQresultErrorMessage(r.get());
        while (!why.empty() && why.back() == '\n') why.pop_back();
        return false;
    }

    bool Migrate(Connection& c, std::string& why) {
        if (!Exec(c, "BEGIN", why)) return false;
        long long have = 0;
        bool ok =
            Exec(c, kMigrationLock, why) &&
            Exec(c, "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)", why);
        if (ok) {
            Result r(PQexec(c.pg, "SELECT COALESCE(MAX(version), 0) FROM schema_version"),
                     &PQclear);
            ok = Ok(r) && PQntuples(r.get()) == 1;
            if (ok) have = Int(r, 0, 0);
        }
        const long long count = sizeof kMigrations / sizeof kMigrations[0];
        for (long long n = have + 1; ok && n <= count; ++n) {
            ok = Exec(c, kMigrations[n - 1], why);
            if (!ok) {
                why = "migration " + std::to_string(n) + ": " + why;
                break;
            }
            const std::string record =
                "INSERT INTO schema_version (version) VALUES (" + std::to_string(n) + ")";
            ok = Exec(c, record.c_str(), why);
        }
        if (!ok) {
            std::string ignored;
            Exec(c, "ROLLBACK", ignored);
            return false;
        }
        return Exec(c, "COMMIT", why);
    }

    std::string url_;
    int most_;
    std::mutex mutex_;
    std::condition_variable freed_;
    std::vector<Connection*> idle_;
    int open_ = 0;
    std::atomic<unsigned> nonceCount_{0};
};

}  // namespace

bool IsPostgresUrl(const std::string& db) {
    return db.rfind("postgresql://", 0) == 0 || db.rfind("postgres://", 0) == 0;
}

std::unique_ptr<Storage> OpenPostgresStorage(const std::string& url, int connections,
                                             std::string& why) {
    auto storage = std::make_unique<PostgresStorage>(url, std::max(1, connections));
    if (!storage->Start(why)) return nullptr;
    return storage;
}
