// Which replay each highscore entry came from, in a file of our own beside groar.dat (which
// stays exactly as it is): one line per linked entry, "TABLE PLACE SCORE LEVEL FILE".
#pragma once

#include <set>
#include <string>
#include <vector>

struct Game;

inline constexpr const char* kHighscoreReplaysFile = "res\\saves\\groar-replays.txt";

struct HighscoreReplay {
    int table = 0;
    int place = 0;
    int score = 0;
    int level = 0;
    std::string file;  // a file name in the replays folder
};

// The links of the text; lines that are not sound links are left out.
std::vector<HighscoreReplay> ParseHighscoreReplays(const std::string& text);
std::string HighscoreReplaysText(const std::vector<HighscoreReplay>& links);
// The links as the file holds them (none when it is missing or unreadable).
std::vector<HighscoreReplay> ReadHighscoreReplays(const Game& game);
// The replay files some entry links to: the replays folder keeps them however old.
std::set<std::string> LinkedReplayFiles(const Game& game);
// A new entry at `rank` of `table`: the links below it move down one with their entries (the
// old place 7 drops) and the entry links to this run's replay. Nothing happens without one; a
// file that cannot be written is left as it was.
void LinkHighscoreReplay(Game& game, int table, int rank, int score, int level);
// The link of an entry, or null.
const HighscoreReplay* FindHighscoreReplay(const std::vector<HighscoreReplay>& links, int table,
                                           int place);
