#include <cairo.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "art.h"
#include "assetgen.h"
#include "bmp.h"

namespace assetgen {

namespace {

// A plain stand-in: a soft disc per cell, for a sheet whose painter is not written yet.
void PaintStandIn(cairo_t* cr, const PictureSpec& spec) {
    ForEachCell(cr, spec, [&](cairo_t* c, int col, int row) {
        const double w = spec.cellW, h = spec.cellH;
        cairo_save(c);
        cairo_translate(c, w / 2, h / 2);
        cairo_scale(c, w / 2 - 2, h / 2 - 2);
        cairo_arc(c, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(c);
        SetColour(c, {0.3 + 0.07 * (col % 8), 0.4 + 0.05 * (row % 10), 0.8});
        cairo_fill(c);
    });
}

}  // namespace

void ForEachCell(cairo_t* cr, const PictureSpec& spec,
                 const std::function<void(cairo_t*, int, int)>& paint) {
    for (int row = 0; row < spec.rows; ++row) {
        for (int col = 0; col < spec.columns; ++col) {
            cairo_save(cr);
            cairo_translate(cr, col * spec.cellW, row * spec.cellH);
            cairo_rectangle(cr, 0, 0, spec.cellW, spec.cellH);
            cairo_clip(cr);
            paint(cr, col, row);
            cairo_restore(cr);
        }
    }
}

bool PaintPicture(std::string_view name, cairo_t* cr, const PictureSpec& spec) {
    return PaintStonePicture(name, cr, spec) || PaintBackgroundPicture(name, cr, spec) ||
           PaintSpritePicture(name, cr, spec) || PaintExtraPicture(name, cr, spec) ||
           PaintPipePicture(name, cr, spec) || PaintEffectPicture(name, cr, spec);
}

void GeneratePictures(const std::string& resDir) {
    for (const PictureSpec& spec : kPictures) {
        cairo_surface_t* surface =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, spec.Width(), spec.Height());
        cairo_t* cr = cairo_create(surface);
        if (!PaintPicture(spec.name, cr, spec)) PaintStandIn(cr, spec);
        const cairo_status_t status = cairo_status(cr);
        cairo_destroy(cr);
        if (status != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(surface);
            throw std::runtime_error("drawing " + std::string(spec.name) + ": " +
                                     cairo_status_to_string(status));
        }
        const Image image = FlattenSurface(surface, spec.key);
        cairo_surface_destroy(surface);
        WriteBmp(image, resDir + "/" + std::string(spec.name));
    }
}

}  // namespace assetgen
