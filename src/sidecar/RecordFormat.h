// What the writing and the reading of a construction record agree on.
#pragma once

namespace vesta::record {

inline constexpr int kFormatVersion = 1;
// The four lines' names in the record: h1, h2, v1, v2.
inline constexpr const char* kLineNames[4] = {"h1", "h2", "v1", "v2"};
// undistorted = distorted x (1 + k1 r^2), r about the centre in half diagonals.
inline constexpr const char* kLensModel = "radial_k1";
// The same model, its k1 the one that makes the lines' points straightest.
inline constexpr const char* kLensFitModel = "fit";

}  // namespace vesta::record
