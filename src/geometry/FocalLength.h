// The principal distance in pixels from the focal length of the lens, for a construction whose
// vanishing points lie too far away to give it reliably.
#pragma once

#include <optional>

#include "codec/CameraFacts.h"
#include "state/Result.h"

namespace vesta {

// The diagonal of a 36 x 24 mm frame, the film a 35 mm equivalent focal length refers to.
inline constexpr double kDiagonal35mm = 43.266615305567875;

// The 35 mm equivalent focal lengths taken, in mm: from a fisheye to the longest telephoto. A
// number beyond them is a slip of the keys or a camera file's error, and would give a principal
// distance, and an output, thousands of times too large.
inline constexpr double kFocal35Min = 4;
inline constexpr double kFocal35Max = 2000;
bool plausibleFocal35(double mm);

// A 35 mm equivalent focal length refers to the frame's diagonal: the distance is
// f35 · (image diagonal in pixels) / 43.27. Whatever the aspect of the photograph, the
// diagonal is what the equivalence keeps.
Result<double> principalDistanceFrom35mm(double focal35Mm, int widthPx, int heightPx);

// The 35 mm equivalent focal length a camera file declares: its own, or else the true focal
// length over the sensor's diagonal, the sensor measured from the recorded size and the
// focal-plane resolution. Nothing when the file tells neither.
std::optional<double> equivalentFocal35(const CameraFacts& facts);

}  // namespace vesta
