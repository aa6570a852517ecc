// Whether a kept replay shows the game its highscore entry claims: the replay is played without
// drawing, from a fresh saves folder with an empty highscore table, and is verified when its game
// enters the entry's score at the entry's level.
#pragma once

#include <cstdint>
#include <string>

#include "menus/highscore_replays.h"

struct ReplayVerdict {
    bool verified = false;
    std::string why;  // why not, in a line
};

// `text` is the replay file, `resDir` the game's res folder, `scratchDir` an empty folder of the
// caller's that the replayed game may write its saves into; `version` and `levels` this game's.
ReplayVerdict VerifyReplay(const std::string& text, const HighscoreReplay& entry,
                           const std::string& resDir, const std::string& scratchDir,
                           const std::string& version, std::uint64_t levels);

// rhombulus2-headless --verify FILE: the replay against the entry of DIR/saves/groar-replays.txt
// (resDir's) that links to it, or a network match's against the state it recorded as its end;
// prints "verified" (0) or "not verified: WHY" (1).
int VerifyHeadless(const std::string& resDir, const std::string& path);
