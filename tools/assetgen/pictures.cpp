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
void PaintStandIn(cairo_t* cr, const SheetLayout& sheet) {
    ForEachCell(cr, sheet, [&](cairo_t* c, int col, int row) {
        const double w = sheet.cellW, h = sheet.cellH;
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

bool PaintPicture(std::string_view name, cairo_t* cr, const SheetLayout& sheet) {
    return PaintStonePicture(name, cr, sheet) || PaintBackgroundPicture(name, cr, sheet) ||
           PaintSpritePicture(name, cr, sheet) || PaintExtraPicture(name, cr, sheet) ||
           PaintPipePicture(name, cr, sheet) || PaintEffectPicture(name, cr, sheet);
}

void GeneratePictures(const std::string& resDir) {
    for (const SheetLayout& sheet : kPictures) {
        cairo_surface_t* surface =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sheet.Width(), sheet.Height());
        cairo_t* cr = cairo_create(surface);
        if (!PaintPicture(sheet.name, cr, sheet)) PaintStandIn(cr, sheet);
        const cairo_status_t status = cairo_status(cr);
        cairo_destroy(cr);
        if (status != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(surface);
            throw std::runtime_error("drawing " + std::string(sheet.name) + ": " +
                                     cairo_status_to_string(status));
        }
        const Image image = FlattenSurface(surface, sheet.key);
        cairo_surface_destroy(surface);
        WriteBmp(image, resDir + "/" + std::string(sheet.name));
    }
}

}  // namespace assetgen
