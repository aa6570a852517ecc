// "My Levels": the list of level packs to play, the game's own levels first. The shell reads
// the list from the levels folder into Simulation::packList before the screen is shown.
#pragma once

#include <string>

struct Game;

// The list's buttons: a page of rows, "Edit", the page buttons and Back.
constexpr int kPackRowButton = 1;  // rows 1..6
constexpr int kPackEditButton = 7;
constexpr int kPackPreviousButton = 8;
constexpr int kPackNextButton = 9;
constexpr int kPackBackButton = 10;
constexpr int kPackFirstRowY = 325;
constexpr int kPackRowStep = 25;

// Asks the shell for the list, read anew, and the screen with it.
void RequestPackList(Game& game);
// choosing: the rows are a pack's levels, to choose the one to edit; click: the button's sound
// (not when the list comes anew by itself).
void ShowPackList(Game& game, bool choosing = false, bool click = true);
void PackListScreen(Game& game);
// The pack's levels listed to choose the one to edit, "New level" last; the game's own levels
// are first copied into a new pack of the player's. False (the player told why) when it cannot be.
bool EditPack(Game& game, int row);
// Why a pack was refused (PackListing::fault), as words of the player's language that end a
// sentence: "the file is too large for a pack".
std::string PackFaultText(const Game& game, const std::string& fault);
// The longest start of a UTF-8 text that is drawn no wider than `width` px, "..." after a cut.
std::string FitText(const Game& game, const std::string& text, int width);
