// Between the working state and the record kept beside a saved image: what the user clicked and
// chose, read off the state; and the same clicks given back to the procedures.
#pragma once

#include "sidecar/ConstructionFile.h"
#include "state/Context.h"

namespace vesta {

// The record of the construction standing on the photograph on show; the photograph's
// checksum is read from its file, `focal35` is the focal length it was made with, if any. An
// Italian message when the photograph cannot be read.
Result<ConstructionRecord> recordOf(const WorkingState& s,
                                    std::optional<double> focal35 = std::nullopt);

// Size-arrow steps up from 1.0 that give the factor (0 to 9).
int sizeStepsOf(double grandezza);

// Sets the size factor to a kept value, to the last bit, and builds the construction again, as
// a step of the size arrows does; nothing happens when the factor is that value already.
void setSizeFactor(Context& ctx, double grandezza);

// Replays a record's clicks on the photograph on show, as the user made them: the four lines,
// the principal point, the size factor, the area.
void restoreConstruction(Context& ctx, const ConstructionRecord& record);

}  // namespace vesta
