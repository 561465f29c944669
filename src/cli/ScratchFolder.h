// The batch run's private scratch folder in the temporary folder: made with an unpredictable
// name, readable by its owner only, and removed with everything in it at the end of the run.
#pragma once

#include <string>

#include "state/Result.h"

namespace vesta {

// Makes the folder inside $TMPDIR (or /tmp when it is not set). A TMPDIR that does not exist or
// is not a folder is refused with a message, as is a folder that cannot be made.
Result<std::string> makeScratchFolder();

// Removes the folder made by makeScratchFolder and what the run left in it.
void removeScratchFolder(const std::string& folder);

}  // namespace vesta
