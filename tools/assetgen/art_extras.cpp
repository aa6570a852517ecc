#include "art.h"

namespace assetgen {

bool PaintExtraPicture(std::string_view, cairo_t*, const PictureSpec&) {
    return false;
}

}  // namespace assetgen
