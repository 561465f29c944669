#include "construction/StartOver.h"

#include "construction/ConstructionState.h"
#include "image/Scrolling.h"

namespace vesta {

namespace {

void placeScrollBarsOfSource(Context& ctx) {
    FormModel& f = ctx.form;
    f.VScroll1.visible = false;
    f.HScroll1.visible = false;
    showScrollBars(f, f.VScroll1, f.HScroll1, f.Picture1, ctx.s.larghezzaPic1, ctx.s.altezzaPic1,
                   visibleRegion(ctx.s));
}

}  // namespace

void startConstructionOver(Context& ctx) {
    FormModel& f = ctx.form;
    WorkingState& s = ctx.s;
    PictureArea& p = ctx.picture1;
    s.altezzaPic1 = float(f.Picture1.height);
    s.larghezzaPic1 = float(f.Picture1.width);

    f.cancella.caption = "Canc.";
    f.Label1.visible = true;
    f.Label1.caption = "Immagine sorgente";
    f.RADDRIZZA.caption = "Raddrizza";
    f.RADDRIZZA.tooltip = "opera il raddrizzamento";  // not Misura's of a previous result

    placeScrollBarsOfSource(ctx);

    s.modoClick = ClickMode::LineEnd;
    s.nRette = 0;
    s.extraLines.clear();
    s.furtherPoints.clear();
    s.pointsAlongAsked = false;
    s.proposedLines[0].clear();
    s.proposedLines[1].clear();
    s.linesFound = false;
    s.otherFronts.clear();
    s.extraLineHorizontal.reset();
    // A first point left pending on the previous photograph must not become half of a line
    // on this one.
    s.attesaSecondo = 0;
    s.primoMovimento = 1;
    for (int i = 1; i <= 4; ++i) {
        f.Text6[i].caption = "m" + std::to_string(i);
    }
    s.nRaddr = 0;
    s.raddrAvviato = 0;
    // Nothing of the previous photograph's construction stands on this one.
    constructionChanged(ctx, ConstructionStage::None);
    // As at start: no bars of a rectified image.
    f.VScroll2.visible = false;
    f.HScroll2.visible = false;

    f.Picture1.pointer = MousePointer::Cross;
    f.pointer = MousePointer::Default;
    f.Picture1.visible = true;
    p.refresh();

    p.setForeColor(colours::red);
    p.setDrawMode(DrawMode::CopyPen);
    p.box(20, 40, 120, 140);
    p.circle(70, 90, 50);

    s.centroX = s.larghezzaPic1 / 2.0;
    s.centroY = s.altezzaPic1 / 2.0;
    f.tfuvy.caption = "";
    const float cx = float(s.centroX);
    const float cy = float(s.centroY);
    p.circle(cx, cy, 2);
    p.line(cx, 0, cx, s.altezzaPic1);
    p.line(0, cy, s.larghezzaPic1, cy);

    s.grandezza = 1.0;
    s.setDefaultArea();
}

}  // namespace vesta
