// PNG photographs through libpng: 8 and 16 bits, grey or colour, palette, interlaced.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/DecodeLimits.h"
#include "codec/DecodedImage.h"
#include "codec/RowWriter.h"
#include "state/Result.h"

namespace vesta {

// Decodes a whole PNG file held in memory. Palette images become colour, alpha is dropped,
// 1, 2 and 4-bit grey become 8-bit; 16-bit samples keep their 16 bits. The eXIf chunk gives the
// facts, iCCP the profile.
Result<DecodedImage> decodePng(const std::uint8_t* data, std::size_t size,
                               const DecodeLimits& limits = {});

// A writer of PNG rows into `fd`, at the bits of the shape; the profile goes into iCCP.
std::unique_ptr<RowWriter> makePngWriter(int fd, const RowShape& shape,
                                         const std::vector<std::uint8_t>& iccProfile,
                                         const std::vector<std::uint8_t>& exif = {});

}  // namespace vesta
