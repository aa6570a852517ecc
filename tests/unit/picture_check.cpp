#include "picture_check.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "art.h"

namespace piccheck {

namespace {

constexpr double kPi = 3.14159265358979323846;

double ToLinear(double channel) {
    const double v = channel / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double FromLinear(double v) {
    v = std::clamp(v, 0.0, 1.0);
    return 255.0 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
}

struct Lab {
    double l, a, b;
};

Lab ToLab(const Colour& c) {
    const double r = ToLinear(c.r), g = ToLinear(c.g), b = ToLinear(c.b);
    const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    auto f = [](double t) {
        return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
    };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

double Degrees(double radians) {
    const double d = radians * 180 / kPi;
    return d < 0 ? d + 360 : d;
}

double Radians(double degrees) {
    return degrees * kPi / 180;
}

// An A8 drawing of a window of the picture, for masks made with the generator's paths.
struct Mask {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<unsigned char> cover;
    unsigned char At(int x, int y) const {
        if (x < left || y < top || x >= left + width || y >= top + height) return 0;
        return cover[static_cast<size_t>(y - top) * width + (x - left)];
    }
};

template <typename Paint>
Mask DrawMask(int left, int top, int width, int height, Paint paint) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* cr = cairo_create(s);
    cairo_translate(cr, -left, -top);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    Mask m{left, top, width, height, {}};
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    m.cover.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            m.cover[static_cast<size_t>(y) * width + x] = data[y * stride + x];
    }
    cairo_surface_destroy(s);
    return m;
}

struct Sum {
    double r = 0, g = 0, b = 0;
    int n = 0;
    void Add(std::uint32_t p) {
        const Colour c = FromPixel(p);
        r += c.r;
        g += c.g;
        b += c.b;
        ++n;
    }
    Colour Mean() const { return n ? Colour{r / n, g / n, b / n} : Colour{}; }
};

}  // namespace

Colour FromPixel(std::uint32_t p) {
    return {double((p >> 16) & 255), double((p >> 8) & 255), double(p & 255)};
}

double Luminance(const Colour& c) {
    return 0.2126 * ToLinear(c.r) + 0.7152 * ToLinear(c.g) + 0.0722 * ToLinear(c.b);
}

double ContrastRatio(const Colour& a, const Colour& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

const char* VisionName(Vision v) {
    switch (v) {
        case Vision::kProtanopia:
            return "protanopia";
        case Vision::kDeuteranopia:
            return "deuteranopia";
        case Vision::kTritanopia:
            return "tritanopia";
        default:
            return "normal vision";
    }
}

Colour Simulate(const Colour& c, Vision v) {
    using Matrix = std::array<std::array<double, 3>, 3>;
    static const Matrix kProtan{{{0.152286, 1.052583, -0.204868},
                                 {0.114503, 0.786281, 0.099216},
                                 {-0.003882, -0.048116, 1.051998}}};
    static const Matrix kDeutan{{{0.367322, 0.860646, -0.227968},
                                 {0.280085, 0.672501, 0.047413},
                                 {-0.011820, 0.042940, 0.968881}}};
    static const Matrix kTritan{{{1.255528, -0.076749, -0.178779},
                                 {-0.078411, 0.930809, 0.147602},
                                 {0.004733, 0.691367, 0.303900}}};
    if (v == Vision::kNormal) return c;
    const Matrix& m = v == Vision::kProtanopia     ? kProtan
                      : v == Vision::kDeuteranopia ? kDeutan
                                                   : kTritan;
    const double in[3] = {ToLinear(c.r), ToLinear(c.g), ToLinear(c.b)};
    double out[3];
    for (int i = 0; i < 3; ++i) out[i] = m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2];
    return {FromLinear(out[0]), FromLinear(out[1]), FromLinear(out[2])};
}

double DeltaE2000(const Colour& first, const Colour& second) {
    const Lab p = ToLab(first), q = ToLab(second);
    const double c1 = std::hypot(p.a, p.b), c2 = std::hypot(q.a, q.b);
    const double cMean7 = std::pow((c1 + c2) / 2, 7);
    const double g = 0.5 * (1 - std::sqrt(cMean7 / (cMean7 + std::pow(25.0, 7))));
    const double a1 = (1 + g) * p.a, a2 = (1 + g) * q.a;
    const double c1p = std::hypot(a1, p.b), c2p = std::hypot(a2, q.b);
    const double h1 = c1p == 0 ? 0 : Degrees(std::atan2(p.b, a1));
    const double h2 = c2p == 0 ? 0 : Degrees(std::atan2(q.b, a2));
    double dh = 0;
    if (c1p * c2p != 0) {
        dh = h2 - h1;
        if (dh > 180) dh -= 360;
        if (dh < -180) dh += 360;
    }
    const double dL = q.l - p.l, dC = c2p - c1p;
    const double dH = 2 * std::sqrt(c1p * c2p) * std::sin(Radians(dh / 2));
    const double lMean = (p.l + q.l) / 2, cMean = (c1p + c2p) / 2;
    double hMean = h1 + h2;
    if (c1p * c2p != 0) {
        if (std::fabs(h1 - h2) <= 180) {
            hMean = (h1 + h2) / 2;
        } else {
            hMean = h1 + h2 < 360 ? (h1 + h2 + 360) / 2 : (h1 + h2 - 360) / 2;
        }
    }
    const double t = 1 - 0.17 * std::cos(Radians(hMean - 30)) +
                     0.24 * std::cos(Radians(2 * hMean)) + 0.32 * std::cos(Radians(3 * hMean + 6)) -
                     0.20 * std::cos(Radians(4 * hMean - 63));
    const double dTheta = 30 * std::exp(-std::pow((hMean - 275) / 25, 2));
    const double cMeanP7 = std::pow(cMean, 7);
    const double rc = 2 * std::sqrt(cMeanP7 / (cMeanP7 + std::pow(25.0, 7)));
    const double sl =
        1 + 0.015 * (lMean - 50) * (lMean - 50) / std::sqrt(20 + (lMean - 50) * (lMean - 50));
    const double sc = 1 + 0.045 * cMean, sh = 1 + 0.015 * cMean * t;
    const double rt = -std::sin(Radians(2 * dTheta)) * rc;
    return std::sqrt((dL / sl) * (dL / sl) + (dC / sc) * (dC / sc) + (dH / sh) * (dH / sh) +
                     rt * (dC / sc) * (dH / sh));
}

SymbolReading ReadSymbol(const Surface& picture, double cx, double cy, double size, int colour) {
    const assetgen::SymbolPlace place = assetgen::StoneSymbolPlace(size);
    const double sx = cx + place.dx, sy = cy + place.dy;
    const int left = static_cast<int>(std::floor(cx - size / 2)) - 2;
    const int top = static_cast<int>(std::floor(cy - size / 2)) - 2;
    const int span = static_cast<int>(std::ceil(size)) + 4;
    const Mask shape = DrawMask(left, top, span, span, [&](cairo_t* cr) {
        assetgen::PaintColourSymbol(cr, colour, sx, sy, place.size);
        cairo_fill(cr);
    });
    // The outline and a pixel of blending beyond it belong to neither region.
    const Mask clear = DrawMask(left, top, span, span, [&](cairo_t* cr) {
        assetgen::PaintColourSymbol(cr, colour, sx, sy, place.size);
        cairo_set_line_width(cr, 2 * (place.outline + 1.5));
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
    });
    const double stone = assetgen::StoneRadius(size) - 1.0;
    Sum symbol, face;
    for (int y = std::max(0, top); y < std::min(picture.height, top + span); ++y) {
        for (int x = std::max(0, left); x < std::min(picture.width, left + span); ++x) {
            // Wholly inside the shape: the fill covers the inner half of the outline there.
            if (shape.At(x, y) == 255) {
                symbol.Add(picture.At(x, y));
            } else if (clear.At(x, y) == 0 &&
                       std::fabs(x + 0.5 - cx) + std::fabs(y + 0.5 - cy) <= stone) {
                face.Add(picture.At(x, y));
            }
        }
    }
    return {symbol.Mean(), face.Mean(), symbol.n, face.n};
}

bool SymbolStandsOut(const SymbolReading& r) {
    return r.symbolPixels >= 4 && r.facePixels >= 12 && r.Contrast() >= kSymbolContrast;
}

ClosestPair ClosestColours(const std::vector<Colour>& colours, Vision v) {
    ClosestPair best{1e9, 0, 0};
    for (size_t i = 0; i < colours.size(); ++i) {
        for (size_t j = i + 1; j < colours.size(); ++j) {
            const double d = DeltaE2000(Simulate(colours[i], v), Simulate(colours[j], v));
            if (d < best.distance) best = {d, int(i) + 1, int(j) + 1};
        }
    }
    return best;
}

bool ColoursStayApart(const std::vector<Colour>& colours) {
    for (Vision v :
         {Vision::kNormal, Vision::kProtanopia, Vision::kDeuteranopia, Vision::kTritanopia}) {
        if (ClosestColours(colours, v).distance < kColourDistance) return false;
    }
    return true;
}

assetgen::PixelRect TextBox(int left, int top, int width) {
    return {left - 1, top - 1, left + width + 3, top + 19 + 3};
}

bool Inside(const assetgen::PixelRect& inner, const assetgen::PixelRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool InsideOneOf(const assetgen::PixelRect& box, const std::vector<assetgen::PixelRect>& panels) {
    return std::any_of(panels.begin(), panels.end(),
                       [&](const assetgen::PixelRect& p) { return Inside(box, p); });
}

assetgen::PixelRect ChangedBox(const Surface& picture, std::uint32_t blank) {
    assetgen::PixelRect box{picture.width, picture.height, 0, 0};
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (picture.At(x, y) == blank) continue;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    }
    if (box.right == 0) return {};
    return box;
}

int OutlineWidth(const Surface& screen, std::uint32_t fill, double outlineLuminance) {
    constexpr int kFar = 3;
    int width = kFar;
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            const std::uint32_t p = screen.At(x, y);
            if (p == fill || Luminance(FromPixel(p)) <= outlineLuminance) continue;
            for (int dy = -kFar; dy <= kFar; ++dy) {
                for (int dx = -kFar; dx <= kFar; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= screen.width || ny >= screen.height) continue;
                    if (screen.At(nx, ny) != fill) continue;
                    width = std::min(width, std::max(std::abs(dx), std::abs(dy)) - 1);
                }
            }
        }
    }
    return width;
}

std::string Describe(const assetgen::PixelRect& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%d,%d)-(%d,%d)", r.left, r.top, r.right, r.bottom);
    return text;
}

}  // namespace piccheck
