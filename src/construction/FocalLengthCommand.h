// The focal length of the photograph as the source of the principal distance: typed by the user
// (Focale...) or offered from what the camera file declares. Far vanishing points leave the
// derived distance, and with it the proportions, to the rounding of the clicks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "state/Context.h"

namespace vesta {

// Focale...: asks the 35 mm equivalent focal length in mm ("28", "28,5" or "28.5"), the field
// holding the one in use. Empty or 0 forgets it; any other text that is not a number from
// kFocal35Min to kFocal35Max, or is ambiguous ("1.200"), is refused with a message and changes
// nothing.
void focale_Click(Context& ctx);

// The message that refuses a focal length out of that range, and names it.
std::string focalRangeMessage(char decimalSeparator);

// Gives the construction this focal length (nothing: the distance derived again) and builds
// the construction on show again with it, as a new principal point does.
void useFocalLength(Context& ctx, std::optional<double> focal35, bool fromExif);

// When the photograph declares a focal length in that range that is not in use, asks once for these
// lines and principal point (`key`) whether it should give the principal distance; `why` opens the
// question. True when the user accepted: the construction has then been built again with it.
bool offerExifFocalLength(Context& ctx, const std::string& why, const std::vector<double>& key);

// A photograph was opened: a focal length typed for another one no longer holds, and one taken
// from a camera file holds only when this photograph declares the same.
void focalLengthForNewPhotograph(Context& ctx);

}  // namespace vesta
