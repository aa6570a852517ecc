// A player for one side of the two-player match that plays through the game's own rules: before
// each shot it copies the game, fires into every column its cannon reaches, lets each copy run
// until its half is still again, looks one stone further from the most promising ones and fires
// where the outcome two shots on is best; between shots it waits under a falling extra worth
// catching. It gives its input as the player would (player 1 the cursor keys and Space, player 2
// the pointer and the mouse button), so a computer opponent can be built on it and a game it
// plays can be written down as an input script for the headless runner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"

struct Game;

namespace levels {

// One tick of one match player's input.
struct MatchInput {
    bool left = false;  // player 1: the cursor keys held
    bool right = false;
    bool fire = false;  // player 1: Space; player 2: the mouse button
    int pointerX = 0;   // player 2: where the pointer is (0: wherever it is)
};

class MatchBot {
  public:
    explicit MatchBot(int player);
    ~MatchBot();
    MatchBot(const MatchBot&) = delete;
    MatchBot& operator=(const MatchBot&) = delete;

    // The input for the coming tick, from the game as it stands after the last one.
    MatchInput Decide(const Game& game);
    int player() const { return player_; }
    int shots() const { return shots_; }

  private:
    int BestColumn(const Game& g);
    int CatchColumn(const Game& g) const;
    // Fires at column x in a copy and runs it until this side is still and loaded again.
    int TrialShot(Game& trial, int x);
    double Value(const Game& before, const Game& after, int ticks, double urgency) const;

    int player_;
    int centre_;
    HeadlessPlatform trialPlatform_;
    std::unique_ptr<Game> trial_;
    std::unique_ptr<Game> second_;
    int planned_ = 0;  // the column of the next shot once chosen, 0 before
    int shots_ = 0;
    int level_ = 0;  // the level (and lap) the patience below counts for
    int lap_ = 0;
    int fewest_ = 1 << 30;  // the fewest stones of the half so far, and shots since then
    int since_ = 0;
};

// Turns match inputs into the headless runner's script events (only what changed since the last
// tick), applies them to the game exactly as the runner does, and keeps them as script lines.
class MatchInputWriter {
  public:
    // Input of `player` for tick `tick` (the game's FrameCounter is tick - 1).
    void Apply(Game& game, int tick, int player, const MatchInput& input);
    // The mouse alone: the pointer moved to (x, y) (x 0: left where it is) and a click of one
    // tick. Player 2's input, and player 1's where the left field takes the pointer.
    void Pointer(Game& game, int tick, int x, int y, bool fire);
    // A line of its own ("TICK EVENT ARGS"), applied now and kept.
    void Event(Game& game, const std::string& line);
    // Lets go of whatever keys and buttons are held, from `tick` on.
    void Release(Game& game, int tick);
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    bool left_ = false, right_ = false;
    bool spaceDown_ = false, buttonDown_ = false;
    int pointerX_ = -1;
    int pointerY_ = -1;
    bool focused_ = true;
    std::vector<std::string> lines_;
};

struct MatchLevelRun {
    int level = 0;
    int player = 0;
    bool cleared = false;  // the player emptied the field before the level ended
    int shots = 0;
    int ticks = 0;  // from the level start to the cleared field (or the end of the level)
    int timeLeft = 0;
    int scoreGained = 0;
};

struct MatchBotOptions {
    std::uint64_t seed = 1;
    int maxTicks = 4000;  // a safety stop; the idle opponent's bar ends a level long before
};

// Plays one match level as `player` while the other player does nothing, from a new match in
// lap 1: the field is cleared within the level's time when it is empty before the idle
// player's bar runs out.
MatchLevelRun PlayMatchLevel(const std::string& resDir, int level, int player,
                             const MatchBotOptions& options);

struct MatchCampaign {
    std::string script;  // the input script, first line "# rhombulus2-headless --seed N --ticks M"
    int ticks = 0;
    bool reachedNextLap = false;  // level 1 of lap 2 started after the last level
    std::vector<MatchLevelRun> levels;
    int levelsWon[3] = {0, 0, 0};
};

// A whole match as the runner plays it from the splash: through the menus and the start-level
// screen into level 1, then player 1 wins the odd levels and player 2 the even ones (the other
// waits), so that the lead never reaches three, through every level to level 1 of lap 2.
MatchCampaign RecordMatchCampaign(const std::string& resDir, std::uint64_t seed);

}  // namespace levels
