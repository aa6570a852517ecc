#include "net/room_code.h"

namespace net {

std::string RoomCodeFor(std::uint64_t number) {
    // Mixed first so that neighbouring numbers give unrelated codes.
    number ^= number >> 33;
    number *= 0xFF51AFD7ED558CCDull;
    number ^= number >> 33;
    std::string code;
    for (std::size_t i = 0; i < kRoomCodeLength; ++i) {
        code += kRoomCodeAlphabet[number % kRoomCodeAlphabet.size()];
        number /= kRoomCodeAlphabet.size();
    }
    return code;
}

bool ValidRoomCode(std::string_view code) {
    if (code.size() != kRoomCodeLength) return false;
    for (char c : code) {
        if (kRoomCodeAlphabet.find(c) == std::string_view::npos) return false;
    }
    return true;
}

std::optional<std::string> NormaliseRoomCode(std::string_view typed) {
    std::string code;
    for (char c : typed) {
        if (c == ' ' || c == '-') continue;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        code += c;
        if (code.size() > kRoomCodeLength) return std::nullopt;
    }
    if (!ValidRoomCode(code)) return std::nullopt;
    return code;
}

std::string ShownRoomCode(std::string_view code) {
    const std::size_t half = code.size() / 2;
    return std::string(code.substr(0, half)) + "-" + std::string(code.substr(half));
}

}  // namespace net
