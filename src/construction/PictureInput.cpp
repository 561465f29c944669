#include "construction/PictureInput.h"

#include <algorithm>
#include <cmath>

#include "construction/AutoLines.h"
#include "construction/ConstructionState.h"
#include "construction/EdgeSnapping.h"
#include "construction/ExtraLines.h"
#include "construction/Grid.h"
#include "construction/LinePoints.h"
#include "construction/Overlay.h"
#include "state/Numbers.h"
#include "state/Prompts.h"
#include "state/RubberBand.h"

namespace vesta {

namespace {

// Photograph pixels to the tenth: a click at 8:1 is an eighth of a pixel, no finer.
std::string text(const Context& ctx, double value) {
    return roundedForm(value, 1, ctx.decimalSeparator);
}

void showPointer(Context& ctx, float x, float y) {
    ctx.form.Text1.caption = text(ctx, x);
    ctx.form.Text2.caption = text(ctx, y);
}

void lineEnd(Context& ctx, float x, float y, double viewScale) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    PictureArea& pic = ctx.picture1;
    showPointer(ctx, x, y);
    if (s.attesaSecondo != 1) {
        s.attesaSecondo = 1;
        s.primoMovimento = 1;
        s.xPrimo = x;
        s.yPrimo = y;
        s.firstViewScale = viewScale;
        pic.circle(s.xPrimo, s.yPrimo, 2, colours::red);
        f.tfuox.caption = text(ctx, s.xPrimo);
        f.tfuoy.caption = text(ctx, s.yPrimo);
        f.tfuvx.caption = "";
        f.tfuvy.caption = "";
        return;
    }
    // A line drawn onto its edge is drawn where it lies, so the rubber band would not be covered.
    if (s.agganciaBordi && s.primoMovimento == 0) {
        pic.setDrawMode(DrawMode::Invert);
        pic.line(s.xPrimo, s.yPrimo, s.xElastico, s.yElastico);
        pic.setDrawMode(DrawMode::CopyPen);
    }
    s.attesaSecondo = 0;
    s.primoMovimento = 0;
    s.xSecondo = x;
    s.ySecondo = y;
    pic.circle(s.xSecondo, s.ySecondo, 2, colours::red);
    if (!s.agganciaBordi) {
        pic.line(s.xSecondo, s.ySecondo, s.xPrimo, s.yPrimo, colours::red);
    }
    switch (s.nRette) {
        case 0:
            f.domanda1.caption = prompts::kSecondaOrizz;
            break;
        case 1:
            f.domanda1.caption = prompts::kPrimaVert;
            break;
        case 2:
            f.domanda1.caption = prompts::kSecondaVert;
            break;
        case 3:
            f.domanda1.caption = prompts::kFughe;
            break;
        default:
            break;
    }
    s.nRette += 1;
    constructionChanged(ctx, ConstructionStage::None);
    s.setLine(s.nRette, {s.xPrimo, s.yPrimo}, {s.xSecondo, s.ySecondo},
              {s.firstViewScale, viewScale});
    if (s.agganciaBordi) {
        snapClickedLine(ctx, s.nRette);
        const ClickedLine l = s.line(s.nRette);
        pic.line(float(l.second.x), float(l.second.y), float(l.first.x), float(l.first.y),
                 colours::red);
    }
    f.tfuvx.caption = text(ctx, s.xSecondo);
    f.tfuvy.caption = text(ctx, s.ySecondo);
    Control& angle = f.Text6[s.nRette];
    const auto [from, to] = s.line(s.nRette);
    if (to.x - from.x == 0) {
        angle.caption = "90";
    } else {
        s.pendenza = (to.y - from.y) / (to.x - from.x);
        angle.caption = roundedForm(std::atan(s.pendenza) * 180 / kPi, 2, ctx.decimalSeparator);
    }
}

void areaCorner(Context& ctx, float x, float y) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    // The frame was made from the area being replaced.
    constructionChanged(ctx, ConstructionStage::VanishingPoints);
    if (s.attesaSecondo != 1) {
        if (s.nAree > 0) {
            ctx.picture1.refresh();
        }
        s.attesaSecondo = 1;
        s.primoMovimento = 1;
        s.setCorner(1, {x, y});
        f.tfuox.caption = text(ctx, x);
        f.tfuoy.caption = text(ctx, y);
        f.tfuvx.caption = "";
        f.tfuvy.caption = "";
        return;
    }
    s.attesaSecondo = 0;
    s.primoMovimento = 0;
    // Corners 1 and 2 on the left, 1 and 4 at the top, whichever way the diagonal was drawn.
    const Point first = s.corner(1);
    const double left = std::min(first.x, double(x)), right = std::max(first.x, double(x));
    const double top = std::min(first.y, double(y)), bottom = std::max(first.y, double(y));
    s.setCorner(1, {left, top});
    s.setCorner(2, {left, bottom});
    s.setCorner(3, {right, bottom});
    s.setCorner(4, {right, top});
    f.tfuvx.caption = text(ctx, x);
    f.tfuvy.caption = text(ctx, y);
    ctx.picture1.setDrawMode(DrawMode::CopyPen);
    ctx.picture1.box(float(left), float(top), float(right), float(bottom), colours::red);
}

}  // namespace

void markPrincipalPoint(PictureArea& pic, double x, double y) {
    const float cx = float(x), cy = float(y);
    pic.line(cx, float(y - 20), cx, float(y + 20), colours::lightCyan);
    pic.line(float(x - 20), cy, float(x + 20), cy, colours::lightCyan);
    pic.circle(cx, cy, 4, colours::lightCyan);
}

namespace {

void principalPoint(Context& ctx, float x, float y) {
    WorkingState& s = ctx.s;
    PictureArea& pic = ctx.picture1;
    pic.refresh();
    s.centroX = x;
    s.centroY = y;
    constructionChanged(ctx, ConstructionStage::VanishingPoints);
    markPrincipalPoint(pic, s.centroX, s.centroY);
    ctx.form.domanda1.caption = s.nRette < 2 ? prompts::kDueRetteOrizz : prompts::kDueRetteVert;
    s.modoClick = ClickMode::LineEnd;
}

// The rubber band of the input in progress, from its first point to (toX, toY), in the
// picture's current draw mode: a line for a construction line, a box for an area.
void rubberBand(Context& ctx, float toX, float toY) {
    const WorkingState& s = ctx.s;
    if (s.modoClick == ClickMode::AreaCorner) {
        ctx.picture1.box(float(s.corner(1).x), float(s.corner(1).y), toX, toY);
    } else {
        ctx.picture1.line(s.xPrimo, s.yPrimo, toX, toY);
    }
}

}  // namespace

void PICTURE1_MouseDown(Context& ctx, float x, float y) {
    PICTURE1_MouseDown(ctx, x, y, ctx.form.viewScale);
}

void PICTURE1_MouseDown(Context& ctx, float x, float y, double viewScale) {
    WorkingState& s = ctx.s;
    ctx.picture1.setForeColor(colours::red);
    ctx.picture1.setDrawMode(DrawMode::CopyPen);
    if (s.extraLineHorizontal && s.modoClick != ClickMode::LineEnd) {
        // Area or Centro chosen meanwhile: the further line asked for is given up.
        s.extraLineHorizontal.reset();
        s.attesaSecondo = 0;
        s.primoMovimento = 1;
    }
    // Lines offered: a click on one drops it, elsewhere it starts the user's own line.
    if (s.modoClick == ClickMode::LineEnd && offeredLineClick(ctx, x, y, viewScale)) {
        return;
    }
    if (s.modoClick == ClickMode::LineEnd && pointAlongLine(ctx, x, y, viewScale)) {
        return;
    }
    if (s.modoClick == ClickMode::LineEnd && s.nRette == 4 && extraLineEnd(ctx, x, y, viewScale)) {
        return;
    }
    if (s.modoClick != ClickMode::AreaCorner && s.modoClick != ClickMode::PrincipalPoint) {
        if (s.nRette < 0) {
            s.nRette = 0;
        }
        if (s.nRette >= 4) {
            s.nRette = 4;
            return;
        }
    }
    switch (s.modoClick) {
        case ClickMode::LineEnd:
            lineEnd(ctx, x, y, viewScale);
            break;
        case ClickMode::AreaCorner:
            areaCorner(ctx, x, y);
            break;
        case ClickMode::PrincipalPoint:
            principalPoint(ctx, x, y);
            break;
    }
}

void Picture1_MouseMove(Context& ctx, float x, float y) {
    WorkingState& s = ctx.s;
    showPointer(ctx, x, y);
    ctx.picture1.setDrawMode(DrawMode::Invert);
    if (s.attesaSecondo != 1 || s.modoClick == ClickMode::PrincipalPoint) {
        return;
    }
    dragRubberBand(s, x, y, [&ctx](float toX, float toY) { rubberBand(ctx, toX, toY); });
}

void abandonPendingInput(Context& ctx) {
    WorkingState& s = ctx.s;
    // A band on the photograph is erased by drawing it once more; one on the rectified image
    // goes with that picture's next repaint.
    if (s.attesaSecondo == 1 && s.primoMovimento == 0 && s.nRaddr <= 1 &&
        s.modoClick != ClickMode::PrincipalPoint) {
        ctx.picture1.setDrawMode(DrawMode::Invert);
        rubberBand(ctx, s.xElastico, s.yElastico);
    }
    s.attesaSecondo = 0;
    s.primoMovimento = 1;
}

void Picture1_MouseUp(Context& ctx, float x, float y) {
    WorkingState& s = ctx.s;
    showPointer(ctx, x, y);
    // Half a further line changes nothing yet; a point along a line made the construction again
    // itself, or was refused and changed nothing.
    if (s.modoClick == ClickMode::LineEnd && s.nRette == 4 &&
        !(s.extraLineHorizontal && s.attesaSecondo == 1) && !pointsAlongAsked(s)) {
        FUGHE(ctx);
    }
    if (s.modoClick == ClickMode::AreaCorner && s.nRette == 4 && s.attesaSecondo == 0) {
        if (CERCHIONUOVO(ctx)) {
            griglia1(ctx);
        }
    }
}

void drawLinesAgain(Context& ctx) {
    WorkingState& s = ctx.s;
    PictureArea& pic = ctx.picture1;
    pic.refresh();
    pic.setDrawMode(DrawMode::CopyPen);
    for (int k = 1; k <= s.nRette; ++k) {
        const auto [from, to] = s.line(k);
        pic.line(float(from.x), float(from.y), float(to.x), float(to.y), colours::red);
    }
    for (const ExtraLine& extra : s.extraLines) {
        const ClickedLine l = extra.used();
        pic.line(float(l.first.x), float(l.first.y), float(l.second.x), float(l.second.y),
                 colours::red);
    }
    markPointsAlong(ctx);
    markPrincipalPoint(pic, s.centroX, s.centroY);
    if (s.nRette == 4) {
        FUGHE(ctx);
    }
}

}  // namespace vesta
