// A lens database's calibration as the kept construction writes it, and read back: the model,
// its terms and sensors, and the lens it came from, so a replay needs no database.
#pragma once

#include <nlohmann/json.hpp>

#include "state/LensProfile.h"

namespace vesta {

// The name a record gives the model, or nothing for the one-coefficient model, which the record
// keeps as it always has.
const char* lensModelName(LensModel model);

nlohmann::json lensProfileJson(const LensProfile& profile);

// The calibration written by lensProfileJson; std::runtime_error with the Italian reason when
// a field is missing, of the wrong kind or beyond what a lens has.
LensProfile lensProfileFromJson(const nlohmann::json& j);

}  // namespace vesta
