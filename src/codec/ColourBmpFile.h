// Colour bitmaps: 24 and 32 bits a pixel, uncompressed or with the usual bit fields. The 8-bit
// palette bitmaps keep their own reader and writer (image/BitmapFile.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/DecodeLimits.h"
#include "codec/DecodedImage.h"
#include "codec/RowWriter.h"
#include "state/Result.h"

namespace vesta {

// Decodes a 24 or 32-bit bitmap held in memory into 8-bit colour, rows bottom first or top first.
// In 32-bit files with bit fields each of red, green and blue must be 8 contiguous bits.
Result<DecodedImage> decodeColourBmp(const std::uint8_t* data, std::size_t size,
                                     const DecodeLimits& limits = {});

// A writer of a 24-bit bitmap into `fd`, which must allow positioned writes since the file
// holds its rows bottom first. Grey rows are expanded, 16-bit rows rounded to 8 bits.
std::unique_ptr<RowWriter> makeBmpWriter(int fd, const RowShape& shape);

}  // namespace vesta
