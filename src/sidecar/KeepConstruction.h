// The user's construction outlives the window: Save keeps it beside the image, and opening the
// photograph again offers it back.
#pragma once

#include <string>

#include "state/Context.h"

namespace vesta {

// Writes the record of the standing construction beside the image just saved at `imagePath`
// (same name, ".json"), and as the photograph's latest where opening it looks (beside it or in
// the user's data folder). A file of that name that is not a construction of vesta is never
// replaced; what could not be kept is told to the user, the image stays saved all the same.
void keepConstructionBeside(Context& ctx, const std::string& imagePath);

// After a photograph is opened: when a construction made on this very photograph lies in its
// folder or in the user's data folder, asks whether to restore the newest and, if so, replays
// its clicks.
void offerKeptConstruction(Context& ctx);

}  // namespace vesta
