#include "construction/EdgeSnapping.h"

#include <cmath>
#include <optional>

#include "image/EdgeSnap.h"
#include "state/Numbers.h"

namespace vesta {

void agganciaBordi_Click(Context& ctx) {
    ctx.s.agganciaBordi = !ctx.s.agganciaBordi;
    ctx.form.agganciaBordi.checked = ctx.s.agganciaBordi;
}

void offerEdgeSnapping(Context& ctx) {
    ctx.form.agganciaBordi.enabled = ctx.s.nRette <= 0 && ctx.s.raddrAvviato == 0;
    ctx.form.agganciaBordi.checked = ctx.s.agganciaBordi;
}

void snapClickedLine(Context& ctx, int k) {
    WorkingState& s = ctx.s;
    const ClickedLine clicked = s.clickedLine(k);
    const std::array<double, 2> scales = s.lineViewScales(k);
    const double reach = snapReach(scales[0], scales[1]);
    std::optional<SnappedLine> onEdge;
    if (s.aColori()) {
        onEdge = snapToEdge(GreyView(*s.fotoColori), clicked.first, clicked.second, reach);
    } else if (s.sorgente.image.width > 0) {
        onEdge = snapToEdge(GreyView(s.sorgente.image), clicked.first, clicked.second, reach);
    }
    Control& notice = ctx.form.bordi;
    // The measuring length at the foot belongs to a result no longer on show.
    ctx.form.incertezzaMisura.caption.clear();
    if (!onEdge) {
        notice.caption = "Nessun bordo diritto vicino alla retta: resta come cliccata";
        notice.foreground = colours::red;
        return;
    }
    const double shift = std::max(onEdge->firstShift, onEdge->secondShift);
    s.setLineOnEdge(k, onEdge->first, onEdge->second, shift);
    notice.caption = "Retta agganciata al bordo (spostata di " +
                     plainForm(std::round(shift * 10) / 10, ctx.decimalSeparator) + " px)";
    notice.foreground = std::nullopt;
}

}  // namespace vesta
