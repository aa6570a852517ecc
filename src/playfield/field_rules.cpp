#include "playfield/field_rules.h"

#include <string>

#include "core/simulation.h"
#include "core/mathutil.h"
#include "core/mode_facts.h"
#include "core/sound_state.h"

void AddPoints(Simulation& game, const FieldRules& r, int player, int x, int y, int amount) {
    if (player < kSoloPlayer || player > kMatchPlayers) return;
    Player& p = game.players[player];
    const int a = p.DoubleFrames > 0 ? amount * 2 : amount;
    p.Score += a;
    const int only = r.floatingAwardOnly;
    if (only == 0 || amount == only) AddFloatingText(game, x, y, std::to_string(a));
}

const FieldRules& RulesOfField(FieldId field) {
    switch (field) {
        case FieldId::kEndless:
            return kEndlessField;
        case FieldId::kPipe:
            return kPipeField;
        case FieldId::kMatchLeft:
            return kMatchLeftField;
        case FieldId::kMatchRight:
            return kMatchRightField;
        default:
            return kPuzzleField;
    }
}

const FieldRules& FieldOfMode(int mode) {
    return RulesOfField(FactsOfMode(mode).fields[0]);
}

FieldRules SinglePlayerRules(const Simulation& game) {
    FieldRules r = FieldOfMode(game.play.GameMode);
    r.centreX = game.play.FieldCentreX;
    r.scanLast = game.stones.StoneCount;
    return r;
}

FieldRules MatchFieldRules(int centreX, int player, int stoneCount) {
    FieldRules r = RulesOfField(FactsOfMode(kModeMatch).fields[player == 1 ? 0 : 1]);
    r.centreX = centreX;
    r.scanLast = 2 * stoneCount;
    return r;
}

FieldRules MatchRulesOf(const Simulation& game, int player, bool overNetwork) {
    FieldRules r = MatchFieldRules(game.match.MatchCentreX[player], player, game.stones.StoneCount);
    // Against the computer the left field's player may aim with the pointer too.
    if (player == 1 && LeftFieldTakesPointer(game)) r.pointerAimMinX = INT_MIN;
    // Over the network each player's pointer aims anywhere on the screen.
    if (overNetwork) r.pointerAimMinX = INT_MIN;
    return r;
}

Turn TurnOf(Simulation& game, int player, PlayerCommand* command) {
    return Turn{game.players[player], player, command};
}

PlayerCommand SinglePlayerCommand(const Simulation& game) {
    const InputState& in = game.input;
    PlayerCommand c;
    c.pointerAims = true;
    c.pointerX = in.MouseX;
    c.pointerY = in.MouseY;
    c.keyLeft = in.KeyLeft != 0;
    c.keyRight = in.KeyRight != 0;
    c.fire = in.MouseButtonDown == 1 || in.FireKey == 1;
    c.pointerDown = in.MouseButtonDown == 1;
    return c;
}

void ApplySinglePlayerCommand(Simulation& game, const PlayerCommand& command) {
    if (command.pointerMoved) game.input.MouseX = command.pointerX;
    if (command.fireTaken) {
        game.input.MouseButtonDown = 0;
        game.input.FireKey = 0;
    }
}

bool LeftFieldTakesPointer(const Simulation& game) {
    return game.computer.Strength[1] != kNoComputer || game.computer.Strength[2] != kNoComputer;
}

namespace {

// The pointer lies on one of the screen's active buttons, whose clicks are theirs.
bool PointerOnButton(const Simulation& game) {
    for (int slot = 1; slot <= kButtonSlots; ++slot) {
        if (game.buttons.ButtonActive[slot] != 0 &&
            PointInButton(game.buttons, slot, game.input.MouseX, game.input.MouseY))
            return true;
    }
    return false;
}

}  // namespace

PlayerCommand MatchPlayerCommand(Simulation& game, int player) {
    const InputState& in = game.input;
    PlayerCommand c;
    if (player == 1) {
        c.keyLeft = in.KeyLeft != 0;
        c.keyRight = in.KeyRight != 0;
        c.fire = in.FireKey == 1;
        if (LeftFieldTakesPointer(game)) {
            // One person against the computer: the mouse anywhere on the screen as well.
            c.pointerAims = true;
            c.pointerX = in.MouseX;
            c.pointerY = in.MouseY;
            c.fire = c.fire || (in.MouseButtonDown2 == 1 && !PointerOnButton(game));
        }
    } else {
        c.pointerAims = true;
        c.pointerX = in.MouseX;
        c.pointerY = in.MouseY;
        // Over the strip between the fields the button is for the match's own buttons.
        c.fire = in.MouseButtonDown2 == 1 && InFireWindow(kMatchRightField, in.MouseX);
    }
    game.players[player].Fire = c.fire ? 1 : 0;
    return c;
}

void ApplyMatchCommand(Simulation& game, int player, const PlayerCommand& command) {
    // The keys moved the column: the pointer goes there, so that its next snap keeps it.
    if (player == 1 && command.pointerAims && command.pointerMoved)
        game.input.MouseX = command.pointerX;
    if (!command.fireTaken) return;
    game.players[player].Fire = 0;
    if (player == 1) {
        game.input.FireKey = 0;
        if (command.pointerAims) {
            game.input.MouseButtonDown = 0;
            game.input.MouseButtonDown2 = 0;
        }
    } else {
        game.input.MouseButtonDown = 0;
        game.input.MouseButtonDown2 = 0;
    }
}

std::array<bool, kLastColour + 1> PresentColours(const Simulation& game, const FieldRules& r,
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

bool AnyStoneAt(const Simulation& game, const FieldRules& r, int x, int y) {
    const StoneTable& t = game.stones;
    for (int s = 1; s <= r.scanLast; ++s) {
        if (t.StoneState[s] > 0 && t.StoneX[s] == x && t.StoneY[s] == y) return true;
    }
    return false;
}

void ExplodeStone(Simulation& game, int slot) {
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

void ReloadFromColourCycle(Simulation& game, const FieldRules& r, CannonState& c, int levelNumber) {
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

void LaunchLoaded(Simulation& game, CannonState& c) {
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
