// What the network match says to the player: catalogue texts, looked up in the player's
// language where they are shown.
#pragma once

#include "core/words.h"
#include "net/protocol.h"

namespace net {

inline constexpr Words kWaitingWords = N_("Waiting for the other player ...");
inline constexpr Words kConnectionLostWords = N_("Connection lost");

// Why the match ended or never began.
constexpr Words ReasonWords(Reason reason) {
    switch (reason) {
        case Reason::VersionMismatch:
            return N_("The other player runs another version");
        case Reason::LevelFilesDiffer:
            return N_("The other player has other level files");
        case Reason::RoomFull:
            return N_("The game is full already");
        case Reason::BadCode:
            return N_("No game with this code");
        case Reason::Quit:
            return N_("The other player left the game");
        case Reason::TooManyDesyncs:
            return N_("The two games drifted apart too often");
        case Reason::ProtocolError:
            return N_("Unreadable data from the other player");
        case Reason::Timeout:
        case Reason::None:
            break;
    }
    return kConnectionLostWords;
}

}  // namespace net
