// Small window updates straight to the X server. SDL's own update waits for the server's answer
// each time, so that its shared memory may be drawn into again: a round trip every tick even when
// only the pointer's light moved. A small area sent as a plain request is copied on its way out,
// and the game goes on without waiting.
#pragma once

#include <SDL.h>

#include <vector>

class XWindowSender {
  public:
    XWindowSender() = default;
    XWindowSender(const XWindowSender&) = delete;
    XWindowSender& operator=(const XWindowSender&) = delete;
    ~XWindowSender() { Detach(); }

    // Ready to send to `window` when it is a window of an X server whose pixels are laid out as
    // SDL's surface is; false on any other video driver or layout (InputWaiting still works on
    // any X window).
    bool Attach(SDL_Window* window);
    // Frees what Attach made; before the window is destroyed.
    void Detach();
    // Sends the rectangles of the window surface `ws` (window pixels) and flushes them out;
    // false, sending nothing, when not attached or the surface's pixels do not match the window's
    // own layout (then SDL must send them).
    bool Send(SDL_Surface* ws, const std::vector<SDL_Rect>& rects);
    // Whether the X server has sent something SDL has not taken yet (one read that does not
    // wait); true when not attached, as nothing is known then.
    bool InputWaiting() const;

  private:
    bool ImageFor(SDL_Surface* ws);
    void DropImage();

    void* display_ = nullptr;  // Display*
    unsigned long window_ = 0;
    void* gc_ = nullptr;     // GC
    void* image_ = nullptr;  // XImage* over the surface's pixels
    void* visual_ = nullptr;
    int depth_ = 0;
    const void* imagePixels_ = nullptr;
    int imageW_ = 0, imageH_ = 0, imagePitch_ = 0;
    bool imageFits_ = false;
};
