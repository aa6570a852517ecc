#include "art.h"

namespace assetgen {

bool PaintSpritePicture(std::string_view, cairo_t*, const PictureSpec&) {
    return false;
}

}  // namespace assetgen
