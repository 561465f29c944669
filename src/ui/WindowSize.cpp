#include "ui/WindowSize.h"

#include <algorithm>
#include <cmath>

#include "image/Scrolling.h"
#include "ui/ViewScale.h"

namespace vesta {

namespace {

struct ShownPicture {
    Control& vertical;
    Control& horizontal;
    Control& picture;
    double width, height;
    void (*across)(Context&);
    void (*down)(Context&);
};

// Shows, hides and ranges the two bars as opening the picture would in a screen of the
// window's size. A bar kept keeps its position within the new range and moves the picture
// through its own handler; without a bar the picture lies at the window's edge, whole.
void refit(Context& ctx, const ShownPicture& p) {
    p.vertical.visible = false;
    p.horizontal.visible = false;
    // A horizontal bar without its vertical twin spans the whole width, as at start.
    p.horizontal.width = ctx.s.schermoLarg;
    showScrollBars(ctx.form, p.vertical, p.horizontal, p.picture, p.width, p.height,
                   visibleRegion(ctx.s));
    if (p.horizontal.visible) {
        p.horizontal.value = std::clamp(p.horizontal.value, p.horizontal.min, p.horizontal.max);
        p.across(ctx);
    } else {
        p.horizontal.value = p.horizontal.min;
        p.picture.left = 0;
        p.picture.width = p.width;
    }
    if (p.vertical.visible) {
        p.vertical.value = std::clamp(p.vertical.value, p.vertical.min, p.vertical.max);
        p.down(ctx);
    } else {
        p.vertical.value = p.vertical.min;
        p.picture.top = 0;
        p.picture.height = p.height;
    }
}

}  // namespace

void fitToWindow(Context& ctx, double width, double height) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    s.schermoLarg = float(width);
    s.schermoAlt = float(height);
    f.Frame1.left = double(s.schermoLarg) - f.Frame1.width - f.VScroll1.width;
    placeZoomButton(f);
    for (Control* bar : {&f.HScroll1, &f.HScroll2}) {
        if (!bar->visible) {
            bar->width = s.schermoLarg;
        }
    }
    if (pictureOnShow(ctx) != PictureOnShow::None) {
        if (f.viewFits) {
            f.viewScale = fitScale(ctx);
        }
        refitPicture(ctx);
    }
}

void placeZoomButton(FormModel& f) {
    f.zoo.left = f.Frame1.left + f.Frame1.width - f.zoo.width;
    f.zoo.top = f.Frame1.top + f.Frame1.height + 8;
    f.bringToFront(f.zoo);
}

PictureOnShow pictureOnShow(const Context& ctx) {
    const FormModel& f = ctx.form;
    const WorkingState& s = ctx.s;
    if (f.Picture2.visible && !f.Picture1.visible && s.largRaddr > 0 && s.altRaddr > 0) {
        return PictureOnShow::Result;
    }
    if (f.Picture1.visible && s.larghezzaPic1 > 0 && s.altezzaPic1 > 0) {
        return PictureOnShow::Photograph;
    }
    return PictureOnShow::None;
}

void refitPicture(Context& ctx) {
    FormModel& f = ctx.form;
    const WorkingState& s = ctx.s;
    const PictureOnShow shown = pictureOnShow(ctx);
    if (shown == PictureOnShow::None) {
        return;
    }
    const bool result = shown == PictureOnShow::Result;
    const double scale = f.viewScale;
    const double width = (result ? double(s.largRaddr) : double(s.larghezzaPic1)) * scale;
    const double height = (result ? s.altRaddr : double(s.altezzaPic1)) * scale;
    Control& across = result ? f.HScroll2 : f.HScroll1;
    Control& down = result ? f.VScroll2 : f.VScroll1;
    refit(ctx,
          {down, across, result ? f.Picture2 : f.Picture1, width, height,
           result ? HScroll2_Change : HScroll1_Change, result ? VScroll2_Change : VScroll1_Change});
    // A magnified picture may be wider than a bar's 16-bit range: its bars reach the far edge
    // all the same.
    if (scale > 1.0) {
        const VisibleRegion v = visibleRegion(ctx.s);
        if (across.visible) {
            across.max = int(std::lround(width - v.width));
        }
        if (down.visible) {
            down.max = int(std::lround(height - v.height));
        }
    }
}

}  // namespace vesta
