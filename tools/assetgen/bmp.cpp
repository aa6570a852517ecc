#include "bmp.h"

#include <stdexcept>

#include "platform/surface.h"

namespace assetgen {

Image FlattenSurface(cairo_surface_t* surface, Key key) {
    cairo_surface_flush(surface);
    Image img;
    img.width = cairo_image_surface_get_width(surface);
    img.height = cairo_image_surface_get_height(surface);
    img.pixels.resize(static_cast<size_t>(img.width) * img.height);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const std::uint32_t keyColour = KeyColour(key);
    for (int y = 0; y < img.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < img.width; ++x) {
            const std::uint32_t p = row[x];
            const unsigned a = p >> 24;
            unsigned r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
            if (key == Key::None) {
                img.At(x, y) = (r << 16) | (g << 8) | b;  // premultiplied = over black
                continue;
            }
            if (a < 128) {
                img.At(x, y) = keyColour;
                continue;
            }
            r = (r * 255 + a / 2) / a;
            g = (g * 255 + a / 2) / a;
            b = (b * 255 + a / 2) / a;
            std::uint32_t c = (r << 16) | (g << 8) | b;
            if (c == keyColour) c = key == Key::Black ? 0x010101u : 0xFE00FEu;
            img.At(x, y) = c;
        }
    }
    return img;
}

void WriteBmp(const Image& image, const std::string& path) {
    // The game's own writer, so the files are exactly what its loader reads.
    Surface surface;
    surface.width = image.width;
    surface.height = image.height;
    surface.pixels = image.pixels;
    if (!SaveBmp(surface, path)) throw std::runtime_error("cannot write " + path);
}

}  // namespace assetgen
