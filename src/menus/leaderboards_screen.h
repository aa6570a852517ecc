// "Leaderboards", from the online screen: one board a page (Endless, Puzzle, Pipe, the daily
// challenge), its top ten and the player's own place. The session fills Game::online.boards.
// A row chosen (pointer, or Left and Right) and "Watch" ask the session for its game, which the
// window then plays in the replay viewer and comes back here.
#pragma once

struct Game;

void LeaderboardsScreen(Game& game);
