#include "desktop/FontMapping.h"

#include <QStringList>

namespace vesta::desktop {

QFont qtFont(const Font& font) {
    QStringList families;
    if (font.family == "MS Serif") {
        families = {"Liberation Serif", "DejaVu Serif", "serif"};
    } else if (font.family == "Small Fonts") {
        // A small bitmap face on Windows; a condensed sans keeps 6-point captions legible.
        families = {"DejaVu Sans Condensed", "DejaVu Sans", "Liberation Sans", "sans-serif"};
    } else {
        // "MS Sans Serif" and "Arial" both become the metric-compatible sans.
        families = {"Liberation Sans", "DejaVu Sans", "sans-serif"};
    }
    QFont result;
    result.setFamilies(families);
    result.setPointSizeF(font.points);
    result.setBold(font.bold);
    return result;
}

}  // namespace vesta::desktop
