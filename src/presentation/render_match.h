// The match screen's picture: background, the indicator covers, both time bars, the small stones
// and extras, both cannons with their wheels and aim markers, the centre piece and the effects.
#pragma once

struct Game;

void RenderMatchScreen(Game& game);
// Rows of a match time bar hidden by its cover: none at 1000, all 271 at 0.
int MatchTimeCoverRows(int timeLeft);
