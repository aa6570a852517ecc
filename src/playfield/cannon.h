// The cannon at the bottom of the field: aiming, reloading through the colour cycle, firing.
#pragma once

#include <array>
#include <cstdint>

#include "core/cannon_state.h"

struct Simulation;

struct PlayerCommand;
// Commands given from elsewhere than the input flags (the computer's, the network's), by player;
// null where the player's own input commands.
using GivenCommands = std::array<const PlayerCommand*, 3>;
// One step of the players first..last on their fields, one after the other: each one's cannon,
// extras and stones with that player's command, until a level ends. The single player (its rules
// and its command from the input flags) or the match's two.
void PlayersCannonStep(Simulation& game, int first, int last, const GivenCommands& given,
                       bool overNetwork);
// One step of the single player's cannon; runs ExtrasStep and StoneStep; counts the stones left.
void CannonStep(Simulation& game);
// One step of both match players, player 1 then player 2: each one's cannon, extras and stones on
// that player's half with that player's command.
void MatchCannonStep(Simulation& game, const GivenCommands& given = {}, bool overNetwork = false);
