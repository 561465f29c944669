// What the construction on show allows: rectifying and the grid only while the whole frame of
// the current lines, principal point and area stands.
#pragma once

#include "state/Context.h"

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

// Enables the rectifying commands (RADDRIZZA and start, before a result exists) and the grid
// (GRIGLIA, griglia2) exactly while the frame stands; while rows are computed, the Raddrizza menu
// (start, altra), save and print stay disabled.
void offerConstructionCommands(Context& ctx);

// The lines, the principal point or the area changed: what was built from the old ones stands
// no further than `atMost`.
void constructionChanged(Context& ctx, ConstructionStage atMost);

// True while the first corner of an area is in and the second is awaited: the stored area is
// then half old, half new.
bool areaPending(const WorkingState& s);

// True while a completed rectified image of this window exists for the save command.
bool hasResult(const WorkingState& s);

}  // namespace vesta
