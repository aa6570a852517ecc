#include "server/web_pages.h"

#include <cstdio>
#include <ctime>

#include "server/auth.h"

namespace {

// Readable on a phone and on a wide screen; the colours are the game's night blue and gold.
const char kStyle[] = R"(
:root { --bg: #101a2e; --panel: #18264a; --line: #2b3d6b; --text: #e8ecf6; --dim: #9aa7c7;
        --gold: #f2c14e; --link: #8fc3ff; }
* { box-sizing: border-box; }
body { margin: 0; background: var(--bg); color: var(--text);
       font: 16px/1.45 "DejaVu Sans", "Noto Sans", system-ui, sans-serif; }
header { background: linear-gradient(90deg, #1d2f5c, #2a1f4d); padding: 14px 24px;
         display: flex; align-items: baseline; gap: 24px; flex-wrap: wrap;
         border-bottom: 2px solid var(--gold); }
header .brand { font-size: 22px; font-weight: bold; color: var(--gold); text-decoration: none; }
header nav a { color: var(--text); margin-right: 18px; text-decoration: none; }
header nav a:hover { color: var(--gold); }
main { max-width: 1100px; margin: 0 auto; padding: 20px 24px 40px; }
h1 { font-size: 26px; margin: 8px 0 18px; }
h2 { font-size: 18px; margin: 0 0 2px; color: var(--gold); }
.note { color: var(--dim); font-size: 13px; margin: 0 0 10px; }
.boards { display: grid; grid-template-columns: repeat(auto-fill, minmax(320px, 1fr)); gap: 18px; }
section.board { background: var(--panel); border: 1px solid var(--line); border-radius: 10px;
                padding: 14px 16px; }
table { width: 100%; border-collapse: collapse; }
th { text-align: left; color: var(--dim); font-weight: normal; font-size: 13px;
     border-bottom: 1px solid var(--line); padding: 4px 6px; }
td { padding: 5px 6px; border-bottom: 1px solid rgba(43, 61, 107, 0.5); }
th.score { text-align: right; }
td.when, td.length, td.board { white-space: nowrap; }
td.name { overflow-wrap: anywhere; }
section.wide { grid-column: 1 / -1; }
section.wide table { max-width: 640px; }
.stack { display: grid; gap: 18px; max-width: 760px; }
h2 a { color: inherit; text-decoration: none; }
td.place { width: 2.5em; color: var(--dim); text-align: right; }
td.score { text-align: right; font-variant-numeric: tabular-nums; font-weight: bold; }
tr:first-child td.place { color: var(--gold); }
a { color: var(--link); }
td a.name { color: var(--text); text-decoration: none; }
td a.name:hover { text-decoration: underline; }
a.replay { font-size: 13px; }
.empty { color: var(--dim); font-style: italic; padding: 8px 6px; }
.days a { margin-right: 12px; }
footer { color: var(--dim); font-size: 12px; text-align: center; padding: 12px; }
)";

std::string Page(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
           "<title>" +
           HtmlEscape(title) + " - Rhombulus 2</title><style>" + kStyle +
           "</style></head><body><header><a class=\"brand\" href=\"/\">Rhombulus 2</a><nav>"
           "<a href=\"/\">Leaderboards</a><a href=\"/daily\">Daily challenge</a></nav></header>"
           "<main>" +
           body +
           "</main><footer>Every score here is one the server saw the game reach: each game "
           "was played again before it counted.</footer></body></html>\n";
}

std::string PlayerLink(const std::string& name) {
    return "<a class=\"name\" href=\"/player/" + HtmlEscape(UrlPathPart(name)) + "\">" +
           HtmlEscape(name) + "</a>";
}

std::string ReplayLink(long long id) {
    const std::string n = std::to_string(id);
    return "<a class=\"replay\" href=\"/replay/" + n + ".r2replay\" download>replay</a>";
}

std::string Table(const BoardTable& b) {
    std::string html = "<section class=\"board" + std::string(b.wide ? " wide" : "") + "\"><h2>" +
                       (b.link.empty() ? HtmlEscape(b.title)
                                       : "<a href=\"" + HtmlEscape(b.link) + "\">" +
                                             HtmlEscape(b.title) + "</a>") +
                       "</h2>";
    if (!b.note.empty()) html += "<p class=\"note\">" + HtmlEscape(b.note) + "</p>";
    if (b.rows.empty()) return html + "<p class=\"empty\">No games yet.</p></section>";
    html += "<table><tr><th></th><th>Player</th><th class=\"score\">Score</th><th></th></tr>";
    for (const BoardRow& r : b.rows)
        html += "<tr><td class=\"place\">" + std::to_string(r.place) + "</td><td class=\"name\">" +
                PlayerLink(r.name) + "</td><td class=\"score\">" + std::to_string(r.score) +
                "</td><td>" + ReplayLink(r.id) + "</td></tr>";
    return html + "</table></section>";
}

std::string GamesTable(const std::string& title, const std::vector<PlayerGame>& games) {
    std::string html = "<section class=\"board\"><h2>" + HtmlEscape(title) + "</h2>";
    if (games.empty()) return html + "<p class=\"empty\">No games yet.</p></section>";
    html +=
        "<table><tr><th>Board</th><th>Score</th><th>Length</th><th>When (UTC)</th><th></th>"
        "</tr>";
    for (const PlayerGame& g : games)
        html += "<tr><td>" + HtmlEscape(BoardWord(g.mode)) + "</td><td class=\"score\">" +
                std::to_string(g.score) + "</td><td>" + GameLength(g.ticks) + "</td><td>" +
                TimeText(g.finished) + "</td><td>" + ReplayLink(g.id) + "</td></tr>";
    return html + "</table></section>";
}

}  // namespace

std::string HtmlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

std::string UrlPathPart(const std::string& text) {
    std::string out;
    for (const unsigned char ch : text) {
        if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')) {
            out += static_cast<char>(ch);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", ch);
            out += hex;
        }
    }
    return out;
}

std::string BoardWord(int board) {
    if (board >= kDailyPracticeBase)
        return "daily " + DayText(board - kDailyPracticeBase) + " (practice)";
    if (board >= kDailyBoardBase) return "daily " + DayText(board - kDailyBoardBase);
    return OnlineModeWord(board);
}

std::string GameLength(long long ticks) {
    const long long seconds = ticks * 15 / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

std::string TimeText(long long seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &tm);
    return text;
}

std::string BoardsPage(const std::string& heading, const std::vector<BoardTable>& boards) {
    std::string body = "<h1>" + HtmlEscape(heading) + "</h1><div class=\"boards\">";
    for (const BoardTable& b : boards) body += Table(b);
    return Page(heading, body + "</div>");
}

std::string DailyPage(const std::string& day, const BoardTable& board,
                      const std::vector<std::string>& otherDays) {
    std::string body = "<h1>Daily challenge, " + HtmlEscape(day) +
                       "</h1><p class=\"note\">One Endless game for everybody each day (UTC). "
                       "The first game a player starts on the day counts; later ones are "
                       "practice.</p><div class=\"boards\">" +
                       Table(board) + "</div>";
    if (!otherDays.empty()) {
        body += "<p class=\"days\">Other days: ";
        for (const std::string& d : otherDays)
            body += "<a href=\"/daily?day=" + HtmlEscape(d) + "\">" + HtmlEscape(d) + "</a>";
        body += "</p>";
    }
    return Page("Daily challenge " + day, body);
}

std::string PlayerPage(const std::string& name, const std::vector<PlayerGame>& best,
                       const std::vector<PlayerGame>& recent) {
    const std::string body = "<h1>" + HtmlEscape(name) + "</h1><div class=\"stack\">" +
                             GamesTable("Best games", best) + GamesTable("Recent games", recent) +
                             "</div>";
    return Page(name, body);
}

std::string NotFoundPage(const std::string& what) {
    return Page("Not found", "<h1>Not found</h1><p>" + HtmlEscape(what) + "</p>");
}
