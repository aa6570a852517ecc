#include "core/buttons.h"

#include "core/simulation.h"
#include "core/sound_state.h"

void SetButton(Simulation& sim, int slot, int x, int y, int halfWidth, int height) {
    if (slot < 1 || slot > kButtonSlots) return;
    ButtonTable& b = sim.buttons;
    b.ButtonX[slot] = x;
    b.ButtonY[slot] = y;
    b.ButtonHalfWidth[slot] = halfWidth;
    b.ButtonHeight[slot] = height;
    b.ButtonActive[slot] = 1;
    b.ButtonState[slot] = 0;
    b.ButtonHoverFrames[slot] = 0;
    b.ButtonDelay[slot] = 20;
}

void ClearButtons(Simulation& sim) {
    sim.buttons.ButtonActive.fill(0);
}

bool PointerOverButton(const Simulation& sim, int slot) {
    return PointInButton(sim.buttons, slot, sim.input.MouseX, sim.input.MouseY);
}

void SetPanelButtons(Simulation& sim, const PanelLayout& panel) {
    for (int i = 0; i < 4; ++i)
        SetButton(sim, i + 1, panel.x, panel.ys[i], panel.halfWidth, panel.height);
}

void UpdateButtons(Simulation& sim) {
    ButtonTable& b = sim.buttons;
    InputState& in = sim.input;
    b.MenuSelection = 0;
    for (int i = 1; i <= kButtonSlots; ++i) {
        if (b.ButtonActive[i] <= 0) continue;
        if (b.ButtonDelay[i] > 0) --b.ButtonDelay[i];
        // While the delay runs the button keeps its state, so a pressed one stays lit.
        if (b.ButtonDelay[i] != 0 || b.ButtonActive[i] != 1) continue;
        b.ButtonState[i] = 0;
        if (!PointerOverButton(sim, i)) {
            b.ButtonHoverFrames[i] = 0;
            continue;
        }
        b.ButtonState[i] = 1;
        ++b.ButtonHoverFrames[i];
        // Only a real move makes the hover sound: a button that appears under a resting pointer
        // after a click stays silent.
        if (b.ButtonHoverFrames[i] == 1 && in.MouseMoved != 0) {
            RequestSound(sim, sndTast2, 400);
            in.MouseMoved = 0;
        }
        if ((in.MouseButtonDown != 0 || in.MouseButtonDown2 != 0) && in.ButtonHeldFrames == 1) {
            b.ButtonDelay[i] = 10;
            b.MenuSelection = i;
            b.ButtonState[i] = 2;
        }
    }
}
