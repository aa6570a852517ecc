// Texts are UTF-8 inside the game; the files of the original game (the highscore table, the slot
// names) store Windows-1252, converted where they are read and written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The character of a Windows-1252 byte (U+FFFD for the five bytes the code page leaves out).
char32_t Cp1252CodePoint(unsigned char byte);
// The Windows-1252 byte of a character; 0 when the code page has none.
unsigned char Cp1252Byte(char32_t cp);

// The next character of a UTF-8 text from byte i on, and i past it: a malformed or cut sequence
// is one U+FFFD per byte.
char32_t NextCodePoint(std::string_view utf8, std::size_t& i);
std::u32string CodePoints(std::string_view utf8);
void AppendUtf8(std::string& out, char32_t cp);
std::string Utf8Of(std::u32string_view text);

// Characters without a Windows-1252 form become '?'.
std::string Utf8ToCp1252(const std::string& utf8);
std::string Cp1252ToUtf8(const std::string& cp1252);
// For the files that store Windows-1252: every character as the nearest the code page holds, a
// letter of the Latin, Greek or Cyrillic alphabets as its plain or transliterated Latin letters
// ("Łódź" as "Lodz", "Жора" as "Zhora"), anything else '?'.
std::string Utf8ToNearestCp1252(const std::string& utf8);
