// The bitmap loader: a picture decoded and drawn keyed, opaque and blended at the edges of the
// back buffer.
#include "fuzz_support.h"
#include "platform/surface.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Surface picture = CreateSurface();
    if (!DecodeBmp(picture, std::vector<std::uint8_t>(data, data + size))) return 0;
    FUZZ_EXPECT(picture.width >= 1 && picture.width <= kMaxBitmapSide);
    FUZZ_EXPECT(picture.height >= 1 && picture.height <= kMaxBitmapSide);
    FUZZ_EXPECT(picture.pixels.size() == static_cast<std::size_t>(picture.width) * picture.height);
    static Surface back = [] {
        Surface s = CreateSurface();
        SetSurfaceSize(s, 800, 600);
        return s;
    }();
    SetTransparentColor(picture, MatchColor(255, 0, 255));
    const Rect all{0, 0, picture.width, picture.height};
    DrawRect(back, 0, 0, all, true, picture);
    DrawRect(back, 800 - picture.width, 600 - picture.height, all, false, picture);
    DrawAlpha(back, Rect{-5, -5, 40, 30}, all, picture, true, 128);
    DrawAlpha(back, Rect{790, 590, 830, 640}, all, picture, false, 255);
    return 0;
}
