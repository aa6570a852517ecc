// Keys, signed requests and tickets. Players have no passwords: a name belongs to the Ed25519 key
// that claimed it, and every writing request is signed with that key over what it asks (method,
// path, body), a nonce and the time. Tickets are signed with the server's own key. Everything
// here is pure (the time is given), so the fuzz target and the tests drive it directly.
#pragma once

#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "online/signing.h"

// A request signed longer ago or further ahead than this is refused; its nonce is kept as long.
inline constexpr long long kRequestWindowSeconds = 300;

// The server's key in `path`: read, or made and written with mode 0600 when there is none.
// Empty, with the reason, when it cannot be read or written.
std::optional<KeyPair> LoadOrMakeServerKey(const std::string& path, std::string& why);

struct CheckedRequest {
    bool ok = false;
    std::string why;  // why refused
    std::string key;  // the signer's key, lowercase hex
    std::string nonce;
    long long time = 0;
};
// Checks the headers' form, the time against `now` and the signature; the nonce's first use is
// the caller's (the storage's) to check.
CheckedRequest CheckSignedRequest(const SignedRequest& request, long long now);

// Names: 2-16 characters of letters, digits, space, '-', '_' and '.', not starting or ending
// with a space; unique without regard to case (`FoldName`).
bool ValidName(const std::string& name);
std::string FoldName(const std::string& name);

// The game's modes an online game may be: 0 for any other word.
int OnlineModeOf(const std::string& word);
const char* OnlineModeWord(int mode);

struct Ticket {
    std::string id;  // 32 hex digits
    int mode = 0;
    std::uint64_t seed = 0;
    std::string version;
    std::uint64_t levels = 0;
    long long issued = 0;  // Unix seconds
    std::string key;       // the player's, hex
    std::string signature;
    // A daily challenge's (its mode Endless): the day, YYYY-MM-DD (UTC), and whether it is
    // practice (not the player's first daily ticket of the day). Empty for the other modes.
    std::string day;
    bool practice = false;
};
// The days since 1970-01-01 of a YYYY-MM-DD date; -1 when it is none.
long long DayNumber(const std::string& date);
std::string DayText(long long day);
std::string TicketText(const Ticket& t);
nlohmann::json TicketJson(const Ticket& t);
// A ticket as sent back: its form checked, then the server's signature. False, with the reason.
bool ReadTicket(const nlohmann::json& j, const PublicKey& server, Ticket& t, std::string& why);
