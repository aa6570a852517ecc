// The online screens and the online session between them: what the screens ask for and what the
// session has heard from the server. Outside the simulation: the network never reaches the
// rules, and what is said here is this machine's own.
#pragma once

#include <string>
#include <vector>

struct OnlineMenu {
    enum class Ask { kNone, kPlay, kBoards, kWatch };
    Ask ask = Ask::kNone;     // carried out by the session after the screen's tick
    std::string mode;         // the game asked for: endless, puzzle, pipe, daily
    bool configured = false;  // a server is named (--server, server=URL in the options file)
    bool busy = false;        // the session waits for the server
    std::string name;         // as typed; the server's spelling once claimed
    std::vector<std::string> status;  // what the session says, in the player's language
    struct Row {
        long long place = 0;
        std::string name;
        long long score = 0;
        long long id = 0;  // the entry's, whose replay the server gives
    };
    struct Board {
        std::string mode;  // its mode word
        std::vector<Row> top;
        bool hasOwn = false;
        Row own;  // the player's best and its place
    };
    std::vector<Board> boards;  // in the order the screen pages through them
    int boardShown = 0;
    int rowChosen = -1;        // the row of the shown board that "Watch" plays, -1 none
    bool stepKeyHeld = false;  // Left or Right held: one step a press
    Row watch;                 // the entry asked for (kWatch)
    // Its replay, fetched and checked, for the viewer; whoever shows it empties it.
    std::string watchFile;
};
