// The server's web pages, rendered here from what the storage holds: the boards, the daily
// challenge, a player's page. Pure functions of their data, every value escaped.
#pragma once

#include <string>
#include <vector>

#include "server/storage.h"

std::string HtmlEscape(const std::string& text);
// A name as it goes into a link's path: every byte but letters and digits as %XX.
std::string UrlPathPart(const std::string& text);

// "endless", "puzzle", "pipe"; "daily" (and "daily practice") for the days' boards.
std::string BoardWord(int board);
// A game's length, m:ss, from its ticks.
std::string GameLength(long long ticks);
// Unix seconds as YYYY-MM-DD HH:MM (UTC).
std::string TimeText(long long seconds);

struct BoardTable {
    std::string title;
    std::string note;  // under the title, e.g. "since Monday"
    std::vector<BoardRow> rows;
    std::string link;   // where the title leads, if anywhere
    bool wide = false;  // across the whole page
};

// The front page: the boards, side by side where they fit.
std::string BoardsPage(const std::string& heading, const std::vector<BoardTable>& boards);
// A day's daily challenge: its board, and links to the days before.
std::string DailyPage(const std::string& day, const BoardTable& board,
                      const std::vector<std::string>& otherDays);
std::string PlayerPage(const std::string& name, const std::vector<PlayerGame>& best,
                       const std::vector<PlayerGame>& recent);
std::string NotFoundPage(const std::string& what);
