// A lens's distortion as a calibration database gives it: the model, its terms at the focal
// length the photograph was taken with, and the sensor it was calibrated on. Kept with the
// construction, so a replay needs no database.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace vesta {

// The database's models map an undistorted radius ru to the distorted one rd, radii over half
// the calibration sensor's shorter side:
//   Poly3:  rd = ru·(1 − a + a·ru²)
//   Poly5:  rd = ru·(1 + a·ru² + b·ru⁴)
//   PtLens: rd = ru·(a·ru³ + b·ru² + c·ru + 1 − a − b − c)
enum class LensModel { RadialK1 = 0, Poly3 = 1, Poly5 = 2, PtLens = 3 };

struct LensProfile {
    LensModel model = LensModel::PtLens;
    std::array<double, 3> terms{};   // a, b, c; those the model does not use are 0
    double calibrationCrop = 1;      // crop factor of the sensor the lens was calibrated on
    double calibrationAspect = 1.5;  // its long side over its short side
    double cameraCrop = 1;           // crop factor of the photograph's camera
    // The lens's axis off the image centre, in half shorter sides of the image.
    double centreX = 0, centreY = 0;
    double focalMm = 0;  // the focal length the terms were interpolated at
    std::string lens;    // maker and model of the lens, as the database names it
    std::string camera;  // maker and model of the camera
    friend bool operator==(const LensProfile&, const LensProfile&) = default;
};

// What a photograph's camera file says that the database is looked up by.
struct LensQuery {
    std::string make;
    std::string model;
    std::string lens;
    std::optional<double> focalMm;
};

}  // namespace vesta
