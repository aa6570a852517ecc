// Turning cairo drawings into the game's 24-bit bitmaps.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "picture_table.h"

namespace assetgen {

// 0x00RRGGBB pixels, row-major.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Flattens an ARGB drawing. With a key, pixels less than half covered become the key colour
// and covered pixels that happen to equal the key are nudged off it, so the loader's
// transparency cuts exactly along the drawn shapes. Without a key everything is composed
// over black.
Image FlattenSurface(cairo_surface_t* surface, Key key);

// Writes a bottom-up 24-bit Windows bitmap; throws on failure.
void WriteBmp(const Image& image, const std::string& path);

}  // namespace assetgen
