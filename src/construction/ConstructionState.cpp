#include "construction/ConstructionState.h"

#include "construction/AutoLines.h"
#include "construction/ExtraLines.h"
#include "construction/LinePoints.h"
#include "construction/ProportionsNotice.h"

namespace vesta {

StageFacts stageFacts(const Context& ctx) {
    const WorkingState& s = ctx.s;
    StageFacts f;
    f.lineGiven = s.nRette > 0;
    f.fourLines = s.nRette == 4;
    // Known measures kept for these four lines rectify without the construction.
    f.knownMeasures = s.misureNote && f.fourLines;
    f.resultKept = hasResult(s);
    f.colour = s.fotoColori != nullptr;
    f.strayLine = f.fourLines && anyStrayLine(s);
    f.scaleKnown = s.scala > 0;
    return f;
}

void enterStage(Context& ctx, Stage stage) {
    applyStage(ctx.form, stage, stageFacts(ctx));
    // The lines found for the user are offered by whether an offer stands, not by the stage.
    offerAutoLineCommands(ctx);
    showResidualsFoot(ctx);
}

void offerStageCommands(Context& ctx) {
    enterStage(ctx, stageOf(ctx.s));
}

void offerEveryEventCommands(Context& ctx) {
    applyStage(ctx.form, stageOf(ctx.s), stageFacts(ctx), Rows::EveryEvent);
    offerAutoLineCommands(ctx);
    ctx.form.agganciaBordi.checked = ctx.s.agganciaBordi;
    followPointsAlongQuestion(ctx);
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
    offerStageCommands(ctx);
}

bool areaPending(const WorkingState& s) {
    return s.modoClick == ClickMode::AreaCorner && s.attesaSecondo == 1;
}

bool hasResult(const WorkingState& s) {
    return s.resultFile == ResultFile::Unsaved || s.resultFile == ResultFile::Saved;
}

}  // namespace vesta
