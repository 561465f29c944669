// Camera files built in the tests: EXIF blocks, profiles and PNG chunks that vesta's own writers
// never produce.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BitmapBytes.h"

namespace vesta::test {

// `n` bytes of `v` at `at`, most significant first unless `little`.
void putNumber(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int n = 4,
               bool little = false);

// A small ICC profile: a valid header and tag table with one text tag, so libraries that check
// profiles accept it.
std::vector<std::uint8_t> smallIccProfile(bool grey);

struct ExifFields {
    int orientation = 1;
    bool bigEndian = false;
    double focalLengthMm = 0;  // written when > 0
    int focalLength35mm = 0;   // written when > 0
    int pixelXDimension = 0;   // written as LONG when > 0
    // Written as ASCII when not empty.
    std::string make, model, dateTimeOriginal, lensModel;
};
// A bare TIFF-structured EXIF block (as in a PNG eXIf chunk), without the "Exif\0\0" header.
std::vector<std::uint8_t> exifBlock(const ExifFields& fields);

// The JPEG file with an APP1 EXIF segment inserted right after its start marker.
std::vector<std::uint8_t> withExifSegment(const std::vector<std::uint8_t>& jpeg,
                                          const std::vector<std::uint8_t>& block);

// The PNG file with an eXIf chunk, which vesta's own writer never makes, after its header chunk.
std::vector<std::uint8_t> withExifChunk(std::vector<std::uint8_t> png,
                                        const std::vector<std::uint8_t>& block);

}  // namespace vesta::test
