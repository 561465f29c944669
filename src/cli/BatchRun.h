// A rectification without a window: replays what a user does with the mouse, through the
// same procedures the window uses, and writes exactly the file the window would write. This
// header is the batch tool's whole face: its request, its arguments, its run and its report.
#pragma once

#include <string>

#include "cli/BatchArgs.h"
#include "cli/BatchReport.h"
#include "cli/BatchRequest.h"
#include "state/WorkingState.h"

namespace vesta {

struct BatchResult {
    bool ok = false;
    std::string message;  // the program's Italian message when refused
    std::string notice;   // on success, what the output could not keep (the colour profile)
    WorkingState state;   // the construction as it ended (on success), without its images
};

// Runs the road: open, lines, principal point, size, area, rectify, then moves the scratch
// file to the output. A step is refused when the state it leaves says so (the photograph not
// opened, Raddrizza not enabled, no result on show); the message is what that step showed.
// Nothing is written at the output unless everything succeeded, and an output that is the
// input itself, not a regular file or in a folder that cannot take it is refused before any
// work: OUTPUT's temporary file is made first. The scratch file lives in `scratchDir`, which
// must be this run's own folder.
BatchResult runBatch(const BatchRequest& request, const std::string& scratchDir);

}  // namespace vesta
