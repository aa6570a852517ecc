#include "x_window_pixels.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

bool ReadXWindowPixels(SDL_Window* window, int width, int height,
                       std::vector<std::uint32_t>& pixels) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    XImage* image =
        XGetImage(info.info.x11.display, info.info.x11.window, 0, 0, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        if (image->bits_per_pixel == 32 && image->byte_order == LSBFirst) {
            const auto* row =
                reinterpret_cast<const std::uint32_t*>(image->data + y * image->bytes_per_line);
            for (int x = 0; x < width; ++x)
                pixels[static_cast<size_t>(y) * width + x] = row[x] & 0xFFFFFF;
            continue;
        }
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] =
                static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
    }
    XDestroyImage(image);
    return true;
}
