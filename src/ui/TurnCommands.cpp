#include "ui/TurnCommands.h"

#include "construction/AutoLines.h"
#include "construction/ConstructionState.h"
#include "construction/TurnPhotograph.h"
#include "rectify/TurnResult.h"

namespace vesta {

namespace {

// A turn of the photograph starts the construction over, so it is offered only before the
// first line: afterwards it would throw the user's lines away.
bool photographTurns(const Context& ctx) {
    const WorkingState& s = ctx.s;
    return s.larghezzaSorg() > 0 && ctx.form.Picture1.visible && s.nRette <= 0 &&
           s.raddrAvviato == 0 && s.resultFile != ResultFile::Writing;
}

bool resultTurns(const Context& ctx) {
    const WorkingState& s = ctx.s;
    return ctx.form.Picture2.visible && !ctx.form.Picture1.visible &&
           s.resultFile != ResultFile::Writing &&
           (s.immagineRaddrizzata.width > 0 || s.risultatoColori.width > 0);
}

void turnOnShow(Context& ctx, int quarters) {
    if (resultTurns(ctx)) {
        turnResult(ctx, quarters);
    } else if (photographTurns(ctx)) {
        // Lines offered lie on the photograph as it was.
        withdrawFoundLines(ctx);
        turnPhotograph(ctx, quarters);
    }
    offerEveryEventCommands(ctx);
}

}  // namespace

void ruotaDestra_Click(Context& ctx) {
    turnOnShow(ctx, 1);
}

void ruotaSinistra_Click(Context& ctx) {
    turnOnShow(ctx, -1);
}

void capovolgi_Click(Context& ctx) {
    turnOnShow(ctx, 2);
}

}  // namespace vesta
