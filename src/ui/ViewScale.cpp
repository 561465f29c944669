#include "ui/ViewScale.h"

#include <algorithm>
#include <cmath>

#include "image/Scrolling.h"
#include "state/FitScale.h"
#include "ui/WindowSize.h"

namespace vesta {

namespace {

// One check mark in the menu: on the fixed scale shown, or on the fit.
void markScale(FormModel& f) {
    MenuItem* items[] = {&f.scale1to4, &f.scale1to2, &f.scale1to1,
                         &f.scale2to1, &f.scale4to1, &f.scale8to1};
    for (std::size_t i = 0; i < std::size(items); ++i) {
        items[i]->checked = !f.viewFits && f.viewScale == kViewScales[i];
    }
    f.fitView.checked = f.viewFits;
}

// A bar's value that puts screen position `shown` of the picture at window position `at`.
void scrollTo(Control& bar, double shown, double at) {
    if (bar.visible) {
        bar.value = std::clamp(int(std::lround(shown - at)), bar.min, bar.max);
    }
}

}  // namespace

double fitScale(const Context& ctx) {
    const WorkingState& s = ctx.s;
    const bool result = pictureOnShow(ctx) == PictureOnShow::Result;
    const double width = result ? double(s.largRaddr) : double(s.larghezzaPic1);
    const double height = result ? s.altRaddr : double(s.altezzaPic1);
    const VisibleRegion v = visibleRegion(s);
    return fittingScale(width, height, v.width, v.height);
}

void showAtScale(Context& ctx, double scale, double anchorX, double anchorY) {
    FormModel& f = ctx.form;
    const PictureOnShow shown = pictureOnShow(ctx);
    if (shown == PictureOnShow::None) {
        f.viewScale = scale;
        markScale(f);
        return;
    }
    const bool result = shown == PictureOnShow::Result;
    Control& picture = result ? f.Picture2 : f.Picture1;
    Control& across = result ? f.HScroll2 : f.HScroll1;
    Control& down = result ? f.VScroll2 : f.VScroll1;
    // The picture point under the anchor, from where the picture lies now.
    const double px = (anchorX - picture.left) / f.viewScale;
    const double py = (anchorY - picture.top) / f.viewScale;
    f.viewScale = scale;
    markScale(f);
    refitPicture(ctx);
    scrollTo(across, px * scale, anchorX);
    scrollTo(down, py * scale, anchorY);
    if (across.visible) {
        (result ? HScroll2_Change : HScroll1_Change)(ctx);
    }
    if (down.visible) {
        (result ? VScroll2_Change : VScroll1_Change)(ctx);
    }
}

void showScale(Context& ctx, double scale) {
    ctx.form.viewFits = false;
    const VisibleRegion v = visibleRegion(ctx.s);
    showAtScale(ctx, scale, v.width / 2, v.height / 2);
}

void showFitting(Context& ctx) {
    ctx.form.viewFits = true;
    showAtScale(ctx, fitScale(ctx), 0, 0);
}

void stepScale(Context& ctx, int steps, double anchorX, double anchorY) {
    FormModel& f = ctx.form;
    // The fit scale is one of the steps only where it lies below every fixed one.
    const double fit = fitScale(ctx);
    double scale = f.viewScale;
    for (; steps > 0; --steps) {
        const double* next =
            std::upper_bound(std::begin(kViewScales), std::end(kViewScales), scale * (1 + 1e-9));
        if (next != std::end(kViewScales)) {
            scale = *next;
        }
    }
    for (; steps < 0; ++steps) {
        const double* below =
            std::lower_bound(std::begin(kViewScales), std::end(kViewScales), scale * (1 - 1e-9));
        if (below != std::begin(kViewScales)) {
            scale = *(below - 1);
        } else if (fit < scale) {
            scale = fit;
        }
    }
    f.viewFits = scale == fit && scale < kViewScales[0];
    showAtScale(ctx, scale, anchorX, anchorY);
}

void stepScaleAboutMiddle(Context& ctx, int steps) {
    const VisibleRegion v = visibleRegion(ctx.s);
    stepScale(ctx, steps, v.width / 2, v.height / 2);
}

void reshowView(Context& ctx) {
    FormModel& f = ctx.form;
    if (!f.viewFits && f.viewScale == 1.0) {
        return;
    }
    const double scale = f.viewFits ? fitScale(ctx) : f.viewScale;
    showAtScale(ctx, scale, 0, 0);
}

void showNewPhotograph(Context& ctx) {
    if (ctx.s.aColori() && fitScale(ctx) < 1.0) {
        showFitting(ctx);
    } else {
        reshowView(ctx);
    }
}

void toggleMagnifier(Context& ctx) {
    ctx.form.magnifier.checked = !ctx.form.magnifier.checked;
}

}  // namespace vesta
