#include "image/Scrolling.h"

#include "state/Numbers.h"

namespace vesta {

VisibleRegion visibleRegion(const WorkingState& s) {
    return VisibleRegion{double(s.schermoLarg) - s.altezzaBarra - s.panelColumn,
                         double(s.schermoAlt) - 3.0 * s.altezzaBarra};
}

ScrollRange scrollRange(double imageSide, double visibleSide) {
    return ScrollRange{toInteger16(imageSide - visibleSide), toInteger16(visibleSide / 100),
                       toInteger16(visibleSide / 10)};
}

void showScrollBars(FormModel& form, Control& vertical, Control& horizontal, Control& picture,
                    double width, double height, const VisibleRegion& visible) {
    if (height > visible.height) {
        const ScrollRange r = scrollRange(height, visible.height);
        vertical.visible = true;
        vertical.max = r.max;
        vertical.height = visible.height;
        vertical.smallChange = r.smallChange;
        vertical.largeChange = r.largeChange;
        vertical.left = visible.width;
        horizontal.width = visible.width;
    }
    if (width > visible.width) {
        const ScrollRange r = scrollRange(width, visible.width);
        horizontal.visible = true;
        form.sendToBack(picture);
        // The picture area ends where its bar's rule puts it, at the visible width: left of the
        // panel's column, not under it (the image's own width is read before this).
        picture.width = visible.width - picture.left;
        horizontal.max = r.max;
        horizontal.smallChange = r.smallChange;
        horizontal.largeChange = r.largeChange;
        horizontal.top = visible.height;
    }
}

namespace {

// Horizontal bars keep the picture's right edge at the visible width; vertical ones reach one
// bar thickness above the bottom of the screen.
void scrollAcross(const Context& ctx, const Control& bar, Control& picture) {
    picture.left = -bar.value;
    picture.width = bar.value + visibleRegion(ctx.s).width;
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
