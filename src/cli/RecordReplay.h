// vesta-rectify --from: a construction kept beside a saved image, turned back into the clicks
// of a batch run.
#pragma once

#include <string>

#include "cli/BatchRequest.h"
#include "state/Result.h"

namespace vesta {

// The request that replays the construction kept in `recordPath` on the photograph it names
// (beside the record), or on `request.input` when one is given; `request.output` is kept. The
// photograph must be the very one the construction was made on (its checksum).
Result<BatchRequest> requestFromRecord(const std::string& recordPath, BatchRequest request);

}  // namespace vesta
