// The camera's tags of a TIFF: read from a photograph into its facts and into the EXIF block
// its results keep, and written into a result's own directories.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/CameraFacts.h"
#include "codec/ResultExif.h"
#include "codec/TiffIo.h"

namespace vesta {

// The image directory's make, model and date and the EXIF directory's focal lengths, sensor
// resolution, recorded size, dates and lens, into `facts` and into `exif`, the block a result
// keeps (empty when nothing is worth keeping). The EXIF directory is current afterwards: the
// image directory's other tags are read before.
void readCameraTags(TIFF* tif, CameraFacts& facts, std::vector<std::uint8_t>& exif);

// A text tag of the current directory, when not empty.
void setText(TIFF* t, ttag_t tag, const std::string& text);

// The EXIF directory of the kept facts, written ahead of the image's, whose tag points to it;
// its offset, or 0 when there is nothing to write. The image's directory starts afresh after.
std::uint64_t writeExifDirectory(TIFF* t, const ResultExifTags& tags);

}  // namespace vesta
