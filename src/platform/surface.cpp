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
    surface.runs = PixelRuns{};
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
    surface.runs = PixelRuns{};
    return true;
}

std::uint32_t MatchColor(int r, int g, int b) {
    return Rgb(r, g, b);
}

void SetTransparentColor(Surface& surface, std::uint32_t colour) {
    surface.hasTransparent = true;
    surface.transparent = colour;
    if (surface.runs.key != colour) surface.runs = PixelRuns{};
}

void PrepareRuns(Surface& surface) {
    PixelRuns& r = surface.runs;
    r = PixelRuns{};
    if (!surface.hasTransparent || surface.width > 65535) return;
    r.key = surface.transparent;
    r.rowStart.reserve(static_cast<size_t>(surface.height) + 1);
    for (int y = 0; y < surface.height; ++y) {
        r.rowStart.push_back(static_cast<std::uint32_t>(r.spans.size()));
        const std::uint32_t* row = &surface.pixels[static_cast<size_t>(y) * surface.width];
        int x = 0;
        while (x < surface.width) {
            while (x < surface.width && row[x] == r.key) ++x;
            if (x == surface.width) break;
            const int begin = x;
            while (x < surface.width && row[x] != r.key) ++x;
            r.spans.push_back(static_cast<std::uint16_t>(begin));
            r.spans.push_back(static_cast<std::uint16_t>(x));
        }
    }
    r.rowStart.push_back(static_cast<std::uint32_t>(r.spans.size()));
    r.spans.shrink_to_fit();
    r.valid = true;
}

void DrawRect(Surface& dst, int x, int y, const Rect& src, bool keyed, const Surface& source) {
    const int w = src.right - src.left;
    const int h = src.bottom - src.top;
    if (w <= 0 || h <= 0) return;
    if (!InsideSurface(src, source)) return;
    if (!InsideSurface(Rect{x, y, x + w, y + h}, dst)) return;
    const bool skipKey = keyed && source.hasTransparent;
    const PixelRuns& runs = source.runs;
    const bool byRuns = skipKey && runs.valid && runs.key == source.transparent;
    for (int row = 0; row < h; ++row) {
        const int sy = src.top + row;
        const std::uint32_t* s = &source.pixels[static_cast<size_t>(sy) * source.width];
        std::uint32_t* d = &dst.pixels[static_cast<size_t>(y + row) * dst.width + x];
        if (!skipKey) {
            std::copy(s + src.left, s + src.right, d);
        } else if (byRuns) {
            // The opaque runs of this row that meet the rectangle, cut to it.
            for (std::uint32_t k = runs.rowStart[sy]; k < runs.rowStart[sy + 1]; k += 2) {
                if (runs.spans[k] >= src.right) break;
                const int begin = std::max<int>(runs.spans[k], src.left);
                const int end = std::min<int>(runs.spans[k + 1], src.right);
                if (begin >= end) continue;
                std::uint32_t* to = d + (begin - src.left);
                // Most runs are a few pixels (glyph strokes): a plain loop beats a call.
                if (end - begin <= 16) {
                    for (int i = begin; i < end; ++i) *to++ = s[i];
                } else {
                    std::copy(s + begin, s + end, to);
                }
            }
        } else {
            for (int col = src.left; col < src.right; ++col) {
                if (s[col] != source.transparent) d[col - src.left] = s[col];
            }
        }
    }
}

void DrawAlpha(Surface& dst, const Rect& dstRect, const Rect& src, const Surface& source,
               bool keyed, int alpha) {
    DrawAlphaClipped(dst, dstRect, src, source, keyed, alpha, Rect{0, 0, dst.width, dst.height});
}

void DrawAlphaClipped(Surface& dst, const Rect& dstRect, const Rect& src, const Surface& source,
                      bool keyed, int alpha, const Rect& clip) {
    if (alpha <= 0) return;
    if (alpha > 255) alpha = 255;
    const int sw = src.right - src.left;
    const int sh = src.bottom - src.top;
    const int dw = dstRect.right - dstRect.left;
    const int dh = dstRect.bottom - dstRect.top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    if (!InsideSurface(src, source)) return;
    const bool skipKey = keyed && source.hasTransparent;
    const std::uint32_t key = source.transparent;
    const int x0 = std::max({dstRect.left, clip.left, 0});
    const int y0 = std::max({dstRect.top, clip.top, 0});
    const int x1 = std::min({dstRect.right, clip.right, dst.width});
    const int y1 = std::min({dstRect.bottom, clip.bottom, dst.height});
    if (x0 >= x1 || y0 >= y1) return;
    if (alpha == 255 && sw == dw && sh == dh) {
        // Unscaled and opaque (the pointer, most effect sprites): each pixel is its source
        // pixel, so the visible part is a plain copy.
        const int sx = src.left + (x0 - dstRect.left);
        const int sy = src.top + (y0 - dstRect.top);
        DrawRect(dst, x0, y0, Rect{sx, sy, sx + (x1 - x0), sy + (y1 - y0)}, skipKey, source);
        return;
    }
    // The source column of every destination column, worked out once for all rows.
    constexpr int kMapped = 1024;
    int columns[kMapped];
    const bool mapped = x1 - x0 <= kMapped;
    if (mapped) {
        for (int x = x0; x < x1; ++x) columns[x - x0] = src.left + (x - dstRect.left) * sw / dw;
    }
    const int inverse = 255 - alpha;
    for (int y = y0; y < y1; ++y) {
        const int sy = src.top + (y - dstRect.top) * sh / dh;
        const std::uint32_t* s = &source.pixels[static_cast<size_t>(sy) * source.width];
        std::uint32_t* d = &dst.pixels[static_cast<size_t>(y) * dst.width];
        for (int x = x0; x < x1; ++x) {
            const int sx = mapped ? columns[x - x0] : src.left + (x - dstRect.left) * sw / dw;
            const std::uint32_t p = s[sx];
            if (skipKey && p == key) continue;
            if (alpha == 255) {
                d[x] = p;
                continue;
            }
            const std::uint32_t q = d[x];
            auto mix = [&](int shift) {
                const int ca = static_cast<int>((p >> shift) & 255);
                const int cb = static_cast<int>((q >> shift) & 255);
                return static_cast<std::uint32_t>((ca * alpha + cb * inverse + 127) / 255) << shift;
            };
            d[x] = mix(16) | mix(8) | mix(0);
        }
    }
}

void FillSurface(Surface& surface, std::uint32_t colour) {
    std::fill(surface.pixels.begin(), surface.pixels.end(), colour);
}

void FreeSurface(Surface& surface) {
    surface.runs = PixelRuns{};
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
