// The server's web pages from names and dates off the network: each line of the input is a
// player's name on the boards and their page. No byte of a name may come out as markup, and a
// date the server reads is one it writes back the same.
#include <algorithm>

#include "fuzz_support.h"
#include "server/auth.h"
#include "server/web_pages.h"

namespace {

// Outside the tags the page is made of, text must never hold a raw '<' or a quote from a value:
// each name is put between markers and what lies between must be escaped.
bool ValueEscaped(const std::string& page, const std::string& escaped) {
    return escaped.find_first_of("<>\"'") == std::string::npos &&
           page.find(escaped) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 4096));
    std::vector<std::string> names;
    for (std::size_t at = 0; at <= text.size() && names.size() < 20;) {
        const std::size_t nl = std::min(text.find('\n', at), text.size());
        names.push_back(text.substr(at, nl - at));
        at = nl + 1;
    }
    BoardTable board{"Puzzle", names.front(), {}, "/daily?day=" + names.back(), true};
    std::vector<PlayerGame> games;
    int place = 0;
    for (const std::string& name : names) {
        board.rows.push_back({++place, name, place * 100, place});
        games.push_back({place, place % 3 + 1, place, place * 1000LL, 1765000000LL + place});
        // A date read is one written back the same.
        const long long day = DayNumber(name);
        if (day >= 0) FUZZ_EXPECT(DayText(day) == name);
    }
    const std::string boards = BoardsPage("Leaderboards", {board});
    const std::string player = PlayerPage(names.front(), games, games);
    for (const std::string& name : names) {
        const std::string escaped = HtmlEscape(name);
        FUZZ_EXPECT(ValueEscaped(boards, escaped));
        FUZZ_EXPECT(UrlPathPart(name).find_first_of("<>\"'&/ ") == std::string::npos);
    }
    FUZZ_EXPECT(ValueEscaped(player, HtmlEscape(names.front())));
    return 0;
}
