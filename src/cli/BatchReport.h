// What vesta-rectify prints once the result is written: the construction's numbers.
#pragma once

#include <string>

#include "state/WorkingState.h"

namespace vesta {

// The results as "name: value" lines, or as one JSON object.
std::string describe(const WorkingState& s, bool json);

}  // namespace vesta
