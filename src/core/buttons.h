// The ten buttons every screen shares, the game screens' side panels included: laying them out
// and, once a tick, their hover, hover sound and press.
#pragma once

#include "core/button_table.h"

struct Simulation;

void SetButton(Simulation& sim, int slot, int x, int y, int halfWidth, int height);

// The four buttons of a playing field (hint, pause, end, music in slots 1 to 4): one column at x.
struct PanelLayout {
    int x = 0;
    int ys[4] = {};
    int halfWidth = 0;
    int height = 0;
};
// Beside the single player's field, where the level editor has them too.
inline constexpr PanelLayout kSidePanel{788, {396, 443, 490, 535}, 80, 25};
// In the strip between the match's two fields.
inline constexpr PanelLayout kMatchPanel{400, {420, 467, 514, 559}, 54, 25};
void SetPanelButtons(Simulation& sim, const PanelLayout& panel);
// ButtonActive = 0 for all ten slots.
void ClearButtons(Simulation& sim);
// Whether the game's pointer lies on the button's hit box.
bool PointerOverButton(const Simulation& sim, int slot);
// Once per frame on every screen with buttons: hover, hover sound, press and the delays.
// Sets MenuSelection to the slot pressed in this frame (0 if none).
void UpdateButtons(Simulation& sim);
