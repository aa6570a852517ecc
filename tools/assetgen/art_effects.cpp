#include "art.h"

namespace assetgen {

bool PaintEffectPicture(std::string_view, cairo_t*, const PictureSpec&) {
    return false;
}

}  // namespace assetgen
