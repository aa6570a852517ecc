// The game's side of the online server: the player's key in the config folder, signed requests
// over cpp-httplib's client with bounded timeouts, and the games that could not be sent, kept in
// the config folder until the server is back. Everything here blocks: the runner calls it
// directly, the window only from its worker thread (online/online_session.h).
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "online/answers.h"
#include "online/signing.h"

// http://HOST[:PORT] with a host of letters, digits, '.', '-' or a bracketed IPv6 address, and
// nothing after the port but an optional "/".
bool ValidServerUrl(const std::string& url);

// The player's key in `configDir`/online.key: read, or made on first use and written with mode
// 0600 (the folder made when missing). Empty, with the reason, when it cannot be read or written.
std::optional<KeyPair> LoadOrMakePlayerKey(const std::string& configDir, std::string& why);

struct HttpReply {
    bool reached = false;  // false: no answer at all (refused, timed out, broken off)
    int status = 0;
    std::string body;
    bool cut = false;  // reached, but its body was longer or slower than allowed: left empty
};

class OnlineClient {
  public:
    // Every connect, read and write waits at most `timeoutSeconds`.
    OnlineClient(std::string url, KeyPair keys, int timeoutSeconds = 5);
    // An answer's body is read up to kMaxAnswerBytes.
    HttpReply Get(const std::string& path) const;
    // Reads at most `most` bytes of body and gives up once `seconds` have passed in all, so a
    // server that sends without end or a byte at a time cannot hold the caller.
    HttpReply Get(const std::string& path, std::size_t most, int seconds) const;
    // Signed with the player's key, a fresh nonce and the time now.
    HttpReply Post(const std::string& path, const std::string& body) const;
    const std::string& Url() const { return url_; }

  private:
    std::string url_;
    KeyPair keys_;
    int timeout_;
};

// Outcomes of the steps of an online game, each with what to say.
struct ClaimOutcome {
    enum class Kind { kClaimed, kTaken, kOtherName, kRefused, kUnreachable } kind;
    std::string name;  // the name as the server keeps it
    std::string why;   // the server's reason, when refused
};
ClaimOutcome ClaimName(const OnlineClient& client, const std::string& name);

struct TicketOutcome {
    enum class Kind { kGot, kUnknownMode, kRefused, kUnreachable } kind;
    TicketAnswer ticket;
    std::string why;
};
TicketOutcome AskTicket(const OnlineClient& client, const std::string& mode);

struct SendOutcome {
    enum class Kind { kVerified, kRefused, kUnreachable, kNoVerdictYet } kind;
    VerdictAnswer verdict;  // place, of, score; the reason when refused
    long long id = 0;       // the submission's
};
// Sends a game with its ticket, then asks for its verdict every `pollMs` until the server has
// played it, at most `polls` times, and no more once `cancel` is set (the window closing).
SendOutcome SendGame(const OnlineClient& client, const std::string& ticketJson,
                     const std::string& replay, int polls = 600, int pollMs = 200,
                     const std::atomic<bool>* cancel = nullptr);
// One line in English for the runner: "verified place N of M", "refused: REASON", ...
std::string OutcomeLine(const SendOutcome& outcome);

// The games kept to send later, in `configDir`/online-unsent/, one file a ticket.
struct UnsentGame {
    std::string ticketId;
    std::string ticketJson;
    std::string replay;
};
std::string UnsentDir(const std::string& configDir);
bool KeepUnsent(const std::string& configDir, const UnsentGame& game);
std::vector<UnsentGame> ReadUnsent(const std::string& configDir);
void ForgetUnsent(const std::string& configDir, const std::string& ticketId);
// Sends every kept game (oldest first) until the server cannot be reached; a game the server has
// answered (verified, refused, or its ticket used) is forgotten. `told` hears each outcome.
void SendUnsent(const OnlineClient& client, const std::string& configDir,
                const std::function<void(const SendOutcome&)>& told,
                const std::atomic<bool>* cancel = nullptr, int polls = 600);
