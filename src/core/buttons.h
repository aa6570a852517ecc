// The ten buttons every screen shares, the game screens' side panels included: laying them out
// and, once a tick, their hover, hover sound and press.
#pragma once

#include "core/button_table.h"

struct Simulation;

void SetButton(Simulation& sim, int slot, int x, int y, int halfWidth, int height);
// ButtonActive = 0 for all ten slots.
void ClearButtons(Simulation& sim);
// Whether the game's pointer lies on the button's hit box.
bool PointerOverButton(const Simulation& sim, int slot);
// Once per frame on every screen with buttons: hover, hover sound, press and the delays.
// Sets MenuSelection to the slot pressed in this frame (0 if none).
void UpdateButtons(Simulation& sim);
