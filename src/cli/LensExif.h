// vesta-rectify --lens exif: the lens database's calibration of the lens the photograph
// declares, taken out of the clicks and folded into the rectification; and how a run tells it.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/BatchRun.h"
#include "state/Context.h"

namespace vesta {

// The value of --lens that asks for the database.
inline constexpr const char* kLensFromExif = "exif";

// Once the photograph is open: the calibration the request asks for (looked up on opening, or
// kept by a construction) set on the state; the Italian reason when there is none, or when it
// does not bend the whole photograph one to one.
std::optional<std::string> takeRequestedLens(Context& ctx, const BatchRequest& request);

// The lens's lines of the results: its model, terms and name, as numbers and JSON strings.
std::vector<std::pair<std::string, std::string>> lensDescription(const WorkingState& s, bool json);

}  // namespace vesta
