#include "platform/changed_tiles.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void TileRectangles::Run(int left, int right, int top, int bottom) {
    auto above = std::find_if(open_.begin(), open_.end(), [&](const Rect& r) {
        return r.left == left && r.right == right && r.bottom == top;
    });
    if (above != open_.end()) {
        above->bottom = bottom;
        stillOpen_.push_back(*above);
        above->right = above->left;  // taken
    } else {
        stillOpen_.push_back(Rect{left, top, right, bottom});
    }
}

void TileRectangles::EndRow(std::vector<Rect>& out) {
    for (const Rect& r : open_) {
        if (r.right > r.left) out.push_back(r);
    }
    open_.swap(stillOpen_);
    stillOpen_.clear();
}

void TileRectangles::Finish(std::vector<Rect>& out) {
    for (const Rect& r : open_) out.push_back(r);
    open_.clear();
    stillOpen_.clear();
}

ChangedTiles::ChangedTiles(int tileSize) : tile_(std::max(1, tileSize)) {}

void ChangedTiles::WholePicture(const Surface& picture) {
    shown_.width = picture.width;
    shown_.height = picture.height;
    shown_.pixels = picture.pixels;
    copyKept_ = true;
    if (picture.width <= 0 || picture.height <= 0) return;
    rects_.push_back(Rect{0, 0, picture.width, picture.height});
    changedArea_ = static_cast<long long>(picture.width) * picture.height;
}

const std::vector<Rect>& ChangedTiles::Update(const Surface& picture, bool whole) {
    rects_.clear();
    changedArea_ = 0;
    lastWasTake_ = false;
    if (whole || !copyKept_ || shown_.width != picture.width || shown_.height != picture.height ||
        shown_.pixels.size() != picture.pixels.size()) {
        WholePicture(picture);
        return rects_;
    }
    const int w = picture.width;
    const int h = picture.height;
    const int cols = (w + tile_ - 1) / tile_;
    const size_t rowBytes = static_cast<size_t>(w) * 4;
    dirty_.assign(static_cast<size_t>(cols), 0);
    for (int top = 0; top < h; top += tile_) {
        const int bottom = std::min(h, top + tile_);
        std::fill(dirty_.begin(), dirty_.end(), 0);
        int dirtyCount = 0;
        // Most rows are the same as last time: one comparison of the whole row settles them.
        for (int y = top; y < bottom && dirtyCount < cols; ++y) {
            const std::uint32_t* now = picture.pixels.data() + static_cast<size_t>(y) * w;
            const std::uint32_t* was = shown_.pixels.data() + static_cast<size_t>(y) * w;
            if (std::memcmp(now, was, rowBytes) == 0) continue;
            for (int c = 0; c < cols; ++c) {
                if (dirty_[c] != 0) continue;
                const int x = c * tile_;
                const size_t n = static_cast<size_t>(std::min(tile_, w - x)) * 4;
                if (std::memcmp(now + x, was + x, n) != 0) {
                    dirty_[c] = 1;
                    ++dirtyCount;
                }
            }
        }
        for (int c = 0; c < cols;) {
            if (dirty_[c] == 0) {
                ++c;
                continue;
            }
            int end = c;
            while (end < cols && dirty_[end] != 0) ++end;
            const int left = c * tile_;
            const int right = std::min(w, end * tile_);
            for (int y = top; y < bottom; ++y) {
                const size_t at = static_cast<size_t>(y) * w + left;
                std::memcpy(shown_.pixels.data() + at, picture.pixels.data() + at,
                            static_cast<size_t>(right - left) * 4);
            }
            gather_.Run(left, right, top, bottom);
            c = end;
        }
        gather_.EndRow(rects_);
    }
    gather_.Finish(rects_);
    for (const Rect& r : rects_)
        changedArea_ += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
    return rects_;
}

const std::vector<Rect>& ChangedTiles::Take(const Surface& picture,
                                            const std::vector<Rect>& changed) {
    rects_.clear();
    changedArea_ = 0;
    if (shown_.width != picture.width || shown_.height != picture.height ||
        shown_.pixels.size() != picture.pixels.size()) {
        WholePicture(picture);
        lastWasTake_ = true;
        return rects_;
    }
    if (lastWasTake_) copyKept_ = false;
    lastWasTake_ = true;
    for (const Rect& r : changed) {
        const Rect c{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, picture.width),
                     std::min(r.bottom, picture.height)};
        if (c.left >= c.right || c.top >= c.bottom) continue;
        for (int y = c.top; y < c.bottom && copyKept_; ++y) {
            const size_t at = static_cast<size_t>(y) * picture.width + c.left;
            std::memcpy(shown_.pixels.data() + at, picture.pixels.data() + at,
                        static_cast<size_t>(c.right - c.left) * 4);
        }
        rects_.push_back(c);
        changedArea_ += static_cast<long long>(c.right - c.left) * (c.bottom - c.top);
    }
    return rects_;
}

Rect ScaleRect(const Rect& r, int x, int y, int factor) {
    return Rect{x + r.left * factor, y + r.top * factor, x + r.right * factor,
                y + r.bottom * factor};
}

Rect FilteredRect(const Rect& r, int pictureWidth, int pictureHeight, const Rect& dst) {
    const double kx = static_cast<double>(dst.right - dst.left) / std::max(1, pictureWidth);
    const double ky = static_cast<double>(dst.bottom - dst.top) / std::max(1, pictureHeight);
    // A window pixel blends the two source pixels nearest to the point it samples, so a source
    // pixel reaches the window pixels that sample within one source pixel of it.
    Rect out{dst.left + static_cast<int>(std::floor((r.left - 1) * kx)) - 1,
             dst.top + static_cast<int>(std::floor((r.top - 1) * ky)) - 1,
             dst.left + static_cast<int>(std::ceil((r.right + 1) * kx)) + 1,
             dst.top + static_cast<int>(std::ceil((r.bottom + 1) * ky)) + 1};
    out.left = std::max(out.left, dst.left);
    out.top = std::max(out.top, dst.top);
    out.right = std::min(out.right, dst.right);
    out.bottom = std::min(out.bottom, dst.bottom);
    return out;
}
