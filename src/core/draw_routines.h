// The surface operations the scene is drawn with. The game uses the display layer's own; tests
// put in the plain per-pixel versions to prove that the fast ones draw the same picture.
#pragma once

#include "platform/surface.h"

struct DrawRoutines {
    void (*rect)(Surface& dst, int x, int y, const Rect& src, bool keyed,
                 const Surface& source) = DrawRect;
    void (*alpha)(Surface& dst, const Rect& dstRect, const Rect& src, const Surface& source,
                  bool keyed, int alpha) = DrawAlpha;
    // Texts from glyphs made once per glyph and colour texture; off, every queued glyph is
    // composed anew on the glyph scratch surface.
    bool glyphCache = true;
};
