#include "art.h"

namespace assetgen {

bool PaintPipePicture(std::string_view, cairo_t*, const PictureSpec&) {
    return false;
}

}  // namespace assetgen
