// What the server keeps: players (name and key), the nonces of the last minutes, submissions
// (each a job for the verifiers until its verdict) and the boards read from them. One interface,
// so that another database can stand behind it; the times are given by the caller (Unix seconds).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class ClaimResult { kBound, kAlreadyYours, kTaken, kKeyHasAnother };

// The boards a submission may go to: a game mode (1-3), or a day's daily challenge (ranked, or
// practice that is on no board), by the number of the day since 1970-01-01 (UTC).
inline constexpr int kDailyBoardBase = 1000000;
inline constexpr int kDailyPracticeBase = 2000000;
inline int DailyBoard(long long day) {
    return kDailyBoardBase + static_cast<int>(day);
}
inline int DailyPracticeBoard(long long day) {
    return kDailyPracticeBase + static_cast<int>(day);
}

struct NewSubmission {
    std::string ticketId;
    std::string key;
    int mode = 0;  // the board (see above)
    std::uint64_t seed = 0;
    std::string ticket;  // the ticket as sent, JSON
    std::string replay;
    long long maxTicks = 0;
    long long received = 0;
};

struct Job {
    long long id = 0;
    std::string ticket;
    std::string replay;
    long long maxTicks = 0;
};

struct SubmissionView {
    long long id = 0;
    std::string name;
    int mode = 0;
    std::string state;  // "queued", "verified", "refused"
    int score = 0;
    std::string reason;
    long long finished = 0;
};

// A player's game for their page.
struct PlayerGame {
    long long id = 0;
    int mode = 0;  // the board
    int score = 0;
    long long ticks = 0;
    long long finished = 0;
};

struct BoardRow {
    int place = 0;
    std::string name;
    int score = 0;
    long long id = 0;  // the submission that reached the score
};

// Rings when a process on the same database has stored a submission (PostgreSQL's
// LISTEN/NOTIFY), so verifiers elsewhere need not poll for new jobs.
class JobBell {
  public:
    virtual ~JobBell() = default;
    // Waits at most `ms`: true when a submission came meanwhile. False at once once broken.
    virtual bool Wait(int ms) = 0;
    // The connection it listens on is lost: open another.
    virtual bool Broken() = 0;
};

class Storage {
  public:
    virtual ~Storage() = default;
    virtual ClaimResult ClaimName(const std::string& name, const std::string& key,
                                  long long now) = 0;
    virtual std::optional<std::string> NameOfKey(const std::string& key) = 0;
    // True the first time `nonce` comes with `key`; nonces older than `forgetBefore` are dropped.
    virtual bool UseNonce(const std::string& key, const std::string& nonce, long long now,
                          long long forgetBefore) = 0;
    // The new submission's number, kept on disk before this returns; 0 when its ticket was used,
    // -1 when the database could not take it (the player may send it again).
    virtual long long AddSubmission(const NewSubmission& s) = 0;
    // The oldest queued job nobody holds (or whose holder's lease ran out), now held by `worker`
    // until `now + lease`.
    virtual std::optional<Job> TakeJob(const std::string& worker, long long now,
                                       long long lease) = 0;
    // The verdict of a job `worker` holds; false (nothing written) when it no longer holds it.
    virtual bool FinishJob(long long id, const std::string& worker, bool verified, int score,
                           long long ticks, const std::string& reason, long long now) = 0;
    virtual std::optional<SubmissionView> Submission(long long id) = 0;
    // Each player's best verified score of the mode since `since`, best first.
    virtual std::vector<BoardRow> Top(int mode, long long since, int count) = 0;
    // The place a score would take among the other players' bests, and how many players.
    virtual std::pair<int, int> PlaceOf(int mode, long long since, int score,
                                        const std::string& key) = 0;
    virtual std::optional<BoardRow> BestOf(int mode, long long since, const std::string& name) = 0;
    virtual std::string KeyOfSubmission(long long id) = 0;
    // True when `ticketId` is the first daily ticket of `key` for `day` (it then is, for good).
    virtual bool FirstDailyTicket(const std::string& key, long long day,
                                  const std::string& ticketId) = 0;
    // The name as claimed of the player `name` (without regard to case), and their verified
    // games: the best `count` by score (on the boards of modes and ranked days), or the latest.
    virtual std::optional<std::string> PlayerName(const std::string& name) = 0;
    virtual std::vector<PlayerGame> GamesOf(const std::string& name, bool best, int count) = 0;
    // The replay of a verified submission, as submitted.
    virtual std::optional<std::string> ReplayOf(long long id) = 0;
    // The server's secret key as the database keeps it for every process on it: `candidate`
    // written when there is none yet. Empty when this storage keeps none (the key is a file).
    virtual std::string SharedServerKey(const std::string& candidate) {
        (void)candidate;
        return "";
    }
    // A bell for new submissions; none where one process keeps the storage (the submission's
    // own process wakes its verifiers) or when it cannot listen now.
    virtual std::unique_ptr<JobBell> ListenForJobs() { return nullptr; }
};

// SQLite in `dir`/rhombulus2.sqlite (WAL), its migrations applied. Empty, with the reason, when it
// cannot be opened.
std::unique_ptr<Storage> OpenSqliteStorage(const std::string& dir, std::string& why);
// PostgreSQL at `url` (postgresql://...), its migrations applied; at most `connections` at once.
std::unique_ptr<Storage> OpenPostgresStorage(const std::string& url, int connections,
                                             std::string& why);
bool IsPostgresUrl(const std::string& db);
