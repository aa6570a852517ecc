// The level bots' one search: every column for this shot on a copy of the game, then, after the
// few most promising, every column for the next shot, and the column whose best outcome two
// shots deep is worth most. Each bot says how to fire, how to weigh a field and what walking the
// cannon costs.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/game.h"

struct ShotSearch {
    int firstColumn = 0;  // the columns firstColumn, + spacing, ... lastColumn
    int lastColumn = 0;
    int spacing = 30;
    int nearest = 0;  // of two equal columns, the one nearer this wins
    int beam = 4;     // first shots looked at two shots deep
};

// fire(trial, x) fires at column x and runs the trial until the field is still, giving the
// ticks; value(trial, ticks) weighs the field it left; goesOn(trial) says whether a second shot
// can follow; walk(from, x) is what moving the cannon from column `from` to x costs (from is
// -1 for the first shot, which starts where the cannon is); copy(dst, src) makes a trial.
template <typename Fire, typename Value, typename GoesOn, typename Walk, typename Copy>
int BestColumnTwoShotsDeep(const Game& g, Game& trial, Game& second, const ShotSearch& s, Fire fire,
                           Value value, GoesOn goesOn, Walk walk, Copy copy) {
    struct Option {
        int x;
        double value;
    };
    std::vector<Option> first;
    for (int x = s.firstColumn; x <= s.lastColumn; x += s.spacing) {
        copy(trial, g);
        const int ticks = fire(trial, x);
        first.push_back({x, value(trial, ticks) - walk(-1, x)});
    }
    // Nearer first, so that ties go to the shorter way for the cannon.
    std::stable_sort(first.begin(), first.end(), [&s](const Option& a, const Option& b) {
        return std::abs(a.x - s.nearest) < std::abs(b.x - s.nearest);
    });
    std::stable_sort(first.begin(), first.end(),
                     [](const Option& a, const Option& b) { return a.value > b.value; });
    int best = first[0].x;
    double bestValue = -1e18;
    const int beam = std::min<int>(s.beam, static_cast<int>(first.size()));
    for (int k = 0; k < beam; ++k) {
        copy(trial, g);
        const int ticks = fire(trial, first[k].x);
        double v = value(trial, ticks);
        if (goesOn(trial)) {
            double next = -1e18;
            for (int x = s.firstColumn; x <= s.lastColumn; x += s.spacing) {
                copy(second, trial);
                const int more = fire(second, x);
                next = std::max(next, value(second, ticks + more) - walk(first[k].x, x));
            }
            v = next;
        }
        v -= walk(-1, first[k].x);
        if (v > bestValue) {
            bestValue = v;
            best = first[k].x;
        }
    }
    return best;
}
