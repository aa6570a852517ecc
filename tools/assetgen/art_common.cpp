#include <cmath>

#include "art.h"

namespace assetgen {

void ForEachCell(cairo_t* cr, const SheetLayout& sheet,
                 const std::function<void(cairo_t*, int, int)>& paint) {
    for (int row = 0; row < sheet.rows; ++row) {
        for (int col = 0; col < sheet.columns; ++col) {
            cairo_save(cr);
            cairo_translate(cr, col * sheet.cellW, row * sheet.cellH);
            cairo_rectangle(cr, 0, 0, sheet.cellW, sheet.cellH);
            cairo_clip(cr);
            paint(cr, col, row);
            cairo_restore(cr);
        }
    }
}

void DiamondPath(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_move_to(cr, cx, cy - ry);
    cairo_line_to(cr, cx + rx, cy);
    cairo_line_to(cr, cx, cy + ry);
    cairo_line_to(cr, cx - rx, cy);
    cairo_close_path(cr);
}

void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points,
              double rotation) {
    for (int i = 0; i < points * 2; ++i) {
        const double a = rotation - M_PI / 2 + i * M_PI / points;
        const double r = (i % 2 == 0) ? outer : inner;
        if (i == 0) {
            cairo_move_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
        } else {
            cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
        }
    }
    cairo_close_path(cr);
}

}  // namespace assetgen
