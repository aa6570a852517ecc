// The paged text screens: the game help (three pages) and the info and credits pages.
#pragma once

struct Game;

struct PageLine {
    int y;
    const char* text;  // UTF-8
};

struct InfoLine {
    int page;
    int dy;               // below PageTop
    int colour;           // texture
    const char* german;   // nullptr: not on the German page
    const char* english;  // nullptr: not on the English page
};

void HelpScreen(Game& game);
void InfoScreen(Game& game);
