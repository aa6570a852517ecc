#include "platform/surface.h"

#include <algorithm>
#include <cstdio>

#include "platform/file_bytes.h"

namespace {

std::uint32_t ReadLe32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t ReadLe16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void PutLe32(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 255));
}

void PutLe16(std::vector<unsigned char>& out, std::uint16_t v) {
    out.push_back(static_cast<unsigned char>(v & 255));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

bool InsideSurface(const Rect& r, const Surface& s) {
    return r.left >= 0 && r.top >= 0 && r.right <= s.width && r.bottom <= s.height;
}

}  // namespace

Surface CreateSurface() {
    return Surface{};
}

void SetSurfaceSize(Surface& surface, int width, int height) {
    surface.width = std::max(0, width);
    surface.height = std::max(0, height);
    surface.pixels.assign(static_cast<size_t>(surface.width) * surface.height, kBlack);
}

bool LoadSurface(Surface& surface, const std::string& path) {
    const FileBytes file = ReadFileBytes(path, kMaxBitmapFileBytes);
    return file.Ok() && DecodeBmp(surface, file.bytes);
}

bool DecodeBmp(Surface& surface, const std::vector<std::uint8_t>& data) {
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') return false;
    const std::uint32_t offset = ReadLe32(&data[10]);
    const std::int32_t width = static_cast<std::int32_t>(ReadLe32(&data[18]));
    const std::int32_t rawHeight = static_cast<std::int32_t>(ReadLe32(&data[22]));
    const int bpp = ReadLe16(&data[28]);
    const std::uint32_t compression = ReadLe32(&data[30]);
    if (width <= 0 || rawHeight == 0 || (bpp != 24 && bpp != 32) || compression != 0) return false;
    const bool bottomUp = rawHeight > 0;
    const std::int64_t height = bottomUp ? rawHeight : -static_cast<std::int64_t>(rawHeight);
    if (width > kMaxBitmapSide || height > kMaxBitmapSide) return false;
    const std::int64_t bytesPerPixel = bpp / 8;
    const std::int64_t stride = (width * bytesPerPixel + 3) / 4 * 4;
    if (static_cast<std::int64_t>(offset) + stride * height >
        static_cast<std::int64_t>(data.size()))
        return false;
    SetSurfaceSize(surface, width, static_cast<int>(height));
    for (int y = 0; y < height; ++y) {
        const int fileRow = bottomUp ? static_cast<int>(height) - 1 - y : y;
        const unsigned char* row = &data[offset + static_cast<size_t>(fileRow) * stride];
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = row + x * bytesPerPixel;
            surface.At(x, y) = Rgb(p[2], p[1], p[0]);
        }
    }
    surface.hasTransparent = false;
    return true;
}

std::uint32_t MatchColor(int r, int g, int b) {
    return Rgb(r, g, b);
}

void SetTransparentColor(Surface& surface, std::uint32_t colour) {
    surface.hasTransparent = true;
    surface.transparent = colour;
}

void DrawRect(Surface& dst, int x, int y, const Rect& src, bool keyed, const Surface& source) {
    const int w = src.right - src.left;
    const int h = src.bottom - src.top;
    if (w <= 0 || h <= 0) return;
    if (!InsideSurface(src, source)) return;
    if (!InsideSurface(Rect{x, y, x + w, y + h}, dst)) return;
    const bool skipKey = keyed && source.hasTransparent;
    for (int row = 0; row < h; ++row) {
        const std::uint32_t* s =
            &source.pixels[static_cast<size_t>(src.top + row) * source.width + src.left];
        std::uint32_t* d = &dst.pixels[static_cast<size_t>(y + row) * dst.width + x];
        if (!skipKey) {
            std::copy(s, s + w, d);
            continue;
        }
        for (int col = 0; col < w; ++col) {
            if (s[col] != source.transparent) d[col] = s[col];
        }
    }
}

void DrawAlpha(Surface& dst, const Rect& dstRect, const Rect& src, const Surface& source,
               bool keyed, int alpha) {
    if (alpha <= 0) return;
    if (alpha > 255) alpha = 255;
    const int sw = src.right - src.left;
    const int sh = src.bottom - src.top;
    const int dw = dstRect.right - dstRect.left;
    const int dh = dstRect.bottom - dstRect.top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    if (!InsideSurface(src, source)) return;
    const bool skipKey = keyed && source.hasTransparent;
    const int x0 = std::max(dstRect.left, 0);
    const int y0 = std::max(dstRect.top, 0);
    const int x1 = std::min(dstRect.right, dst.width);
    const int y1 = std::min(dstRect.bottom, dst.height);
    for (int y = y0; y < y1; ++y) {
        const int sy = src.top + (y - dstRect.top) * sh / dh;
        for (int x = x0; x < x1; ++x) {
            const int sx = src.left + (x - dstRect.left) * sw / dw;
            const std::uint32_t s = source.At(sx, sy);
            if (skipKey && s == source.transparent) continue;
            std::uint32_t& d = dst.At(x, y);
            if (alpha == 255) {
                d = s;
                continue;
            }
            auto mix = [alpha](std::uint32_t a, std::uint32_t b, int shift) {
                const int ca = static_cast<int>((a >> shift) & 255);
                const int cb = static_cast<int>((b >> shift) & 255);
                return static_cast<std::uint32_t>((ca * alpha + cb * (255 - alpha) + 127) / 255)
                       << shift;
            };
            d = mix(s, d, 16) | mix(s, d, 8) | mix(s, d, 0);
        }
    }
}

void FillSurface(Surface& surface, std::uint32_t colour) {
    std::fill(surface.pixels.begin(), surface.pixels.end(), colour);
}

void FreeSurface(Surface& surface) {
    surface.pixels.clear();
    surface.pixels.shrink_to_fit();
    surface.width = 0;
    surface.height = 0;
    surface.hasTransparent = false;
}

bool SaveBmp(const Surface& surface, const std::string& path) {
    const int stride = (surface.width * 3 + 3) / 4 * 4;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride) * surface.height;
    std::vector<unsigned char> out;
    out.reserve(54 + imageSize);
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, 54 + imageSize);
    PutLe32(out, 0);
    PutLe32(out, 54);
    PutLe32(out, 40);
    PutLe32(out, static_cast<std::uint32_t>(surface.width));
    PutLe32(out, static_cast<std::uint32_t>(surface.height));
    PutLe16(out, 1);
    PutLe16(out, 24);
    PutLe32(out, 0);
    PutLe32(out, imageSize);
    PutLe32(out, 2835);
    PutLe32(out, 2835);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int y = surface.height - 1; y >= 0; --y) {
        for (int x = 0; x < surface.width; ++x) {
            const std::uint32_t p = surface.At(x, y);
            out.push_back(static_cast<unsigned char>(p & 255));
            out.push_back(static_cast<unsigned char>((p >> 8) & 255));
            out.push_back(static_cast<unsigned char>((p >> 16) & 255));
        }
        for (int pad = surface.width * 3; pad < stride; ++pad) out.push_back(0);
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}
