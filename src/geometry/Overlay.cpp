#include "geometry/Overlay.h"

#include <cmath>

#include "construction/ConstructionState.h"
#include "construction/FocalLengthCommand.h"
#include "geometry/Degenerate.h"
#include "geometry/Frame.h"
#include "geometry/InteriorOrientation.h"
#include "geometry/ProportionsNotice.h"
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
    ctx.dialogs.messageBox(why, degenerate::kTitle, MessageIcon::Critical);
    return offerExifFocalLength(ctx, "", constructionKey(ctx.s)) &&
           ctx.s.construction == ConstructionStage::Frame;
}

void storeFrame(Context& ctx, Frame&& f) {
    WorkingState& s = ctx.s;
    s.angoloX1 = f.angoloX1;
    s.angoloY1 = f.angoloY1;
    s.angoloX2 = f.angoloX2;
    s.angoloY2 = f.angoloY2;
    s.casoFughe = f.casoFughe;
    s.mVert = f.mVert;
    s.mOrizz = f.mOrizz;
    s.angoloRifX = f.rif.x;
    s.angoloRifY = f.rif.y;
    s.maxAX = f.maxA.x;
    s.maxAY = f.maxA.y;
    s.maxBX = f.maxB.x;
    s.maxBY = f.maxB.y;
    s.segnoX = f.segnoX;
    s.segnoY = f.segnoY;
    s.altOut = f.altOut;
    s.largOut = f.largOut;
    s.divRighe = std::move(f.divRighe);
    s.divColonne = std::move(f.divColonne);

    FormModel& form = ctx.form;
    if (s.primoMovimento == 0) {
        form.domanda1.caption = prompts::kVuoiGriglia;
    }
    s.interrompi = 0;
    form.GRIGLIA.enabled = true;
    form.RADDRIZZA.enabled = true;
    form.tfuox.caption = strForm(s.largOut) + " x";
    form.tfuoy.caption = strForm(s.altOut) + " y";
    form.tfuox.tooltip = "Dimensione in X dell'immagine raddrizzata";
    form.tfuoy.tooltip = "Dimensione in y dell'immagine raddrizzata";
}

}  // namespace

void FUGHE(Context& ctx) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    f.RADDRIZZA.tooltip = " Inizia l'operazione di raddrizzamento";
    f.GRANDEZZA.visible = true;
    f.Text3.visible = true;
    f.Text3.caption = plainForm(s.grandezza, ctx.decimalSeparator);
    ctx.picture1.setDrawMode(DrawMode::CopyPen);
    f.domanda1.caption = prompts::kDeviDefinireArea;

    for (int i = 1; i <= 4; ++i) {
        const double dx = s.rette[i][3] - s.rette[i][1];
        // An exactly vertical line gets the finite slope 90: a stand-in the panel and the later
        // steps read as steep, never a division by zero.
        s.pendenze[i] = dx == 0 ? 90 : (s.rette[i][4] - s.rette[i][2]) / dx;
        f.Text6[i].caption = plainForm(degrees(s.pendenze[i]), ctx.decimalSeparator);
    }

    const double* m = s.pendenze;
    bool parallel = m[1] - m[2] == 0 || m[3] - m[4] == 0;
    double hx = 0, hy = 0, vx = 0, vy = 0;
    if (!parallel) {
        hx = (s.rette[1][1] * m[1] - s.rette[1][2] - s.rette[2][1] * m[2] + s.rette[2][2]) /
             (m[1] - m[2]);
        vx = (s.rette[3][1] * m[3] - s.rette[3][2] - s.rette[4][1] * m[4] + s.rette[4][2]) /
             (m[3] - m[4]);
        hy = (hx - s.rette[1][1]) * m[1] + s.rette[1][2];
        vy = (vx - s.rette[3][1]) * m[3] + s.rette[3][2];
        // Slopes that differ only in their last bits meet beyond any number.
        parallel =
            !std::isfinite(hx) || !std::isfinite(hy) || !std::isfinite(vx) || !std::isfinite(vy);
    }
    if (parallel) {
        constructionChanged(ctx, ConstructionStage::None);
        f.domanda1.caption = prompts::kImpossibile;
        ctx.dialogs.messageBox("Fuga verticale o orizzontale all'infinito !!", degenerate::kTitle,
                               MessageIcon::Critical);
        f.CENTRO.enabled = false;
        return;
    }
    s.fugaOrizzX = hx;
    s.fugaVertX = vx;
    s.fugaOrizzY = hy;
    s.fugaVertY = vy;
    s.construction = ConstructionStage::VanishingPoints;

    f.raddrizza1.enabled = true;
    f.edit.enabled = true;
    f.save.enabled = hasResult(s);
    f.print1.enabled = true;
    // Rectifying waits for CERCHIONUOVO's frame.
    CERCHIONUOVO(ctx);
}

bool CERCHIONUOVO(Context& ctx) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    PictureArea& pic = ctx.picture1;
    // Vanishing points of other lines, or of another photograph, are nothing to build on.
    if (s.construction == ConstructionStage::None) {
        return false;
    }
    const Point vh{s.fugaOrizzX, s.fugaOrizzY};
    const Point vv{s.fugaVertX, s.fugaVertY};
    const Point p{s.centroX, s.centroY};

    // Everything is computed before anything changes, so a degenerate construction leaves the
    // work on show as it was.
    const std::optional<double> given = givenDistance(ctx);
    Result<InteriorOrientation> built = interiorOrientation(vh, vv, p, given);
    if (!built.ok()) {
        return refuseConstruction(ctx, built.error());
    }
    const InteriorOrientation& o = built.value();
    FrameInputs in{vh, vv, o, s.nAree > 0, {}, s.larghezzaPic1, s.altezzaPic1, s.grandezza};
    for (int k = 0; k < 7; ++k) {
        for (int c = 0; c < 3; ++c) {
            in.area[k][c] = s.areaCalcolo[k][c];
        }
    }
    Result<Frame> frame = rectificationFrame(in);
    if (!frame.ok()) {
        return refuseConstruction(ctx, frame.error());
    }

    f.raddrizza1.enabled = true;
    f.edit.visible = true;
    f.edit.enabled = true;
    for (MenuItem* m : {&f.area, &f.griglia2, &f.canc, &f.centro1, &f.print1}) {
        m->enabled = true;
    }
    f.save.enabled = hasResult(s);
    f.CENTRO.enabled = true;

    s.mCentro = o.mCentro;
    s.mOrizzonte = o.mOrizzonte;
    s.piedeX = o.piede.x;
    s.piedeY = o.piede.y;
    s.puntoDistX = o.puntoDist.x;
    s.puntoDistY = o.puntoDist.y;
    s.distanzaPrinc = o.distanzaPrinc;
    s.pvx = o.pv.x;
    s.pvy = o.pv.y;
    s.pendenza = o.mH;
    s.pox = o.po.x;
    s.poy = o.po.y;

    const auto at = [](double v) { return float(v); };
    if (within(s.puntoDistX, 10000) && within(s.puntoDistY, 10000)) {
        pic.line(at(s.centroX), at(s.centroY), at(s.puntoDistX), at(s.puntoDistY), colours::blue);
        pic.circle(at(s.puntoDistX), at(s.puntoDistY), 2, kQb12);
    }
    if (within(s.fugaOrizzX, 10000)) {
        pic.line(at(s.piedeX), at(s.piedeY), at(s.fugaOrizzX), at(s.fugaOrizzY), colours::blue);
    }
    if (within(o.r2, 10000)) {
        pic.circle(at(s.fugaVertX), at(s.fugaVertY), at(o.r2), kQb12);
        pic.circle(at(s.pvx), at(s.pvy), 3, kQb12);
    }
    if (within(s.piedeX, 10000) && within(s.piedeY, 10000) && within(s.fugaVertX, 10000) &&
        within(s.fugaVertY, 10000)) {
        pic.line(at(s.fugaVertX), at(s.fugaVertY), at(s.piedeX), at(s.piedeY), colours::blue);
        pic.circle(at(s.piedeX), at(s.piedeY), 2, kQb12);
        pic.line(at(s.pox), at(s.poy), at(s.piedeX), at(s.piedeY), colours::blue);
    }

    storeFrame(ctx, std::move(frame.value()));

    if (std::fabs(s.fugaOrizzX) < 20000 && std::fabs(o.r3) < 10000) {
        pic.circle(at(s.fugaOrizzX), at(s.fugaOrizzY), at(o.r3));
    }
    if (s.fugaVertY > -20000) {
        pic.circle(at(s.centroX), at(s.centroY), 3);
    }
    if (within(s.pvx, 10000) && within(s.pvy, 10000)) {
        pic.circle(at(s.pvx), at(s.pvy), 4, kQb3);
    }

    if (s.nAree == 0) {
        f.Text6[1].caption = "pox" + strForm(floorInt(s.pox));
        f.Text6[2].caption = "poy" + strForm(floorInt(s.poy));
        f.Text6[3].caption = "pvx" + strForm(floorInt(s.pvx));
        f.Text6[4].caption = "pvy" + strForm(floorInt(s.pvy));
        f.tfuvx.caption = "maxay" + strForm(floorInt(s.maxAY));
        f.tfuvy.caption = "maxbx" + strForm(floorInt(s.maxBX));
    }
    f.Text6[4].caption = "DIS" + strForm(floorInt(s.distanzaPrinc));

    f.CENTRO.enabled = true;
    f.RETTANG.enabled = true;
    f.GRIGLIA.enabled = true;
    f.RADDRIZZA.enabled = true;
    f.start.enabled = true;
    f.area.enabled = true;
    f.griglia2.enabled = true;
    // An area with only its first corner in is no area to rectify yet.
    s.construction = areaPending(s) ? ConstructionStage::VanishingPoints : ConstructionStage::Frame;
    offerConstructionCommands(ctx);
    showProportionUncertainty(ctx);
    return true;
}

}  // namespace vesta
