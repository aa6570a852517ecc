// The cannon at the bottom of the field: aiming, reloading through the colour cycle, firing.
#pragma once

#include <array>
#include <cstdint>

#include "core/cannon_state.h"

struct Simulation;

// One step of the cannon; runs ExtrasStep and StoneStep; counts the stones left.
void CannonStep(Simulation& game);
struct PlayerCommand;
// Commands given from elsewhere than the input flags (the computer's), by player; null where the
// player's own input commands.
using GivenCommands = std::array<const PlayerCommand*, 3>;
// One step of both match players, player 1 then player 2: each one's cannon, extras and stones on
// that player's half with that player's command.
void MatchCannonStep(Simulation& game, const GivenCommands& given = {}, bool overNetwork = false);
