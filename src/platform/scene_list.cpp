#include "platform/scene_list.h"

#include <algorithm>

#include "platform/changed_tiles.h"

namespace {

bool SameRect(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

Rect Intersect(const Rect& a, const Rect& b) {
    return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

bool Empty(const Rect& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

// For every tile, the items that touch it in drawing order, as one flat array.
struct TileIndex {
    std::vector<std::uint32_t> start;  // tile t's items are items[start[t] .. start[t + 1])
    std::vector<std::uint32_t> items;
};

void IndexTiles(const SceneList& list, int tile, int cols, int rows, TileIndex& out) {
    const size_t tiles = static_cast<size_t>(cols) * rows;
    out.start.assign(tiles + 1, 0);
    const std::vector<SceneItem>& items = list.Items();
    auto span = [&](const Rect& b, auto&& visit) {
        for (int r = b.top / tile; r <= (b.bottom - 1) / tile && r < rows; ++r)
            for (int c = b.left / tile; c <= (b.right - 1) / tile && c < cols; ++c)
                visit(static_cast<size_t>(r) * cols + c);
    };
    for (const SceneItem& it : items) span(it.box, [&](size_t t) { ++out.start[t + 1]; });
    for (size_t t = 0; t < tiles; ++t) out.start[t + 1] += out.start[t];
    out.items.resize(out.start[tiles]);
    std::vector<std::uint32_t> fill(out.start.begin(), out.start.end() - 1);
    for (std::uint32_t i = 0; i < items.size(); ++i)
        span(items[i].box, [&](size_t t) { out.items[fill[t]++] = i; });
}

}  // namespace

bool SceneItem::SameLook(const SceneItem& o) const {
    return kind == o.kind && keyed == o.keyed && alpha == o.alpha && source == o.source &&
           colour == o.colour && SameRect(dst, o.dst) && SameRect(src, o.src);
}

void SceneList::Clear(int width, int height) {
    width_ = width;
    height_ = height;
    items_.clear();
    complete = true;
}

void SceneList::AddFill(const Rect& area, std::uint32_t colour) {
    SceneItem it;
    it.kind = SceneItem::Kind::kFill;
    it.dst = area;
    it.colour = colour;
    it.box = Intersect(area, Rect{0, 0, width_, height_});
    if (!Empty(it.box)) items_.push_back(it);
}

void SceneList::AddRect(int x, int y, const Rect& src, bool keyed, const Surface& source) {
    const int w = src.right - src.left;
    const int h = src.bottom - src.top;
    // DrawRect draws nothing unless both rectangles lie wholly inside their surfaces.
    if (w <= 0 || h <= 0) return;
    if (src.left < 0 || src.top < 0 || src.right > source.width || src.bottom > source.height)
        return;
    if (x < 0 || y < 0 || x + w > width_ || y + h > height_) return;
    SceneItem it;
    it.kind = SceneItem::Kind::kRect;
    it.keyed = keyed;
    it.dst = Rect{x, y, x + w, y + h};
    it.src = src;
    it.source = &source;
    it.box = it.dst;
    items_.push_back(it);
}

void SceneList::AddAlpha(const Rect& dstRect, const Rect& src, const Surface& source, bool keyed,
                         int alpha) {
    if (alpha <= 0) return;
    if (src.right <= src.left || src.bottom <= src.top) return;
    if (src.left < 0 || src.top < 0 || src.right > source.width || src.bottom > source.height)
        return;
    SceneItem it;
    it.kind = SceneItem::Kind::kAlpha;
    it.keyed = keyed;
    it.alpha = std::min(alpha, 255);
    it.dst = dstRect;
    it.src = src;
    it.source = &source;
    it.box = Intersect(dstRect, Rect{0, 0, width_, height_});
    if (!Empty(it.box)) items_.push_back(it);
}

void SceneList::Draw(Surface& dst, const Rect& clip) const {
    for (const SceneItem& it : items_) {
        const Rect r = Intersect(it.box, clip);
        if (Empty(r)) continue;
        switch (it.kind) {
            case SceneItem::Kind::kFill:
                for (int y = r.top; y < r.bottom; ++y)
                    std::fill_n(&dst.At(r.left, y), r.right - r.left, it.colour);
                break;
            case SceneItem::Kind::kRect: {
                const int sx = it.src.left + (r.left - it.dst.left);
                const int sy = it.src.top + (r.top - it.dst.top);
                DrawRect(dst, r.left, r.top,
                         Rect{sx, sy, sx + (r.right - r.left), sy + (r.bottom - r.top)}, it.keyed,
                         *it.source);
                break;
            }
            case SceneItem::Kind::kAlpha:
                DrawAlphaClipped(dst, it.dst, it.src, *it.source, it.keyed, it.alpha, r);
                break;
        }
    }
}

std::vector<Rect> ChangedByItems(const SceneList& was, const SceneList& now, int tile) {
    std::vector<Rect> rects;
    const int w = now.Width();
    const int h = now.Height();
    if (w <= 0 || h <= 0) return rects;
    if (was.Width() != w || was.Height() != h) {
        rects.push_back(Rect{0, 0, w, h});
        return rects;
    }
    const int cols = (w + tile - 1) / tile;
    const int rows = (h + tile - 1) / tile;
    const size_t tiles = static_cast<size_t>(cols) * rows;
    const std::vector<SceneItem>& wi = was.Items();
    const std::vector<SceneItem>& ni = now.Items();
    // Most frames repeat most of the last one's list: the items before the first and after the
    // last that differ are the same in both, so only the tiles that a differing item touches can
    // hold another sequence of items.
    const size_t shorter = std::min(wi.size(), ni.size());
    size_t prefix = 0;
    while (prefix < shorter && wi[prefix].SameLook(ni[prefix])) ++prefix;
    size_t suffix = 0;
    while (suffix < shorter - prefix &&
           wi[wi.size() - 1 - suffix].SameLook(ni[ni.size() - 1 - suffix]))
        ++suffix;
    if (prefix == wi.size() && prefix == ni.size()) return rects;
    std::vector<std::uint8_t> suspect(tiles, 0);
    size_t suspects = 0;
    auto markBox = [&](const Rect& box) {
        for (int r = box.top / tile; r <= (box.bottom - 1) / tile && r < rows; ++r)
            for (int c = box.left / tile; c <= (box.right - 1) / tile && c < cols; ++c) {
                std::uint8_t& s = suspect[static_cast<size_t>(r) * cols + c];
                suspects += s == 0;
                s = 1;
            }
    };
    if (wi.size() == ni.size()) {
        // As many items as before (a playing field whose time bar and cannon move): a tile that
        // no differing pair touches meets item for item the same ones, so only the pairs that
        // differ can change a tile.
        for (size_t i = prefix; i < ni.size() - suffix; ++i) {
            if (wi[i].SameLook(ni[i])) continue;
            markBox(wi[i].box);
            markBox(ni[i].box);
        }
    } else {
        for (size_t i = prefix; i < wi.size() - suffix; ++i) markBox(wi[i].box);
        for (size_t i = prefix; i < ni.size() - suffix; ++i) markBox(ni[i].box);
    }
    // A few suspect tiles are compared one by one; many, through an index of every tile.
    const bool indexed = suspects * (wi.size() + ni.size()) > 8 * tiles + wi.size() + ni.size();
    TileIndex a, b;
    if (indexed) {
        IndexTiles(was, tile, cols, rows, a);
        IndexTiles(now, tile, cols, rows, b);
    }
    auto tileChanged = [&](size_t t) {
        if (suspect[t] == 0) return false;
        if (!indexed) {
            const Rect area{static_cast<int>(t % cols) * tile, static_cast<int>(t / cols) * tile,
                            static_cast<int>(t % cols + 1) * tile,
                            static_cast<int>(t / cols + 1) * tile};
            size_t i = 0, j = 0;
            for (;;) {
                while (i < wi.size() && Empty(Intersect(wi[i].box, area))) ++i;
                while (j < ni.size() && Empty(Intersect(ni[j].box, area))) ++j;
                if (i == wi.size() || j == ni.size()) return i != wi.size() || j != ni.size();
                if (!wi[i].SameLook(ni[j])) return true;
                ++i;
                ++j;
            }
        }
        const std::uint32_t na = a.start[t + 1] - a.start[t];
        if (na != b.start[t + 1] - b.start[t]) return true;
        for (std::uint32_t k = 0; k < na; ++k) {
            if (!wi[a.items[a.start[t] + k]].SameLook(ni[b.items[b.start[t] + k]])) return true;
        }
        return false;
    };
    TileRectangles gather;
    for (int r = 0; r < rows; ++r) {
        const int top = r * tile;
        const int bottom = std::min(h, top + tile);
        for (int c = 0; c < cols;) {
            if (!tileChanged(static_cast<size_t>(r) * cols + c)) {
                ++c;
                continue;
            }
            int end = c + 1;
            while (end < cols && tileChanged(static_cast<size_t>(r) * cols + end)) ++end;
            const int left = c * tile;
            const int right = std::min(w, end * tile);
            gather.Run(left, right, top, bottom);
            c = end;
        }
        gather.EndRow(rects);
    }
    gather.Finish(rects);
    return rects;
}
