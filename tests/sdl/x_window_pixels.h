// What the X server holds of a window (kept apart: X11's macros clash with the test framework).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

// The window's pixels as 0x00RRGGBB rows of `width`; false when the window is not on X.
bool ReadXWindowPixels(SDL_Window* window, int width, int height,
                       std::vector<std::uint32_t>& pixels);
