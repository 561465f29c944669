// Camera files built in the tests: EXIF blocks, profiles and PNG chunks that vesta's own writers
// never produce.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "BitmapBytes.h"

namespace vesta::test {

// A small ICC profile: a valid header and tag table with one text tag, so libraries that check
// profiles accept it.
std::vector<std::uint8_t> smallIccProfile(bool grey);

struct ExifFields {
    int orientation = 1;
    bool bigEndian = false;
    std::string make;
    double focalLengthMm = 0;  // written when > 0
    int focalLength35mm = 0;   // written when > 0
    int pixelXDimension = 0;   // written as LONG when > 0
};
// A bare TIFF-structured EXIF block (as in a PNG eXIf chunk), without the "Exif\0\0" header.
std::vector<std::uint8_t> exifBlock(const ExifFields& fields);

// The JPEG file with an APP1 EXIF segment inserted right after its start marker.
std::vector<std::uint8_t> withExifSegment(const std::vector<std::uint8_t>& jpeg,
                                          const std::vector<std::uint8_t>& block);

// An 8-bit grey PNG with an eXIf chunk, which vesta's own writer never makes. `rows` holds the
// raw rows.
struct RawPng {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> exif;
    std::vector<std::vector<std::uint8_t>> rows;
};
void writeRawPng(const std::filesystem::path& path, const RawPng& png);

// The byte offset of the first marker `code` (0xC0 for a baseline frame) in a JPEG file.
std::size_t jpegMarker(const std::vector<std::uint8_t>& jpeg, std::uint8_t code);

}  // namespace vesta::test
