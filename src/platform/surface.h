// Software surfaces with exactly the drawing operations the game uses. Pixels are 0x00RRGGBB.
// Nothing here touches SDL: the platform only shows the finished back buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The pixels of a keyed surface that are not its transparent colour, as runs per row, so keyed
// draws copy whole runs instead of testing every pixel.
struct PixelRuns {
    std::vector<std::uint32_t> rowStart;  // row y's runs are spans[rowStart[y] .. rowStart[y+1])
    std::vector<std::uint16_t> spans;     // begin, end (exclusive) pairs, left to right
    std::uint32_t key = 0;                // the transparent colour they were made for
    bool valid = false;
};

struct Surface {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // row-major, width * height
    bool hasTransparent = false;
    std::uint32_t transparent = 0;
    // Made by PrepareRuns for surfaces that do not change after loading.
    PixelRuns runs;

    std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    std::uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // exclusive
};

constexpr std::uint32_t kMagenta = 0xFF00FF;
constexpr std::uint32_t kBlack = 0x000000;

inline std::uint32_t Rgb(int r, int g, int b) {
    return (static_cast<std::uint32_t>(r & 255) << 16) |
           (static_cast<std::uint32_t>(g & 255) << 8) | static_cast<std::uint32_t>(b & 255);
}

// A new empty surface (size 0 x 0, no transparent colour).
Surface CreateSurface();
// Give the surface a size; its pixels become black.
void SetSurfaceSize(Surface& surface, int width, int height);
// The largest picture the game loads, and so the largest bitmap file it reads (pixels, headers
// and a colour table).
constexpr int kMaxBitmapSide = 4096;
constexpr std::size_t kMaxBitmapFileBytes =
    static_cast<std::size_t>(kMaxBitmapSide) * kMaxBitmapSide * 4 + 65536;
// Load a 24-bit (or 32-bit) uncompressed Windows bitmap; false when the file is missing or bad.
bool LoadSurface(Surface& surface, const std::string& path);
// The same from the file's bytes; false (surface untouched) when they are no such bitmap.
bool DecodeBmp(Surface& surface, const std::vector<std::uint8_t>& data);
// The colour's value in the surfaces' pixel format.
std::uint32_t MatchColor(int r, int g, int b);
void SetTransparentColor(Surface& surface, std::uint32_t colour);
// Copy src's rectangle to (x, y) of dst, unscaled and unclipped: an empty or inverted rectangle,
// or one not wholly inside both surfaces, draws nothing. Keyed skips src's transparent colour
// (a surface without one copies all).
void DrawRect(Surface& dst, int x, int y, const Rect& src, bool keyed, const Surface& source);
// Blend src's rectangle, scaled to dstRect and clipped to dst, with alpha 0..255 (255 opaque,
// 0 or less draws nothing).
void DrawAlpha(Surface& dst, const Rect& dstRect, const Rect& src, const Surface& source,
               bool keyed, int alpha);
// The same, changing only the pixels inside `clip`: each of them as DrawAlpha sets it.
void DrawAlphaClipped(Surface& dst, const Rect& dstRect, const Rect& src, const Surface& source,
                      bool keyed, int alpha, const Rect& clip);
void FillSurface(Surface& surface, std::uint32_t colour);
// Measures the runs of a keyed surface whose pixels stay as they are from now on (a change of
// size, pixels or transparent colour through the functions here drops them again).
void PrepareRuns(Surface& surface);
void FreeSurface(Surface& surface);

// Writers used by the screenshots and the asset tools' tests.
bool SaveBmp(const Surface& surface, const std::string& path);
