#include "playfield/field_rules.h"

#include "playfield/game_screen.h"
#include "presentation/sound.h"
#include "shell/game.h"
#include "shell/mathutil.h"

const ExtraSprites kSingleExtraSprites = {{
    {0, 0, 0},
    {52, 51, 26},  // clock
    {59, 55, 30},  // bomb
    {57, 57, 28},  // colourer
    {43, 75, 21},  // arrow
    {57, 57, 28},  // rainbow
    {50, 50, 25},  // X2
    {50, 50, 25},  // flash
}};

const ExtraSprites kMatchExtraSprites = {{
    {0, 0, 0},
    {35, 34, 17},  // clock
    {40, 37, 20},  // bomb
    {38, 38, 19},  // colourer
    {29, 51, 15},  // arrow
    {38, 38, 19},  // rainbow
    {33, 33, 16},  // X2
    {33, 33, 16},  // flash
}};

namespace {

constexpr int kMatchSplitX = 400;  // stones left of it are player 1's, right of it player 2's

void SinglePlayerPoints(Game& game, int /*player*/, int x, int y, int amount) {
    AddPoints(game, x, y, amount);
}

}  // namespace

FieldRules SinglePlayerRules(const Game& game) {
    FieldRules r;
    r.centreX = game.play.FieldCentreX;
    r.scanLast = game.stones.StoneCount;
    r.topStopSound = sndTast2;
    r.offLatticeTopExplodes = game.play.GameMode == kModePuzzle;
    r.groupTestOnStop = game.play.FlashFrames <= 0 && game.play.GameMode != kModePipe;
    r.addPoints = SinglePlayerPoints;
    return r;
}

FieldRules MatchFieldRules(int centreX, int player, int stoneCount) {
    FieldRules r;
    r.centreX = centreX;
    r.spacing = 20;
    r.topRowY = 20;
    r.bottomLineY = 460;
    r.waitingStoneY = 510;
    r.scanLast = 2 * stoneCount;
    if (player == 1)
        r.ownerMaxX = kMatchSplitX - 1;
    else
        r.ownerMinX = kMatchSplitX + 1;
    r.aimSideReach = 15;
    r.aimColumnReach = 35;
    r.topStopSound = sndHolz1;
    r.offLatticeTopExplodes = true;
    r.groupTestOnStop = true;
    // The flash is never part of a match.
    r.maxReleasedExtra = kExtraX2;
    r.maxSparklingExtra = kExtraX2;
    r.sprites = &kMatchExtraSprites;
    r.extraLostAboveY = 50;
    r.catchAbove = 40;
    r.catchSmokes = true;
    r.goOffAboveY = 80;
    r.bombRadius = 75;
    r.colourRadius = 100;
    return r;
}

Side SinglePlayerSide(Game& game) {
    return Side{game.cannon,
                game.play.GroupSize,
                game.play.TimeLeft,
                game.play.ShakeFrames,
                game.play.DoubleFrames,
                game.play.FlashFrames,
                {&game.input.MouseButtonDown, &game.input.FireKey},
                0};
}

std::array<bool, kLastColour + 1> PresentColours(const Game& game, const FieldRules& r,
                                                 int loadedStone) {
    std::array<bool, kLastColour + 1> present{};
    const StoneTable& t = game.stones;
    for (int s = 1; s <= r.scanLast; ++s) {
        if (t.StoneState[s] <= 0 || s == loadedStone || !OwnsX(r, t.StoneX[s])) continue;
        const int c = t.StoneColour[s];
        // Stones still far above the visible field do not count.
        if (c >= 1 && c <= kLastColour && t.StoneY[s] > -60) present[c] = true;
    }
    return present;
}

bool AnyStoneAt(const Game& game, const FieldRules& r, int x, int y) {
    const StoneTable& t = game.stones;
    for (int s = 1; s <= r.scanLast; ++s) {
        if (t.StoneState[s] > 0 && t.StoneX[s] == x && t.StoneY[s] == y) return true;
    }
    return false;
}

void ExplodeStone(Game& game, int slot) {
    const StoneTable& t = game.stones;
    AddEffect(game, t.StoneX[slot], t.StoneY[slot], kEffectFlash, 0);
    AddDebris(game, t.StoneX[slot], t.StoneY[slot], t.StoneColour[slot]);
    RemoveStone(game, slot);
}

void AddTime(int& timeLeft, int amount) {
    timeLeft += amount;
    if (timeLeft > kMaxTime) timeLeft = kMaxTime;
    if (timeLeft < 0) timeLeft = 0;
}

void EaseCannon(CannonState& c) {
    c.CannonXf += (c.CannonTargetX - c.CannonX) / 8.0;
    c.CannonX = RoundHalfEven(c.CannonXf);
    if (c.CannonX < c.CannonMinX) {
        c.CannonTargetX = c.CannonX = c.CannonMinX;
        c.CannonXf = c.CannonMinX;
    }
    if (c.CannonX > c.CannonMaxX) {
        c.CannonTargetX = c.CannonX = c.CannonMaxX;
        c.CannonXf = c.CannonMaxX;
    }
}

void ReloadFromColourCycle(Game& game, const FieldRules& r, CannonState& c, int levelNumber) {
    const auto present = PresentColours(game, r, c.LoadedStone);
    bool any = false;
    for (int col = 1; col <= kLastColour; ++col) any = any || present[col];
    // Nothing to hand out yet (the field is still above view): try again next step.
    if (!any) return;
    c.NeedReload = 0;
    do {
        c.NextColour = c.NextColour >= kLastColour || c.NextColour < 1 ? 1 : c.NextColour + 1;
    } while (!present[c.NextColour]);
    int colour = c.NextColour;
    if (levelNumber > 10 && game.rng.Next(20) == 0) colour = kLastColour;
    c.LoadedStone = AddStone(game, c.CannonX, r.waitingStoneY, colour, 0);
}

void LaunchLoaded(Game& game, CannonState& c) {
    if (IsStoneSlot(c.LoadedStone)) {
        game.stones.StoneMotion[c.LoadedStone] = 1;
        game.stones.StoneX[c.LoadedStone] = c.CannonTargetX;
    } else if (IsExtraSlot(c.LoadedStone)) {
        const int i = c.LoadedStone - kLoadedExtraBase;
        game.extras.ExtraPhase[i] = 3;
        game.extras.ExtraX[i] = c.CannonTargetX;
    }
    c.NothingFlying = 0;
    c.CannonLoad = 1;
    RequestSound(game, sndSchies, c.CannonTargetX);
}
