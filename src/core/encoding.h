// The font and the saved names use Windows-1252; the game's source texts are UTF-8.
#pragma once

#include <string>

// Characters without a Windows-1252 form become '?'.
std::string Utf8ToCp1252(const std::string& utf8);
std::string Cp1252ToUtf8(const std::string& cp1252);
// The plain letter under an accented Windows-1252 letter ('é' -> 'e', 'Ñ' -> 'N'); 0 for any other
// character. The font draws a letter it lacks as this one.
unsigned char BaseLetterCp1252(unsigned char c);
