// The scene's list: what a frame draws where and with what look, so that the next frame can be
// compared with it and only the tiles whose items differ are drawn again. An item is one surface
// operation with all its arguments; the bitmaps it reads do not change while it is listed, so
// two equal items draw the same pixels over the same pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/surface.h"

struct SceneItem {
    enum class Kind : std::uint8_t { kFill, kRect, kAlpha };
    Kind kind = Kind::kFill;
    bool keyed = false;
    int alpha = 0;
    Rect dst;  // kFill: the area; kRect: x, y and the copy's size; kAlpha: dstRect
    Rect src;  // kRect, kAlpha: the source rectangle
    const Surface* source = nullptr;  // kRect, kAlpha
    std::uint32_t colour = 0;         // kFill
    Rect box;                         // the pixels it can change, within the picture

    bool SameLook(const SceneItem& o) const;
};

class SceneList {
  public:
    void Clear(int width, int height);
    // The operations as DrawRect, DrawAlpha and a fill of the area do them; one that draws
    // nothing is left out.
    void AddFill(const Rect& area, std::uint32_t colour);
    void AddRect(int x, int y, const Rect& src, bool keyed, const Surface& source);
    void AddAlpha(const Rect& dstRect, const Rect& src, const Surface& source, bool keyed,
                  int alpha);
    const std::vector<SceneItem>& Items() const { return items_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Draws the items that touch `clip`, in order, only inside it.
    void Draw(Surface& dst, const Rect& clip) const;

    // False when something was drawn that the list does not describe.
    bool complete = true;

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<SceneItem> items_;
};

// The rectangles (whole tiles, merged as ChangedTiles merges them) whose items differ between
// the two lists: a tile is the same when the same items touch it in the same order. Empty when
// nothing changed; the whole picture when the sizes differ. Both lists start with an opaque
// fill of the whole picture, so a tile drawn again owes nothing to its old pixels.
std::vector<Rect> ChangedByItems(const SceneList& was, const SceneList& now, int tileSize);
