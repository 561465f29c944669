#include "image/Scrolling.h"

#include "state/Numbers.h"

namespace vesta {

VisibleRegion visibleRegion(const WorkingState& s) {
    return VisibleRegion{double(s.schermoLarg) - s.altezzaBarra,
                         double(s.schermoAlt) - 3.0 * s.altezzaBarra};
}

ScrollRange scrollRange(double imageSide, double visibleSide) {
    return ScrollRange{toInteger16(imageSide - visibleSide), toInteger16(visibleSide / 100),
                       toInteger16(visibleSide / 10)};
}

namespace {

// Horizontal bars keep the picture's right edge at the visible width; vertical ones reach one
// bar thickness above the bottom of the screen.
void scrollAcross(const Context& ctx, const Control& bar, Control& picture) {
    picture.left = -bar.value;
    picture.width = bar.value + double(ctx.s.schermoLarg) - ctx.s.altezzaBarra;
}

void scrollDown(const Context& ctx, const Control& bar, Control& picture) {
    picture.top = -bar.value;
    picture.height = bar.value + double(ctx.s.schermoAlt) - ctx.s.altezzaBarra;
}

}  // namespace

void HScroll1_Change(Context& ctx) {
    scrollAcross(ctx, ctx.form.HScroll1, ctx.form.Picture1);
}
void VScroll1_Change(Context& ctx) {
    scrollDown(ctx, ctx.form.VScroll1, ctx.form.Picture1);
}
void HScroll2_Change(Context& ctx) {
    scrollAcross(ctx, ctx.form.HScroll2, ctx.form.Picture2);
}
void VScroll2_Change(Context& ctx) {
    scrollDown(ctx, ctx.form.VScroll2, ctx.form.Picture2);
}

}  // namespace vesta
