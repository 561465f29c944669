// Distorsione dall'obiettivo (lensfun): the lens database's calibration of the photograph's
// lens, offered on opening when the database holds it, and taken out of every line clicked
// after it is chosen.
#pragma once

#include <optional>

#include "geometry/RadialLens.h"
#include "state/Context.h"
#include "state/LensProfile.h"
#include "state/Result.h"

namespace vesta {

// On opening: keeps what the database found for the new photograph and, when it holds the
// lens, says so on the panel. Nothing is asked: a lens it does not hold is simply not offered.
void offerLensProfile(Context& ctx, const std::optional<Result<LensProfile>>& found);

// Takes the lens's distortion out, or leaves it in again; the panel says which.
void distorsioneObiettivo_Click(Context& ctx);

// Offered while no line stands, so every line of a construction lies in the same plane.
void offerLensCorrection(Context& ctx);

// The lens the working state names for its photograph (a typed or fitted K1, or the
// database's calibration); none when the bend is left in.
std::optional<RadialLens> photographLensOf(const WorkingState& s);

// Where a click on the photograph lies in the construction's plane: taken out of the lens's
// bend when the working state names a lens, else where it was made.
Point clickOutOfLens(const Context& ctx, float x, float y);

// The point as a click gives it: single-precision pixels. A line kept in the record must be one
// its replay's clicks give again to the bit.
Point asClick(Point p);

// From now on the photograph shows every figure drawn on it (lines, construction, area, grid)
// through the bend of the lens the working state names, so a line lies on the points clicked
// on the photograph; without a lens figures are drawn as they are.
void drawThroughLens(Context& ctx);

// The panel's words for a calibration: the lens, its focal length and the database's model.
std::string lensNotice(const LensProfile& profile, char decimalSeparator);

}  // namespace vesta
