// Start-up of the main window and the redraw on a click of the window background.
#pragma once

#include "state/Context.h"

namespace vesta {

// Form_Load: builds the designed window for this screen, places the command panel at the top
// right, hides and disables what is not yet usable.
void Form_Load(Context& ctx, const ScreenInfo& screen);

// Form_Click: repaints the photograph with the fixed marks, the area box and the principal
// point, and repeats the prompt for the line awaited.
void Form_Click(Context& ctx);

}  // namespace vesta
