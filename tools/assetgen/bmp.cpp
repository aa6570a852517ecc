#include "bmp.h"

#include <cstdio>
#include <stdexcept>

namespace assetgen {

namespace {

void PutLe32(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 255));
}

void PutLe16(std::vector<unsigned char>& out, std::uint16_t v) {
    out.push_back(static_cast<unsigned char>(v & 255));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

}  // namespace

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
    const int stride = (image.width * 3 + 3) / 4 * 4;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride) * image.height;
    std::vector<unsigned char> out;
    out.reserve(54 + imageSize);
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, 54 + imageSize);
    PutLe32(out, 0);
    PutLe32(out, 54);
    PutLe32(out, 40);
    PutLe32(out, static_cast<std::uint32_t>(image.width));
    PutLe32(out, static_cast<std::uint32_t>(image.height));
    PutLe16(out, 1);
    PutLe16(out, 24);
    PutLe32(out, 0);
    PutLe32(out, imageSize);
    PutLe32(out, 2835);
    PutLe32(out, 2835);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.At(x, y);
            out.push_back(static_cast<unsigned char>(p & 255));
            out.push_back(static_cast<unsigned char>((p >> 8) & 255));
            out.push_back(static_cast<unsigned char>((p >> 16) & 255));
        }
        for (int pad = image.width * 3; pad < stride; ++pad) out.push_back(0);
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}

}  // namespace assetgen
