#include "core/simulation.h"
#include "core/sound_state.h"

void RequestSound(Simulation& sim, int slot, int x) {
    if (slot < 0 || slot >= kSoundSlots) return;
    sim.sound.SoundRequest[slot] = 1;
    sim.sound.SoundX[slot] = x;
}
