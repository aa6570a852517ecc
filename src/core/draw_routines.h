// The surface operations the scene is drawn with. The game uses the display layer's own; tests
// put in the plain per-pixel versions to prove that the fast ones draw the same picture.
#pragma once

#include "platform/scene_list.h"
#include "platform/surface.h"

struct DrawRoutines {
    void (*rectRoutine)(Surface& dst, int x, int y, const Rect& src, bool keyed,
                        const Surface& source) = DrawRect;
    void (*alphaRoutine)(Surface& dst, const Rect& dstRect, const Rect& src, const Surface& source,
                         bool keyed, int alpha) = DrawAlpha;
    // Texts from glyphs made once per glyph and colour texture; off, every queued glyph is
    // composed anew on the glyph scratch surface.
    bool glyphCache = true;
    // Every frame drawn whole, never from the last frame's list (a debug switch; also
    // RHOMBULUS2_FULL_REDRAW=1 in the environment).
    bool fullRedraw = false;
    // While set, what is drawn on `listTarget` is listed here instead of drawn (RenderScene).
    SceneList* listing = nullptr;
    const Surface* listTarget = nullptr;

    void rect(Surface& dst, int x, int y, const Rect& src, bool keyed, const Surface& source) {
        if (listing != nullptr && &dst == listTarget)
            listing->AddRect(x, y, src, keyed, source);
        else
            rectRoutine(dst, x, y, src, keyed, source);
    }
    void alpha(Surface& dst, const Rect& dstRect, const Rect& src, const Surface& source,
               bool keyed, int a) {
        if (listing != nullptr && &dst == listTarget)
            listing->AddAlpha(dstRect, src, source, keyed, a);
        else
            alphaRoutine(dst, dstRect, src, source, keyed, a);
    }
    // A drawing routine about to change `target` otherwise than through rect and alpha, or from
    // a surface that changes while listed (the glyph scratch), calls this first: the items
    // listed so far are drawn and the rest of the frame is drawn directly, compared whole.
    void Unlisted(Surface& target) {
        if (listing == nullptr || &target != listTarget) return;
        listing->Draw(target, Rect{0, 0, target.width, target.height});
        listing->complete = false;
        listing = nullptr;
    }
};
