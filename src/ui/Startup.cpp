#include "ui/Startup.h"

#include "construction/ConstructionState.h"
#include "state/Numbers.h"
#include "state/Prompts.h"
#include "ui/WindowSize.h"

namespace vesta {

void Form_Load(Context& ctx, const ScreenInfo& screen) {
    ctx.screen = screen;
    ctx.form = designForm(screen.twipsPerPixelX, screen.twipsPerPixelY);
    FormModel& f = ctx.form;
    WorkingState& s = ctx.s;

    // The title of the rectified image comes with the image.
    f.Label1.visible = false;

    s.schermoAlt = float(screen.heightTwips / screen.twipsPerPixelY);
    s.schermoLarg = float(screen.widthTwips / screen.twipsPerPixelX);

    f.Frame1.top = 10;
    f.Frame1.left =
        (screen.widthTwips - f.Frame1.width * screen.twipsPerPixelX) / screen.twipsPerPixelX -
        f.VScroll1.width;
    s.panelColumn = f.Frame1.width + f.VScroll1.width;
    placeZoomButton(f);

    s.primoMovimento = 1;
    s.attesaSecondo = 0;

    s.grandezza = 1.0;
    f.Text3.caption = plainForm(s.grandezza, ctx.decimalSeparator);

    for (Control* bar : {&f.VScroll1, &f.HScroll1, &f.VScroll2, &f.HScroll2}) {
        bar->visible = false;
    }
    f.HScroll1.width = s.schermoLarg;
    f.HScroll2.width = s.schermoLarg;
    enterStage(ctx, Stage::NoPhotograph);
}

void Form_Click(Context& ctx) {
    const WorkingState& s = ctx.s;
    PictureArea& p = ctx.picture1;
    p.refresh();
    p.setForeColor(colours::red);
    p.setDrawMode(DrawMode::CopyPen);
    p.box(20, 40, 120, 140);
    p.circle(70, 90, 50);
    p.box(float(s.corner(1).x), float(s.corner(1).y), float(s.corner(3).x), float(s.corner(3).y));
    const float cx = float(s.centroX);
    const float cy = float(s.centroY);
    p.circle(cx, cy, 2);
    p.line(cx, float(s.centroY - 20), cx, float(s.centroY + 20));
    p.line(float(s.centroX - 20), cy, float(s.centroX + 20), cy);

    std::string& prompt = ctx.form.domanda1.caption;
    prompt = prompts::kRefresh;
    switch (s.nRette) {
        case 0:
            prompt = prompts::kPrimaOrizz;
            break;
        case 1:
            prompt = prompts::kSecondaOrizz;
            break;
        case 2:
            prompt = prompts::kPrimaVert;
            break;
        case 3:
            prompt = prompts::kSecondaVert;
            break;
        default:
            break;
    }
}

}  // namespace vesta
