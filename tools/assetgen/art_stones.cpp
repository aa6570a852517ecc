#include "art.h"

namespace assetgen {

bool PaintStonePicture(std::string_view, cairo_t*, const PictureSpec&) {
    return false;
}

}  // namespace assetgen
