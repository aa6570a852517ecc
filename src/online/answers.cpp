#include "online/answers.h"

#include <nlohmann/json.hpp>

#include "core/mode_facts.h"
#include "online/json_object.h"

using nlohmann::json;

namespace {

bool Text(const json& j, const char* key, std::size_t most, std::string& out) {
    const auto it = j.find(key);
    if (it == j.end() || !it->is_string()) return false;
    const std::string& s = it->get_ref<const std::string&>();
    if (s.size() > most) return false;
    out = s;
    return true;
}

bool Whole(const json& j, const char* key, long long low, long long high, long long& out) {
    const auto it = j.find(key);
    if (it == j.end() || !it->is_number_integer()) return false;
    // An unsigned number beyond the signed range reads as negative: check it as unsigned first.
    if (it->is_number_unsigned() && it->get<std::uint64_t>() > static_cast<std::uint64_t>(high))
        return false;
    const long long v = it->get<long long>();
    if (v < low || v > high) return false;
    out = v;
    return true;
}

bool Hex(const std::string& s, std::size_t digits) {
    if (s.size() != digits) return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

constexpr long long kMost = 1LL << 53;  // what any JSON reader holds exactly

std::optional<BoardRow> ReadRow(const json& j) {
    if (!j.is_object()) return std::nullopt;
    BoardRow r;
    if (!Whole(j, "place", 1, kMost, r.place) || !Text(j, "name", kMaxShownName, r.name) ||
        !Whole(j, "score", 0, kMost, r.score) || !Whole(j, "id", 0, kMost, r.id))
        return std::nullopt;
    return r;
}

}  // namespace

int GameModeOfOnlineWord(const std::string& word) {
    if (word == "endless" || word == "daily") return kModeEndless;
    if (word == "puzzle") return kModePuzzle;
    if (word == "pipe") return kModePipe;
    return 0;
}

bool IsOnlineModeWord(const std::string& word) {
    return GameModeOfOnlineWord(word) != 0;
}

bool ContentLengthOver(const std::string& length, std::size_t most) {
    if (length.empty() || length.size() > 15) return true;
    std::size_t n = 0;
    for (char ch : length) {
        if (ch < '0' || ch > '9') return true;
        n = n * 10 + static_cast<std::size_t>(ch - '0');
    }
    return n > most;
}

std::string AnswerError(const std::string& text) {
    const auto j = ParseJsonObject(text, kMaxAnswerBytes);
    std::string why;
    if (!j || !Text(*j, "error", kMaxReasonBytes, why)) return "";
    return why;
}

std::optional<TicketAnswer> ReadTicketAnswer(const std::string& text) {
    const auto j = ParseJsonObject(text, kMaxAnswerBytes);
    if (!j) return std::nullopt;
    TicketAnswer t;
    long long seed = 0;
    if (!Text(*j, "id", 32, t.id) || !Hex(t.id, 32) || !Text(*j, "mode", 16, t.mode) ||
        !IsOnlineModeWord(t.mode) || !Whole(*j, "seed", 0, 0xFFFFFFFFLL, seed))
        return std::nullopt;
    t.seed = static_cast<std::uint64_t>(seed);
    t.json = text;
    return t;
}

std::optional<long long> ReadSubmitAnswer(const std::string& text) {
    const auto j = ParseJsonObject(text, kMaxAnswerBytes);
    long long id = 0;
    if (!j || !Whole(*j, "id", 1, kMost, id)) return std::nullopt;
    return id;
}

std::optional<VerdictAnswer> ReadVerdictAnswer(const std::string& text) {
    const auto j = ParseJsonObject(text, kMaxAnswerBytes);
    std::string state;
    if (!j || !Text(*j, "state", 16, state)) return std::nullopt;
    VerdictAnswer v;
    if (state == "verified") {
        long long score = 0;
        v.state = VerdictAnswer::State::kVerified;
        if (!Whole(*j, "score", 0, 2147483647, score) || !Whole(*j, "place", 1, kMost, v.place) ||
            !Whole(*j, "of", 1, kMost, v.of) || v.place > v.of)
            return std::nullopt;
        v.score = static_cast<int>(score);
    } else if (state == "refused") {
        v.state = VerdictAnswer::State::kRefused;
        if (!Text(*j, "reason", kMaxReasonBytes, v.reason)) v.reason.clear();
    } else if (state == "queued" || state == "working") {
        v.state = VerdictAnswer::State::kQueued;
    } else {
        return std::nullopt;
    }
    return v;
}

std::optional<BoardAnswer> ReadBoardAnswer(const std::string& text) {
    const auto j = ParseJsonObject(text, kMaxAnswerBytes);
    if (!j) return std::nullopt;
    const auto top = j->find("top");
    if (top == j->end() || !top->is_array()) return std::nullopt;
    BoardAnswer b;
    for (const json& row : *top) {
        if (b.top.size() == kMaxBoardRows) break;
        const auto r = ReadRow(row);
        if (!r) return std::nullopt;
        b.top.push_back(*r);
    }
    const auto player = j->find("player");
    if (player != j->end() && !player->is_null()) {
        b.player = ReadRow(*player);
        if (!b.player) return std::nullopt;
    }
    return b;
}

std::optional<std::string> ReadClaimAnswer(const std::string& text) {
    const auto j = ParseJsonObject(text, kMaxAnswerBytes);
    std::string name;
    if (!j || !Text(*j, "name", kMaxShownName, name)) return std::nullopt;
    return name;
}
