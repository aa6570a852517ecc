// What the server keeps: players (name and key), the nonces of the last minutes, submissions
// (each a job for the verifiers until its verdict) and the boards read from them. One interface,
// so that another database can stand behind it; the times are given by the caller (Unix seconds).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class ClaimResult { kBound, kAlreadyYours, kTaken, kKeyHasAnother };

struct NewSubmission {
    std::string ticketId;
    std::string key;
    int mode = 0;
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

struct BoardRow {
    int place = 0;
    std::string name;
    int score = 0;
    long long id = 0;  // the submission that reached the score
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
    // The new submission's number, kept on disk before this returns; 0 when its ticket was used.
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
};

// SQLite in `dir`/rhombulus2.sqlite (WAL), its migrations applied. Empty, with the reason, when it
// cannot be opened.
std::unique_ptr<Storage> OpenSqliteStorage(const std::string& dir, std::string& why);
