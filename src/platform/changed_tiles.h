// Which parts of the picture changed since the one shown last: the picture is compared tile by
// tile with a copy of the last one shown, and the changed tiles come out merged into few
// rectangles, so that the display sends only those.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/surface.h"

// The tile side the game uses (tools/bench measures the others).
constexpr int kChangedTileSize = 16;

// Gathers the changed tiles of a picture, a row of tiles at a time, into few rectangles: each
// run of changed tiles in a row, grown downwards under a run of the same extent above it.
class TileRectangles {
  public:
    // A run [left, right) of changed tiles in the row [top, bottom).
    void Run(int left, int right, int top, int bottom);
    // The row is done: the rectangles that did not grow into it are finished into `out`.
    void EndRow(std::vector<Rect>& out);
    // The last row is done: every rectangle still open is finished into `out`.
    void Finish(std::vector<Rect>& out);

  private:
    std::vector<Rect> open_, stillOpen_;
};

class ChangedTiles {
  public:
    explicit ChangedTiles(int tileSize = kChangedTileSize);

    // Compares the picture with the last one shown and keeps it as the one shown now. Returns
    // the rectangles (picture pixels, right and bottom exclusive) that cover every changed
    // pixel, within whole tiles; empty when nothing changed. The whole picture when `whole` is
    // set or the size changed.
    const std::vector<Rect>& Update(const Surface& picture, bool whole);
    // Takes the picture as shown when the caller knows its changed rectangles and gives them
    // back as Update would (the whole picture when the size changed). Right after an Update it
    // copies them, so that an Update that follows compares with the picture shown; a Take that
    // follows a Take copies nothing (a still screen then costs no copy a tick) and the next
    // Update sends the whole picture.
    const std::vector<Rect>& Take(const Surface& picture, const std::vector<Rect>& changed);
    const std::vector<Rect>& Rects() const { return rects_; }
    // Pixels covered by the last Update's rectangles.
    long long ChangedArea() const { return changedArea_; }
    int TileSize() const { return tile_; }

  private:
    void WholePicture(const Surface& picture);

    int tile_;
    Surface shown_;
    std::vector<std::uint8_t> dirty_;  // the tiles of one row of tiles
    std::vector<Rect> rects_;
    TileRectangles gather_;
    long long changedArea_ = 0;
    bool copyKept_ = false;  // shown_ is the picture as last sent
    bool lastWasTake_ = false;
};

// A rectangle of the picture scaled to a fitted window: the window pixels it lands on at
// `factor` (1, 2, ...) from the picture's top-left at (x, y).
Rect ScaleRect(const Rect& r, int x, int y, int factor);
// The window pixels a picture rectangle reaches through a smooth filter that scales the whole
// `pictureWidth` x `pictureHeight` picture to `dst`: the scaled rectangle grown by the filter's
// reach of one source pixel each side, clipped to `dst`.
Rect FilteredRect(const Rect& r, int pictureWidth, int pictureHeight, const Rect& dst);
