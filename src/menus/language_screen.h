// The list of the game's languages, each in its own name and script, opened from the options:
// a click on a language takes it and goes back to the options.
#pragma once

#include <string>
#include <vector>

struct Game;

// Languages on a page of the list: two columns of ten.
inline constexpr int kLanguageRows = 10;
inline constexpr int kLanguagesPerPage = 2 * kLanguageRows;

// The language's name in itself ("Deutsch", "Polski", "Русский"); its catalogue code when the
// list knows no name for it.
std::string LanguageOwnName(int language);
// The languages 1..kLanguages in the order of the list: by catalogue code, so each stands
// where a reader of any of them finds it the same.
std::vector<int> LanguageListOrder();
// The page (1..) of the list that holds the language.
int LanguagePageOf(int language);

void LanguageScreen(Game& game);
