// What the game reads of the online server's answers: a ticket, a submission's id, a verdict, a
// board, a claim, an error and an answer's length, each from whatever came over the network. A
// reader gives back a value inside its bounds or nothing; a ticket read gives back its own text
// unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "online/answers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto t = ReadTicketAnswer(text)) {
        if (t->json != text || t->id.size() != 32 || t->seed > 0xFFFFFFFFull ||
            GameModeOfOnlineWord(t->mode) == 0)
            std::abort();
    }
    if (const auto id = ReadSubmitAnswer(text)) {
        if (*id < 1) std::abort();
    }
    if (const auto v = ReadVerdictAnswer(text)) {
        if (v->state == VerdictAnswer::State::kVerified &&
            (v->place < 1 || v->place > v->of || v->score < 0))
            std::abort();
        if (v->reason.size() > kMaxReasonBytes) std::abort();
    }
    if (const auto b = ReadBoardAnswer(text)) {
        if (b->top.size() > kMaxBoardRows) std::abort();
        for (const BoardRow& r : b->top)
            if (r.place < 1 || r.score < 0 || r.name.size() > kMaxShownName) std::abort();
    }
    if (const auto name = ReadClaimAnswer(text)) {
        if (name->size() > kMaxShownName) std::abort();
    }
    if (AnswerError(text).size() > kMaxReasonBytes) std::abort();
    // A length taken is a plain number no larger than the bound.
    if (!ContentLengthOver(text, 4096) &&
        (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
         std::stoull(text) > 4096))
        std::abort();
    return 0;
}
