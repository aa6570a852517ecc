#include "modes/computer_player.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "core/simulation.h"
#include "playfield/field_rules.h"

namespace {

// The model's lattice: the 19 cells of a row 20 px apart from the field's left edge, rows 20 px
// apart from the anchor row down to the cannon's stone.
constexpr int kCols = 19;
constexpr int kRows = 21;
constexpr int kCell = 20;
constexpr int kAnchorRowY = 110;
constexpr int kHalfWidth = 180;
constexpr int kLoadedRow = 20;  // the stone on the cannon (y 510)
constexpr int kLastRow = 17;    // a stone resting lower than this bursts (y 460)
constexpr int kAnchor = 10;
constexpr std::uint8_t kEmpty = 0;

// A tick is 15 ms. A person who learned the game minutes ago shoots every 2-3 s and now and
// then misses the column; the strengths are set against the level tools' models of people.
constexpr ComputerTraits kTraits[4] = {
    {},
    // Leicht: a person ten minutes into the game: a shot every 2-3 s, a hand that misses the
    // column now and then, only the shot in hand weighed and often not well.
    {.reactMin = 20,
     .reactMax = 30,
     .thinkMin = 75,
     .thinkMax = 135,
     .pointerStep = 16,
     .settleTicks = 6,
     .aimError = 16,
     .lookAhead = 1,
     .misjudgePercent = 30,
     .roughness = 14.0},
    // Mittel: a player of some practice, a shot about every 1.5 s.
    {.reactMin = 16,
     .reactMax = 24,
     .thinkMin = 26,
     .thinkMax = 50,
     .pointerStep = 26,
     .settleTicks = 4,
     .aimError = 13,
     .lookAhead = 1,
     .misjudgePercent = 8,
     .roughness = 5.0},
    // Schwer: quick, plays the next stone through in its head, seldom wrong, a sure hand.
    {.reactMin = 9,
     .reactMax = 13,
     .thinkMin = 0,
     .thinkMax = 6,
     .pointerStep = 44,
     .settleTicks = 1,
     .aimError = 10,
     .lookAhead = 2,
     .misjudgePercent = 1,
     .roughness = 1.0},
};

struct Model {
    std::array<std::uint8_t, kCols * kRows> cell{};
    std::uint8_t At(int i, int j) const {
        return i >= 0 && i < kCols && j >= 0 && j < kRows ? cell[i * kRows + j] : kEmpty;
    }
    void Set(int i, int j, std::uint8_t colour) { cell[i * kRows + j] = colour; }
};

// What a shot did to the model.
struct Outcome {
    int groupStones = 0;  // stones gone in groups (points and time)
    int otherStones = 0;  // loose stones gone against a tip or below the line
    int tipHits = 0;      // shots lost against a tip (time off)
};

bool IsColoured(int colour) {
    return colour >= 1 && colour <= kLastColour;
}

FieldRules RulesOf(const Simulation& game, int player) {
    FieldRules r = MatchRulesOf(game, player);
    // Before the first level has placed the fields.
    if (r.centreX == 0)
        r.centreX = player == 1 ? kMatchLeftField.centreX : kMatchRightField.centreX;
    return r;
}

// The field as a person sees it: the resting stones of the player's half on the lattice.
Model SeeField(const Simulation& game, int player) {
    Model m;
    const StoneTable& t = game.stones;
    const FieldRules r = RulesOf(game, player);
    const int left = r.centreX - kHalfWidth;
    const int loaded = game.players[player].cannon.LoadedStone;
    const int last = std::min(r.scanLast, kMaxStones);
    for (int s = 1; s <= last; ++s) {
        if (t.StoneState[s] <= 0 || s == loaded || t.StoneMotion[s] != 0) continue;
        if (!OwnsX(r, t.StoneX[s])) continue;
        const int dx = t.StoneX[s] - left;
        const int dy = t.StoneY[s] - kAnchorRowY;
        if (dx < 0 || dy < 0 || dx % kCell != 0 || dy % kCell != 0) continue;
        const int i = dx / kCell;
        const int j = dy / kCell;
        const int colour = t.StoneColour[s];
        if (i < kCols && j < kRows && (IsColoured(colour) || colour == kAnchor))
            m.Set(i, j, static_cast<std::uint8_t>(colour));
    }
    return m;
}

// A stone rising in column i from row `from`: the row where it comes to rest beside a stone
// above it, or -1 when it runs into the tip of the stone straight above.
int Rise(const Model& m, int i, int from) {
    for (int r = from - 1; r >= 0; --r) {
        if (m.At(i - 1, r - 1) != kEmpty || m.At(i + 1, r - 1) != kEmpty) return r;
        if (m.At(i, r - 2) != kEmpty) return -1;
    }
    return -1;
}

// The group of the stone at (i, j): three or more touching stones of its colour burst.
int BurstGroup(Model& m, int i, int j) {
    const std::uint8_t colour = m.At(i, j);
    std::array<int, kCols * kRows> stack{};
    std::array<bool, kCols * kRows> seen{};
    int top = 0;
    int found = 0;
    std::array<int, kCols * kRows> group{};
    stack[top++] = i * kRows + j;
    seen[i * kRows + j] = true;
    while (top > 0) {
        const int at = stack[--top];
        group[found++] = at;
        const int ci = at / kRows;
        const int cj = at % kRows;
        for (const int di : {-1, 1}) {
            for (const int dj : {-1, 1}) {
                const int ni = ci + di;
                const int nj = cj + dj;
                if (m.At(ni, nj) != colour) continue;
                const int n = ni * kRows + nj;
                if (seen[n]) continue;
                seen[n] = true;
                stack[top++] = n;
            }
        }
    }
    if (found < 3) return 0;
    for (int k = 0; k < found; ++k) m.cell[group[k]] = kEmpty;
    return found;
}

// Stones that lost their hold rise until they touch the field again, which can burst more
// groups and loosen more stones; the lowest stones burst below the line.
void Settle(Model& m, Outcome& out) {
    for (int round = 0; round < 6; ++round) {
        std::array<bool, kCols * kRows> held{};
        struct Loose {
            int i, j;
            std::uint8_t colour;
        };
        std::array<Loose, kCols * kRows> loose{};
        int looseCount = 0;
        for (int j = 0; j < kRows; ++j) {
            for (int i = 0; i < kCols; ++i) {
                const std::uint8_t c = m.At(i, j);
                if (c == kEmpty) continue;
                const auto heldAt = [&](int a, int b) {
                    return a >= 0 && a < kCols && b >= 0 && held[a * kRows + b];
                };
                if (c == kAnchor || heldAt(i - 1, j - 1) || heldAt(i + 1, j - 1) ||
                    heldAt(i, j - 2))
                    held[i * kRows + j] = true;
                else
                    loose[looseCount++] = Loose{i, j, c};
            }
        }
        if (looseCount == 0) break;
        for (int k = 0; k < looseCount; ++k) m.Set(loose[k].i, loose[k].j, kEmpty);
        bool burst = false;
        for (int k = 0; k < looseCount; ++k) {
            const int r = Rise(m, loose[k].i, loose[k].j);
            if (r < 0) {
                ++out.otherStones;
                continue;
            }
            m.Set(loose[k].i, r, loose[k].colour);
            const int gone = BurstGroup(m, loose[k].i, r);
            out.groupStones += gone;
            burst = burst || gone > 0;
        }
        if (!burst) break;
    }
    for (int i = 0; i < kCols; ++i) {
        for (int j = kLastRow + 1; j < kRows; ++j) {
            if (IsColoured(m.At(i, j))) {
                m.Set(i, j, kEmpty);
                ++out.otherStones;
            }
        }
    }
}

void Shoot(Model& m, int i, int colour, Outcome& out) {
    const int r = Rise(m, i, kLoadedRow);
    if (r < 0) {
        ++out.tipHits;
        return;
    }
    m.Set(i, r, static_cast<std::uint8_t>(colour));
    const int gone = BurstGroup(m, i, r);
    out.groupStones += gone;
    if (gone > 0) Settle(m, out);
}

// How good a field is to play on: stones gone, touching pairs of one colour to build on, lone
// stones and stones hanging low are bad, an empty field wins.
double Judge(const Model& m, const Outcome& out) {
    int pairs = 0;
    int loners = 0;
    double low = 0;
    int left = 0;
    for (int i = 0; i < kCols; ++i) {
        for (int j = 0; j < kRows; ++j) {
            const std::uint8_t c = m.At(i, j);
            if (!IsColoured(c)) continue;
            ++left;
            int same = 0;
            for (const int di : {-1, 1}) {
                for (const int dj : {-1, 1}) same += m.At(i + di, j + dj) == c ? 1 : 0;
            }
            pairs += same;
            if (same == 0) ++loners;
            if (j > 9) low += (j - 9) * (j - 9) * 0.5;
        }
    }
    double v = 14.0 * out.groupStones + 8.0 * out.otherStones - 45.0 * out.tipHits + 2.0 * pairs -
               3.0 * loners - low;
    if (left == 0) v += 2000.0;
    return v;
}

// The colour the cannon hands out after `colour`: the next one present in the field, as a
// player who knows the game works it out from the stone on the cannon.
int NextColourAfter(const Model& m, int colour) {
    std::array<bool, kLastColour + 1> present{};
    for (const std::uint8_t c : m.cell) {
        if (IsColoured(c)) present[c] = true;
    }
    for (int k = 1; k <= kLastColour; ++k) {
        const int c = (colour + k - 1) % kLastColour + 1;
        if (present[c]) return c;
    }
    return 0;
}

int ColumnIndex(int centre, int x) {
    return (x - (centre - kHalfWidth)) / kCell;
}

double Weigh(const Model& seen, int centre, int colour, int x, int lookAhead) {
    Model m = seen;
    Outcome out;
    Shoot(m, ColumnIndex(centre, x), colour, out);
    const double now = Judge(m, out);
    if (lookAhead < 2) return now;
    // An empty field: there is no next shot, and clearing now beats clearing later.
    const int next = NextColourAfter(m, colour);
    if (next == 0) return 1.5 * now;
    double best = -1e18;
    const int reach = kMatchLeftField.cannonReachLeft;
    for (int x2 = centre - reach; x2 <= centre + reach; x2 += kCell) {
        Model m2 = m;
        Outcome out2 = out;
        Shoot(m2, ColumnIndex(centre, x2), next, out2);
        best = std::max(best, Judge(m2, out2));
    }
    // The first shot's own result counts too: a sure group now beats a hoped-for one later.
    return 0.5 * now + best;
}

// A held extra goes where the most stones hang near its column.
double WeighExtra(const Model& m, int centre, int x) {
    const int i = ColumnIndex(centre, x);
    int n = 0;
    for (int a = i - 2; a <= i + 2; ++a) {
        for (int j = 0; j < kRows; ++j) n += IsColoured(m.At(a, j)) ? 1 : 0;
    }
    return n;
}

bool Mine(const Simulation& game, const FieldRules& r, int s) {
    return game.stones.StoneState[s] > 0 && OwnsX(r, game.stones.StoneX[s]);
}

// The load on the cannon when a person could fire it now and the field has come to rest:
// its slot (a stone, or 10000 + a held extra), else 0.
int ReadyLoad(const Simulation& game, int player) {
    if (game.shell.ScreenId != kScreenMatch || game.play.LevelCleared != 0) return 0;
    const CannonState& c = game.players[player].cannon;
    if (c.NeedReload != 0 || c.NothingFlying == 0) return 0;
    const FieldRules r = RulesOf(game, player);
    const int last = std::min(r.scanLast, kMaxStones);
    for (int s = 1; s <= last; ++s) {
        if (Mine(game, r, s) && game.stones.StoneMotion[s] != 0) return 0;
    }
    if (IsStoneSlot(c.LoadedStone)) {
        const int s = c.LoadedStone;
        const bool waiting = game.stones.StoneState[s] > 0 && game.stones.StoneMotion[s] == 0 &&
                             game.stones.StoneY[s] == r.waitingStoneY;
        return waiting ? s : 0;
    }
    if (IsExtraSlot(c.LoadedStone)) {
        const int e = c.LoadedStone - kLoadedExtraBase;
        return game.extras.ExtraType[e] > 0 && game.extras.ExtraPhase[e] == 2 ? c.LoadedStone : 0;
    }
    return 0;
}

// Under the lowest extra falling in the field that the cannon can still catch, or 0.
int CatchColumn(const Simulation& game, int player) {
    const ExtrasTable& e = game.extras;
    const CannonState& c = game.players[player].cannon;
    const FieldRules r = RulesOf(game, player);
    const bool holding = IsExtraSlot(c.LoadedStone);
    int lowest = -1;
    int x = 0;
    for (int k = 1; k <= kMaxExtras; ++k) {
        if (e.ExtraType[k] == 0 || e.ExtraPhase[k] != 1 || !OwnsX(r, e.ExtraX[k])) continue;
        if (e.ExtraY[k] > c.CannonY + r.catchBelow) continue;
        // A held extra would be lost for one that does not act at once.
        const bool atOnce = e.ExtraType[k] == kExtraClock || e.ExtraType[k] == kExtraX2;
        if (holding && !atOnce) continue;
        if (e.ExtraY[k] > lowest) {
            lowest = e.ExtraY[k];
            x = e.ExtraX[k];
        }
    }
    if (lowest < 0) return 0;
    const int reach = r.cannonReachLeft;
    const int dx = std::clamp((x - r.centreX) / kCell * kCell, -reach, reach);
    return r.centreX + dx;
}

// Weighs the next few columns of the plan; true once every column has been weighed.
bool Think(const Simulation& game, int player, ComputerMind& mind, const ComputerTraits& t) {
    const FieldRules r = RulesOf(game, player);
    const int reach = r.cannonReachLeft;
    const int columns = 2 * reach / kCell + 1;
    const Model seen = SeeField(game, player);
    for (int k = 0; k < kTrialsPerTick && mind.NextTrial < columns; ++k, ++mind.NextTrial) {
        const int x = r.centreX - reach + kCell * mind.NextTrial;
        double v = IsExtraSlot(mind.PlannedLoad)
                       ? WeighExtra(seen, r.centreX, x)
                       : Weigh(seen, r.centreX, mind.PlannedColour, x, t.lookAhead);
        v += t.roughness * (mind.rng.Next(2001) - 1000) / 1000.0;
        if (mind.BestColumn == 0 || v > mind.BestValue) {
            mind.SecondColumn = mind.BestColumn;
            mind.SecondValue = mind.BestValue;
            mind.BestColumn = x;
            mind.BestValue = v;
        } else if (mind.SecondColumn == 0 || v > mind.SecondValue) {
            mind.SecondColumn = x;
            mind.SecondValue = v;
        }
    }
    return mind.NextTrial >= columns;
}

// The column it settles on: the best it found, unless it misjudges.
int Choose(const Simulation& game, int player, ComputerMind& mind, const ComputerTraits& t) {
    if (mind.rng.Next(100) >= t.misjudgePercent) return mind.BestColumn;
    const FieldRules r = RulesOf(game, player);
    if (mind.rng.Next(2) == 0 && mind.SecondColumn != 0) return mind.SecondColumn;
    const int x = mind.BestColumn + (mind.rng.Next(2) == 0 ? -kCell : kCell);
    return std::clamp(x, r.centreX - r.cannonReachLeft, r.centreX + r.cannonReachRight);
}

void StartThinking(const Simulation& game, ComputerMind& mind, const ComputerTraits& t, int load) {
    mind.Phase = 1;
    mind.PlannedLoad = load;
    mind.PlannedColour = IsStoneSlot(load) ? game.stones.StoneColour[load] : 0;
    mind.NextTrial = 0;
    mind.BestColumn = 0;
    mind.SecondColumn = 0;
    mind.BestValue = 0;
    mind.SecondValue = 0;
    mind.ReactTicks =
        mind.rng.Range(t.reactMin, t.reactMax) + mind.rng.Range(t.thinkMin, t.thinkMax);
    mind.SettleTicks = t.settleTicks;
}

// Where the pointer may go: over its own field, where the rules let it aim and fire.
int PointerLeft(const FieldRules& r) {
    return std::max(r.centreX - kHalfWidth, r.pointerAimMinX);
}
int PointerRight(const FieldRules& r) {
    return std::min(r.centreX + kHalfWidth, kScreenWidth - 1);
}

// Where the hand puts the pointer for `column`: the middle of the stretch that snaps to it (the
// snap goes towards the centre column, so a column's stretch lies on its outer side), off by
// up to `aimError` px; half a column off is the neighbour.
int AimPoint(const FieldRules& r, ComputerMind& mind, int column, int aimError) {
    const int half = r.spacing / 2;
    const int middle = column > r.centreX   ? column + half
                       : column < r.centreX ? column - half
                                            : column;
    // Two draws: small slips are common, large ones rare.
    const int error =
        (mind.rng.Range(-aimError, aimError) + mind.rng.Range(-aimError, aimError)) / 2;
    return std::clamp(middle + error, PointerLeft(r), PointerRight(r));
}

}  // namespace

const ComputerTraits& TraitsOf(int strength) {
    return kTraits[std::clamp(strength, 0, 3)];
}

void ResetComputerMinds(Simulation& game) {
    for (int p = 1; p <= kMatchPlayers; ++p) {
        ComputerMind& mind = game.computer.Mind[p];
        mind = ComputerMind{};
        const std::uint64_t level = static_cast<std::uint64_t>(game.play.LevelNumber);
        const std::uint64_t lap = static_cast<std::uint64_t>(game.play.LapNumber);
        mind.rng.Seed(game.computer.MindSeed * 0x100000001B3ull + level * 7919u + lap * 104729u +
                      static_cast<std::uint64_t>(p));
        mind.PointerX = game.players[p].cannon.CannonX;
        mind.PointerY = 300;
    }
}

PlayerCommand ComputerCommand(Simulation& game, int player) {
    return MindCommand(game, player, game.computer.Mind[player],
                       TraitsOf(game.computer.Strength[player]));
}

PlayerCommand MindCommand(const Simulation& game, int player, ComputerMind& mind,
                          const ComputerTraits& t) {
    const FieldRules r = RulesOf(game, player);
    // A click is one tick down; the button comes up before the next one.
    const bool wasPressed = mind.Pressed != 0;
    mind.Pressed = 0;

    const int load = ReadyLoad(game, player);
    if (load == 0) {
        mind.Phase = 0;
    } else if (mind.Phase == 0 || mind.PlannedLoad != load) {
        StartThinking(game, mind, t, load);
    } else if (mind.Phase == 3) {
        // The click came too early for the cannon: click again.
        mind.Phase = 2;
    }
    if (mind.Phase == 1 && Think(game, player, mind, t)) {
        mind.Target = Choose(game, player, mind, t);
        mind.AimX = AimPoint(r, mind, mind.Target, t.aimError);
        mind.Phase = 2;
    }
    if (mind.Phase >= 1 && mind.ReactTicks > 0) --mind.ReactTicks;
    // A falling extra is chased only once it has been seen for a reaction time.
    const int catchX = CatchColumn(game, player);
    mind.ExtraSeenTicks = catchX == 0 ? 0 : std::min(mind.ExtraSeenTicks + 1, 100000);

    int goal = mind.PointerX;
    if (mind.Phase == 2 && mind.ReactTicks == 0) {
        goal = mind.AimX;
    } else if (mind.Phase <= 1 && catchX != 0 && mind.ExtraSeenTicks > t.reactMin) {
        goal = catchX;
    }
    const int step = std::min(t.pointerStep, kPointerStepLimit);
    mind.PointerX += std::clamp(goal - mind.PointerX, -step, step);
    mind.PointerX = std::clamp(mind.PointerX, PointerLeft(r), PointerRight(r));

    PlayerCommand cmd;
    cmd.pointerAims = true;
    cmd.pointerX = mind.PointerX;
    cmd.pointerY = mind.PointerY;
    if (mind.Phase == 2 && mind.ReactTicks == 0 && mind.PointerX == mind.AimX) {
        if (mind.SettleTicks > 0) {
            --mind.SettleTicks;
        } else if (!wasPressed && InFireWindow(r, mind.PointerX)) {
            cmd.fire = true;
            mind.Pressed = 1;
            mind.Phase = 3;
        }
    }
    return cmd;
}

double WeighColumn(const Simulation& game, int player, int colour, int x, int lookAhead) {
    return Weigh(SeeField(game, player), RulesOf(game, player).centreX, colour, x, lookAhead);
}
