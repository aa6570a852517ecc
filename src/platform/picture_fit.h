// Where the 800 x 600 picture lies in a window of any size, and which picture pixel a point of
// the window shows.
#pragma once

#include <cstdint>

#include "platform/surface.h"

struct PictureFit {
    int x = 0;  // top-left in the window, the rest is black
    int y = 0;
    int width = 800;
    int height = 600;
    int factor = 1;  // the whole scale factor, 0 when the picture is scaled by a fraction
};

// In a window: the largest whole factor that fits, centred. In fullscreen, and in a window too
// small for the picture, the largest size of the picture's shape that fits.
PictureFit FitPicture(int windowWidth, int windowHeight, bool fullscreen);
// Copies the picture into a 32-bit pixel buffer (pitch in pixels) at a whole factor: every
// picture pixel becomes a factor x factor square. The destination must hold it.
void CopyPictureScaled(const Surface& picture, std::uint32_t* dst, int pitch, int factor);
// The same for one rectangle of the picture (inside it); dst is still where the picture's
// top-left pixel goes.
void CopyPictureRectScaled(const Surface& picture, const Rect& r, std::uint32_t* dst, int pitch,
                           int factor);
// The picture pixel under window point (wx, wy), clamped to the picture.
void WindowToPicture(const PictureFit& fit, int wx, int wy, int& px, int& py);
