// Where the installed program keeps its data.
#pragma once

#include "state/Platform.h"

namespace vesta::desktop {

// The installation folder: the data folder beside the program (../share/vesta from its
// binary), which both an installation and a build folder have. The scratch file goes to the
// user's own data folder, named after this process; the Save dialog starts in the user's
// pictures (or home).
Paths installPaths();

}  // namespace vesta::desktop
