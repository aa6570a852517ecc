#include "core/simulation.h"
#include "core/text_state.h"

void DrawText(Simulation& sim, int x, int y, int align, const std::string& text, int colour) {
    sim.text.calls.push_back(TextCall{x, y, align, colour, text});
}
