#include "state/PictureArea.h"

namespace vesta {

void PictureArea::line(float x1, float y1, float x2, float y2, std::optional<Rgb> colour) {
    drawLine(x1, y1, x2, y2, colour.value_or(foreColor_), drawMode_);
}

void PictureArea::box(float x1, float y1, float x2, float y2, std::optional<Rgb> colour) {
    drawBox(x1, y1, x2, y2, colour.value_or(foreColor_), drawMode_);
}

void PictureArea::circle(float cx, float cy, float radius, std::optional<Rgb> colour) {
    drawCircle(cx, cy, radius, colour.value_or(foreColor_), drawMode_);
}

}  // namespace vesta
