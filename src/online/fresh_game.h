// The start of every online game: a first start-up with the ticket's seed, then a new game of
// the mode at level 1, as the game choice starts one. The server makes the same start to check a
// submitted game against, so the game, the runner and the server call this one function.
#pragma once

struct Game;

// `game` has had InitGame (with the ticket's seed) and its saves are an empty folder. False when
// the start-up quit (the game's files missing) or the mode did not start.
bool StartFreshGame(Game& game, int mode);
