// The paged text screens: the game help (the three pages of the game's rules, then the level
// editor, My Levels, replays and the network match) and the info and credits pages.
#pragma once

#include <string>
#include <vector>

struct Game;

inline constexpr int kHelpPages = 7;
// The info and credits pages.
inline constexpr int kInfoPages = 3;
// The help text: its left edge, the step from line to line, and the space a paragraph leaves
// below its last line before the next one (German keeps its own rows).
inline constexpr int kHelpTextX = 30;
inline constexpr int kHelpLineStep = 20;
inline constexpr int kHelpParagraphGap = 10;

struct HelpLine {
    int y;
    std::string text;  // UTF-8
};
// The lines of a help page (1..kHelpPages) in a language, as the screen draws them.
std::vector<HelpLine> HelpPageLines(int language, int page);

void HelpScreen(Game& game);
void InfoScreen(Game& game);
