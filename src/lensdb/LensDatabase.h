// The distribution's lens database (lensfun): a photograph's lens looked up by what its camera
// file says, and its distortion at the focal length it was taken with.
#pragma once

#include "state/LensProfile.h"
#include "state/Result.h"

namespace vesta {

// The calibration of the lens the query names, interpolated at its focal length; an Italian
// message where the camera, the lens, the focal length or a distortion calibration is missing.
// The database is read once per process, on the first call; calls may come from any thread.
Result<LensProfile> lookUpLens(const LensQuery& query);

}  // namespace vesta
