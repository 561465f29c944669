// TIFF photographs through libtiff: 8 and 16 bits a channel, grey and colour, strips and tiles,
// every compression the library knows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/DecodeLimits.h"
#include "codec/DecodedImage.h"
#include "codec/RowWriter.h"
#include "state/Result.h"

namespace vesta {

// Decodes the first image of a TIFF file held in memory. Grey and RGB at 8 or 16 bits keep
// their samples (extra channels such as alpha are dropped); other kinds the library can turn
// into colour (palette, 1 to 4 bits, YCbCr, CMYK) are read as 8-bit colour. The Orientation
// tag and the EXIF directory give the facts, the ICC profile tag the profile.
Result<DecodedImage> decodeTiff(const std::uint8_t* data, std::size_t size,
                                const DecodeLimits& limits = {});

enum class TiffCompression { Deflate, Lzw };

// A writer of TIFF rows into `fd` (which must allow seeking; it stays open), at the bits of
// the shape, with the horizontal predictor; the profile goes into the ICC profile tag.
std::unique_ptr<RowWriter> makeTiffWriter(int fd, const RowShape& shape,
                                          const std::vector<std::uint8_t>& iccProfile,
                                          TiffCompression compression,
                                          const std::vector<std::uint8_t>& exif = {});

}  // namespace vesta
