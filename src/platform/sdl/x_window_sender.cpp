#include "platform/sdl/x_window_sender.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

bool XWindowSender::Attach(SDL_Window* window) {
    Detach();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) ||
        info.subsystem != SDL_SYSWM_X11 || info.info.x11.display == nullptr)
        return false;
    Display* display = info.info.x11.display;
    display_ = display;
    window_ = info.info.x11.window;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window_, &attributes) == 0) return false;
    // Only the plain layout SDL's surface has on a 24-bit desktop: 0x00RRGGBB in 32 bits.
    const Visual* v = attributes.visual;
    if (v == nullptr || v->red_mask != 0xFF0000 || v->green_mask != 0xFF00 || v->blue_mask != 0xFF)
        return false;
    visual_ = attributes.visual;
    depth_ = attributes.depth;
    gc_ = XCreateGC(display, window_, 0, nullptr);
    return gc_ != nullptr;
}

void XWindowSender::Detach() {
    DropImage();
    if (gc_ != nullptr) XFreeGC(static_cast<Display*>(display_), static_cast<GC>(gc_));
    gc_ = visual_ = nullptr;
    display_ = nullptr;
    imagePixels_ = nullptr;
    imageFits_ = false;
}

void XWindowSender::DropImage() {
    if (image_ == nullptr) return;
    // The pixels are the surface's, not the image's.
    static_cast<XImage*>(image_)->data = nullptr;
    XDestroyImage(static_cast<XImage*>(image_));
    image_ = nullptr;
}

// An image over the surface's own pixels, made again when SDL gave the window a new surface.
bool XWindowSender::ImageFor(SDL_Surface* ws) {
    if (image_ != nullptr && imagePixels_ == ws->pixels && imageW_ == ws->w && imageH_ == ws->h &&
        imagePitch_ == ws->pitch)
        return imageFits_;
    DropImage();
    XImage* image =
        XCreateImage(static_cast<Display*>(display_), static_cast<Visual*>(visual_),
                     static_cast<unsigned>(depth_), ZPixmap, 0, static_cast<char*>(ws->pixels),
                     static_cast<unsigned>(ws->w), static_cast<unsigned>(ws->h), 32, ws->pitch);
    image_ = image;
    imagePixels_ = ws->pixels;
    imageW_ = ws->w;
    imageH_ = ws->h;
    imagePitch_ = ws->pitch;
    const Uint32 format = ws->format->format;
    imageFits_ = image != nullptr && image->bits_per_pixel == 32 &&
                 image->bytes_per_line == ws->pitch &&
                 (format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888);
    return imageFits_;
}

bool XWindowSender::Send(SDL_Surface* ws, const std::vector<SDL_Rect>& rects) {
    if (gc_ == nullptr || ws == nullptr || !ImageFor(ws)) return false;
    auto* display = static_cast<Display*>(display_);
    for (const SDL_Rect& r : rects) {
        XPutImage(display, window_, static_cast<GC>(gc_), static_cast<XImage*>(image_), r.x, r.y,
                  r.x, r.y, static_cast<unsigned>(r.w), static_cast<unsigned>(r.h));
    }
    XFlush(display);
    return true;
}

bool XWindowSender::InputWaiting() const {
    if (display_ == nullptr) return true;
    return XEventsQueued(static_cast<Display*>(display_), QueuedAfterReading) > 0;
}
