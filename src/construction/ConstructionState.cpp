#include "construction/ConstructionState.h"

#include "construction/AutoLines.h"
#include "construction/ExtraLines.h"
#include "geometry/ProportionsNotice.h"

namespace vesta {

void offerConstructionCommands(Context& ctx) {
    const bool stands = ctx.s.construction.has_value();
    // Known measures kept for these four lines rectify without the construction.
    const bool byMeasures = ctx.s.misureNote && ctx.s.nRette == 4;
    FormModel& f = ctx.form;
    // Once a result exists the button measures and start stays as the result left it.
    if (ctx.s.nRaddr == 0) {
        f.RADDRIZZA.enabled = stands || byMeasures;
        f.start.enabled = stands || byMeasures;
    }
    f.GRIGLIA.enabled = stands;
    f.griglia2.enabled = stands;
    // Known measures need the four lines only, not the vanishing points' construction.
    const bool lines = ctx.s.nRette == 4 && ctx.s.nRaddr == 0;
    f.MISURENOTE.enabled = lines;
    f.misureNote.enabled = lines;
    // While rows are computed nothing may start another rectification, nor save or print the
    // unfinished one.
    offerExtraLineCommands(ctx);
    offerAutoLineCommands(ctx);
    if (ctx.s.resultFile == ResultFile::Writing) {
        f.raddrizza1.enabled = false;
        f.start.enabled = false;
        f.MISURENOTE.enabled = false;
        f.misureNote.enabled = false;
        f.save.enabled = false;
        f.print1.enabled = false;
    }
}

void constructionChanged(Context& ctx, ConstructionStage atMost) {
    if (atMost != ConstructionStage::Frame) {
        ctx.s.construction.reset();
    }
    // Known measures belong to the rectangle these lines bound: a line that goes takes them too.
    if (atMost == ConstructionStage::None) {
        ctx.s.fughe.reset();
        ctx.s.misureNote.reset();
        ctx.s.residualsH.clear();
        ctx.s.residualsV.clear();
        showLineResiduals(ctx);
    }
    // With no vanishing points of these lines there are no proportions to be sure of.
    if (!ctx.s.fughe) {
        clearProportionUncertainty(ctx);
    }
    offerConstructionCommands(ctx);
}

bool areaPending(const WorkingState& s) {
    return s.modoClick == ClickMode::AreaCorner && s.attesaSecondo == 1;
}

bool hasResult(const WorkingState& s) {
    return s.resultFile == ResultFile::Unsaved || s.resultFile == ResultFile::Saved;
}

}  // namespace vesta
