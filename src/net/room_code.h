// Room codes: six letters a player reads out to a friend, shown in two groups of three
// ("KRM-TAX"), from an alphabet without the letters that are easily taken for one another
// (I/J/L, O/Q, U/V) or for a digit. 19^6 = 47,045,881 codes; the relay slows down guessing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace net {

inline constexpr std::string_view kRoomCodeAlphabet = "ABCDEFGHKMNPRSTWXYZ";
inline constexpr std::size_t kRoomCodeLength = 6;

// The code for a number (any 64-bit value; the game draws it from its seed or the clock).
std::string RoomCodeFor(std::uint64_t number);
// True for six letters of the alphabet, upper case.
bool ValidRoomCode(std::string_view code);
// What a player typed, made a code: upper case, spaces and dashes dropped; nothing when it
// cannot be one.
std::optional<std::string> NormaliseRoomCode(std::string_view typed);
// The code as shown and read out: its two halves joined by a dash.
std::string ShownRoomCode(std::string_view code);

}  // namespace net
