// What the online screens share: their transitions, the name's rule and the lines of what the
// session says. The screens themselves are online_screen.h and leaderboards_screen.h.
#pragma once

#include <string>
#include <vector>

struct Game;

enum OnlineButton {
    kOnlineEndlessButton = 1,
    kOnlinePuzzleButton = 2,
    kOnlinePipeButton = 3,
    kOnlineDailyButton = 4,
    kOnlineBoardsButton = 5,
    kOnlineBackButton = 6,
};
enum LeaderboardsButton {
    kBoardsNextButton = 1,
    kBoardsBackButton = 2,
    kBoardsWatchButton = 3,
};

// "Online" from the game choice, and "Leaderboards" from it (which asks for the boards).
void ShowOnline(Game& game);
void ShowLeaderboards(Game& game);

// A name the server takes: 2 to 16 of letters, digits, space, '-', '_' and '.', not starting or
// ending with a space.
constexpr int kOnlineNameChars = 16;
bool OnlineNameOk(const std::string& name);
bool OnlineNameCharacter(char32_t ch);

// The frame's inside, less a margin.
constexpr int kOnlineLineWidth = 350;
// What the session says, from y down, centred, each line broken at spaces (or between
// characters, for scripts without them) where it would leave the frame. Returns the y below.
int DrawOnlineLines(Game& game, const std::vector<std::string>& lines, int y);
// The lines a text takes within `width` pixels, as DrawOnlineLines breaks them.
std::vector<std::string> BreakOnlineLine(const Game& game, const std::string& text, int width);
