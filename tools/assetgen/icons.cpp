// The desktop icon: three stones of the game's sheet in the lattice they hang in, a red stone
// over a green and a blue one. The smallest sizes show one stone, which still reads at 16 px.
#include <cairo.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "art.h"
#include "assetgen.h"
#include "bmp.h"

namespace assetgen {

namespace {

void PaintIcon(cairo_t* cr, int size) {
    if (size < 32) {
        PaintStone(cr, size / 2.0, size / 2.0, size + 4.0, 1, false);
        return;
    }
    // Diagonal neighbours touch edge to edge when their centres lie R apart both ways, so the
    // three stones span 4 R across and 3 R down.
    const double R = size * 0.235;
    const double d = 2 * R + 6.6;  // the stone size whose corner radius is R
    const double c = size / 2.0;
    PaintStone(cr, c - R, c + R / 2, d, 3, false);
    PaintStone(cr, c + R, c + R / 2, d, 2, false);
    PaintStone(cr, c, c - R / 2, d, 1, false);
}

cairo_surface_t* DrawIcon(int size) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    PaintIcon(cr, size);
    const cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    if (status != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        throw std::runtime_error(std::string("drawing the icon: ") +
                                 cairo_status_to_string(status));
    }
    return surface;
}

}  // namespace

void GenerateIcons(const std::string& outDir) {
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string dir =
            outDir + "/icons/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::filesystem::create_directories(dir);
        cairo_surface_t* surface = DrawIcon(size);
        const cairo_status_t status =
            cairo_surface_write_to_png(surface, (dir + "/rhombulus2.png").c_str());
        if (size == 64) WriteBmp(FlattenSurface(surface, Key::Magenta), outDir + "/icon.bmp");
        cairo_surface_destroy(surface);
        if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error("writing the icon " + dir);
    }
}

}  // namespace assetgen
