// The rows of the result RADDR1 starts: the rectifier of the photograph on show (by the
// construction's lines, or by the known measures' map) and the sink of its kind, handed to
// the row driver.
#pragma once

#include <optional>
#include <string>

#include "geometry/KnownMeasures.h"
#include "rectify/RowDriver.h"
#include "rectify/RowRectifier.h"
#include "state/Context.h"

namespace vesta {

// Writes the result into the scratch file `scratch`, already created empty; NotOpened when it
// cannot be opened for writing. A grey or colour result is kept in risultatoColori as well
// where Picture2 is seen.
RowsOutcome rectifyIntoScratch(Context& ctx, const RectifyInputs& in,
                               const std::optional<KnownMeasuresFrame>& known,
                               const std::string& scratch);

}  // namespace vesta
