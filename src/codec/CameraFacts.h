// What a camera file says about how the photograph was taken, as far as the file tells.
#pragma once

#include <optional>
#include <string>

namespace vesta {

struct CameraFacts {
    int orientation = 1;  // 1 to 8: how the stored rows turn to show the photograph upright
    std::optional<double> focalLengthMm;
    std::optional<int> focalLength35mm;
    std::optional<double> focalPlaneXResolution;  // pixels a unit on the sensor
    std::optional<double> focalPlaneYResolution;
    std::optional<int> focalPlaneResolutionUnit;  // 2 inch, 3 centimetre, 4 millimetre
    std::optional<int> pixelXDimension;           // the size the camera recorded
    std::optional<int> pixelYDimension;
    std::string make;
    std::string model;
    std::string lensModel;  // the lens's own name, where the camera records it
};

}  // namespace vesta
