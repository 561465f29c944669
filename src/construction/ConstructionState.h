// How far the construction on show stands, and the stage of the work it puts the window in.
#pragma once

#include "state/Context.h"
#include "state/Stages.h"

namespace vesta {

// How far the construction on show may still stand after a change of its input.
enum class ConstructionStage : int {
    // Not even the vanishing points: the lines changed.
    None = 0,
    // The vanishing points, but not the frame: the point, area or size changed.
    VanishingPoints = 1,
    // All of it.
    Frame = 2,
};

// The facts of the work that the stages' offers hang on.
StageFacts stageFacts(const Context& ctx);

// The window offers the commands of `stage`, as the table of stages gives them.
void enterStage(Context& ctx, Stage stage);

// The window offers the commands of the stage the work is in (stageOf): for a procedure that
// may leave it in more than one.
void offerStageCommands(Context& ctx);

// After every event: the commands whose offer follows facts that change within a stage (a turn,
// snapping onto edges, printing at scale).
void offerEveryEventCommands(Context& ctx);

// The lines, the principal point or the area changed: what was built from the old ones stands
// no further than `atMost`.
void constructionChanged(Context& ctx, ConstructionStage atMost);

// True while the first corner of an area is in and the second is awaited: the stored area is
// then half old, half new.
bool areaPending(const WorkingState& s);

// True while a completed rectified image of this window exists for the save command.
bool hasResult(const WorkingState& s);

}  // namespace vesta
