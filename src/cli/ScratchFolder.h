// The batch run's private scratch folder in the temporary folder: made with an unpredictable
// name that carries the run's process number, readable by its owner only, and removed with
// everything in it at the end of the run.
#pragma once

#include <optional>
#include <string>

#include "state/Result.h"

namespace vesta {

// $TMPDIR, or /tmp when it is not set.
std::string temporaryFolder();

// Makes the folder inside $TMPDIR (or /tmp when it is not set). A TMPDIR that does not exist or
// is not a folder is refused with a message, as is a folder that cannot be made.
Result<std::string> makeScratchFolder();

// Removes the folder made by makeScratchFolder and the files the run left in it. Takes no
// memory and makes only async-signal-safe calls: it serves after memory ran out and in the
// handler of a stopping signal.
void removeScratchFolder(const char* folder);

// Removes from `base` the scratch folders of this user's runs that are no longer running
// (killed before they could remove their own); any other name or owner is left alone.
void removeAbandonedScratchFolders(const std::string& base);

}  // namespace vesta
