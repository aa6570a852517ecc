#include "platform/picture_fit.h"

#include <algorithm>

namespace {

constexpr int kPictureWidth = 800;
constexpr int kPictureHeight = 600;

}  // namespace

PictureFit FitPicture(int windowWidth, int windowHeight, bool fullscreen) {
    PictureFit fit;
    const int w = std::max(1, windowWidth);
    const int h = std::max(1, windowHeight);
    const int whole = std::min(w / kPictureWidth, h / kPictureHeight);
    if (whole >= 1 && !fullscreen) {
        fit.factor = whole;
        fit.width = kPictureWidth * whole;
        fit.height = kPictureHeight * whole;
    } else if (static_cast<long long>(w) * kPictureHeight <=
               static_cast<long long>(h) * kPictureWidth) {
        fit.factor = 0;
        fit.width = w;
        fit.height = std::max(1, w * kPictureHeight / kPictureWidth);
    } else {
        fit.factor = 0;
        fit.height = h;
        fit.width = std::max(1, h * kPictureWidth / kPictureHeight);
    }
    // A fraction that comes out whole (1600 x 1200 on a screen of that size) is a whole factor.
    if (fit.factor == 0 && fit.width % kPictureWidth == 0 &&
        fit.height == fit.width / kPictureWidth * kPictureHeight)
        fit.factor = fit.width / kPictureWidth;
    fit.x = (w - fit.width) / 2;
    fit.y = (h - fit.height) / 2;
    return fit;
}

void CopyPictureScaled(const Surface& picture, std::uint32_t* dst, int pitch, int factor) {
    CopyPictureRectScaled(picture, Rect{0, 0, picture.width, picture.height}, dst, pitch, factor);
}

void CopyPictureRectScaled(const Surface& picture, const Rect& r, std::uint32_t* dst, int pitch,
                           int factor) {
    if (factor < 1 || r.right <= r.left || r.bottom <= r.top) return;
    const int w = r.right - r.left;
    for (int y = r.top; y < r.bottom; ++y) {
        const std::uint32_t* s = &picture.pixels[static_cast<size_t>(y) * picture.width + r.left];
        std::uint32_t* first =
            dst + static_cast<std::ptrdiff_t>(y) * factor * pitch + r.left * factor;
        if (factor == 1) {
            std::copy(s, s + w, first);
            continue;
        }
        std::uint32_t* d = first;
        for (int x = 0; x < w; ++x) d = std::fill_n(d, factor, s[x]);
        // The other rows of the square repeat the first.
        for (int k = 1; k < factor; ++k) std::copy(first, first + w * factor, first + k * pitch);
    }
}

void WindowToPicture(const PictureFit& fit, int wx, int wy, int& px, int& py) {
    const long long dx = static_cast<long long>(wx - fit.x) * kPictureWidth;
    const long long dy = static_cast<long long>(wy - fit.y) * kPictureHeight;
    // Floor division, so a point left of the picture does not round to its first column.
    auto floorDiv = [](long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    px = static_cast<int>(std::clamp<long long>(floorDiv(dx, fit.width), 0, kPictureWidth - 1));
    py = static_cast<int>(std::clamp<long long>(floorDiv(dy, fit.height), 0, kPictureHeight - 1));
}
