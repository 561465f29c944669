#include "construction/EdgeSnapping.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "construction/LensCorrection.h"
#include "construction/LensEdges.h"
#include "image/EdgeSnap.h"
#include "state/Numbers.h"

namespace vesta {

void agganciaBordi_Click(Context& ctx) {
    ctx.s.agganciaBordi = !ctx.s.agganciaBordi;
    ctx.form.agganciaBordi.checked = ctx.s.agganciaBordi;
}

namespace {

double shiftOf(const SnappedLine& l) {
    return std::max(l.firstShift, l.secondShift);
}

// The clicked line drawn onto the edge beside it, the panel's foot told either way.
std::optional<SnappedLine> snapOntoEdge(Context& ctx, const ClickedLine& clicked,
                                        const std::array<double, 2>& scales) {
    WorkingState& s = ctx.s;
    const double reach = snapReach(scales[0], scales[1]);
    // With a lens the clicks lie in the undistorted plane, the edges on the bent photograph.
    const std::optional<RadialLens> lens = photographLensOf(s);
    const auto seek = [&](const GreyView& view) {
        return lens ? snapThroughLens(view, *lens, clicked.first, clicked.second, reach)
                    : snapToEdge(view, clicked.first, clicked.second, reach);
    };
    std::optional<SnappedLine> onEdge;
    if (s.aColori()) {
        onEdge = seek(GreyView(*s.fotoColori));
    } else if (s.sorgente.image.width > 0) {
        onEdge = seek(GreyView(s.sorgente.image));
    }
    Control& notice = ctx.form.bordi;
    // The measuring length at the foot belongs to a result no longer on show.
    ctx.form.incertezzaMisura.caption.clear();
    if (!onEdge) {
        notice.caption = "Nessun bordo diritto vicino alla retta: resta come cliccata";
        notice.foreground = colours::red;
        return std::nullopt;
    }
    notice.caption = "Retta agganciata al bordo (spostata di " +
                     plainForm(std::round(shiftOf(*onEdge) * 10) / 10, ctx.decimalSeparator) +
                     " px)";
    notice.foreground = std::nullopt;
    return onEdge;
}

}  // namespace

void snapClickedLine(Context& ctx, int k) {
    const std::optional<SnappedLine> onEdge =
        snapOntoEdge(ctx, ctx.s.clickedLine(k), ctx.s.lineViewScales(k));
    if (onEdge) {
        ctx.s.setLineOnEdge(k, onEdge->first, onEdge->second, shiftOf(*onEdge));
    }
}

void snapExtraLine(Context& ctx, ExtraLine& line) {
    const std::optional<SnappedLine> onEdge = snapOntoEdge(ctx, line.line, line.viewScales);
    if (onEdge) {
        line.onEdge = ClickedLine{onEdge->first, onEdge->second};
        line.edgeShift = shiftOf(*onEdge);
    }
}

}  // namespace vesta
