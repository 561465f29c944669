#include "ui/ZoomViewer.h"

#include <algorithm>

#include "state/Numbers.h"

namespace vesta {

namespace {

// The picture's size in pixels: the rectified image once one exists, else the photograph.
double pictureWidth(const WorkingState& s) {
    return s.nRaddr > 0 ? double(s.largRaddr) : double(s.larghezzaPic1);
}

// A scroll bar's maximum is a 16-bit number: beyond it the bar stops at its limit. A picture
// that fits has nothing to scroll.
int barMax(double value) {
    return std::max(0, int(toInteger16(value)));
}

// Steps in twips, the bars' unit: an arrow moves a twentieth of the window's side, a click on
// the track nine tenths of it, so a page keeps a strip of the last one in sight.
void setSteps(ScrollBarState& bar, double windowSide) {
    bar.smallChange = std::max(1, int(toInteger16(windowSide / 20)));
    bar.largeChange = std::max(1, int(toInteger16(windowSide * 0.9)));
}

void fitBars(Context& ctx);

}  // namespace

void zoom_Form_Load(Context& ctx) {
    ZoomForm& z = ctx.zoomForm;
    WorkingState& s = ctx.s;
    z = ZoomForm{};
    z.loaded = true;
    z.window = TwipRect{11080, 1100, 5325, 6210};
    // Arrows of 20 x 20 pixels at 15 twips a pixel: a size a hand can hit. The bars start
    // beside and below the spin button, as thick as its arrows are wide.
    z.spin = TwipRect{0, 0, 300, 600};
    z.hScroll.place = TwipRect{300, 0, 3800, 300};
    z.vScroll.place = TwipRect{0, 600, 300, 3600};
    z.image = TwipRect{0, 0, 1935, 2130};
    s.posH = 0;
    s.posV = 0;
    const double width = pictureWidth(s);
    s.scalaIniz = width > 0 ? z.image.width / width : 0;
    if (s.zoomPerc == 0) {
        s.zoomPerc = 1;
    }
    s.zoomDiv = 100.0 / s.zoomPerc;
    // The window is shown at its design size, which fits its bars.
    zoom_Form_Resize(ctx, z.window.width, z.window.height);
}

void zoo_Click(Context& ctx) {
    ZoomForm& z = ctx.zoomForm;
    const WorkingState& s = ctx.s;
    if (!z.loaded) {
        zoom_Form_Load(ctx);
    }
    z.shown = true;
    if (s.nRaddr != 0) {
        z.showing = ZoomForm::Showing::Rectified;
        // The width is formed in 16-bit integers; a saturating product keeps a huge one huge.
        z.image.width = toInteger16(double(s.largRaddr) * 10);
        z.image.height = s.altRaddr * 10;
    } else {
        z.showing = ZoomForm::Showing::Photograph;
        z.image.width = double(s.larghezzaPic1) * 10;
        z.image.height = double(s.altezzaPic1) * 10;
    }
    z.picture = s.nRaddr != 0 ? s.immagineRaddrizzata : s.sorgente.image;
    z.colourPicture = !s.aColori()    ? ColourImage{}
                      : s.nRaddr != 0 ? s.risultatoColori
                                      : *s.fotoColori;
    // The picture on show may be another, of another size, than when the viewer was last used.
    fitBars(ctx);
}

void zoom_Form_Resize(Context& ctx, double width, double height) {
    ZoomForm& z = ctx.zoomForm;
    z.window.width = width;
    z.window.height = height;
    z.hScroll.place.width = width;
    z.vScroll.place.height = height;
    fitBars(ctx);
}

void zoom_HScroll1_Change(Context& ctx, int value) {
    ctx.zoomForm.hScroll.value = value;
    ctx.s.posH = value;
    ctx.zoomForm.image.left = -value;
}

void zoom_VScroll1_Change(Context& ctx, int value) {
    ctx.zoomForm.vScroll.value = value;
    ctx.s.posV = value;
    ctx.zoomForm.image.top = -value;
}

namespace {

// The bars' ranges follow the picture's and the window's sizes. A range that shrank below a
// bar's value takes the bar and the picture back with it: a picture left further off than the
// bar can reach would hide its near edge for good.
void fitBars(Context& ctx) {
    ZoomForm& z = ctx.zoomForm;
    z.vScroll.max = barMax(z.image.height - z.window.height);
    z.hScroll.max = barMax(z.image.width - z.window.width);
    setSteps(z.vScroll, z.window.height);
    setSteps(z.hScroll, z.window.width);
    zoom_HScroll1_Change(ctx, std::clamp(z.hScroll.value, 0, z.hScroll.max));
    zoom_VScroll1_Change(ctx, std::clamp(z.vScroll.value, 0, z.vScroll.max));
}

}  // namespace

namespace {

// One zoom step: the percentage restarts at 100 when the direction changes and moves 10 per
// step, so steps in one direction accelerate (0.9, 0.8, 0.7 ...). A step that would take the
// picture's height beyond the limit leaves the picture as it is.
void zoomStep(Context& ctx, int direction) {
    WorkingState& s = ctx.s;
    ZoomForm& z = ctx.zoomForm;
    if (s.zoomDir != direction) {
        s.zoomPerc = 100;
    }
    s.zoomPerc += 10 * direction;
    if (s.zoomPerc == 0) {
        s.zoomPerc = 1;
    }
    s.zoomDiv = 100.0 / s.zoomPerc;
    const double newHeight = z.image.height / s.zoomDiv;
    const bool refused = direction < 0 ? newHeight < 600 : newHeight > 30000;
    if (!refused) {
        z.image.width = z.image.width / s.zoomDiv;
        z.image.height = newHeight;
        const double width = pictureWidth(s);
        s.fattoreZoom = width > 0 ? z.image.width / width : 0;
        fitBars(ctx);
    }
    s.zoomDir = direction;
}

}  // namespace

void Spin1_SpinDown(Context& ctx) {
    zoomStep(ctx, -1);
}
void Spin1_SpinUp(Context& ctx) {
    zoomStep(ctx, 1);
}

void Image1_DblClick(Context& ctx) {
    const WorkingState& s = ctx.s;
    ZoomForm& z = ctx.zoomForm;
    if (s.nRaddr < 1 || s.zoomDiv <= 0) {
        return;
    }
    const double step = 200 * s.scalaIniz / s.zoomDiv;
    if (!(step > 0)) {
        return;
    }
    for (double x = 0; x <= z.image.width; x += step) {
        z.grid.push_back(TwipLine{x, 0, x, z.image.height});
    }
    for (double y = 0; y <= z.image.height; y += step) {
        z.grid.push_back(TwipLine{0, y, z.image.width, y});
    }
}

void zoom_Form_MouseUp(Context& ctx) {
    ZoomForm& z = ctx.zoomForm;
    if (z.window.width < z.image.width || z.window.height < z.image.height) {
        z.window.width = z.image.width;
        z.window.height = z.image.height;
        z.hScroll.place.width = z.window.width;
        z.vScroll.place.height = z.window.height;
    }
    if (z.window.width > z.image.width || z.window.height > z.image.height) {
        z.window.width = z.image.width;
        z.window.height = z.image.height + 380;
        z.hScroll.place.width = z.window.width;
        z.vScroll.place.height = z.window.height + 380;
    }
    fitBars(ctx);
}

void zoom_Form_Unload(Context& ctx) {
    ctx.zoomForm.loaded = false;
    ctx.zoomForm.shown = false;
}

}  // namespace vesta
