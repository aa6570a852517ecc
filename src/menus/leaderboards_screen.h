// "Leaderboards", from the online screen: one board a page (Endless, Puzzle, Pipe, the daily
// challenge), its top ten and the player's own place. The session fills Game::online.boards.
#pragma once

struct Game;

void LeaderboardsScreen(Game& game);
