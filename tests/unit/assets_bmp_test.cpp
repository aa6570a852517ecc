// The generator's bitmap writer: what the loader reads back, and how drawn edges meet the key.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "bmp.h"
#include "platform/surface.h"

namespace {

using assetgen::Image;
using assetgen::Key;

std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "/rhombulus_bmp_" + name + ".bmp";
}

// Widths 1..5 cover every row padding of a 24-bit bitmap.
class BmpRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(BmpRoundTrip, LoaderReadsBackEveryPixelInPlace) {
    const int w = GetParam(), h = 3;
    Image img;
    img.width = w;
    img.height = h;
    img.pixels.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) img.At(x, y) = Rgb(10 + 40 * x, 200 - 60 * y, x * 7 + y);
    }
    const std::string path = TempPath("w" + std::to_string(w));
    assetgen::WriteBmp(img, path);
    Surface s;
    ASSERT_TRUE(LoadSurface(s, path));
    ASSERT_EQ(s.width, w);
    ASSERT_EQ(s.height, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) EXPECT_EQ(s.At(x, y), img.At(x, y)) << x << "," << y;
    }
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Widths, BmpRoundTrip, ::testing::Values(1, 2, 3, 4, 5));

struct FlattenCase {
    const char* what;
    Key key;
    double r, g, b, a;  // the drawn colour and its coverage
    std::uint32_t expect;
};

class Flatten : public ::testing::TestWithParam<FlattenCase> {};

TEST_P(Flatten, TurnsCoverageIntoKeyOrColour) {
    const FlattenCase& c = GetParam();
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2, 1);
    cairo_t* cr = cairo_create(s);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
    cairo_rectangle(cr, 0, 0, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    const Image img = assetgen::FlattenSurface(s, c.key);
    cairo_surface_destroy(s);
    EXPECT_EQ(img.At(0, 0), c.expect) << c.what;
    // The untouched pixel is the key colour (or black without a key).
    EXPECT_EQ(img.At(1, 0), c.key == Key::Magenta ? 0xFF00FFu : 0u) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Flatten,
    ::testing::Values(
        FlattenCase{"faint edge becomes the key", Key::Magenta, 1, 0, 0, 0.3, 0xFF00FF},
        FlattenCase{"covered edge keeps its full colour", Key::Magenta, 0, 0, 1, 0.8, 0x0000FF},
        FlattenCase{"drawn magenta stays visible", Key::Magenta, 1, 0, 1, 1, 0xFE00FE},
        FlattenCase{"drawn black stays visible", Key::Black, 0, 0, 0, 1, 0x010101},
        FlattenCase{"faint edge on a black key", Key::Black, 1, 1, 1, 0.2, 0x000000},
        FlattenCase{"opaque picture keeps its colour", Key::None, 0, 1, 0, 1, 0x00FF00},
        FlattenCase{"opaque picture composes over black", Key::None, 1, 1, 1, 0.6, 0x999999}));

}  // namespace
