// The commands of the main window that belong to no other subsystem.
#pragma once

#include "state/Context.h"

namespace vesta {

// frame_m: hides or shows the command panel, with the menu item's check mark.
void frame_m_Click(Context& ctx);

// help1: shows the help page installed beside the program's data.
void help1_Click(Context& ctx);

// exit: ends the program, even in the middle of a rectification; a completed result not yet
// saved is offered for saving first, and "Annulla" keeps the program running as it was.
void EXIT_Click(Context& ctx);

}  // namespace vesta
