// What the network match says to the player, in German and English (the game's Words pairs).
#pragma once

#include "net/protocol.h"

namespace net {

struct NetWords {
    const char* german;
    const char* english;
};

inline constexpr NetWords kWaitingWords{"Warte auf Mitspieler ...",
                                        "Waiting for the other player ..."};
inline constexpr NetWords kConnectionLostWords{"Verbindung verloren", "Connection lost"};

// Why the match ended or never began.
constexpr NetWords ReasonWords(Reason reason) {
    switch (reason) {
        case Reason::VersionMismatch:
            return {"Andere Spielversion beim Mitspieler", "The other player runs another version"};
        case Reason::LevelFilesDiffer:
            return {"Andere Level-Dateien beim Mitspieler",
                    "The other player has other level files"};
        case Reason::RoomFull:
            return {"Das Spiel ist schon voll", "The game is full already"};
        case Reason::BadCode:
            return {"Kein Spiel mit diesem Code", "No game with this code"};
        case Reason::Quit:
            return {"Der Mitspieler hat das Spiel verlassen", "The other player left the game"};
        case Reason::TooManyDesyncs:
            return {"Die Spiele liefen zu oft auseinander",
                    "The two games drifted apart too often"};
        case Reason::ProtocolError:
            return {"Unlesbare Daten vom Mitspieler", "Unreadable data from the other player"};
        case Reason::Timeout:
        case Reason::None:
            break;
    }
    return kConnectionLostWords;
}

}  // namespace net
