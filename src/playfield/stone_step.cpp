#include "playfield/stone_step.h"

#include <algorithm>
#include <array>

#include "core/simulation.h"
#include "playfield/extras.h"
#include "playfield/field_rules.h"
#include "core/sound_state.h"

namespace {

// Where the stones stand, for the hold test of the resting stones, which would otherwise scan
// the whole table once for every stone. Sorted at the start of a stone step; the stones that rise
// during the step are kept apart and looked at one by one. Every lookup checks the table itself,
// so a stone gone or moved since is never taken for one still there.
class StoneIndex {
  public:
    void Build(const StoneTable& t, int last) {
        count_ = 0;
        moved_ = 0;
        for (int s = 1; s <= last && s <= kMaxStones; ++s) {
            if (t.StoneState[s] > 0) entries_[count_++] = Entry{t.StoneY[s], t.StoneX[s], s};
        }
        std::sort(entries_.begin(), entries_.begin() + count_);
    }
    void Moved(int slot) {
        if (moved_ < kMaxStones) movedSlots_[moved_++] = slot;
    }
    // Calls visit(slot) for the present stones at (x, y); a stone may be visited twice.
    template <typename Visit>
    void At(const StoneTable& t, int x, int y, Visit visit) const {
        const auto here = [&](int s) {
            return t.StoneState[s] > 0 && t.StoneX[s] == x && t.StoneY[s] == y;
        };
        const Entry key{y, x, 0};
        for (auto it = std::lower_bound(entries_.begin(), entries_.begin() + count_, key);
             it != entries_.begin() + count_ && it->y == y && it->x == x; ++it) {
            if (here(it->slot)) visit(it->slot);
        }
        for (int i = 0; i < moved_; ++i) {
            if (here(movedSlots_[i])) visit(movedSlots_[i]);
        }
    }

  private:
    struct Entry {
        int y, x, slot;
        bool operator<(const Entry& o) const {
            return y != o.y ? y < o.y : x != o.x ? x < o.x : slot < o.slot;
        }
    };
    std::array<Entry, kMaxStones> entries_;
    std::array<int, kMaxStones> movedSlots_;
    int count_ = 0;
    int moved_ = 0;
};

constexpr int kShotRise = 10;
constexpr int kLooseRise = 5;
constexpr int kTipHitCost = 30;
constexpr int kGroupPoints = 50;
constexpr int kGroupTime = 12;
constexpr int kGroupShake = 20;

// Whether a stone that stops here starts the group test: not in the pipe game, nor while a
// caught flash lasts.
bool GroupTestOnStop(const FieldRules& r, const Turn& turn) {
    return r.groupTestOnStop && !(r.flashStopsGroups && turn.me.FlashFrames > 0);
}

void StopsAsShot(const Turn& turn, int slot) {
    if (slot == turn.me.cannon.LoadedStone) {
        turn.me.cannon.NothingFlying = 1;
        turn.me.cannon.NeedReload = 1;
    }
}

void DestroyMarkedGroup(Simulation& game, const FieldRules& r, const Turn& turn) {
    StoneTable& t = game.stones;
    for (int j = 1; j <= r.scanLast; ++j) {
        if (t.StoneState[j] <= 0 || t.StoneMarked[j] == 0) continue;
        const int x = t.StoneX[j];
        const int y = t.StoneY[j];
        AddEffect(game, x, y, kEffectFlash, 0);
        AddDebris(game, x, y, t.StoneColour[j]);
        ReleaseExtraFor(game, r, j);
        RequestSound(game, sndExplgr, x);
        turn.me.ShakeFrames = kGroupShake;
        AddPoints(game, r, turn.player, x, y, kGroupPoints);
        RemoveStone(game, j);
        AddTime(turn.me.TimeLeft, kGroupTime);
    }
}

void RisingStone(Simulation& game, const FieldRules& r, const Turn& turn, StoneIndex& index, int s) {
    StoneTable& t = game.stones;
    t.StoneY[s] -= t.StoneMotion[s] == 1 ? kShotRise : kLooseRise;
    index.Moved(s);
    const int x = t.StoneX[s];
    const int y = t.StoneY[s];
    bool gone = false;
    if (y == r.topRowY) {
        if ((x - r.centreX) % (2 * r.spacing) == 0) {
            t.StoneMotion[s] = 0;
            if (GroupTestOnStop(r, turn)) MarkGroupFor(game, r, turn, s);
            RequestSound(game, r.topStopSound, x);
        } else if (r.offLatticeTopExplodes) {
            if (t.StoneMotion[s] == 1) AddTime(turn.me.TimeLeft, -kTipHitCost);
            RequestSound(game, sndExpl2, x);
            ExplodeStone(game, s);
            gone = true;
        }
        StopsAsShot(turn, s);
    }
    if (!gone) {
        const bool sideContact = AnyStoneAt(game, r, x - r.spacing, y - r.spacing) ||
                                 AnyStoneAt(game, r, x + r.spacing, y - r.spacing);
        if (sideContact) {
            t.StoneMotion[s] = 0;
            RequestSound(game, sndHolz1, x);
            StopsAsShot(turn, s);
            if (GroupTestOnStop(r, turn)) MarkGroupFor(game, r, turn, s);
        } else if (AnyStoneAt(game, r, x, y - 2 * r.spacing)) {
            // Ran into the tip of the stone above: only a shot costs time.
            ReleaseExtraFor(game, r, s);
            RequestSound(game, sndExpl2, x);
            if (t.StoneMotion[s] == 1) AddTime(turn.me.TimeLeft, -kTipHitCost);
            ExplodeStone(game, s);
            StopsAsShot(turn, s);
        }
    }
    // A group found earlier in this step stays in force for every later rising stone.
    if (turn.me.GroupSize > 1) {
        DestroyMarkedGroup(game, r, turn);
    } else {
        for (int j = 1; j <= r.scanLast; ++j) {
            if (t.StoneState[j] > 0) t.StoneMarked[j] = 0;
        }
    }
}

void RestingStone(Simulation& game, const FieldRules& r, const StoneIndex& index, int s) {
    StoneTable& t = game.stones;
    const int x = t.StoneX[s];
    const int y = t.StoneY[s];
    const int d = r.spacing;
    // The hold (up-left, up-right, tip to tip) and the first stone up-left, by slot.
    int upLeft = 0;
    bool supported = false;
    index.At(t, x - d, y - d, [&](int j) {
        if (upLeft == 0 || j < upLeft) upLeft = j;
        supported = true;
    });
    if (!supported) index.At(t, x + d, y - d, [&](int) { supported = true; });
    if (!supported) index.At(t, x, y - 2 * d, [&](int) { supported = true; });
    if (upLeft != 0 && t.StoneColour[upLeft] == kAnchorColour) t.StoneLook[s] = 2;
    // Lost its hold: it floats up from the next step on.
    if (!supported) t.StoneMotion[s] = 2;
    if (y > r.bottomLineY) {
        RequestSound(game, sndExpl2, x);
        ExplodeStone(game, s);
    }
}

}  // namespace

void StoneStepFor(Simulation& game, const FieldRules& r, const Turn& turn) {
    StoneTable& t = game.stones;
    CannonState& c = turn.me.cannon;
    turn.me.GroupSize = 0;
    c.AimTargetY = 0;
    StoneIndex index;
    index.Build(t, r.scanLast);
    for (int s = 1; s <= r.scanLast; ++s) {
        if (t.StoneState[s] <= 0 || !OwnsX(r, t.StoneX[s])) continue;
        const int x = t.StoneX[s];
        const int y = t.StoneY[s];
        if (s != c.LoadedStone) {
            if ((x == c.CannonTargetX - r.spacing || x == c.CannonTargetX + r.spacing) &&
                c.AimTargetY - r.aimSideReach < y)
                c.AimTargetY = y + r.aimSideReach;
            if (x == c.CannonTargetX && c.AimTargetY - r.aimColumnReach < y)
                c.AimTargetY = y + r.aimColumnReach;
        }
        t.StoneLook[s] = 1;
        const int extra = t.StoneExtra[s];
        if (extra >= 1 && extra <= r.maxSparklingExtra && s != c.LoadedStone &&
            (game.shell.FrameCounter + s) % 10 == 0 && game.rng.Next(10) == 1) {
            AddEffect(game, x, y, kEffectSparkle, game.rng.Range(1, 7));
        }
        if (t.StoneMotion[s] == 1 || t.StoneMotion[s] == 2) {
            RisingStone(game, r, turn, index, s);
        } else if (s != c.LoadedStone && t.StoneColour[s] < kAnchorColour) {
            RestingStone(game, r, index, s);
        }
    }
}

void MarkGroupFor(Simulation& game, const FieldRules& r, const Turn& turn, int slot) {
    StoneTable& t = game.stones;
    t.StoneMarked[slot] = 1;
    for (int j = 1; j <= r.scanLast; ++j) {
        if (j == slot || t.StoneState[j] <= 0 || !OwnsX(r, t.StoneX[j])) continue;
        const int dx = t.StoneX[slot] - t.StoneX[j];
        const int dy = t.StoneY[slot] - t.StoneY[j];
        if ((dx == r.spacing || dx == -r.spacing) && (dy == r.spacing || dy == -r.spacing) &&
            t.StoneMarked[j] == 0 && t.StoneColour[j] == t.StoneColour[slot]) {
            t.StoneMarked[j] = 1;
            ++turn.me.GroupSize;
            MarkGroupFor(game, r, turn, j);
        }
    }
}

void StoneStep(Simulation& game) {
    StoneStepFor(game, SinglePlayerRules(game), TurnOf(game, kSoloPlayer));
}

void MarkGroup(Simulation& game, int slot) {
    MarkGroupFor(game, SinglePlayerRules(game), TurnOf(game, kSoloPlayer), slot);
}
