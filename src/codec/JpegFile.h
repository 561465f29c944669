// JPEG photographs through libjpeg-turbo: grey and colour, 8 bits a channel.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/DecodeLimits.h"
#include "codec/DecodedImage.h"
#include "codec/RowWriter.h"
#include "state/Result.h"

namespace vesta {

// Decodes a whole JPEG file held in memory, with its EXIF facts and its ICC profile. CMYK and
// damaged or truncated files are refused with a message.
Result<DecodedImage> decodeJpeg(const std::uint8_t* data, std::size_t size,
                                const DecodeLimits& limits = {});

// The largest colour profile a JPEG file holds: 255 APP2 segments of 65519 bytes (their count
// is one byte).
inline constexpr std::size_t kMaxJpegProfileBytes = std::size_t(255) * 65519;

// A writer of baseline JPEG rows into `fd` (quality 1 to 100); 16-bit rows are rounded to 8
// bits. The profile goes into APP2 markers, unless it is larger than kMaxJpegProfileBytes.
std::unique_ptr<RowWriter> makeJpegWriter(int fd, const RowShape& shape,
                                          const std::vector<std::uint8_t>& iccProfile, int quality,
                                          const std::vector<std::uint8_t>& exif = {});

}  // namespace vesta
