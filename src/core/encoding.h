// The font and the saved names use Windows-1252; the game's source texts are UTF-8.
#pragma once

#include <string>

// Characters without a Windows-1252 form become '?'.
std::string Utf8ToCp1252(const std::string& utf8);
std::string Cp1252ToUtf8(const std::string& cp1252);
