// Every text of the game exists in German and in English; Language (1 German, 2 English) picks
// one at the moment it is drawn. The one helper for that choice.
#pragma once

#include <string>

#include "core/words.h"

template <typename GameT>
const char* Pick(const GameT& game, const char* german, const char* english) {
    return game.shell.Language == 2 ? english : german;
}
template <typename GameT>
std::string Pick(const GameT& game, const std::string& german, const std::string& english) {
    return game.shell.Language == 2 ? english : german;
}
template <typename GameT>
const char* Pick(const GameT& game, const Words& words) {
    return Pick(game, words.german, words.english);
}
