#include "shell/level_bot.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "core/game.h"
#include "playfield/cannon.h"
#include "playfield/extras.h"
#include "playfield/field_rules.h"
#include "playfield/tables.h"
#include "shell/input.h"
#include "shell/shot_search.h"
#include "shell/trial.h"

namespace levels {

namespace {

constexpr int kCannonReach = kPuzzleField.cannonReachLeft;
constexpr int kWaitingStoneY = kPuzzleField.waitingStoneY;  // the stone on the cannon waits here
constexpr int kSettleLimit = 160;  // ticks a trial shot may take to come to rest
constexpr int kMouseY = 300;
constexpr int kBeam = 4;       // first shots looked at two shots deep
constexpr int kPatience = 25;  // shots without progress before the high stones weigh more
constexpr int kBottomLine = kPuzzleField.bottomLineY;

bool Present(const Game& g, int s) {
    return g.stones.StoneState[s] > 0;
}

bool IsColoured(int colour) {
    return colour >= 1 && colour <= 9;
}

// Coloured stones in the field, leaving out the one waiting on the cannon.
int FieldStones(const Game& g) {
    int n = 0;
    for (int s = 1; s <= g.stones.StoneCount; ++s)
        if (Present(g, s) && IsColoured(g.stones.StoneColour[s]) &&
            g.stones.StoneY[s] < kWaitingStoneY)
            ++n;
    return n;
}

bool AnythingRising(const Game& g) {
    for (int s = 1; s <= g.stones.StoneCount; ++s)
        if (Present(g, s) && g.stones.StoneMotion[s] > 0) return true;
    return false;
}

bool ShotFlying(const Game& g) {
    for (int s = 1; s <= g.stones.StoneCount; ++s)
        if (Present(g, s) && g.stones.StoneMotion[s] == 1) return true;
    return false;
}

bool Over(const Game& g) {
    return g.play.LevelCleared || g.play.TimeUp;
}

// The cannon holds something ready to fire and nothing flies.
bool CanFire(const Game& g) {
    const CannonState& c = g.players[kSoloPlayer].cannon;
    if (Over(g) || c.NeedReload != 0 || c.LoadedStone == 0 || ShotFlying(g)) return false;
    if (c.LoadedStone >= kLoadedExtraBase) {
        const int i = c.LoadedStone - kLoadedExtraBase;
        return i >= 1 && i <= kMaxExtras && g.extras.ExtraType[i] > 0 &&
               g.extras.ExtraPhase[i] == 2;
    }
    const int s = c.LoadedStone;
    return s <= g.stones.StoneCount && Present(g, s) && g.stones.StoneMotion[s] == 0 &&
           g.stones.StoneY[s] == kWaitingStoneY;
}

// Pairs of diagonal neighbours that share a colour (the raw material of the next groups),
// stones with no neighbour of their colour, and how far the field reaches down.
struct Shape {
    int pairs = 0;
    int loners = 0;
    int lonerHeight = 0;  // rows above the bottom line, summed over the loners
    int depth = 0;        // rows below y 300, summed over the stones: room that is running out
};

Shape FieldShape(const Game& g) {
    const StoneTable& t = g.stones;
    Shape shape;
    for (int a = 1; a <= t.StoneCount; ++a) {
        if (!Present(g, a) || !IsColoured(t.StoneColour[a]) || t.StoneY[a] >= kWaitingStoneY)
            continue;
        bool partner = false;
        for (int b = 1; b <= t.StoneCount; ++b) {
            if (b == a || !Present(g, b) || t.StoneColour[b] != t.StoneColour[a]) continue;
            if (std::abs(t.StoneX[a] - t.StoneX[b]) == 30 &&
                std::abs(t.StoneY[a] - t.StoneY[b]) == 30) {
                partner = true;
                if (b > a) ++shape.pairs;
            }
        }
        if (!partner) {
            ++shape.loners;
            shape.lonerHeight += (kBottomLine - t.StoneY[a]) / 30;
        }
        if (t.StoneY[a] > 300) shape.depth += (t.StoneY[a] - 300) / 30;
    }
    return shape;
}

// Extras now falling that the cannon may still catch, weighed by how much they help.
double FallingExtrasValue(const Game& g) {
    double v = 0;
    for (int i = 1; i <= kMaxExtras; ++i) {
        if (g.extras.ExtraType[i] == 0 || g.extras.ExtraPhase[i] != 1) continue;
        switch (g.extras.ExtraType[i]) {
            case kExtraClock:
                v += g.players[kSoloPlayer].TimeLeft < 600 ? 60 : 15;
                break;
            case kExtraFlash:
                v -= 10;
                break;
            default:
                v += 15;
        }
    }
    return v;
}

void Aim(Game& g, int x) {
    DXDraw1MouseMove(g, x, kMouseY);
}

// Fires at column x and runs the game until the field is still and the cannon ready again.
int Fire(Game& t, int x, GameTick tick) {
    Aim(t, x);
    DXDraw1MouseDown(t);
    BotStep(t, tick);
    int ticks = 1;
    while (ticks < kSettleLimit && !Over(t) && (!CanFire(t) || AnythingRising(t))) {
        BotStep(t, tick);
        ++ticks;
    }
    return ticks;
}

// How much better the field `after` is than `before`, for the player. `urgency` grows while
// the field stops shrinking: then the stones high up, which are easy to leave, weigh more.
double Value(const Game& before, const Game& after, int ticks, double urgency) {
    if (after.play.LevelCleared) return 1e9 - ticks;
    if (after.play.TimeUp) return -1e9;
    const int removed = FieldStones(before) - FieldStones(after);
    const int timeGain = after.players[kSoloPlayer].TimeLeft - before.players[kSoloPlayer].TimeLeft;
    const Shape shape = FieldShape(after);
    return 12.0 * removed + 1.0 * timeGain + 6.0 * shape.pairs - 5.0 * shape.loners -
           urgency * shape.lonerHeight - 2.0 * shape.depth + FallingExtrasValue(after);
}

// The field as text, the way the level sources draw it, with the stone on the cannon below.
void ShowField(const Game& g, int column) {
    const int m = g.play.FieldCentreX;
    std::string rows[17];
    for (int r = 0; r < 17; ++r) rows[r] = std::string(21, ' ');
    for (int s = 1; s <= g.stones.StoneCount; ++s) {
        if (!Present(g, s)) continue;
        const int x = g.stones.StoneX[s], y = g.stones.StoneY[s];
        const int col = (x - m + 300) / 30;
        if (col < 0 || col > 20) continue;
        const int colour = g.stones.StoneColour[s];
        const char ch = colour == 10 ? '#' : static_cast<char>('0' + colour);
        if (y == kWaitingStoneY)
            rows[16][col] = ch;
        else if (y >= 0 && y % 30 == 0 && y / 30 < 16)
            rows[y / 30][col] = ch;
    }
    std::printf("time %d, firing at column %+d\n", g.players[kSoloPlayer].TimeLeft,
                (column - m) / 30);
    for (const std::string& r : rows) std::printf("  |%s|\n", r.c_str());
}

class Player {
  public:
    Player(Game& g, GameTick tick, bool show, const std::function<void()>& onTrial)
        : g_(g),
          tick_(tick),
          trial_(std::make_unique<Game>()),
          second_(std::make_unique<Game>()),
          show_(show),
          onTrial_(onTrial) {
        trial_->platform = g.platform;
        second_->platform = g.platform;
    }

    // One tick of play: choose inputs, then step the game.
    void Tick() {
        if (CanFire(g_)) {
            const int x = BestColumn();
            if (show_) ShowField(g_, x);
            Aim(g_, x);
            DXDraw1MouseDown(g_);
            ++shots_;
            watchedShot_ = g_.players[kSoloPlayer].cannon.LoadedStone < kLoadedExtraBase
                               ? g_.players[kSoloPlayer].cannon.LoadedStone
                               : 0;
        } else {
            Aim(g_, CatchColumn());
        }
        const int scoreBefore = g_.players[kSoloPlayer].Score;
        const bool shotWasFlying =
            watchedShot_ && Present(g_, watchedShot_) && g_.stones.StoneMotion[watchedShot_] == 1;
        BotStep(g_, tick_);
        if (watchedShot_ && !Present(g_, watchedShot_)) {
            // Gone without a single point scored: it burst at a tip.
            if (shotWasFlying && g_.players[kSoloPlayer].Score == scoreBefore) ++tipHits_;
            watchedShot_ = 0;
        } else if (watchedShot_ && g_.stones.StoneMotion[watchedShot_] == 0) {
            watchedShot_ = 0;
        }
    }

    int shots() const { return shots_; }
    int tipHits() const { return tipHits_; }

  private:
    // Two shots deep: every column for this shot, then every column for the next one after
    // the few most promising first shots.
    int BestColumn() {
        const int m = g_.play.FieldCentreX;
        // Shots since the field last reached a new low in stones.
        const int stones = FieldStones(g_);
        if (stones < fewest_) {
            fewest_ = stones;
            since_ = 0;
        }
        ++since_;
        const double urgency = since_ < kPatience ? 0.5 : 0.5 + (since_ - kPatience) / 10.0;
        ShotSearch search;
        search.firstColumn = m - kCannonReach;
        search.lastColumn = m + kCannonReach;
        search.spacing = 30;
        search.nearest = m;
        search.beam = kBeam;
        return BestColumnTwoShotsDeep(
            g_, *trial_, *second_, search,
            [this](Game& t, int x) {
                if (onTrial_) onTrial_();
                return Fire(t, x, tick_);
            },
            [&](const Game& t, int ticks) { return Value(g_, t, ticks, urgency); },
            [](const Game& t) { return !Over(t) && CanFire(t); }, [](int, int) { return 0.0; },
            CopyIntoTrial);
    }

    // Where the cannon should wait: under a falling extra worth having, away from a flash.
    int CatchColumn() const {
        const ExtrasTable& e = g_.extras;
        const int m = g_.play.FieldCentreX;
        const bool holding = g_.players[kSoloPlayer].cannon.LoadedStone >= kLoadedExtraBase;
        int target = g_.input.MouseX ? g_.input.MouseX : m;
        int lowest = -1;
        for (int i = 1; i <= kMaxExtras; ++i) {
            if (e.ExtraType[i] == 0 || e.ExtraPhase[i] != 1) continue;
            if (e.ExtraY[i] > g_.players[kSoloPlayer].cannon.CannonY + 30)
                continue;  // already past the cannon
            const int type = e.ExtraType[i];
            if (type == kExtraFlash) {
                if (std::abs(target - e.ExtraX[i]) < 40 + e.ExtraHalfW[i] + 30)
                    target = e.ExtraX[i] < m ? m + kCannonReach : m - kCannonReach;
                continue;
            }
            const bool instant = type == kExtraClock || type == kExtraX2;
            if (holding && !instant) continue;
            if (e.ExtraY[i] > lowest) {
                lowest = e.ExtraY[i];
                target = e.ExtraX[i];
            }
        }
        if (target < m - kCannonReach) target = m - kCannonReach;
        if (target > m + kCannonReach) target = m + kCannonReach;
        return target;
    }

    Game& g_;
    GameTick tick_;
    std::unique_ptr<Game> trial_;
    std::unique_ptr<Game> second_;
    bool show_ = false;
    const std::function<void()>& onTrial_;
    int shots_ = 0;
    int tipHits_ = 0;
    int watchedShot_ = 0;
    int fewest_ = 1 << 30;
    int since_ = 0;
};

}  // namespace

// Plays the level in progress until it is cleared, lost or out of ticks, and records the run
// from the time and score it had when it started.
void BotStep(Game& g, GameTick tick) {
    tick(g);
    g.sound.SoundRequest.fill(0);
    // A press lasts one tick; a shot that could not leave must not leave later by surprise.
    DXDraw1MouseUp(g);
}

void PlayUntilOver(Game& g, const BotPlay& options, LevelRun& run) {
    run.timeStart = g.players[kSoloPlayer].TimeLeft;
    const int scoreStart = g.players[kSoloPlayer].Score;
    Player player(g, options.tick, options.show, options.onTrial);
    int ticks = 0;
    while (!Over(g) && ticks < options.maxTicksPerLevel) {
        const int shots = player.shots();
        player.Tick();
        ++ticks;
        if (options.onShot && player.shots() != shots) options.onShot(player.shots());
    }
    run.cleared = g.play.LevelCleared != 0;
    run.shots = player.shots();
    run.tipHits = player.tipHits();
    run.ticks = ticks;
    run.timeLeft = g.players[kSoloPlayer].TimeLeft;
    run.scoreGained = g.players[kSoloPlayer].Score - scoreStart;
}

}  // namespace levels
