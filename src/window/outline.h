// A one-pixel frame the window draws over the game's picture (the highscore row chosen, the
// replay viewer's choices), clipped to the picture.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/surface.h"

inline void DrawOutline(Surface& picture, int left, int top, int right, int bottom,
                        std::uint32_t c) {
    for (int x = std::max(left, 0); x <= right && x < picture.width; ++x) {
        if (top >= 0 && top < picture.height) picture.At(x, top) = c;
        if (bottom >= 0 && bottom < picture.height) picture.At(x, bottom) = c;
    }
    for (int y = std::max(top, 0); y <= bottom && y < picture.height; ++y) {
        if (left >= 0 && left < picture.width) picture.At(left, y) = c;
        if (right >= 0 && right < picture.width) picture.At(right, y) = c;
    }
}
