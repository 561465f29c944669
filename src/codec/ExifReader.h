// The facts of an EXIF block: the orientation and what the camera says of its lens and sensor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/CameraFacts.h"

namespace vesta {

// Reads an EXIF block as found in a JPEG APP1 segment (starting with "Exif\0\0") or a PNG eXIf
// chunk (starting straight with the TIFF byte order mark). A damaged or absent block gives the
// defaults: orientation 1 and no other fact. Values out of their range are left out.
CameraFacts readExifFacts(const std::uint8_t* data, std::size_t size);

}  // namespace vesta
