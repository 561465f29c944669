#include "ui/Undo.h"

#include <algorithm>

#include "construction/AutoLines.h"
#include "construction/ConstructionState.h"
#include "construction/ExtraLines.h"
#include "construction/LinePoints.h"
#include "construction/Overlay.h"
#include "construction/PictureInput.h"
#include "image/Scrolling.h"
#include "state/Numbers.h"
#include "state/Prompts.h"

namespace vesta {

namespace {

// The lines that still stand, drawn again on the repainted photograph as they were put in:
// red, with a small circle at each end. The drawing mode is left as it was found.
void redrawStandingLines(Context& ctx) {
    const WorkingState& s = ctx.s;
    PictureArea& p = ctx.picture1;
    const DrawMode mode = p.drawMode();
    p.setDrawMode(DrawMode::CopyPen);
    for (int k = 1; k <= std::min(s.nRette, 4); ++k) {
        const ClickedLine l = s.line(k);
        p.circle(float(l.first.x), float(l.first.y), 2, colours::red);
        p.circle(float(l.second.x), float(l.second.y), 2, colours::red);
        p.line(float(l.second.x), float(l.second.y), float(l.first.x), float(l.first.y),
               colours::red);
    }
    for (const ExtraLine& extra : s.extraLines) {
        const ClickedLine l = extra.used();
        p.circle(float(l.first.x), float(l.first.y), 2, colours::red);
        p.circle(float(l.second.x), float(l.second.y), 2, colours::red);
        p.line(float(l.second.x), float(l.second.y), float(l.first.x), float(l.first.y),
               colours::red);
    }
    markPointsAlong(ctx);
    p.setDrawMode(mode);
}

// The area of the construction that still stands, as its second corner drew it: what
// Raddrizza and Griglia would take.
void redrawStandingArea(Context& ctx) {
    if (!ctx.s.construction) {
        return;
    }
    PictureArea& p = ctx.picture1;
    const DrawMode mode = p.drawMode();
    p.setDrawMode(DrawMode::CopyPen);
    const Point from = ctx.s.corner(1), to = ctx.s.corner(3);
    p.box(float(from.x), float(from.y), float(to.x), float(to.y), colours::red);
    p.setDrawMode(mode);
}

// A line with only its first end clicked: that end and its rubber band go, the lines before it
// stand, and the same line is asked for again.
void abandonHalfDrawnLine(Context& ctx) {
    abandonPendingInput(ctx);
    ctx.picture1.refresh();
    for (Control* box : {&ctx.form.tfuox, &ctx.form.tfuoy, &ctx.form.tfuvx, &ctx.form.tfuvy}) {
        box->caption = "";
    }
    ctx.form.domanda1.caption = prompts::nextLine(std::clamp(ctx.s.nRette, 0, 3));
    redrawStandingLines(ctx);
}

}  // namespace

void CANC2(Context& ctx) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    // Lines offered and not taken: Canc. takes the offer away, nothing else.
    if (withdrawFoundLines(ctx)) {
        return;
    }
    if (s.attesaSecondo == 1 && s.modoClick == ClickMode::LineEnd && s.raddrAvviato != 1 &&
        s.nRaddr == 0) {
        if (!takeBackExtraLine(ctx)) {
            abandonHalfDrawnLine(ctx);
        }
        return;
    }
    // The points given along the lines go first, then the further lines, the last given first.
    if (takeBackPointAlong(ctx) || takeBackExtraLine(ctx)) {
        return;
    }
    if (s.nRaddr == 0) {
        switch (s.nRette) {
            case 1:
                f.domanda1.caption = prompts::kPrimaOrizz;
                break;
            case 2:
                f.domanda1.caption = prompts::kSecondaOrizzCanc;
                break;
            case 3:
                f.domanda1.caption = prompts::kPrimaVert;
                break;
            case 4:
                f.domanda1.caption = prompts::kSecondaVert;
                break;
            default:
                break;
        }
    }
    abandonPendingInput(ctx);
    ctx.picture1.refresh();
    for (Control* box : {&f.tfuox, &f.tfuoy, &f.tfuvx, &f.tfuvy}) {
        box->caption = "";
    }
    s.modoClick = ClickMode::LineEnd;
    // After a rectification the whole construction stays, as Altra keeps it: the next clicks
    // may give a new area, whose first corner takes the frame away, or Raddrizza rectifies the
    // same one again. Otherwise a line goes, and with it the vanishing points.
    constructionChanged(ctx,
                        s.raddrAvviato == 1 ? ConstructionStage::Frame : ConstructionStage::None);
    if (s.raddrAvviato == 1) {
        s.nRette = 4;
        s.modoClick = ClickMode::AreaCorner;
        s.interrompi = 1;
        f.domanda1.caption =
            f.cancella.caption == "Canc." ? prompts::kHoFinito : prompts::kDeviDefinireArea;
    } else {
        if (s.nRette > 0 && s.nRette <= 4) {
            f.Text6[s.nRette].caption = "";
        }
        s.nRette -= 1;
    }
    if (f.RADDRIZZA.caption == "Misura") {
        ALTRA1(ctx);
    }
    s.raddrAvviato = 0;
    offerStageCommands(ctx);
    // Canc. takes Save away even while a result is kept; the next overlay offers it again.
    f.save.enabled = false;
    redrawStandingLines(ctx);
    redrawStandingArea(ctx);
}

void ALTRA1(Context& ctx) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    abandonPendingInput(ctx);
    f.cancella.caption = "Canc.";
    f.Picture2.visible = false;
    f.Picture1.visible = true;
    f.Picture1.left = 0;
    f.Picture1.top = 0;
    f.Label1.visible = true;
    f.Label1.caption = "Immagine sorgente";
    f.RADDRIZZA.caption = "Raddrizza";
    // Back on the photograph the button rectifies again: Misura's tooltip would mislead.
    f.RADDRIZZA.tooltip = " Inizia l'operazione di raddrizzamento";
    s.nRaddr = 0;
    offerStageCommands(ctx);
    f.VScroll2.visible = false;
    f.HScroll2.visible = false;

    // The photograph's bars laid out as opening it lays them, a horizontal one without its
    // vertical twin spanning the whole width; here they count from 1.
    f.VScroll1.visible = false;
    f.HScroll1.visible = false;
    f.HScroll1.width = s.schermoLarg;
    showScrollBars(f, f.VScroll1, f.HScroll1, f.Picture1, s.larghezzaPic1, s.altezzaPic1,
                   visibleRegion(s));
    for (Control* bar : {&f.VScroll1, &f.HScroll1}) {
        if (bar->visible) {
            bar->min = 1;
        }
    }
    // The picture went back to the corner; its bars start there too.
    f.HScroll1.value = f.HScroll1.min;
    f.VScroll1.value = f.VScroll1.min;
}

void VALORIDEFAULT(Context& ctx) {
    WorkingState& s = ctx.s;
    const double w = s.larghezzaPic1;
    const double h = s.altezzaPic1;
    // With no area the frame takes the photograph's corners one pixel inside its border.
    s.nAree = 0;
    s.misureNote.reset();
    ctx.dialogs.messageBox("VALORI DI DEFAULT", "VESTA", MessageIcon::None);
    s.setDefaultArea();
    s.centroX = w / 2;
    s.centroY = h / 2;
    constructionChanged(ctx, ConstructionStage::VanishingPoints);
    PictureArea& p = ctx.picture1;
    p.refresh();
    p.setForeColor(colours::red);
    p.setDrawMode(DrawMode::CopyPen);
    const float cx = float(s.centroX);
    const float cy = float(s.centroY);
    p.circle(cx, cy, 2);
    p.line(cx, float(s.centroY - 20), cx, float(s.centroY + 20));
    p.line(float(s.centroX - 20), cy, float(s.centroX + 20), cy);
    if (s.nRette == 4) {
        FUGHE(ctx);
    }
    ctx.form.domanda1.caption = prompts::kDefault;
}

}  // namespace vesta
