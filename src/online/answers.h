// What the game reads of the online server's answers: each reader takes the answer's text as it
// came over the network and gives back only checked, bounded values (fuzzed by
// fuzz_online_answers), so that no answer can make the game misbehave.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The largest answer read; a longer one is no answer of our server.
inline constexpr std::size_t kMaxAnswerBytes = 64 * 1024;
inline constexpr std::size_t kMaxShownName = 32;  // bytes of a name on a board
inline constexpr std::size_t kMaxReasonBytes = 200;
inline constexpr std::size_t kMaxBoardRows = 10;

// The modes an online game may be, as the server names them, and the game's mode they play
// (the daily challenge is an Endless game of the day's seed). 0 for any other word.
int GameModeOfOnlineWord(const std::string& word);
bool IsOnlineModeWord(const std::string& word);
// The boards the game shows, in its order: /api/board/WORD.
inline constexpr const char* kBoardWords[] = {"endless", "puzzle", "pipe", "daily"};

// Whether an answer's Content-Length says more than `most` bytes; one that is no plain number
// says too much.
bool ContentLengthOver(const std::string& length, std::size_t most);

// The "error" an answer gives, bounded; empty when it gives none.
std::string AnswerError(const std::string& text);

struct TicketAnswer {
    std::string json;  // the ticket exactly as the server signed it, to be sent back
    std::string id;    // 32 hex digits
    std::string mode;  // its mode word
    std::uint64_t seed = 0;
};
std::optional<TicketAnswer> ReadTicketAnswer(const std::string& text);

// The id of a submission the server took.
std::optional<long long> ReadSubmitAnswer(const std::string& text);

struct VerdictAnswer {
    enum class State { kQueued, kVerified, kRefused };
    State state = State::kQueued;
    int score = 0;
    long long place = 0, of = 0;
    std::string reason;  // why refused
};
std::optional<VerdictAnswer> ReadVerdictAnswer(const std::string& text);

struct BoardRow {
    long long place = 0;
    std::string name;
    long long score = 0;
    long long id = 0;
};
struct BoardAnswer {
    std::vector<BoardRow> top;  // at most kMaxBoardRows
    std::optional<BoardRow> player;
};
std::optional<BoardAnswer> ReadBoardAnswer(const std::string& text);

// The name an accepted claim gives back.
std::optional<std::string> ReadClaimAnswer(const std::string& text);
