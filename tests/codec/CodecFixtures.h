// Camera files built in the tests: images with a recognisable pattern, EXIF blocks and PNG
// variants that vesta's own writers never produce.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "state/ColourImage.h"

namespace vesta::test {

// A width x height image whose every sample differs from its neighbours in both bytes.
ColourImage patternImage(int width, int height, int channels, int bits);

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

// A PNG written with libpng's full interface: any colour type and depth, Adam7 interlace,
// palette and transparency, an eXIf chunk. `rows` holds the raw rows as the format packs them.
struct RawPng {
    int width = 0;
    int height = 0;
    int colourType = 0;  // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::uint8_t> palette;  // RGB triplets
    std::vector<std::uint8_t> transparency;
    std::vector<std::uint8_t> exif;
    std::vector<std::vector<std::uint8_t>> rows;
};
void writeRawPng(const std::filesystem::path& path, const RawPng& png);

// The byte offset of the first marker `code` (0xC0 for a baseline frame) in a JPEG file.
std::size_t jpegMarker(const std::vector<std::uint8_t>& jpeg, std::uint8_t code);

}  // namespace vesta::test
