// The scratch file of the rectified image: one per running window, named after its process so
// windows side by side never share one, made exclusively, and gone when the window goes.
#pragma once

#include <string>

#include "state/Context.h"

namespace vesta {

// The scratch file's name for process `pid`: "vesta-<pid>.bmp".
std::string scratchNameOf(long pid);

// Removes from `folder` the scratch files of processes no longer running, and one carrying this
// process's own number, which no window of it has made yet. Anything else stays. Run at start.
void removeStaleScratchFiles(const std::string& folder);

// Creates the empty file `path`, readable by the user alone; false when anything is already
// there (nothing is replaced) or the folder cannot take it.
bool createExclusively(const std::string& path);

// Removes this window's scratch file when it holds a result of its own (being written or not
// saved); nothing is left to save afterwards. For the window's end.
void discardScratchFile(Context& ctx);

}  // namespace vesta
