// The construction drawn over the photograph, and the vanishing points it starts from.
#pragma once

#include <functional>

#include "state/Context.h"

namespace vesta {

// FUGHE: the two vanishing points from the four construction lines, each line taken as the
// line of its slope through its first end (an exactly vertical line gets slope 90). Refuses a
// parallel pair with a message; otherwise hands over to CERCHIONUOVO.
void FUGHE(Context& ctx);

// CERCHIONUOVO: the interior orientation and the rectification frame, drawn over what the
// photograph already shows (it never clears it), with the results in the panel's boxes.
// When the construction is degenerate it tells the user, changes nothing and draws nothing,
// and returns false; without vanishing points of the current four lines it does nothing.
bool CERCHIONUOVO(Context& ctx);

// Runs `take`, which adds lines one by one, each making the construction again: what those
// constructions would tell or ask (a refusal, the camera's focal length) is said once, for the
// construction the lines leave.
void withOneConstructionWord(Context& ctx, const std::function<void()>& take);

}  // namespace vesta
