#include <sqlite3.h>

#include <mutex>

#include "server/auth.h"
#include "server/storage.h"

namespace {

// Numbered migrations, applied in order at start; a database records the last one it has.
const char* const kMigrations[] = {
    // 1: players, nonces, submissions
    "CREATE TABLE players (key TEXT PRIMARY KEY, name TEXT NOT NULL,"
    " folded TEXT NOT NULL UNIQUE, created INTEGER NOT NULL);"
    "CREATE TABLE nonces (key TEXT NOT NULL, nonce TEXT NOT NULL, seen INTEGER NOT NULL,"
    " PRIMARY KEY (key, nonce));"
    "CREATE INDEX nonces_seen ON nonces (seen);"
    "CREATE TABLE submissions (id INTEGER PRIMARY KEY, ticket_id TEXT NOT NULL UNIQUE,"
    " key TEXT NOT NULL, mode INTEGER NOT NULL, seed INTEGER NOT NULL, ticket TEXT NOT NULL,"
    " replay BLOB NOT NULL, max_ticks INTEGER NOT NULL, received INTEGER NOT NULL,"
    " state TEXT NOT NULL DEFAULT 'queued', claimed_by TEXT, lease_until INTEGER,"
    " attempts INTEGER NOT NULL DEFAULT 0, score INTEGER, ticks INTEGER, reason TEXT,"
    " finished INTEGER);"
    "CREATE INDEX submissions_queue ON submissions (state, id);"
    "CREATE INDEX submissions_board ON submissions (mode, state, score);",
    // 2: the daily challenge's first tickets; a player's games
    "CREATE TABLE daily_tickets (key TEXT NOT NULL, day INTEGER NOT NULL,"
    " ticket_id TEXT NOT NULL, PRIMARY KEY (key, day));"
    "CREATE INDEX submissions_player ON submissions (key, state, finished);",
};

// A job tried this often without a verdict (its verifier died each time) is refused.
constexpr int kMostAttempts = 3;

class Statement {
  public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& Bind(int i, long long v) {
        sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    Statement& Bind(int i, const std::string& v) {
        sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindBlob(int i, const std::string& v) {
        sqlite3_bind_blob(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step() { return stmt_ == nullptr ? SQLITE_ERROR : sqlite3_step(stmt_); }
    long long Int(int col) { return sqlite3_column_int64(stmt_, col); }
    std::string Text(int col) {
        const void* p = sqlite3_column_blob(stmt_, col);
        return p == nullptr
                   ? std::string()
                   : std::string(static_cast<const char*>(p),
                                 static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col)));
    }
    bool Null(int col) { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }

  private:
    sqlite3_stmt* stmt_ = nullptr;
};

class SqliteStorage final : public Storage {
  public:
    explicit SqliteStorage(sqlite3* db) : db_(db) {}
    ~SqliteStorage() override { sqlite3_close(db_); }

    bool Migrate(std::string& why) {
        Exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
        long long have = 0;
        {
            Statement s(db_, "SELECT MAX(version) FROM schema_version");
            if (s.Step() == SQLITE_ROW && !s.Null(0)) have = s.Int(0);
        }
        const long long count = sizeof kMigrations / sizeof kMigrations[0];
        for (long long n = have + 1; n <= count; ++n) {
            Exec("BEGIN IMMEDIATE");
            char* error = nullptr;
            if (sqlite3_exec(db_, kMigrations[n - 1], nullptr, nullptr, &error) != SQLITE_OK) {
                why = "migration " + std::to_string(n) + ": " + (error ? error : "");
                sqlite3_free(error);
                Exec("ROLLBACK");
                return false;
            }
            Statement(db_, "INSERT INTO schema_version (version) VALUES (?)").Bind(1, n).Step();
            if (!Exec("COMMIT")) {
                why = "migration " + std::to_string(n) + " not written";
                return false;
            }
        }
        return true;
    }

    ClaimResult ClaimName(const std::string& name, const std::string& key, long long now) override {
        std::lock_guard lock(mutex_);
        {
            Statement s(db_, "SELECT folded FROM players WHERE key = ?");
            s.Bind(1, key);
            if (s.Step() == SQLITE_ROW)
                return s.Text(0) == FoldName(name) ? ClaimResult::kAlreadyYours
                                                   : ClaimResult::kKeyHasAnother;
        }
        Statement s(db_, "INSERT INTO players (key, name, folded, created) VALUES (?, ?, ?, ?)");
        s.Bind(1, key).Bind(2, name).Bind(3, FoldName(name)).Bind(4, now);
        return s.Step() == SQLITE_DONE ? ClaimResult::kBound : ClaimResult::kTaken;
    }

    std::optional<std::string> NameOfKey(const std::string& key) override {
        std::lock_guard lock(mutex_);
        Statement s(db_, "SELECT name FROM players WHERE key = ?");
        s.Bind(1, key);
        if (s.Step() != SQLITE_ROW) return std::nullopt;
        return s.Text(0);
    }

    bool UseNonce(const std::string& key, const std::string& nonce, long long now,
                  long long forgetBefore) override {
        std::lock_guard lock(mutex_);
        Statement(db_, "DELETE FROM nonces WHERE seen < ?").Bind(1, forgetBefore).Step();
        Statement s(db_, "INSERT INTO nonces (key, nonce, seen) VALUES (?, ?, ?)");
        s.Bind(1, key).Bind(2, nonce).Bind(3, now);
        return s.Step() == SQLITE_DONE;
    }

    long long AddSubmission(const NewSubmission& n) override {
        std::lock_guard lock(mutex_);
        Statement s(db_,
                    "INSERT INTO submissions (ticket_id, key, mode, seed, ticket, replay,"
                    " max_ticks, received) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        s.Bind(1, n.ticketId).Bind(2, n.key).Bind(3, n.mode);
        s.Bind(4, static_cast<long long>(n.seed)).Bind(5, n.ticket).BindBlob(6, n.replay);
        s.Bind(7, n.maxTicks).Bind(8, n.received);
        const int step = s.Step();
        if (step == SQLITE_CONSTRAINT) return 0;
        if (step != SQLITE_DONE) return -1;
        return sqlite3_last_insert_rowid(db_);
    }

    std::optional<Job> TakeJob(const std::string& worker, long long now, long long lease) override {
        std::lock_guard lock(mutex_);
        if (!Exec("BEGIN IMMEDIATE")) return std::nullopt;
        // A job whose verifier died this often is no game the server can play.
        Statement(db_,
                  "UPDATE submissions SET state = 'refused', reason = 'the server could not"
                  " play it', finished = ?, claimed_by = NULL WHERE state = 'queued' AND"
                  " attempts >= ? AND lease_until < ?")
            .Bind(1, now)
            .Bind(2, kMostAttempts)
            .Bind(3, now)
            .Step();
        std::optional<Job> job;
        {
            Statement s(db_,
                        "SELECT id, ticket, replay, max_ticks FROM submissions WHERE state ="
                        " 'queued' AND (claimed_by IS NULL OR lease_until < ?) ORDER BY id"
                        " LIMIT 1");
            s.Bind(1, now);
            if (s.Step() == SQLITE_ROW) job = Job{s.Int(0), s.Text(1), s.Text(2), s.Int(3)};
        }
        if (job) {
            Statement s(db_,
                        "UPDATE submissions SET claimed_by = ?, lease_until = ?, attempts ="
                        " attempts + 1 WHERE id = ?");
            s.Bind(1, worker).Bind(2, now + lease).Bind(3, job->id).Step();
        }
        if (!Exec("COMMIT")) {
            Exec("ROLLBACK");
            return std::nullopt;
        }
        return job;
    }

    bool FinishJob(long long id, const std::string& worker, bool verified, int score,
                   long long ticks, const std::string& reason, long long now) override {
        std::lock_guard lock(mutex_);
        Statement s(db_,
                    "UPDATE submissions SET state = ?, score = ?, ticks = ?, reason = ?,"
                    " finished = ?, claimed_by = NULL WHERE id = ? AND claimed_by = ? AND"
                    " state = 'queued'");
        s.Bind(1, std::string(verified ? "verified" : "refused")).Bind(2, score).Bind(3, ticks);
        s.Bind(4, reason).Bind(5, now).Bind(6, id).Bind(7, worker);
        return s.Step() == SQLITE_DONE && sqlite3_changes(db_) == 1;
    }

    std::optional<SubmissionView> Submission(long long id) override {
        std::lock_guard lock(mutex_);
        Statement s(db_,
                    "SELECT s.id, p.name, s.mode, s.state, s.score, s.reason, s.finished FROM"
                    " submissions s JOIN players p ON p.key = s.key WHERE s.id = ?");
        s.Bind(1, id);
        if (s.Step() != SQLITE_ROW) return std::nullopt;
        return SubmissionView{
            s.Int(0),  s.Text(1), static_cast<int>(s.Int(2)), s.Text(3), static_cast<int>(s.Int(4)),
            s.Text(5), s.Int(6)};
    }

    std::string KeyOfSubmission(long long id) override {
        std::lock_guard lock(mutex_);
        Statement s(db_, "SELECT key FROM submissions WHERE id = ?");
        s.Bind(1, id);
        return s.Step() == SQLITE_ROW ? s.Text(0) : std::string();
    }

    std::vector<BoardRow> Top(int mode, long long since, int count) override {
        std::lock_guard lock(mutex_);
        // Each player's best; of equal scores the one reached first ranks higher.
        Statement s(db_,
                    "SELECT p.name, b.score, (SELECT MIN(id) FROM submissions WHERE key = b.key"
                    " AND mode = ? AND state = 'verified' AND score = b.score AND finished >= ?)"
                    " FROM (SELECT key, MAX(score) AS score FROM submissions WHERE mode = ? AND"
                    " state = 'verified' AND finished >= ? GROUP BY key) b JOIN players p ON"
                    " p.key = b.key ORDER BY b.score DESC, 3 LIMIT ?");
        s.Bind(1, mode).Bind(2, since).Bind(3, mode).Bind(4, since).Bind(5, count);
        std::vector<BoardRow> rows;
        while (s.Step() == SQLITE_ROW) {
            const int score = static_cast<int>(s.Int(1));
            // Players with equal scores share a place.
            const int place = !rows.empty() && rows.back().score == score
                                  ? rows.back().place
                                  : static_cast<int>(rows.size()) + 1;
            rows.push_back({place, s.Text(0), score, s.Int(2)});
        }
        return rows;
    }

    std::pair<int, int> PlaceOf(int mode, long long since, int score,
                                const std::string& key) override {
        std::lock_guard lock(mutex_);
        Statement better(db_,
                         "SELECT COUNT(*) FROM (SELECT key FROM submissions WHERE mode = ? AND"
                         " state = 'verified' AND finished >= ? AND key <> ? GROUP BY key HAVING"
                         " MAX(score) > ?)");
        better.Bind(1, mode).Bind(2, since).Bind(3, key).Bind(4, score);
        Statement others(db_,
                         "SELECT COUNT(DISTINCT key) FROM submissions WHERE mode = ? AND state ="
                         " 'verified' AND finished >= ? AND key <> ?");
        others.Bind(1, mode).Bind(2, since).Bind(3, key);
        if (better.Step() != SQLITE_ROW || others.Step() != SQLITE_ROW) return {0, 0};
        return {static_cast<int>(better.Int(0)) + 1, static_cast<int>(others.Int(0)) + 1};
    }

    bool FirstDailyTicket(const std::string& key, long long day,
                          const std::string& ticketId) override {
        std::lock_guard lock(mutex_);
        Statement(db_, "INSERT OR IGNORE INTO daily_tickets (key, day, ticket_id) VALUES (?, ?, ?)")
            .Bind(1, key)
            .Bind(2, day)
            .Bind(3, ticketId)
            .Step();
        Statement s(db_, "SELECT ticket_id FROM daily_tickets WHERE key = ? AND day = ?");
        s.Bind(1, key).Bind(2, day);
        return s.Step() == SQLITE_ROW && s.Text(0) == ticketId;
    }

    std::optional<std::string> PlayerName(const std::string& name) override {
        std::lock_guard lock(mutex_);
        Statement s(db_, "SELECT name FROM players WHERE folded = ?");
        s.Bind(1, FoldName(name));
        if (s.Step() != SQLITE_ROW) return std::nullopt;
        return s.Text(0);
    }

    std::vector<PlayerGame> GamesOf(const std::string& name, bool best, int count) override {
        std::lock_guard lock(mutex_);
        Statement s(db_,
                    best ? "SELECT s.id, s.mode, s.score, s.ticks, s.finished FROM submissions s"
                           " JOIN players p ON p.key = s.key WHERE p.folded = ? AND s.state ="
                           " 'verified' AND s.mode < ? ORDER BY s.score DESC, s.id LIMIT ?"
                         : "SELECT s.id, s.mode, s.score, s.ticks, s.finished FROM submissions s"
                           " JOIN players p ON p.key = s.key WHERE p.folded = ? AND s.state ="
                           " 'verified' AND s.mode < ? ORDER BY s.finished DESC, s.id DESC"
                           " LIMIT ?");
        s.Bind(1, FoldName(name)).Bind(2, best ? kDailyPracticeBase : 1LL << 40).Bind(3, count);
        std::vector<PlayerGame> games;
        while (s.Step() == SQLITE_ROW)
            games.push_back({s.Int(0), static_cast<int>(s.Int(1)), static_cast<int>(s.Int(2)),
                             s.Int(3), s.Int(4)});
        return games;
    }

    std::optional<std::string> ReplayOf(long long id) override {
        std::lock_guard lock(mutex_);
        Statement s(db_, "SELECT replay FROM submissions WHERE id = ? AND state = 'verified'");
        s.Bind(1, id);
        if (s.Step() != SQLITE_ROW) return std::nullopt;
        return s.Text(0);
    }

    std::optional<BoardRow> BestOf(int mode, long long since, const std::string& name) override {
        BoardRow row;
        std::string key;
        {
            std::lock_guard lock(mutex_);
            Statement s(db_,
                        "SELECT p.key, p.name, s.score, s.id FROM players p JOIN submissions s ON"
                        " s.key = p.key WHERE p.folded = ? AND s.mode = ? AND s.state ="
                        " 'verified' AND s.finished >= ? ORDER BY s.score DESC, s.id LIMIT 1");
            s.Bind(1, FoldName(name)).Bind(2, mode).Bind(3, since);
            if (s.Step() != SQLITE_ROW) return std::nullopt;
            key = s.Text(0);
            row = BoardRow{0, s.Text(1), static_cast<int>(s.Int(2)), s.Int(3)};
        }
        row.place = PlaceOf(mode, since, row.score, key).first;
        return row;
    }

  private:
    bool Exec(const char* sql) {
        return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    std::mutex mutex_;
    sqlite3* db_;
};

}  // namespace

std::unique_ptr<Storage> OpenSqliteStorage(const std::string& dir, std::string& why) {
    sqlite3* db = nullptr;
    const std::string path = dir + "/rhombulus2.sqlite";
    if (sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        why = "cannot open " + path + ": " + (db ? sqlite3_errmsg(db) : "no memory");
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 5000);
    // WAL with full syncs: a submission acknowledged is on disk, whatever kills the server.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;",
                 nullptr, nullptr, nullptr);
    auto storage = std::make_unique<SqliteStorage>(db);
    if (!storage->Migrate(why)) return nullptr;
    return storage;
}
