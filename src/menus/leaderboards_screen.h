// "Leaderboards", from the online screen: one board a page (Endless, Puzzle, Pipe, the daily
// challenge), its top ten and the player's own place. The session fills Game::online.boards.
#pragma once

struct Game;

enum LeaderboardsButton {
    kBoardsNextButton = 1,
    kBoardsBackButton = 2,
};

void ShowLeaderboards(Game& game);
void LeaderboardsScreen(Game& game);
