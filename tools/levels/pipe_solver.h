// A player for the pipe levels that plays through the game's own rules, headless. It reads the
// field of a level the game has just started, looks for a pipeline from the source barrel to
// the target barrel that the level's piece stock can build and an order of shots that puts
// every piece where it belongs (a shot comes to rest by the rising-stone rules, so a piece can
// only go where a shot stops), then plays that plan on a copy of the game through the piece
// column, the cannon and "Los!", stepping it tick by tick, and keeps the plan only if the water
// reaches the target there.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Game;

namespace levels {

// A place of the pipe field: lattice row (y / 30) and half-cell column p (x - left edge) / 30,
// so that diagonal neighbours differ by one in both.
struct PipeCell {
    int row = 0;
    int p = 0;
    bool operator==(const PipeCell&) const = default;
};

struct PipeShot {
    int kind = 0;  // 1..6 pieces, 8 filler
    PipeCell cell;
};

struct PipePlan {
    std::vector<PipeShot> shots;     // in the order they are fired
    std::vector<PipeCell> pipeline;  // the water's way from the outlet to the inlet
    int presets = 0;                 // bonus pieces of the level the water passes
    std::array<int, 11> used{};      // pieces taken from the stock, by kind
    int Score() const;               // points the water earns (no X2)
};

struct PipeSolveOptions {
    long nodeLimit = 4000000;  // pipeline candidates looked at before the best ones are tried
    int tries = 12;            // best plans played on a copy of the game before giving up
};

struct PipePlanning {
    std::vector<PipePlan> plans;  // best first: most bonus pieces, then the fewest pieces fired
    long pipelines = 0;           // pipelines the stock can build (all of them when complete)
    bool complete = false;        // the search looked at every pipeline within the node limit
};

// The plans for the level the game has just started; none when the stock cannot build any.
PipePlanning PlanPipeLevel(const Game& game, const PipeSolveOptions& options);

struct PipeLevelRun {
    int level = 0;
    bool won = false;
    PipePlan plan;
    int ticks = 0;        // from the level start to the water reaching the target
    int timeAtWater = 0;  // TimeLeft when "Los!" was pressed
    int scoreGained = 0;
    long pipelines = 0;  // how many pipelines the stock can build
    bool allCounted = false;
    std::array<int, 11> stock{};  // the level's stock when it started
    std::string drawing;          // the field with the plan's pieces, as the sources draw it
    std::string why;              // what went wrong, when it did
};

// Solves one pipe level on its own, as the first level of a new game's lap 1.
PipeLevelRun SolvePipeLevel(const std::string& resDir, int level, const PipeSolveOptions& options);

struct PipeCampaign {
    std::vector<PipeLevelRun> levels;
    bool lapDone = false;  // all 26 won and level 1 of lap 2 started
    int ticks = 0;         // the run's length, splash to lap 2
    int finalScore = 0;
    std::vector<std::string> script;  // "TICK EVENT" lines for rhombulus2-headless --input
};

// A new game from the splash through the menus into Pipe, every level solved and played in
// one game, until level 1 of lap 2 has started. The script replays it with the runner.
PipeCampaign PlayPipeCampaign(const std::string& resDir, std::uint64_t seed,
                              const PipeSolveOptions& options);

// The field as the sources draw it, with a plan's pieces in their places.
std::string DrawPipePlan(const Game& game, const PipePlan& plan);

}  // namespace levels
