#include "construction/Commands.h"

#include "construction/Overlay.h"
#include "state/Numbers.h"
#include "state/Prompts.h"

namespace vesta {

void CENTRONUOVO(Context& ctx) {
    ctx.form.domanda1.caption = prompts::kNuovoCentro;
    ctx.s.modoClick = ClickMode::PrincipalPoint;
    CERCHIONUOVO(ctx);
}

void CENTRO_Click(Context& ctx) {
    ctx.s.modoClick = ClickMode::PrincipalPoint;
    CENTRONUOVO(ctx);
}

void centro1_Click(Context& ctx) {
    CENTRONUOVO(ctx);
}

void RETTANG3(Context& ctx) {
    ctx.form.domanda1.caption = prompts::kDefinisciArea;
    ctx.s.modoClick = ClickMode::AreaCorner;
    ctx.s.nAree += 1;
}

void GRANDEZZA_SpinUp(Context& ctx) {
    WorkingState& s = ctx.s;
    s.grandezza = s.grandezza + 0.1;
    if (s.grandezza >= 2.0) {
        s.grandezza = 1.9;
    }
    ctx.form.Text3.caption = plainForm(s.grandezza, ctx.decimalSeparator);
    CERCHIONUOVO(ctx);
}

void GRANDEZZA_SpinDown(Context& ctx) {
    WorkingState& s = ctx.s;
    s.grandezza = s.grandezza - 0.1;
    if (s.grandezza <= 1.0) {
        s.grandezza = 1.0;
    }
    ctx.form.Text3.caption = plainForm(s.grandezza, ctx.decimalSeparator);
    CERCHIONUOVO(ctx);
}

}  // namespace vesta
