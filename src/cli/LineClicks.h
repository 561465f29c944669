// The request's lines clicked as the construction takes them: out of the lens's bend when one
// is given or fitted, and through every point of a line given by more than two.
#pragma once

#include <string>
#include <vector>

#include "cli/BatchRun.h"
#include "state/Context.h"

namespace vesta {

// Clicks the four lines, then the further ones. With --lens fit the coefficient is fitted
// first to the lines given by more than two points, and a refusal's message is added to
// `messages` with nothing clicked; with --snap too, it is fitted once the lines are clicked to
// their edges' points and those points', as the window's Correggi la distorsione dalle rette
// does, the lines then snapped again through it. False when the fit is refused. With a lens (given
// or fitted) each point is taken out of the bend, and a line of more points is drawn through them
// all: from the foot of its first point to that of its last on the line fitted to them; without one
// a line runs from its first point to its last, as with two. The points are kept on the state for
// the construction's record.
bool clickRequestLines(Context& ctx, const BatchRequest& request,
                       std::vector<std::string>& messages);

}  // namespace vesta
