#include "ui/ViewScale.h"

#include <algorithm>
#include <cmath>

#include "image/Scrolling.h"
#include "ui/WindowSize.h"

namespace vesta {

namespace {

bool photographOnShow(const Context& ctx) {
    return ctx.form.Picture1.visible && ctx.s.larghezzaPic1 > 0 && ctx.s.altezzaPic1 > 0;
}

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

double fitScale(const WorkingState& s) {
    const VisibleRegion v = visibleRegion(s);
    if (s.larghezzaPic1 <= 0 || s.altezzaPic1 <= 0 || v.width <= 0 || v.height <= 0) {
        return 1.0;
    }
    return std::min({1.0, v.width / s.larghezzaPic1, v.height / s.altezzaPic1});
}

void showAtScale(Context& ctx, double scale, double anchorX, double anchorY) {
    FormModel& f = ctx.form;
    if (!photographOnShow(ctx)) {
        f.viewScale = scale;
        markScale(f);
        return;
    }
    // The photograph point under the anchor, from where the picture lies now.
    const double px = (anchorX - f.Picture1.left) / f.viewScale;
    const double py = (anchorY - f.Picture1.top) / f.viewScale;
    f.viewScale = scale;
    markScale(f);
    refitPhotograph(ctx);
    scrollTo(f.HScroll1, px * scale, anchorX);
    scrollTo(f.VScroll1, py * scale, anchorY);
    if (f.HScroll1.visible) {
        HScroll1_Change(ctx);
    }
    if (f.VScroll1.visible) {
        VScroll1_Change(ctx);
    }
}

void showScale(Context& ctx, double scale) {
    ctx.form.viewFits = false;
    const VisibleRegion v = visibleRegion(ctx.s);
    showAtScale(ctx, scale, v.width / 2, v.height / 2);
}

void showFitting(Context& ctx) {
    ctx.form.viewFits = true;
    showAtScale(ctx, fitScale(ctx.s), 0, 0);
}

void stepScale(Context& ctx, int steps, double anchorX, double anchorY) {
    FormModel& f = ctx.form;
    // The fit scale is one of the steps only where it lies below every fixed one.
    const double fit = fitScale(ctx.s);
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
    const double scale = f.viewFits ? fitScale(ctx.s) : f.viewScale;
    showAtScale(ctx, scale, 0, 0);
}

void showNewPhotograph(Context& ctx) {
    if (ctx.s.aColori() && fitScale(ctx.s) < 1.0) {
        showFitting(ctx);
    } else {
        reshowView(ctx);
    }
}

void toggleMagnifier(Context& ctx) {
    ctx.form.magnifier.checked = !ctx.form.magnifier.checked;
}

}  // namespace vesta
