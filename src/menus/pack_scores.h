// Each level pack's own highscore table of seven, in a text file of ours beside the saves
// ("res\saves\pack-<pack's file name>.scores"), so groar.dat keeps its four tables unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct Game;

// The table number a pack game's highscores go under, after the four of groar.dat.
constexpr int kPackTable = 5;

struct PackScores {
    std::array<std::string, 8> name{};  // places 1..7, UTF-8 as the champion types them
    std::array<std::int32_t, 8> score{};
};

// The game path of a pack's table, for the pack's file name in the levels folder.
std::string PackScoresFile(const std::string& packFile);
std::string PackScoresText(const PackScores& scores);
// Reads the file's text; false (and `problem` says why) for anything but seven places in
// order, each a score in range and a name the name editor could have typed.
bool ParsePackScores(std::string_view text, PackScores& scores, std::string& problem);

// Puts the pack game's table into Simulation::packList: an empty table when the pack has none
// yet; a damaged file is kept under another name, the player is told, and a new table begins.
void LoadPackTable(Game& game);
// Writes the table in memory to its pack's file.
bool WritePackTable(Game& game);
