#include "construction/Overlay.h"

#include <cmath>
#include <utility>

#include "construction/ConstructionState.h"
#include "construction/ExtraLines.h"
#include "construction/FocalLengthCommand.h"
#include "construction/ProportionsNotice.h"
#include "geometry/Construction.h"
#include "geometry/Degenerate.h"
#include "state/Numbers.h"
#include "state/Prompts.h"

namespace vesta {

namespace {

constexpr Rgb kQb12 = colours::red;
constexpr Rgb kQb3 = colours::darkCyan;

// Inclination of a line of slope m in degrees, from -90 to 90.
double degrees(double slope) {
    return std::atan(slope) * 180 / kPi;
}

bool within(double v, double limit) {
    return -limit < v && v < limit;
}

// The frame on show was made from another principal point, area or size: it no longer stands.
// True when the camera's focal length, offered then, made the construction after all.
bool refuseConstruction(Context& ctx, const std::string& why) {
    constructionChanged(ctx, ConstructionStage::VanishingPoints);
    clearProportionUncertainty(ctx);
    ctx.form.domanda1.caption = prompts::kImpossibile;
    if (ctx.s.constructionWordsHeld) {
        ctx.s.heldRefusal = why;
        return false;
    }
    ctx.dialogs.messageBox(why, degenerate::kTitle, MessageIcon::Critical);
    return offerExifFocalLength(ctx, "", constructionKey(ctx.s)) && ctx.s.construction;
}

// The panel once a frame stands.
void showFrame(Context& ctx, const Frame& frame) {
    WorkingState& s = ctx.s;
    FormModel& form = ctx.form;
    if (s.primoMovimento == 0) {
        form.domanda1.caption = prompts::kVuoiGriglia;
    }
    s.interrompi = 0;
    form.tfuox.caption = strForm(frame.largOut) + " x";
    form.tfuoy.caption = strForm(frame.altOut) + " y";
    form.tfuox.tooltip = "Dimensione in X dell'immagine raddrizzata";
    form.tfuoy.tooltip = "Dimensione in y dell'immagine raddrizzata";
}

// The construction over the photograph: horizon, foot point, principal distance and the
// circles that carry the measuring points, each left out where it runs off beyond any screen.
void drawConstruction(Context& ctx, const InteriorOrientation& o, const VanishingPoints& fughe) {
    const WorkingState& s = ctx.s;
    PictureArea& pic = ctx.picture1;
    const Point vh = fughe.vh;
    const Point vv = fughe.vv;
    const auto at = [](double v) { return float(v); };
    const Point d = o.puntoDist, foot = o.piede;
    if (within(d.x, 10000) && within(d.y, 10000)) {
        pic.line(at(s.centroX), at(s.centroY), at(d.x), at(d.y), colours::blue);
        pic.circle(at(d.x), at(d.y), 2, kQb12);
    }
    if (within(vh.x, 10000)) {
        pic.line(at(foot.x), at(foot.y), at(vh.x), at(vh.y), colours::blue);
    }
    if (within(o.r2, 10000)) {
        pic.circle(at(vv.x), at(vv.y), at(o.r2), kQb12);
        pic.circle(at(o.pv.x), at(o.pv.y), 3, kQb12);
    }
    if (within(foot.x, 10000) && within(foot.y, 10000) && within(vv.x, 10000) &&
        within(vv.y, 10000)) {
        pic.line(at(vv.x), at(vv.y), at(foot.x), at(foot.y), colours::blue);
        pic.circle(at(foot.x), at(foot.y), 2, kQb12);
        pic.line(at(o.po.x), at(o.po.y), at(foot.x), at(foot.y), colours::blue);
    }

    if (std::fabs(vh.x) < 20000 && std::fabs(o.r3) < 10000) {
        pic.circle(at(vh.x), at(vh.y), at(o.r3));
    }
    if (vv.y > -20000) {
        pic.circle(at(s.centroX), at(s.centroY), 3);
    }
    if (within(o.pv.x, 10000) && within(o.pv.y, 10000)) {
        pic.circle(at(o.pv.x), at(o.pv.y), 4, kQb3);
    }
}

}  // namespace

void FUGHE(Context& ctx) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    f.RADDRIZZA.tooltip = " Inizia l'operazione di raddrizzamento";
    f.Text3.caption = plainForm(s.grandezza, ctx.decimalSeparator);
    ctx.picture1.setDrawMode(DrawMode::CopyPen);
    f.domanda1.caption = prompts::kDeviDefinireArea;

    for (int i = 1; i <= 4; ++i) {
        s.pendenze[i] = clickedSlope(s.line(i).first, s.line(i).second);
        // Degrees to the hundredth: what a line drawn by hand can mean.
        f.Text6[i].caption = roundedForm(degrees(s.pendenze[i]), 2, ctx.decimalSeparator);
    }

    ConstructionClicks clicks = ConstructionClicks::from(s);
    clicks.givenDistance = givenDistance(ctx);
    const std::optional<FittedVanishingPoints> fitted = fittedVanishingPoints(clicks);
    if (!fitted) {
        constructionChanged(ctx, ConstructionStage::None);
        f.domanda1.caption = prompts::kImpossibile;
        const std::string why = "Fuga verticale o orizzontale all'infinito !!";
        if (s.constructionWordsHeld) {
            s.heldRefusal = why;
        } else {
            ctx.dialogs.messageBox(why, degenerate::kTitle, MessageIcon::Critical);
        }
        return;
    }
    s.construction.reset();
    s.fughe = fitted->fughe;
    s.residualsH = fitted->residualsH;
    s.residualsV = fitted->residualsV;
    showLineResiduals(ctx);
    // Rectifying waits for CERCHIONUOVO's frame.
    CERCHIONUOVO(ctx);
}

bool CERCHIONUOVO(Context& ctx) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    // Vanishing points of other lines, or of another photograph, are nothing to build on.
    if (!s.fughe) {
        return false;
    }

    // Everything is computed before anything changes, so a degenerate construction leaves the
    // work on show as it was.
    ConstructionClicks clicks = ConstructionClicks::from(s);
    clicks.givenDistance = givenDistance(ctx);
    Result<Construction> built = constructionOn(*s.fughe, clicks);
    if (!built.ok()) {
        return refuseConstruction(ctx, built.error());
    }
    const InteriorOrientation& o = built.value().orientation;
    s.pendenza = o.mH;

    drawConstruction(ctx, o, *s.fughe);

    const Frame& fr = built.value().frame;
    showFrame(ctx, fr);

    if (s.nAree == 0) {
        f.Text6[1].caption = "pox" + strForm(floorInt(o.po.x));
        f.Text6[2].caption = "poy" + strForm(floorInt(o.po.y));
        f.Text6[3].caption = "pvx" + strForm(floorInt(o.pv.x));
        f.Text6[4].caption = "pvy" + strForm(floorInt(o.pv.y));
        f.tfuvx.caption = "maxay" + strForm(floorInt(fr.maxA.y));
        f.tfuvy.caption = "maxbx" + strForm(floorInt(fr.maxB.x));
    }
    f.Text6[4].caption = "DIS" + strForm(floorInt(o.distanzaPrinc));

    // An area with only its first corner in is no area to rectify yet.
    if (areaPending(s)) {
        s.construction.reset();
    } else {
        s.construction = std::move(built.value());
    }
    offerStageCommands(ctx);
    showProportionUncertainty(ctx);
    return true;
}

void withOneConstructionWord(Context& ctx, const std::function<void()>& take) {
    WorkingState& s = ctx.s;
    s.constructionWordsHeld = true;
    s.heldRefusal.clear();
    take();
    s.constructionWordsHeld = false;
    const std::string refusal = std::exchange(s.heldRefusal, {});
    if (s.construction) {
        showProportionUncertainty(ctx);
    } else if (!refusal.empty() && s.nRette >= 4) {
        refuseConstruction(ctx, refusal);
    }
}

}  // namespace vesta
