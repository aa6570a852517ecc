#include "pipe_solver.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "core/game.h"
#include "modes/level_start.h"
#include "platform/headless/headless_platform.h"
#include "playfield/field_rules.h"
#include "runner/runner.h"
#include "shell/disk_levels.h"
#include "shell/frame_loop.h"

namespace levels {

namespace {

constexpr const FieldRules& kField = kPipeField;
constexpr int kSpacing = kField.spacing;
constexpr int kRows = 24;  // lattice rows 0..23 (the cannon's stone waits in row 16)
constexpr int kColumns = 21;
constexpr int kBottomRow = kField.bottomLineY / kSpacing;  // row 14, the last a stone keeps
constexpr int kAnchor = 10;

// --- the field as a grid ------------------------------------------------------------------
enum Dir { kNW = 0, kNE = 1, kSW = 2, kSE = 3 };
constexpr int kDr[4] = {-1, -1, 1, 1};
constexpr int kDp[4] = {-1, 1, -1, 1};
constexpr int Opposite(int d) {
    return 3 - d;
}
// The two openings of kinds 1..6.
constexpr int kOpenings[7][2] = {{-1, -1},   {kNW, kSE}, {kNE, kSW}, {kNE, kSE},
                                 {kNW, kNE}, {kNW, kSW}, {kSW, kSE}};

bool Opens(int kind, int d) {
    return kind >= 1 && kind <= 6 && (kOpenings[kind][0] == d || kOpenings[kind][1] == d);
}
int OtherOpening(int kind, int d) {
    return kOpenings[kind][0] == d ? kOpenings[kind][1] : kOpenings[kind][0];
}
int KindJoining(int a, int b) {
    for (int k = 1; k <= 6; ++k)
        if (Opens(k, a) && Opens(k, b) && a != b) return k;
    return 0;
}
PipeCell Next(PipeCell c, int d) {
    return {c.row + kDr[d], c.p + kDp[d]};
}

struct Board {
    int left = 0;                                             // x of p = 0
    std::array<std::array<int, kColumns + 2>, kRows> kind{};  // 0 empty; p is stored at p + 1
    std::array<std::array<bool, kColumns + 2>, kRows> preset{};

    bool Inside(PipeCell c) const {
        return c.row >= 0 && c.row < kRows && c.p >= -1 && c.p <= kColumns;
    }
    int At(PipeCell c) const { return Inside(c) ? kind[c.row][c.p + 1] : 0; }
    bool Preset(PipeCell c) const { return Inside(c) && preset[c.row][c.p + 1]; }
    int X(PipeCell c) const { return left + kSpacing * c.p; }
    int Y(PipeCell c) const { return kSpacing * c.row; }
    PipeCell CellOf(int x, int y) const { return {y / kSpacing, (x - left) / kSpacing}; }
    bool OnGrid(int x, int y) const {
        return y >= 0 && y % kSpacing == 0 && x >= left && (x - left) % kSpacing == 0;
    }
};

Board ReadBoard(const Game& g) {
    Board b;
    b.left = g.play.FieldCentreX - 9 * kSpacing;
    const StoneTable& t = g.stones;
    for (int s = 1; s <= kMaxStones; ++s) {
        if (t.StoneState[s] <= 0 || t.StoneMotion[s] != 0) continue;
        if (s == g.players[kSoloPlayer].cannon.LoadedStone && t.StoneY[s] == kField.waitingStoneY)
            continue;
        if (!b.OnGrid(t.StoneX[s], t.StoneY[s])) continue;
        const PipeCell c = b.CellOf(t.StoneX[s], t.StoneY[s]);
        if (!b.Inside(c)) continue;
        b.kind[c.row][c.p + 1] = t.StoneColour[s];
        b.preset[c.row][c.p + 1] = t.StonePreset[s] != 0;
    }
    return b;
}

// The lowest lattice point of column p a shot reaches first.
int FirstRow(int p) {
    const int row = (kField.waitingStoneY - 1) / kSpacing;  // 16
    return (row - p) % 2 == 0 ? row : row - 1;
}

struct Limits {
    int pMin = 0;
    int pMax = 0;
};

Limits CannonLimits(const Board& b, int centre) {
    return {(centre - kField.cannonReachLeft - b.left) / kSpacing,
            (centre + kField.cannonReachRight - b.left) / kSpacing};
}

// Whether a shot in the cell's column can rise as far as the cell with nothing but the level's
// own stones in the field below it (pieces placed top-down never stand in the way).
bool ShotReaches(const Board& b, const Limits& lim, PipeCell c) {
    if (c.p < lim.pMin || c.p > lim.pMax || c.row < 1 || c.row > kBottomRow) return false;
    if (b.At(c) != 0) return false;
    for (int r = FirstRow(c.p); r > c.row; r -= 2) {
        if (b.At({r - 1, c.p - 1}) != 0 || b.At({r - 1, c.p + 1}) != 0) return false;
        if (r - 2 > c.row && b.At({r - 2, c.p}) != 0) return false;
    }
    return true;
}

// --- the search for a pipeline -------------------------------------------------------------
struct PathStep {
    PipeCell cell;
    int kind = 0;
    bool fresh = false;  // a piece from the stock (else the level's own)
};

class Planner {
  public:
    Planner(const Game& g, const PipeSolveOptions& options) : b_(ReadBoard(g)), options_(options) {
        lim_ = CannonLimits(b_, g.play.FieldCentreX);
        const PipeState& pipe = g.pipe;
        outlet_ = b_.CellOf(pipe.SourceX + 30, pipe.SourceY + 60);
        inlet_ = b_.CellOf(pipe.DrainX - 30, pipe.DrainY + 60);
        for (int k = 1; k <= kPipeStockKinds; ++k) stock_[k] = pipe.PipeStock[k];
        for (int r = 0; r < kRows; ++r)
            for (int p = -1; p <= kColumns; ++p)
                if (b_.At({r, p}) >= 1 && b_.At({r, p}) <= 6) ++levelPieces_;
    }

    PipePlanning Run() {
        Dfs(outlet_, kNW);
        PipePlanning result;
        for (const Found& f : found_) result.plans.push_back(f.plan);
        result.pipelines = pipelines_;
        result.complete = nodes_ <= options_.nodeLimit;
        return result;
    }

  private:
    struct Found {
        PipePlan plan;
        int fresh = 0;
    };

    static int Distance(PipeCell a, PipeCell b) {
        return std::max(std::abs(a.row - b.row), std::abs(a.p - b.p));
    }
    int StockLeft() const {
        int n = 0;
        for (int k = 1; k <= 6; ++k) n += stock_[k];
        return n;
    }

    void Dfs(PipeCell c, int entry) {
        if (++nodes_ > options_.nodeLimit) return;
        if (!b_.Inside(c) || c.row < 1 || c.row > kBottomRow || Visited(c)) return;
        // Every cell from here to the inlet needs a piece.
        if (StockLeft() + levelPieces_ - levelUsed_ < Distance(c, inlet_) + 1) return;
        const int here = b_.At(c);
        if (here >= 1 && here <= 6) {
            if (Opens(here, entry)) Visit(c, here, false, OtherOpening(here, entry));
            return;
        }
        if (here != 0 || !ShotReaches(b_, lim_, c)) return;
        // Towards the inlet first.
        int order[4] = {kNW, kNE, kSW, kSE};
        std::stable_sort(order, order + 4, [&](int a, int d) {
            return Distance(Next(c, a), inlet_) < Distance(Next(c, d), inlet_);
        });
        for (int exit : order) {
            if (exit == entry) continue;
            const int kind = KindJoining(entry, exit);
            if (stock_[kind] == 0) continue;
            --stock_[kind];
            Visit(c, kind, true, exit);
            ++stock_[kind];
        }
    }

    void Visit(PipeCell c, int kind, bool fresh, int exit) {
        visited_[c.row][c.p + 1] = true;
        path_.push_back({c, kind, fresh});
        if (!fresh) ++levelUsed_;
        if (c == inlet_ && Opens(kind, kNE)) {
            Record();
        } else {
            Dfs(Next(c, exit), Opposite(exit));
        }
        if (!fresh) --levelUsed_;
        path_.pop_back();
        visited_[c.row][c.p + 1] = false;
    }

    bool Visited(PipeCell c) const { return visited_[c.row][c.p + 1]; }

    // A complete pipeline: its pieces go in top-down, so that every piece finds the one it
    // hangs from already in place and no piece below stands in a later shot's way. A bend open
    // downwards hangs from nothing of the pipeline: it needs a stone beside its top, a filler
    // when the field has none there.
    void Record() {
        Board after = b_;
        for (const PathStep& s : path_) after.kind[s.cell.row][s.cell.p + 1] = s.kind;
        std::vector<PipeShot> shots;
        int fillers = stock_[kPipeFiller];
        for (const PathStep& s : path_) {
            if (!s.fresh) continue;
            shots.push_back({s.kind, s.cell});
            if (s.cell.row == 1) continue;
            const PipeCell ul = Next(s.cell, kNW), ur = Next(s.cell, kNE);
            if (after.At(ul) != 0 || after.At(ur) != 0) continue;
            bool held = false;
            for (PipeCell f : {ul, ur}) {
                // Only the level's stones can stand below it: the rest goes in after it.
                if (held || fillers == 0 || after.At(f) != 0 || !ShotReaches(b_, lim_, f)) continue;
                if (f.row != 1 && after.At(Next(f, kNW)) == 0 && after.At(Next(f, kNE)) == 0)
                    continue;
                after.kind[f.row][f.p + 1] = kPipeFiller;
                shots.push_back({kPipeFiller, f});
                --fillers;
                held = true;
            }
            if (!held) return;
        }
        std::stable_sort(shots.begin(), shots.end(), [](const PipeShot& a, const PipeShot& d) {
            return a.cell.row < d.cell.row;
        });
        ++pipelines_;
        Found f;
        f.plan.shots = shots;
        for (const PathStep& s : path_) {
            f.plan.pipeline.push_back(s.cell);
            if (!s.fresh && b_.Preset(s.cell)) ++f.plan.presets;
        }
        for (const PipeShot& s : shots) ++f.plan.used[s.kind];
        f.fresh = static_cast<int>(shots.size());
        // Best first: most bonus pieces, then the fewest pieces fired.
        auto better = [](const Found& a, const Found& d) {
            return a.plan.presets != d.plan.presets ? a.plan.presets > d.plan.presets
                                                    : a.fresh < d.fresh;
        };
        auto at = std::upper_bound(found_.begin(), found_.end(), f, better);
        if (static_cast<int>(at - found_.begin()) >= options_.tries) return;
        found_.insert(at, f);
        if (static_cast<int>(found_.size()) > options_.tries) found_.pop_back();
    }

    Board b_;
    const PipeSolveOptions& options_;
    Limits lim_;
    PipeCell outlet_, inlet_;
    std::array<int, kPipeStockKinds + 1> stock_{};
    int levelPieces_ = 0;
    int levelUsed_ = 0;
    std::array<std::array<bool, kColumns + 2>, kRows> visited_{};
    std::vector<PathStep> path_;
    std::vector<Found> found_;
    long nodes_ = 0;
    long pipelines_ = 0;
};

// --- playing a plan through the game's inputs ----------------------------------------------
constexpr int kLosX = 750;  // over the side panel's first button, "Los!"
constexpr int kLosY = 405;
constexpr int kFieldPointerY = 300;

// Where the pointer takes a piece of this kind from the column.
int ColumnPointerY(int kind) {
    const int row = kind == kPipeFiller ? 6 : kind == kPipeObstacle ? 8 : kind - 1;
    return 22 + 70 * row + 35;
}

// A game stepped as rhombulus2-headless steps it: the events of a tick, then the tick without
// drawing. Every event is written down as a line of the runner's input script.
class Stepper {
  public:
    Stepper(Game& g, HeadlessPlatform& platform, std::vector<std::string>* script)
        : g_(g), platform_(platform), script_(script) {}

    void Move(int x, int y) { Event("move", x, y); }
    void Down() { Event("down", 0, 0); }
    void Up() { Event("up", 0, 0); }
    void Key(const std::string& name) {
        Event("keydown", 0, 0, name);
        Tick();
        Event("keyup", 0, 0, name);
    }
    void Tick() {
        platform_.wavesThisTick.clear();
        FrameTick(g_, false);
    }
    Game& game() { return g_; }

  private:
    void Event(const std::string& kind, int x, int y, const std::string& arg = "") {
        ScriptEvent e;
        e.tick = g_.shell.FrameCounter + 1;
        e.kind = kind;
        e.x = x;
        e.y = y;
        e.arg = arg;
        ApplyScriptEvent(g_, e, focused_);
        if (script_ == nullptr) return;
        std::string line = std::to_string(e.tick) + " " + kind;
        if (kind == "move") line += " " + std::to_string(x) + " " + std::to_string(y);
        if (!arg.empty()) line += " " + arg;
        script_->push_back(line);
    }

    Game& g_;
    HeadlessPlatform& platform_;
    std::vector<std::string>* script_;
    bool focused_ = true;
};

bool Over(const Game& g) {
    return g.play.LevelCleared != 0 || g.play.TimeUp != 0 || g.shell.ScreenId != kScreenGame;
}

bool Flying(const Game& g) {
    const StoneTable& t = g.stones;
    for (int s = 1; s <= t.StoneCount; ++s)
        if (t.StoneState[s] > 0 && t.StoneMotion[s] != 0) return true;
    return false;
}

// Plays the plan's shots, presses "Los!" and lets the water run until the level is decided.
// The game must stand at the start of the level, its side buttons ready or about to be.
bool PlayPlan(Stepper& st, const PipePlan& plan, PipeLevelRun& run) {
    Game& g = st.game();
    const int start = g.shell.FrameCounter;
    const int scoreStart = g.players[kSoloPlayer].Score;
    const Board board = ReadBoard(g);
    constexpr int kPatience = 400;  // ticks an action may take before the run gives up
    auto waitFor = [&](auto ready) {
        for (int i = 0; i < kPatience && !Over(g); ++i) {
            if (ready()) return true;
            st.Tick();
        }
        return ready();
    };
    for (const PipeShot& shot : plan.shots) {
        const CannonState& c = g.players[kSoloPlayer].cannon;
        if (!waitFor(
                [&] { return c.CannonLoad == kFullLoad && c.NeedReload == 1 && !Flying(g); })) {
            run.why = "the cannon never became ready";
            return false;
        }
        st.Move(20, ColumnPointerY(shot.kind));
        st.Down();
        st.Tick();
        st.Up();
        const int piece = c.LoadedStone;
        if (c.NeedReload != 0 || !IsStoneSlot(piece) || g.stones.StoneColour[piece] != shot.kind) {
            run.why = "no piece of kind " + std::to_string(shot.kind) + " in the column";
            return false;
        }
        st.Move(board.X(shot.cell), kFieldPointerY);
        st.Down();
        st.Tick();
        st.Up();
        if (g.stones.StoneMotion[piece] != 1) {
            run.why = "the shot did not leave";
            return false;
        }
        waitFor(
            [&] { return g.stones.StoneState[piece] <= 0 || g.stones.StoneMotion[piece] == 0; });
        if (g.stones.StoneState[piece] <= 0 || g.stones.StoneX[piece] != board.X(shot.cell) ||
            g.stones.StoneY[piece] != board.Y(shot.cell)) {
            run.why = "the piece for row " + std::to_string(shot.cell.row) + ", x " +
                      std::to_string(board.X(shot.cell)) + " did not come to rest there";
            return false;
        }
    }
    if (!waitFor([&] { return g.buttons.ButtonDelay[1] == 0 && !Flying(g); })) {
        run.why = "the level ended before the pipeline was finished";
        return false;
    }
    run.timeAtWater = g.players[kSoloPlayer].TimeLeft;
    st.Move(kLosX, kLosY);
    st.Down();
    st.Tick();
    st.Up();
    while (!Over(g) && g.shell.FrameCounter - start < 100000) st.Tick();
    run.ticks = g.shell.FrameCounter - start;
    run.scoreGained = g.players[kSoloPlayer].Score - scoreStart;
    run.won = g.play.LevelCleared != 0;
    if (!run.won) run.why = g.play.TimeUp != 0 ? "the water ran into nothing" : "no end";
    return run.won;
}

// A copy of a game that can be stepped on its own, without the pictures.
struct Trial {
    HeadlessPlatform platform;
    std::unique_ptr<Game> game = std::make_unique<Game>();
    explicit Trial(const Game& from, const HeadlessPlatform& livePlatform)
        : platform(livePlatform) {
        *game = from;
        game->platform = &platform;
        game->recorder = nullptr;
    }
};

// Tries the best plans on copies of the game; the first that wins is the level's.
PipeLevelRun SolveFrom(const Game& g, const HeadlessPlatform& platform,
                       const PipeSolveOptions& options) {
    PipeLevelRun run;
    run.level = g.play.LevelNumber;
    for (int k = 1; k <= kPipeStockKinds; ++k) run.stock[k] = g.pipe.PipeStock[k];
    const PipePlanning planning = PlanPipeLevel(g, options);
    run.pipelines = planning.pipelines;
    run.allCounted = planning.complete;
    if (planning.plans.empty()) run.why = "no pipeline fits the stock";
    for (const PipePlan& plan : planning.plans) {
        Trial trial(g, platform);
        Stepper st(*trial.game, trial.platform, nullptr);
        PipeLevelRun attempt;
        attempt.level = run.level;
        attempt.stock = run.stock;
        attempt.pipelines = run.pipelines;
        attempt.allCounted = run.allCounted;
        attempt.plan = plan;
        attempt.drawing = DrawPipePlan(g, plan);
        if (PlayPlan(st, plan, attempt)) return attempt;
        run = attempt;
    }
    return run;
}

}  // namespace

int PipePlan::Score() const {
    const int pieces = static_cast<int>(pipeline.size());
    return pieces <= 1 ? 0 : (pieces - 1 - presets) * 100 + presets * 1000;
}

PipePlanning PlanPipeLevel(const Game& game, const PipeSolveOptions& options) {
    Planner planner(game, options);
    return planner.Run();
}

PipeLevelRun SolvePipeLevel(const std::string& resDir, int level, const PipeSolveOptions& options) {
    HeadlessPlatform platform;
    auto g = std::make_unique<Game>();
    g->platform = &platform;
    g->env.levels = &DiskLevels();
    g->env.resDir = resDir;
    g->rng.Seed(1);
    g->shell.Language = 2;
    g->shell.FrameCounter = 3;  // past start-up, as in any real game
    PipeLevelRun run;
    run.level = level;
    if (!StartLevel(*g, g->env, level, kModePipe, 1, 0)) {
        run.why = "the level does not start";
        return run;
    }
    return SolveFrom(*g, platform, options);
}

PipeCampaign PlayPipeCampaign(const std::string& resDir, std::uint64_t seed,
                              const PipeSolveOptions& options) {
    PipeCampaign campaign;
    HeadlessPlatform platform;
    auto g = std::make_unique<Game>();
    InitGame(*g, platform, resDir, seed);
    Stepper st(*g, platform, &campaign.script);
    // The splash (Escape), "Spiel starten", "Pipe".
    while (g->shell.FrameCounter < 4) st.Tick();
    st.Key("escape");
    auto click = [&](int x, int y) {
        for (int i = 0; i < 25; ++i) st.Tick();
        st.Move(x, y);
        st.Tick();
        st.Down();
        st.Tick();
        st.Up();
    };
    click(400, 350);
    click(400, 430);
    st.Tick();
    // The pictures stay out of the copies the solver tries its plans on.
    Bitmaps pictures = std::move(g->bitmaps);
    Surface backBuffer = std::move(g->backBuffer);
    while (g->shell.ScreenId == kScreenGame && g->play.LapNumber == 1) {
        const int level = g->play.LevelNumber;
        PipeLevelRun run = SolveFrom(*g, platform, options);
        if (run.won) {
            // The same inputs at the same ticks: the game in the script does what the copy did.
            PipeLevelRun live = run;
            live.won = false;
            live.why.clear();
            PlayPlan(st, run.plan, live);
            run = live;
        }
        campaign.levels.push_back(run);
        if (!run.won) break;
        while (g->shell.ScreenId == kScreenGame && g->play.LevelNumber == level) st.Tick();
    }
    for (int i = 0; i < 10; ++i) st.Tick();
    campaign.lapDone = g->shell.ScreenId == kScreenGame && g->play.GameMode == kModePipe &&
                       g->play.LevelNumber == 1 && g->play.LapNumber == 2;
    campaign.ticks = g->shell.FrameCounter;
    campaign.finalScore = g->players[kSoloPlayer].Score;
    g->bitmaps = std::move(pictures);
    g->backBuffer = std::move(backBuffer);
    return campaign;
}

std::string DrawPipePlan(const Game& game, const PipePlan& plan) {
    Board b = ReadBoard(game);
    for (const PipeShot& s : plan.shots) b.kind[s.cell.row][s.cell.p + 1] = s.kind;
    static const char kChars[] = ".\\/<v>^sXX#";
    std::ostringstream out;
    for (int r = 0; r <= kBottomRow; ++r) {
        std::string line(19, ' ');
        for (int p = 0; p < 19; ++p) {
            if ((p + r) % 2 != 0) continue;
            const int k = b.At({r, p});
            char ch = k >= 0 && k <= kAnchor ? kChars[k] : '?';
            if (k == kPipeFiller) ch = 'o';
            if (k >= 1 && k <= 2 && b.Preset({r, p})) ch = k == 1 ? 'N' : 'Z';
            line[p] = ch;
        }
        out << '|' << line << "|\n";
    }
    return out.str();
}

}  // namespace levels
