// The player's names (highscores, save slots, a pack's table) as UTF-8, and the small side files
// that keep a name whole beside a record file whose Windows-1252 field cannot hold it.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Characters (code points) of valid UTF-8; bytes otherwise.
std::size_t Utf8Chars(std::string_view utf8);
bool ValidUtf8(std::string_view utf8);
void AppendCodePoint(std::string& utf8, char32_t cp);
// The characters of a text; a byte that does not begin valid UTF-8 is left out (where
// core/encoding.h's CodePoints gives U+FFFD).
std::vector<char32_t> ValidCodePoints(std::string_view utf8);
// The text without its last character (empty stays empty).
std::string DropLastChar(std::string_view utf8);
// The text without its first character.
std::string DropFirstChar(std::string_view utf8);
// The first `chars` characters.
std::string FirstChars(std::string_view utf8, std::size_t chars);

// The name editors' rule: space, "-", "_", digits 0-9 and letters, kept small ("A" and "a" both
// give "a"); a letter outside ASCII is any alphabetic character, its small form kept likewise.
// Whether the font can draw it is the caller's question.
bool NameCharacter(char32_t c, char32_t& stored);
// Every character of a name one of the game's editors could have typed, up to `chars` of them.
bool TypedName(std::string_view utf8, std::size_t chars);

// A name as a file of the Parts holds it: its nearest Windows-1252 form, at most `bytes` long.
std::string NameTo1252(const std::string& utf8, std::size_t bytes);
// A Windows-1252 name of such a file as the game keeps it.
std::string NameFrom1252(const std::string& cp1252);
// True when the file's Windows-1252 field gives the name back as it is.
bool NameFits1252(const std::string& utf8, std::size_t bytes);

// A side file: for a record of its table (by the record's number), the record's Windows-1252
// name field as it was written and the whole name.
struct WholeName {
    std::string form;  // the record's name field, Windows-1252
    std::string name;  // UTF-8
};
using WholeNames = std::map<int, WholeName>;

// "rhombulus2 names 1", then a line a record: number, tab, the field (as UTF-8), tab, the name.
std::string WholeNamesText(const WholeNames& names);
// The lines of a side file that can be taken: a record 1..lastRecord, a field and a name
// without control characters, the name valid UTF-8 of at most `nameChars` characters, each
// record once. A file with another first line gives none; a damaged line is left out.
WholeNames ParseWholeNames(std::string_view text, int lastRecord, std::size_t nameChars);
// The name a record's entry shows: the side file's whole name when the record's field is still
// the one the side file knew, else the field read as Windows-1252.
std::string NameOfRecord(const WholeNames& names, int record, const std::string& field1252);
// The longest side file the readers take.
inline constexpr std::size_t kMaxWholeNamesBytes = 8192;
