// The highscore screen's games in the window: beside each score whose entry links to a kept
// replay a mark says whether that replay, played again, reaches the entry (verified once per
// entry and run); a click on such an entry (or its place number, 1..7) chooses it, and "Watch"
// below the table (or W) plays its game. All of it lies over the picture the game drew and
// never reaches the simulation, so the table and its buttons stay exactly as they are.
#pragma once

#include <SDL.h>

#include <map>
#include <string>
#include <vector>

#include "menus/highscore_replays.h"
#include "runner/replay_verify.h"

struct Game;
class SdlPlatform;

class HighscoreWatch {
  public:
    explicit HighscoreWatch(std::string replaysDir) : replaysDir_(std::move(replaysDir)) {}
    // Before a tick: the table's links read and verified when the screen or its page is new;
    // leaving the screen forgets the choice. Verifying that takes long shows its progress.
    void BeforeTick(Game& game, SdlPlatform& platform);
    // An event of the window; true when it asks to watch the chosen entry's game.
    bool Event(const Game& game, const SdlPlatform& platform, const SDL_Event& e);
    // The marks, the choice and "Watch" over the picture just rendered.
    // True when it drew over the picture.
    bool Draw(Game& game) const;
    // The chosen entry's replay file, and why it is not verified (empty when it is).
    std::string ChosenFile() const;
    std::string ChosenWhy() const;

  private:
    const HighscoreReplay* LinkOf(int place) const;
    const ReplayVerdict* VerdictOf(int place) const;
    void Verify(Game& game, SdlPlatform& platform);

    std::string replaysDir_;
    bool onScreen_ = false;
    int table_ = 0;
    int chosen_ = 0;
    std::vector<HighscoreReplay> links_;
    // By file and entry, for the whole run: a replay file never changes its game.
    std::map<std::string, ReplayVerdict> verdicts_;
};

// Where the "Watch" spot lies: centred below the table, above "Back".
inline constexpr int kWatchX = 400;
inline constexpr int kWatchY = 492;
