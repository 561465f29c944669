// vesta-rectify --auto: the lines found in the photograph take the place of the line options;
// the first two of each direction are the four, the rest further lines.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/BatchRun.h"
#include "cli/LineArgs.h"
#include "state/Context.h"

namespace vesta {

// True when `flag` is --auto, which it then records in the request.
bool readAutoLinesOption(const std::string& flag, BatchRequest& request);

// With --auto: an Italian message when lines are given too, else empty.
std::string autoLinesConflict(const LineOptions& lines);

// The lines found in the photograph on show, taken as the user takes them in the window; a
// message to the dialogs when a direction has fewer than two. Found out of the lens's bend when
// one is taken out; with `fitLens` its coefficient is first fitted to the edges of the lines
// found (--lens fit), a message to the dialogs when they tell none. Of several fronts, the one
// whose lines lie in `area` when given.
void takeFoundLines(Context& ctx, bool fitLens, const std::optional<std::array<Point, 2>>& area);

// The lines standing, two of the four then the further ones a direction, as residuals_h and
// residuals_v count them: "lines_h" and "lines_v", each line X1,Y1,X2,Y2 (JSON: arrays).
std::vector<std::pair<std::string, std::string>> listedLines(const WorkingState& s, bool json);

}  // namespace vesta
