// The name editors' text entry: the champion's name, a save slot's, the editor's level name and
// idea, and any screen that has a name typed into it.
#pragma once

#include <string>

struct Game;

// A name editor holds this many characters at most.
constexpr int kTypedNameChars = 8;
// The name editors' rule: the characters of `accept` (NameCharacter, core/name_text.h, unless
// another is given) that the font can draw append while fewer than capacity + 1 keys were typed;
// other characters do not count; Backspace (8) empties the name. Names are UTF-8, capacity
// counts characters.
using NameCharRule = bool (*)(char32_t c, char32_t& stored);
void TypeNameKey(Game& game, std::string& name, char32_t ch, int capacity = kTypedNameChars,
                 NameCharRule accept = nullptr);
// The blinking cursor of a name being typed, left-aligned at (x, y): the font's "_" where the
// next character will appear, while the name can still grow.
void DrawNameCursor(Game& game, int x, int y, const std::string& name,
                    int capacity = kTypedNameChars);
