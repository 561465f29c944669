// Going back: cancel the last operation, another rectification on the same photograph, and
// the default principal point and area.
#pragma once

#include "state/Context.h"

namespace vesta {

// CANC2: takes away the last construction line or, once a rectification has been started,
// goes back to the area input; a rectification still running stops before its next row.
void CANC2(Context& ctx);

// ALTRA1: back from the rectified image to the photograph, the construction kept.
void ALTRA1(Context& ctx);

// VALORIDEFAULT: principal point and area back to their defaults; with four lines the
// vanishing points and the construction are computed again.
void VALORIDEFAULT(Context& ctx);

}  // namespace vesta
